// Names and links planted where the module reads or writes: it writes only where it means to, follows no link.
#include <set>

#include "download_fixture.h"

namespace kt::test {
namespace {

using download::SourceMode;
using Steps = std::vector<std::pair<std::string, std::string>>;

struct Case {
    const char* what;
    SourceMode mode;
    Steps steps, plant;             // the source's steps; the links planted (at, to, below the tree's root)
    std::set<std::string> updated;  // what Update holds afterwards
};

const Steps kStep{{"5.2.1", "step.exe"}};

class HostilePathTest : public DownloadTest, public ::testing::WithParamInterface<Case> {
protected:
    HostilePathTest() { tree.WriteFile("canary/file", "kept"), tree.WriteFile("canary/step.exe", "secret"); }

    // Every entry below `folder` but the test's own FTP server's files, links as links, with the content of files.
    std::map<std::string, std::string> Snapshot(const std::string& folder) const {
        std::map<std::string, std::string> entries;
        for (auto entry = fs::recursive_directory_iterator(tree / folder); entry != fs::recursive_directory_iterator(); ++entry) {
            if (entry->path().filename().string().starts_with("ktserver-")) {
                entry.disable_recursion_pending();
                continue;
            }
            entries[entry->path().lexically_relative(tree.Root()).string()] =
                entry->is_symlink() ? "-> " + fs::read_symlink(entry->path()).string() : entry->is_regular_file() ? ReadFile(entry->path()) : "/";
        }
        return entries;
    }
};

TEST_P(HostilePathTest, NothingIsWrittenOutsideItsFoldersAndNoLinkIsFollowed) {
    const Case& c = GetParam();
    for (const auto& [at, target] : c.plant) {
        fs::create_directories((tree / at).parent_path());
        fs::create_symlink(tree / target, tree / at);
    }
    const auto canary = Snapshot("canary"), temporary = Snapshot("tmp");
    if (c.mode == SourceMode::kInternet) StartServer();
    Run(c.mode, c.mode == SourceMode::kInternet ? "" : WriteSource(c.steps));
    EXPECT_EQ(std::pair(Snapshot("canary"), Snapshot("tmp")), std::pair(canary, temporary));
    std::set<std::string> updated;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(UpdatePath("Update"), ec)) updated.insert(entry.path().filename().string());
    EXPECT_EQ(fs::is_symlink(UpdatePath("Update"), ec) ? std::set<std::string>{} : updated, c.updated);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostilePathTest,
    ::testing::Values(
        Case{"dot_dot_location", SourceMode::kLocal, {{"../canary", "step.exe"}}, {}, {}},
        Case{"name_too_long", SourceMode::kLocal, {{"5.2.1", std::string(4092, 'a') + ".exe"}}, {}, {}},
        Case{"link_at_temp_file", SourceMode::kLocal, kStep, {{"UpdateInfo/Temp/step.exe", "canary/file"}}, {}},
        Case{"temp_is_link", SourceMode::kLocal, kStep, {{"UpdateInfo/Temp", "canary"}}, {}},
        Case{"update_is_link", SourceMode::kLocal, kStep, {{"UpdateInfo/Update", "canary"}}, {}},
        Case{"link_at_update_file", SourceMode::kLocal, kStep, {{"UpdateInfo/Update/step.exe", "canary/file"}}, {"step.exe"}},
        Case{"source_package_is_link", SourceMode::kLocal, kStep, {{"patch/5.2.1/step.exe", "canary/step.exe"}}, {}},
        Case{"files_xml_is_link", SourceMode::kLocal, kStep, {{"UpdateInfo/files.xml", "canary/file"}}, {}},
        Case{"links_at_fixed_temporary_names", SourceMode::kInternet, {},
             {{"tmp/ftpacs.bin", "canary/file"}, {"tmp/versions.xml", "canary/file"}},
             {"sesam_pack.exe", "talvo_5.2.0_5.2.1.exe", "talvo_5.2.1_5.3.0.exe", "talvo_5.3.0_5.4.0.exe"}},
        Case{"link_at_fetched_temp_file", SourceMode::kInternet, {},
             {{"UpdateInfo/Temp/talvo_5.3.0_5.4.0.exe", "canary/file"}}, {"sesam_pack.exe"}}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace kt::test
