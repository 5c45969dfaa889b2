#include "config_fixture.h"

#include <algorithm>
#include <mutex>

#include "update/activity_log.h"

namespace kt::test {
namespace {

std::mutex capturedMutex;
std::vector<std::string> captured;

class CapturingCallback : public el::LogDispatchCallback {
protected:
    void handle(const el::LogDispatchData* data) override {
        const std::lock_guard<std::mutex> lock(capturedMutex);
        const el::LogMessage* message = data->logMessage();
        captured.push_back(el::LevelHelper::convertToString(message->level()) + std::string(" ") +
                           message->message());
    }
};

constexpr const char* kCallbackId = "kt-test-capture";

}  // namespace

LogCapture::LogCapture() {
    el::Loggers::reconfigureAllLoggers(el::ConfigurationType::ToStandardOutput, "false");
    el::Loggers::reconfigureAllLoggers(el::ConfigurationType::ToFile, "false");
    const std::lock_guard<std::mutex> lock(capturedMutex);
    captured.clear();
    el::Helpers::installLogDispatchCallback<CapturingCallback>(kCallbackId);
}

LogCapture::~LogCapture() { el::Helpers::uninstallLogDispatchCallback<CapturingCallback>(kCallbackId); }

std::vector<std::string> LogCapture::Lines() const {
    const std::lock_guard<std::mutex> lock(capturedMutex);
    return captured;
}

bool LogCapture::Has(const std::string& line) const { return Count(line) > 0; }

int LogCapture::Count(const std::string& line) const {
    const std::vector<std::string> lines = Lines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

std::tm LocalTime(int day, int month, int year, int hour, int minute, int second) {
    std::tm time{};
    time.tm_mday = day;
    time.tm_mon = month - 1;
    time.tm_year = year - 1900;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

ConfigTest::ConfigTest() {
    ctx.appDir = tree.MakeDir("app").string() + "/";
    ctx.updateDir = tree.MakeDir("UpdateInfo").string();
    ctx.updateDirSlash = ctx.updateDir + "/";
    ctx.version = "5.2.0";
    ctx.compatVersion = "5.2.0";
    ctx.appTitle = "Talvo";
}

std::string ConfigTest::AppId() const { return ctx.appDir + "appid.xml"; }

std::string ConfigTest::UpdateFile(const std::string& name) const { return ctx.updateDirSlash + name; }

void ConfigTest::WriteAppId(const std::string& content) const { tree.WriteFile("app/appid.xml", content); }

}  // namespace kt::test
