// A workstation in a temporary tree: application folder, shared update
// folder, a run context pointing at them, and its activity log read back.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "config/default_config.h"
#include "config/node_data.h"
#include "support/activity_log_reader.h"
#include "support/temp_tree.h"
#include "log/activity_log.h"
#include "run/run_context.h"

namespace kt::test {

class ConfigTest : public ::testing::Test {
protected:
    ConfigTest() {
        log::ConfigureActivityLog();
        ctx.appDir = tree.MakeDir("app").string() + "/";
        ctx.updateDir = tree.MakeDir("UpdateInfo").string();
        ctx.updateDirSlash = ctx.updateDir + "/";
        ctx.version = ctx.compatVersion = "5.2.0";
        ctx.appTitle = "Talvo";
    }
    // A local time: day, month (1-12), year, hour, minute, second.
    static std::tm LocalTime(int day, int month, int year, int hour = 12, int minute = 0, int second = 0) {
        std::tm time{};
        std::tie(time.tm_year, time.tm_mon, time.tm_mday) = std::tuple(year - 1900, month - 1, day);
        std::tie(time.tm_hour, time.tm_min, time.tm_sec) = std::tuple(hour, minute, second);
        return time;
    }
    void CreateDefault() { ASSERT_EQ(config::CreateDefaultConfig(ctx, kGuid, LocalTime(31, 3, 2026)), 1); }

    std::string AppId() const { return ctx.appDir + "appid.xml"; }
    std::string GuidFile() const { return ctx.updateDirSlash + kGuid + ".xml"; }
    std::string LockFile() const { return ctx.updateDirSlash + "updating.xml"; }
    void WriteAppId(const std::string& content) const { tree.WriteFile("app/appid.xml", content); }

    // The text of `element` under `parent` (or its `attribute`), at most
    // `length` characters; nothing when the element is not found. Both
    // start with a stale value, which a read must replace.
    static std::optional<std::string> Read(const std::string& file, const char* parent, const char* element,
                                           const char* attribute = nullptr, std::size_t length = 50) {
        std::string text = "stale";
        std::string value = "stale";
        if (config::GetNodeData(file, parent, element, &text, length, attribute, &value, length) != 1) return {};
        return attribute != nullptr ? value : text;
    }

    // The activity log's messages, each after its level: "INFO text".
    std::vector<std::string> Log() const {
        std::vector<std::string> lines;
        const std::string marker = std::string(" ") + log::kLogName + " : ";
        std::istringstream in(ReadActivityLog());
        for (std::string line; std::getline(in, line);) {
            const auto at = line.find(marker);
            if (at != std::string::npos) lines.push_back(line.substr(0, line.find(' ')) + " " + line.substr(at + marker.size()));
        }
        return lines;
    }
    long Logged(const std::string& line) const {
        const auto lines = Log();
        return std::count(lines.begin(), lines.end(), line);
    }

    static constexpr const char* kGuid = "{1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D}";

    TempTree tree;
    run::RunContext ctx;
};

// The same workstation with its default configuration made on 31.3.2026.
class ConfiguredTest : public ConfigTest {
protected:
    void SetUp() override { CreateDefault(); }
};

}  // namespace kt::test
