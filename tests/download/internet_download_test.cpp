// The download dialog's error paths: the common folder and the split folder of
// the postal code, what the server or the settings refuse, and a source folder
// without what it should hold.
#include <pugixml.hpp>

#include "download/transfers.h"
#include "download_fixture.h"
#include "platform/machine_values.h"
#include "support/server_process.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;
using namespace download;
using Attempts = std::vector<unsigned>;
using InternetDownloadTest = DownloadTest;

platform::MachineValue FailCount() { return platform::MachineValue("Software/Talvo/Talvo", "FailCount"); }
std::string NoServer() { return "ftp://127.0.0.1:" + std::to_string(UnusedLoopbackPort()) + "/maj/"; }

// A package or its folder missing from the common folder fails that attempt
// (0 or 6); the split folder has it; without one the dialog ends.
TEST_F(InternetDownloadTest, AMissingPackageOrFolderSendsToTheSplitFolder) {
    const struct {
        const char* removed;
        const char* postalCode;
        Attempts attempts;
        const char* warning;
    } rows[] = {
        {"5.3.0/talvo_5.2.1_5.3.0.exe", "77120", {kTransferFailed, kTransferDone},
         "can't find file : /maj/5.3.0/talvo_5.2.1_5.3.0.exe"},
        {"5.3.0", "77120", {kNoFileNorFolder, kTransferDone}, "can't find directory : /maj/5.3.0"},
        {"5.3.0", "77", {kNoFileNorFolder}, "can't find directory : /maj/5.3.0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.removed) + " " + row.postalCode);
        Fresh();
        ctx.postalCode = row.postalCode;
        StartServer();
        fs::remove_all(server->Root() / "maj" / row.removed);
        // The first address answers nothing: the connection check takes the next.
        ctx.serverUrls = {NoServer(), server->BaseUrl()};
        ASSERT_TRUE(FailCount().WriteDword(3));
        EXPECT_EQ(Run(), row.attempts.back() == kTransferDone ? hostsuite::kIdOk : hostsuite::kIdCancel);
        EXPECT_EQ(attempts, row.attempts);
        EXPECT_TRUE(Logged(std::string("WARNING KTDownload : Error with FTP connexion : ") + row.warning));
        EXPECT_TRUE(Journaled("MJ_DWL_DU_11 : Problème: connexion FTP - find."));
        // A clean end, or an end for want of a split folder, is no failed run.
        EXPECT_EQ(FailCount().ReadDword(), 0u);
        if (row.attempts.size() == 1) continue;
        // The second attempt wrote the package afresh over the first attempt's file.
        EXPECT_EQ(ReadFile(UpdatePath("Update") / "talvo_5.2.1_5.3.0.exe"),
                  ReadFile(server->Root() / "maj77" / "5.3.0" / "talvo_5.2.1_5.3.0.exe"));
    }
}

TEST_F(InternetDownloadTest, AServerWithoutAccessFileOrUnreadableSettingsAreShown) {
    ctx.postalCode.clear();
    StartServer();
    fs::remove(server->Root() / "maj" / "ftpacs.bin");
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    // The proxy check opens the address first, anonymously.
    EXPECT_EQ(attempts, Attempts{kProxyAddressRefused});
    EXPECT_TRUE(Journaled("MJ_DWL_CFP_1a : Problème: proxy - InternetOpen."));
    EXPECT_TRUE(Shown("message id=- caption=\"Talvo\" style=0x10 flag=1 "
                      "text=\"Une erreur s'est produite lors de la connexion au serveur Talvo.\" -> ok unscripted"));

    UseScript("");
    pugi::xml_document appId;
    ASSERT_TRUE(appId.load_file(config::AppIdPath(ctx).c_str()));
    const pugi::xml_node proxy = appId.select_node("//Proxy").node();
    proxy.parent().remove_child(proxy);
    appId.save_file(config::AppIdPath(ctx).c_str(), "\t");
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_TRUE(attempts.empty());
    EXPECT_EQ(Messages(), Strings{"message id=1105 caption=\"Erreur\" style=0x10 flag=1 text=\"Problème de la lecture de la "
                                  "configuration.\\nImpossible de continuer la mise à jour.\" -> ok unscripted"});
    // A silent run shows the dialog minimised and no box.
    ctx.bAtStart = 1;
    UseScript("");
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_EQ(shownState, hostsuite::ShowState::Minimised);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(DownloadTest, ALocalFolderWithoutCatalogueOrWithAMissingPackageStops) {
    EXPECT_EQ(Run(SourceMode::kLocal, tree.MakeDir("empty").string()), hostsuite::kIdCancel);
    EXPECT_EQ(Messages(), Strings{"message id=1074 caption=\"Talvo\" style=0x40 flag=1 text=\"Le répertoire indiqué ne "
                                  "contient pas de mise à jour !\" -> ok unscripted"});

    // A package files.xml already knows, leading elsewhere, is recorded again without a copy.
    const std::string name = UpdateServer::StepFile("5.2.0", "5.2.1");
    tree.WriteFile("UpdateInfo/files.xml", "<?xml version=\"1.0\"?>\n<Files>\n\t<File Date=\"2.2.2026\" Name=\"" + name +
                                               "\" Version=\"5.2.0\" NewVersion=\"5.2.5\" CanRestore=\"1\" Continue=\"0\" "
                                               "Compatibility=\"1\"/>\n</Files>\n");
    EXPECT_EQ(Run(SourceMode::kLocal, WriteSource({{"5.2.1", name}})), hostsuite::kIdOk);
    EXPECT_FALSE(fs::exists(UpdatePath("Update") / name));
    EXPECT_EQ(CountLogged("INFO KTDownload : ProcessUpdate : Add node to files.xml"), 1);

    // The list is worked from its front: the later step is copied, then the missing one stops.
    Fresh();
    const std::string later = UpdateServer::StepFile("5.2.1", "5.3.0");
    const std::string folder = WriteSource({{"5.2.1", name}, {"5.3.0", later}});
    fs::remove(fs::path(folder) / "5.2.1" / name);
    EXPECT_EQ(Run(SourceMode::kLocal, folder), hostsuite::kIdCancel);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Messages()[0].starts_with("message id=1022 caption=\"Talvo\" style=0x10 flag=1 text=\"Un des fichiers de "
                                          "la mise à jour est introuvable ou abîmé. Impossible de continuer.\\nNom du "
                                          "fichier : " + name + "\""));
    EXPECT_EQ(ReadFile(UpdatePath("Update") / later), later);
    EXPECT_NE(ReadFile(UpdatePath("files.xml")).find(later), std::string::npos);
}

}  // namespace
}  // namespace kt::test
