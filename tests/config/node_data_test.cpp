// Reading and writing single values of the module's XML files.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "config/default_config.h"
#include "config/node_data.h"
#include "config_fixture.h"

namespace kt::config {
namespace {

using test::ReadFile;

class NodeDataTest : public test::ConfigTest {
protected:
    void SetUp() override { ASSERT_EQ(CreateDefaultConfig(ctx, kGuid, test::LocalTime(31, 3, 2026)), 1); }
};

TEST_F(NodeDataTest, ParentMustDirectlyHoldTheElement) {
    std::string address = "untouched";
    EXPECT_EQ(GetNodeData(AppId(), "Workstation", "Proxy", nullptr, 0, "Address", &address, 25), 0);
    EXPECT_EQ(address, "untouched");
    EXPECT_EQ(SetNodeData(AppId(), "Workstation", "Proxy", nullptr, "Address", "proxy.local"), 0);

    EXPECT_EQ(GetNodeData(AppId(), "Update", "Proxy", nullptr, 0, "Address", &address, 25), 1);
    EXPECT_EQ(address, "");
    EXPECT_EQ(GetNodeData(AppId(), "Nowhere", "Proxy", nullptr, 0, "Address", &address, 25), 0);
    EXPECT_EQ(GetNodeData(AppId(), nullptr, "Proxy", nullptr, 0, "UseIE", &address, 25), 1);
    EXPECT_EQ(address, "1");
}

TEST_F(NodeDataTest, ReadsTextAndAttributeTogether) {
    std::string text;
    std::string compat;
    ASSERT_EQ(GetNodeData(AppId(), "Workstation", "Version", &text, 50, "CompatVersion", &compat, 50), 1);
    EXPECT_EQ(text, "5.2.0");
    EXPECT_EQ(compat, "5.2.0");

    std::string missing = "x";
    EXPECT_EQ(GetNodeData(AppId(), "Workstation", "Schedule", &text, 10, "NoSuchAttribute", &missing, 10), 1);
    EXPECT_EQ(missing, "") << "a missing attribute reads as empty";
    EXPECT_EQ(text, "") << "an element without text reads as empty";
    EXPECT_EQ(GetNodeData(AppId(), "Workstation", "NoSuchElement", &text, 10, nullptr, nullptr, 0), 0);
}

TEST_F(NodeDataTest, MissingAttributeIsAppendedAtTheEnd) {
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Update", nullptr, "Configured", "1"), 1);
    EXPECT_NE(ReadFile(AppId()).find("\t<Update Type=\"1\" Network=\"1\" Speed=\"0\" Modem=\"0\" RASName=\"\" "
                                     "Configured=\"1\">\n\t\t<Proxy "),
              std::string::npos)
        << ReadFile(AppId());

    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Update", nullptr, "Network", nullptr), 1);
    std::string network = "x";
    GetNodeData(AppId(), "Workstation", "Update", nullptr, 0, "Network", &network, 3);
    EXPECT_EQ(network, "") << "an absent value writes an empty one";
}

TEST_F(NodeDataTest, MissingElementIsAppendedToItsParent) {
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "History", nullptr, nullptr, nullptr), 1);
    ASSERT_EQ(SetNodeData(AppId(), "History", "Item", "5.2.0", "Date", "4.12.2026"), 1);
    const std::string content = ReadFile(AppId());
    EXPECT_NE(content.find("\t</Update>\n\t<History>\n\t\t<Item Date=\"4.12.2026\">5.2.0</Item>\n\t</History>\n"
                           "</Workstation>\n"),
              std::string::npos)
        << content;
    EXPECT_EQ(SetNodeData(AppId(), "NoParent", "Item", "x", nullptr, nullptr), 0);
}

TEST_F(NodeDataTest, TextIsReplacedAndChildElementsKept) {
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Version", "5.3.1", nullptr, nullptr), 1);
    std::string text;
    std::string compat;
    GetNodeData(AppId(), "Workstation", "Version", &text, 50, "CompatVersion", &compat, 50);
    EXPECT_EQ(text, "5.3.1");
    EXPECT_EQ(compat, "5.2.0");

    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Sesam", "", nullptr, nullptr), 1);
    GetNodeData(AppId(), "Workstation", "Sesam", &text, 20, nullptr, nullptr, 0);
    EXPECT_EQ(text, "");

    // Update holds Proxy: giving it a text must not lose the proxy settings.
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Update", "note", nullptr, nullptr), 1);
    std::string useIe;
    EXPECT_EQ(GetNodeData(AppId(), "Update", "Proxy", nullptr, 0, "UseIE", &useIe, 3), 1);
    EXPECT_EQ(useIe, "1");
}

TEST_F(NodeDataTest, FirstElementOfANameInDocumentOrderIsUsed) {
    WriteAppId("<Workstation><A><Item>deep</Item></A><Item>late</Item></Workstation>");
    std::string text;
    ASSERT_EQ(GetNodeData(AppId(), nullptr, "Item", &text, 10, nullptr, nullptr, 0), 1);
    EXPECT_EQ(text, "deep");
    EXPECT_EQ(GetNodeData(AppId(), "Workstation", "Item", &text, 10, nullptr, nullptr, 0), 0)
        << "the first Item is not a direct child of Workstation";
}

TEST_F(NodeDataTest, ReadsAreCutBetweenCharacters) {
    ASSERT_EQ(SetNodeData(AppId(), "Update", "Proxy", nullptr, "Login", "élève-ßü"), 1);
    std::string login;
    GetNodeData(AppId(), "Update", "Proxy", nullptr, 0, "Login", &login, 4);
    EXPECT_EQ(login, "élèv");
    GetNodeData(AppId(), "Update", "Proxy", nullptr, 0, "Login", &login, 8);
    EXPECT_EQ(login, "élève-ßü");

    // 8-bit text left by older versions: one character per byte.
    WriteAppId("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Workstation><Folder>caf\xe9 cr\xe8me</Folder></Workstation>");
    std::string folder;
    ASSERT_EQ(GetNodeData(AppId(), nullptr, "Folder", &folder, 6, nullptr, nullptr, 0), 1);
    EXPECT_EQ(folder, "caf\xe9 c");
}

TEST_F(NodeDataTest, MissingFileIsLoggedAndNeverCreated) {
    const std::string absent = ctx.appDir + "absent.xml";
    std::string value;
    EXPECT_EQ(GetNodeData(absent, "Update", "Proxy", nullptr, 0, "Pass", &value, 25), 0);
    EXPECT_TRUE(log.Has("WARNING No file " + absent + " in search for parent = Update, node = Proxy, attribut = Pass"));
    EXPECT_EQ(SetNodeData(absent, "Update", "Proxy", nullptr, "Pass", "x"), 0);
    EXPECT_FALSE(std::filesystem::exists(absent));
}

TEST_F(NodeDataTest, FileThatDoesNotParseIsNeitherReadNorWritten) {
    const std::string broken = "<?xml version=\"1.0\"?>\n<Workstation GUID=\"x\">\n\t<Version>5.2";
    WriteAppId(broken);
    std::string text;
    EXPECT_EQ(GetNodeData(AppId(), nullptr, "Workstation", nullptr, 0, "GUID", &text, 128), 0);
    EXPECT_EQ(SetNodeData(AppId(), nullptr, "Version", "5.3.0", nullptr, nullptr), 0);
    EXPECT_EQ(ReadFile(AppId()), broken);
}

TEST_F(NodeDataTest, WriteKeepsTheFormatAndThePermissions) {
    WriteAppId("<Workstation><LastUpdate>1.1.2026</LastUpdate></Workstation>");
    ASSERT_EQ(chmod(AppId().c_str(), 0640), 0);
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "LastUpdate", "6.12.2026", nullptr, nullptr), 1);
    EXPECT_EQ(ReadFile(AppId()),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Workstation>\n\t<LastUpdate>6.12.2026</LastUpdate>\n"
              "</Workstation>\n");
    struct stat info {};
    ASSERT_EQ(stat(AppId().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(ctx.appDir)) ++files;
    EXPECT_EQ(files, 1) << "no temporary file is left behind";
}

}  // namespace
}  // namespace kt::config
