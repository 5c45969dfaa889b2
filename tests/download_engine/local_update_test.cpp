// Local updates: the packages of a folder are copied while the dialog
// opens, and recorded; the dialog ends by itself.
#include <pugixml.hpp>

#include "download_fixture.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;

class LocalUpdateTest : public DownloadTest {
protected:
    // A source folder whose catalogue has the steps from 5.2.0 through `versions`, each package in a folder of its new version.
    std::string WriteSource(const Strings& versions) {
        pugi::xml_document doc;
        pugi::xml_node root = doc.append_child("Update");
        std::string oldVersion = "5.2.0";
        for (const std::string& newVersion : versions) {
            pugi::xml_node step = root.append_child("Version");
            for (const auto& [name, value] : {std::pair{"OldVer", oldVersion}, {"NewVer", newVersion},
                                              {"Compatibility", std::string("1")}, {"CanRestore", std::string("1")}}) {
                step.append_attribute(name) = value.c_str();
            }
            step.append_child("Location").text() = newVersion.c_str();
            const std::string name = UpdateServer::StepFile(oldVersion, newVersion);
            pugi::xml_node file = step.append_child("File");
            file.append_attribute("Name") = name.c_str();
            file.append_attribute("Date") = "2.2.2026";
            tree.WriteFile("patch/" + newVersion + "/" + name, "package " + name);
            oldVersion = newVersion;
        }
        doc.save_file((tree.MakeDir("patch") / "versions.xml").c_str(), "\t");
        return (tree / "patch").string();
    }

    int CountEntries(const std::string& name) const {
        pugi::xml_document doc;
        doc.load_file(UpdatePath("files.xml").c_str());
        int count = 0;
        for (const pugi::xml_node entry : doc.child("Files").children()) count += name == entry.attribute("Name").value();
        return count;
    }
};

TEST_F(LocalUpdateTest, TheChainIsCopiedAndRecorded) {
    EXPECT_EQ(Run(download::SourceMode::kLocal, WriteSource({"5.2.1", "5.3.0"})), hostsuite::kIdOk);
    EXPECT_TRUE(Logged("INFO KTDownload : local (network or directory) update"));
    for (const std::string name : {"talvo_5.2.0_5.2.1.exe", "talvo_5.2.1_5.3.0.exe"}) {
        EXPECT_EQ(ReadFile(UpdatePath("Update") / name), "package " + name);
        EXPECT_EQ(CountEntries(name), 1) << name;
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(LocalUpdateTest, AFolderWithoutCatalogueIsRefused) {
    EXPECT_EQ(Run(download::SourceMode::kLocal, tree.MakeDir("empty").string()), hostsuite::kIdCancel);
    EXPECT_TRUE(Logged("WARNING No versions.xml file found"));
    EXPECT_EQ(Messages(), Strings{"message id=1074 caption=\"Talvo\" style=0x40 flag=1 text=\"Le répertoire indiqué ne "
                                  "contient pas de mise à jour !\" -> ok unscripted"});
}

TEST_F(LocalUpdateTest, APackageAlreadyInPlaceIsRecordedWithoutACopy) {
    const std::string name = UpdateServer::StepFile("5.2.0", "5.2.1");
    // files.xml knows the package, leading elsewhere: the search lists it with added flag 0.
    tree.WriteFile("UpdateInfo/files.xml",
                   "<?xml version=\"1.0\"?>\n<Files>\n\t<File Date=\"2.2.2026\" Name=\"" + name +
                       "\" Version=\"5.2.0\" NewVersion=\"5.2.5\" CanRestore=\"1\" Continue=\"0\" Compatibility=\"1\"/>\n"
                       "</Files>\n");
    EXPECT_EQ(Run(download::SourceMode::kLocal, WriteSource({"5.2.1"})), hostsuite::kIdOk);
    EXPECT_FALSE(fs::exists(UpdatePath("Update") / name));
    EXPECT_FALSE(fs::exists(UpdatePath("Temp") / name));
    // Recorded once more, by the one ProcessUpdate call.
    EXPECT_EQ(CountEntries(name), 2);
}

TEST_F(LocalUpdateTest, AnUnreadablePackageStopsTheCopy) {
    const std::string folder = WriteSource({"5.2.1", "5.3.0"});
    // The list is worked from its front: the later step first.
    fs::remove(fs::path(folder) / "5.2.1" / UpdateServer::StepFile("5.2.0", "5.2.1"));
    EXPECT_EQ(Run(download::SourceMode::kLocal, folder), hostsuite::kIdCancel);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind("message id=1022 caption=\"Talvo\" style=0x10 flag=1 text=\"Un des fichiers de la mise à "
                                  "jour est introuvable ou abîmé. Impossible de continuer.\\nNom du fichier : "
                                  "talvo_5.2.0_5.2.1.exe\"", 0), 0u);
    // The package copied before it was recorded when the next was taken.
    EXPECT_EQ(CountEntries(UpdateServer::StepFile("5.2.1", "5.3.0")), 1);
    EXPECT_EQ(CountEntries(UpdateServer::StepFile("5.2.0", "5.2.1")), 0);
}

}  // namespace
}  // namespace kt::test
