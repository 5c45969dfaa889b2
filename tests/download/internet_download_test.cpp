// Updates through the whole download dialog: from a generated server on
// 127.0.0.1 (its worker, its attempts on the common and the split folders)
// or from a local folder, and what they leave in the update folder, the
// journal and the log.
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
// files.xml's entries, in order, as "element name version->new version".
Strings Recorded(const fs::path& path) {
    pugi::xml_document files;
    files.load_file(path.c_str());
    Strings entries;
    for (const pugi::xml_node entry : files.child("Files").children()) {
        entries.push_back(std::string(entry.name()) + " " + entry.attribute("Name").value() + " " +
                          entry.attribute("Version").value() + "->" + entry.attribute("NewVersion").value());
    }
    return entries;
}

TEST_F(InternetDownloadTest, AChainAndTheSesamPackArriveAndAreRecorded) {
    StartServer();
    // The first address answers nothing: the connection check takes the next.
    ctx.serverUrls = {NoServer(), server->BaseUrl()};
    ASSERT_TRUE(FailCount().WriteDword(3));

    EXPECT_EQ(Run(), hostsuite::kIdOk);
    EXPECT_EQ(attempts, Attempts{kTransferDone});
    EXPECT_EQ(ctx.m_nDownloadStatus, 0);
    EXPECT_TRUE(PackagesArrived());
    EXPECT_TRUE(fs::is_empty(UpdatePath("Temp")));
    // In the reverse of the walk's order.
    EXPECT_EQ(Recorded(UpdatePath("files.xml")),
              (Strings{"SesamAll sesam_pack.exe ->", "File talvo_5.3.0_5.4.0.exe 5.3.0->5.4.0",
                       "File talvo_5.2.1_5.3.0.exe 5.2.1->5.3.0", "File talvo_5.2.0_5.2.1.exe 5.2.0->5.2.1"}));
    // The packages were read with the account of ftpacs.bin.
    EXPECT_NE(server->Log().find("[talvo] RETR " + server->Root().string() + "/maj/5.3.0/talvo_5.2.1_5.3.0.exe completed=1"),
              std::string::npos);
    EXPECT_TRUE(InOrder(Journal(), {"MJ_DWL_MD : Démarrage du thread.", "MJ_DWL_DU : Connexion verifié.",
                                    "MJ_DWL_DU : Session créé.", "MJ_DWL_DU : Connexion assurée.",
                                    "MJ_DWL_DU : Params de la connexion lu.", "MJ_DWL_DU : Liste des mises à jour créé.",
                                    "MJ_DWL_DU : La mise à jour est terminée."}));
    EXPECT_TRUE(InOrder(Log(), {"INFO KTDownload : internet update", "INFO KTDownload : DownloadUpdates : first try, COMMUN",
                                "INFO KTDownload : Updates download is finished"}));
    // The clean end resets the count of failed runs.
    EXPECT_EQ(FailCount().ReadDword(), 0u);
    EXPECT_TRUE(Shown("dialog 130 text 1061=\"Téléchargement terminé.\""));
    EXPECT_TRUE(Shown("dialog 130 text 1023=\"64.0 Ko de 64.0 Ko\""));
    EXPECT_TRUE(Messages().empty());
}

// A package or its folder missing from the common folder fails that attempt
// (0 or 6); the split folder of the postal code has it.
TEST_F(InternetDownloadTest, AMissingPackageOrFolderSendsToTheSplitFolder) {
    for (const auto& [removed, first, warning] : std::vector<std::tuple<std::string, unsigned, std::string>>{
             {"5.3.0/talvo_5.2.1_5.3.0.exe", kTransferFailed, "can't find file : /maj/5.3.0/talvo_5.2.1_5.3.0.exe"},
             {"5.3.0", kNoFileNorFolder, "can't find directory : /maj/5.3.0"}}) {
        SCOPED_TRACE(removed);
        fs::remove(UpdatePath("files.xml"));
        StartServer();
        fs::remove_all(server->Root() / "maj" / removed);
        EXPECT_EQ(Run(), hostsuite::kIdOk);
        EXPECT_EQ(attempts, (Attempts{first, kTransferDone}));
        EXPECT_TRUE(Logged("WARNING KTDownload : Error with FTP connexion : " + warning));
        EXPECT_TRUE(Logged("INFO KTDownload : DownloadUpdates : first try, FRACTIONNE"));
        // The second attempt wrote the package afresh over the first attempt's file.
        EXPECT_EQ(ReadFile(UpdatePath("Update") / "talvo_5.2.1_5.3.0.exe"),
                  ReadFile(server->Root() / "maj77" / "5.3.0" / "talvo_5.2.1_5.3.0.exe"));
    }
    EXPECT_TRUE(Journaled("MJ_DWL_DU_11 : Problème: connexion FTP - find."));

    // Without a split folder the dialog ends, and nothing counts as a failed run.
    ctx.postalCode = "77";
    fs::remove(UpdatePath("files.xml"));
    ASSERT_TRUE(FailCount().WriteDword(2));
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_EQ(attempts, Attempts{kNoFileNorFolder});
    EXPECT_EQ(FailCount().ReadDword(), 0u);
}

TEST_F(InternetDownloadTest, NothingToFetchOrNoServerEndsTheDialog) {
    StartServer();
    tree.WriteFile("windows/sesam.ini", "[COMMUN]\n");
    SetWorkstation("5.4.0", "1.4.2026");
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_EQ(attempts, (Attempts{kNothingToFetch, kNothingToFetch}));
    EXPECT_TRUE(Journaled("MJ_DWL_DU : Il n’y a pas de mises à jour."));
    EXPECT_TRUE(Logged("INFO KTDownload : No new update to download/copy"));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(ctx.m_nDownloadStatus, 0);

    // The common folder, then the split folder: the user gives up each time.
    ctx.serverUrls = {NoServer()};
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_EQ(attempts, (Attempts{kTransferFailed, kTransferFailed}));
    EXPECT_EQ(handlesClosed, 2);
    EXPECT_EQ(ctx.m_nDownloadStatus, -2);
    EXPECT_TRUE(Shown("dialog 145 end 2 unscripted"));
    EXPECT_TRUE(Journaled("MJ_DWL_DU_0 : Problème: connexion."));
    EXPECT_EQ(Messages().size(), 1u);
}

// What the server or the disk refuses ends the attempt with the matching box.
TEST_F(InternetDownloadTest, ServerAndDiskFailuresAreShown) {
    ctx.postalCode.clear();
    StartServer();
    fs::remove(server->Root() / "maj" / "ftpacs.bin");
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    // The proxy check opens the address first, anonymously.
    EXPECT_EQ(attempts, Attempts{kProxyAddressRefused});
    EXPECT_TRUE(Journaled("MJ_DWL_CFP_1a : Problème: proxy - InternetOpen."));
    EXPECT_TRUE(Shown("message id=- caption=\"Talvo\" style=0x10 flag=1 "
                      "text=\"Une erreur s'est produite lors de la connexion au serveur Talvo.\" -> ok unscripted"));

    // A link planted in Temp by whoever shares the folder is not written through.
    StartServer();
    fs::create_directories(UpdatePath("Temp"));
    const fs::path canary = tree.WriteFile("canary", "kept");
    fs::create_symlink(canary, UpdatePath("Temp") / "sesam_pack.exe");
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_EQ(attempts, Attempts{kTransferFailed});
    EXPECT_TRUE(Journaled("MJ_DWL_DU_15 : Problème: écriture."));
    EXPECT_TRUE(Shown("message id=- caption=\"Erreur 40\" style=0x10 flag=1 "
                      "text=\"Too many levels of symbolic links\" -> ok unscripted"));
    EXPECT_EQ(ReadFile(canary), "kept");
}

TEST_F(InternetDownloadTest, UnreadableSettingsEndTheDialogBeforeAnyTransfer) {
    StartServer();
    pugi::xml_document appId;
    ASSERT_TRUE(appId.load_file(config::AppIdPath(ctx).c_str()));
    const pugi::xml_node proxy = appId.select_node("//Proxy").node();
    proxy.parent().remove_child(proxy);
    appId.save_file(config::AppIdPath(ctx).c_str(), "\t");

    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_TRUE(attempts.empty());
    EXPECT_TRUE(Logged("WARNING Can't read internet configuration in appid.xml"));
    EXPECT_EQ(Messages(), Strings{"message id=1105 caption=\"Erreur\" style=0x10 flag=1 text=\"Problème de la lecture de la "
                                  "configuration.\\nImpossible de continuer la mise à jour.\" -> ok unscripted"});
    // A silent run shows the dialog minimised and no box.
    ctx.bAtStart = 1;
    UseScript("");
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_EQ(shownState, hostsuite::ShowState::Minimised);
    EXPECT_TRUE(Messages().empty());
}

// A local update copies the packages of a folder while the dialog opens,
// records them, and the dialog ends by itself.
TEST_F(DownloadTest, ALocalChainIsCopiedAndRecordedAndAFolderWithoutCatalogueRefused) {
    const std::string step1 = UpdateServer::StepFile("5.2.0", "5.2.1");
    const std::string step2 = UpdateServer::StepFile("5.2.1", "5.3.0");
    EXPECT_EQ(Run(SourceMode::kLocal, WriteSource({{"5.2.1", step1}, {"5.3.0", step2}})), hostsuite::kIdOk);
    EXPECT_TRUE(Logged("INFO KTDownload : local (network or directory) update"));
    EXPECT_EQ(ReadFile(UpdatePath("Update") / step1) + ReadFile(UpdatePath("Update") / step2), step1 + step2);
    EXPECT_EQ(Recorded(UpdatePath("files.xml")), (Strings{"File " + step2 + " 5.2.1->5.3.0", "File " + step1 + " 5.2.0->5.2.1"}));
    EXPECT_TRUE(Messages().empty());

    EXPECT_EQ(Run(SourceMode::kLocal, tree.MakeDir("empty").string()), hostsuite::kIdCancel);
    EXPECT_TRUE(Logged("WARNING No versions.xml file found"));
    EXPECT_EQ(Messages(), Strings{"message id=1074 caption=\"Talvo\" style=0x40 flag=1 text=\"Le répertoire indiqué ne "
                                  "contient pas de mise à jour !\" -> ok unscripted"});
}

TEST_F(DownloadTest, ALocalPackageAlreadyInPlaceIsRecordedWithoutACopyAnUnreadableOneStops) {
    const std::string name = UpdateServer::StepFile("5.2.0", "5.2.1");
    // files.xml knows the package, leading elsewhere: the search lists it with added flag 0.
    tree.WriteFile("UpdateInfo/files.xml", "<?xml version=\"1.0\"?>\n<Files>\n\t<File Date=\"2.2.2026\" Name=\"" + name +
                                               "\" Version=\"5.2.0\" NewVersion=\"5.2.5\" CanRestore=\"1\" Continue=\"0\" "
                                               "Compatibility=\"1\"/>\n</Files>\n");
    EXPECT_EQ(Run(SourceMode::kLocal, WriteSource({{"5.2.1", name}})), hostsuite::kIdOk);
    EXPECT_FALSE(fs::exists(UpdatePath("Update") / name));
    EXPECT_FALSE(fs::exists(UpdatePath("Temp") / name));
    // Recorded once more, by the one ProcessUpdate call.
    EXPECT_EQ(Recorded(UpdatePath("files.xml")), Strings(2, "File " + name + " 5.2.0->5.2.5"));

    Fresh();
    const std::string later = UpdateServer::StepFile("5.2.1", "5.3.0");
    const std::string folder = WriteSource({{"5.2.1", name}, {"5.3.0", later}});
    // The list is worked from its front: the later step first.
    fs::remove(fs::path(folder) / "5.2.1" / name);
    EXPECT_EQ(Run(SourceMode::kLocal, folder), hostsuite::kIdCancel);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind("message id=1022 caption=\"Talvo\" style=0x10 flag=1 text=\"Un des fichiers de la mise à "
                                  "jour est introuvable ou abîmé. Impossible de continuer.\\nNom du fichier : " + name + "\"", 0), 0u);
    // The package copied before was recorded when the next was taken.
    EXPECT_EQ(Recorded(UpdatePath("files.xml")), Strings{"File " + later + " 5.2.1->5.3.0"});
}

}  // namespace
}  // namespace kt::test
