// Reading and writing single values of the module's XML files.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "support/workstation.h"

namespace kt::config {
namespace {

using test::ReadFile;
using NodeDataTest = test::ConfiguredWorkstation;

TEST_F(NodeDataTest, ReadsTheFirstElementOfItsNameUnderItsDirectParent) {
    EXPECT_EQ(Read(AppId(), "Workstation", "Proxy", "Address"), std::nullopt) << "Proxy is no direct child";
    EXPECT_EQ(Read(AppId(), "Update", "Proxy", "Address"), "");
    EXPECT_EQ(Read(AppId(), nullptr, "Proxy", "UseIE"), "1");
    EXPECT_EQ(Read(AppId(), "Workstation", "Schedule", "NoSuchAttribute"), "") << "a missing attribute reads as empty";
    EXPECT_EQ(Read(AppId(), "Workstation", "NoSuchElement"), std::nullopt);
    std::string text;
    std::string compat;
    ASSERT_EQ(GetNodeData(AppId(), "Workstation", "Version", &text, 50, "CompatVersion", &compat, 50), 1);
    EXPECT_EQ(text + " " + compat, "5.2.0 5.2.0");

    WriteAppId("<Workstation><A><Item>deep</Item></A><Item>late</Item></Workstation>");
    EXPECT_EQ(Read(AppId(), nullptr, "Item"), "deep");
    EXPECT_EQ(Read(AppId(), "Workstation", "Item"), std::nullopt) << "the first Item is not a direct child";
}

TEST_F(NodeDataTest, ReadsAreCutBetweenCharacters) {
    ASSERT_EQ(SetNodeData(AppId(), "Update", "Proxy", nullptr, "Login", "élève-ßü"), 1);
    EXPECT_EQ(Read(AppId(), "Update", "Proxy", "Login", 4), "élèv");
    EXPECT_EQ(Read(AppId(), "Update", "Proxy", "Login", 8), "élève-ßü");
    // 8-bit text left by older versions: one character per byte.
    WriteAppId("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Workstation><Folder>caf\xe9 cr\xe8me</Folder></Workstation>");
    EXPECT_EQ(Read(AppId(), nullptr, "Folder", nullptr, 6), "caf\xe9 c");
}

TEST_F(NodeDataTest, WritesInPlaceAndAppendsWhatIsMissing) {
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Update", nullptr, "Configured", "1"), 1);
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "History", nullptr, nullptr, nullptr), 1);
    ASSERT_EQ(SetNodeData(AppId(), "History", "Item", "5.2.0", "Date", "4.12.2026"), 1);
    EXPECT_EQ(SetNodeData(AppId(), "NoParent", "Item", "x", nullptr, nullptr), 0);
    EXPECT_NE(ReadFile(AppId()).find("\t</Update>\n\t<History>\n\t\t<Item Date=\"4.12.2026\">5.2.0</Item>\n\t</History>\n"),
              std::string::npos);
    EXPECT_EQ(Read(AppId(), "Workstation", "Update", "Configured"), "1");

    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Update", nullptr, "Network", nullptr), 1);
    EXPECT_EQ(Read(AppId(), "Workstation", "Update", "Network"), "") << "an absent value writes an empty one";
    // Update holds Proxy: giving it a text must not lose the proxy settings.
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Update", "note", nullptr, nullptr), 1);
    EXPECT_EQ(Read(AppId(), "Update", "Proxy", "UseIE"), "1");

    // Several values in one replacement: one without a place is left out, the others are written.
    EXPECT_EQ(SetNodeValues(AppId(), {{"Update", "Proxy", "Port", "3128"},
                                      {"NoParent", "Item", "A", "x"},
                                      {"Workstation", "Schedule", "Time", "09:30"}}),
              0);
    EXPECT_EQ(Read(AppId(), "Update", "Proxy", "Port"), "3128");
    EXPECT_EQ(Read(AppId(), "Workstation", "Schedule", "Time"), "09:30");

    // A text split around a comment: the new text replaces all of it and reads back whole.
    WriteAppId("<Workstation><LastUpdate>1.1<!-- edited -->.2020<Item/>5</LastUpdate></Workstation>");
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "LastUpdate", "6.12.2026", nullptr, nullptr), 1);
    EXPECT_EQ(Read(AppId(), "Workstation", "LastUpdate"), "6.12.2026");
    EXPECT_EQ(Read(AppId(), "LastUpdate", "Item"), "");
}

TEST_F(NodeDataTest, WriteKeepsTheFormatAndThePermissions) {
    WriteAppId("<Workstation><LastUpdate>1.1.2026</LastUpdate></Workstation>");
    ASSERT_EQ(chmod(AppId().c_str(), 0640), 0);
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "LastUpdate", "6.12.2026", nullptr, nullptr), 1);
    EXPECT_EQ(ReadFile(AppId()), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Workstation>\n"
                                 "\t<LastUpdate>6.12.2026</LastUpdate>\n</Workstation>\n");
    EXPECT_EQ(std::filesystem::status(AppId()).permissions(), static_cast<std::filesystem::perms>(0640));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(ctx.appDir), {}), 1) << "no temporary file left";
}

TEST_F(NodeDataTest, MissingOrBrokenFileIsNeitherReadNorWritten) {
    const std::string absent = ctx.appDir + "absent.xml";
    EXPECT_EQ(Read(absent, "Update", "Proxy", "Pass"), std::nullopt);
    EXPECT_TRUE(Logged("WARNING No file " + absent + " in search for parent = Update, node = Proxy, attribut = Pass"));
    EXPECT_EQ(SetNodeData(absent, "Update", "Proxy", nullptr, "Pass", "x"), 0);
    EXPECT_FALSE(std::filesystem::exists(absent));

    const std::string broken = "<?xml version=\"1.0\"?>\n<Workstation GUID=\"x\">\n\t<Version>5.2";
    WriteAppId(broken);
    EXPECT_EQ(Read(AppId(), nullptr, "Workstation", "GUID"), std::nullopt);
    EXPECT_EQ(SetNodeData(AppId(), nullptr, "Version", "5.3.0", nullptr, nullptr), 0);
    EXPECT_EQ(ReadFile(AppId()), broken);
}

}  // namespace
}  // namespace kt::config
