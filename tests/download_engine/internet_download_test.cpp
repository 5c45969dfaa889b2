// Internet updates from a generated server on 127.0.0.1, through the whole
// download dialog: its worker, its attempts on the common and the split
// folders, and what they leave in the update folder, the journal and the log.
#include <pugixml.hpp>

#include "download/transfers.h"
#include "download_fixture.h"
#include "platform/machine_values.h"
#include "support/server_process.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;
using download::kNoFileNorFolder;
using download::kNothingToFetch;
using download::kTransferDone;
using download::kTransferFailed;

using InternetDownloadTest = DownloadTest;

// files.xml as "Element Name Version->NewVersion" lines, in order.
std::vector<std::string> FilesXml(const fs::path& path) {
    pugi::xml_document doc;
    doc.load_file(path.c_str());
    std::vector<std::string> entries;
    for (const pugi::xml_node entry : doc.child("Files").children()) {
        std::string line = std::string(entry.name()) + " " + entry.attribute("Name").value();
        if (entry.attribute("Version")) {
            line += std::string(" ") + entry.attribute("Version").value() + "->" + entry.attribute("NewVersion").value();
        }
        entries.push_back(line);
    }
    return entries;
}

TEST_F(InternetDownloadTest, AChainAndTheSesamPackArriveAndAreRecorded) {
    StartServer();
    // The first address answers nothing: the connection check takes the next.
    ctx.serverUrls = {"ftp://127.0.0.1:" + std::to_string(UnusedLoopbackPort()) + "/maj/", server->BaseUrl()};
    platform::MachineValue("Software/Talvo/Talvo", "FailCount").WriteDword(3);

    EXPECT_EQ(Run(), hostsuite::kIdOk);
    EXPECT_EQ(attempts, (std::vector<unsigned>{kTransferDone}));
    EXPECT_EQ(ctx.m_nDownloadStatus, 0);

    // The list holds the packages in the reverse of the walk's order.
    EXPECT_EQ(FilesXml(UpdatePath("files.xml")),
              (std::vector<std::string>{"SesamAll sesam_pack.exe", "File talvo_5.3.0_5.4.0.exe 5.3.0->5.4.0",
                                        "File talvo_5.2.1_5.3.0.exe 5.2.1->5.3.0",
                                        "File talvo_5.2.0_5.2.1.exe 5.2.0->5.2.1"}));
    for (const auto& [folder, name] : std::vector<std::pair<std::string, std::string>>{
             {"sesam", "sesam_pack.exe"}, {"5.4.0", "talvo_5.3.0_5.4.0.exe"}, {"5.3.0", "talvo_5.2.1_5.3.0.exe"},
             {"5.2.1", "talvo_5.2.0_5.2.1.exe"}}) {
        EXPECT_EQ(ReadFile(UpdatePath("Update") / name), ReadFile(server->Root() / "maj" / folder / name)) << name;
        EXPECT_FALSE(fs::exists(UpdatePath("Temp") / name)) << name;
    }
    // The catalogue and the packages were read with the account of ftpacs.bin.
    const std::string served = "[talvo] RETR " + server->Root().string();
    EXPECT_NE(server->Log().find(served + "/maj/versions.xml completed=1"), std::string::npos);
    EXPECT_NE(server->Log().find(served + "/maj/5.3.0/talvo_5.2.1_5.3.0.exe completed=1"), std::string::npos);

    EXPECT_TRUE(InOrder(Journal(), {"MJ_DWL_MD : Démarrage du thread.", "MJ_DWL_DU : Connexion verifié.",
                                    "MJ_DWL_DU : Session créé.", "MJ_DWL_DU : Connexion assurée.",
                                    "MJ_DWL_DU : Params de la connexion lu.",
                                    "MJ_DWL_DU : Liste des mises à jour créé.",
                                    "MJ_DWL_DU : La mise à jour est terminée."}));
    // The clean end resets the count of failed runs.
    EXPECT_EQ(platform::MachineValue("Software/Talvo/Talvo", "FailCount").ReadDword(), 0u);
    EXPECT_TRUE(InOrder(Log(), {"INFO KTDownload : internet update",
                                "INFO KTDownload : DownloadUpdates : first try, COMMUN",
                                "INFO KTDownload : Connexion checked", "INFO KTDownload : Internet session created",
                                "INFO KTDownload : FTP connexion confirmed", "INFO KTDownload : Get FTP params OK",
                                "INFO KTDownload : /maj/versions.xml : download starts",
                                "INFO KTDownload : Read file versions.xml",
                                "INFO KTDownload : Read package file /maj/versions.xml",
                                "INFO KTDownload : /maj/sesam/sesam_pack.exe : download starts",
                                "INFO KTDownload : No remaining update package to add to files.xml",
                                "INFO KTDownload : Updates download is finished"}));
    EXPECT_TRUE(Shown("dialog 130 text 1061=\"Téléchargement terminé.\""));
    EXPECT_TRUE(Shown("dialog 130 text 1035=\"Progression :\""));
    EXPECT_TRUE(Shown("dialog 130 text 1023=\"64.0 Ko de 64.0 Ko\""));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(InternetDownloadTest, AFileShorterThanAnnouncedIsDeletedALongerOneKept) {
    ctx.postalCode.clear();
    UpdateServer::Options shorter;
    shorter.announce["/maj/sesam/sesam_pack.exe"] = shorter.packSize + 100;
    StartServer(shorter);
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_EQ(attempts, (std::vector<unsigned>{kTransferFailed}));
    const std::string temp = (UpdatePath("Temp") / "sesam_pack.exe").string();
    EXPECT_FALSE(fs::exists(temp));
    EXPECT_TRUE(Logged("WARNING KTDownload : Wrong size for file " + temp + " : File deleted"));
    EXPECT_TRUE(Journaled("MJ_DWL_DU_15 : Problème: taille differente."));
    EXPECT_FALSE(fs::exists(UpdatePath("files.xml")));
    EXPECT_TRUE(Shown("message id=- caption=\"Talvo\" style=0x10 flag=1 "
                      "text=\"Une erreur s'est produite lors du téléchargement des mises à jour.\" -> ok unscripted"));

    UpdateServer::Options longer;
    longer.announce["/maj/sesam/sesam_pack.exe"] = longer.packSize - 100;
    StartServer(longer);
    EXPECT_EQ(Run(), hostsuite::kIdOk);
    EXPECT_EQ(fs::file_size(UpdatePath("Update") / "sesam_pack.exe"), longer.packSize);
}

TEST_F(InternetDownloadTest, AMissingPackageFailsTheAttemptAndTheSplitFolderIsTried) {
    StartServer();
    fs::remove(server->Root() / "maj" / "5.3.0" / "talvo_5.2.1_5.3.0.exe");
    EXPECT_EQ(Run(), hostsuite::kIdOk);
    EXPECT_EQ(attempts, (std::vector<unsigned>{kTransferFailed, kTransferDone}));
    EXPECT_TRUE(Logged("WARNING KTDownload : Error with FTP connexion : can't find file : /maj/5.3.0/talvo_5.2.1_5.3.0.exe"));
    EXPECT_TRUE(Journaled("MJ_DWL_DU_11 : Problème: connexion FTP - find."));
    // The size pass met it first, at its proxy check, and stopped there.
    EXPECT_TRUE(Journaled("MJ_DWL_CFP_1a : Problème: proxy - InternetOpen."));
    EXPECT_TRUE(Logged("INFO KTDownload : DownloadUpdates : first try, FRACTIONNE"));
    EXPECT_NE(server->Log().find("[talvo] RETR " + server->Root().string() + "/maj77/5.3.0/talvo_5.2.1_5.3.0.exe completed=1"),
              std::string::npos);
    // The second attempt wrote the package afresh over the first attempt's file.
    EXPECT_EQ(ReadFile(UpdatePath("Update") / "talvo_5.2.1_5.3.0.exe"),
              ReadFile(server->Root() / "maj77" / "5.3.0" / "talvo_5.2.1_5.3.0.exe"));
}

TEST_F(InternetDownloadTest, AMissingFolderGivesSixAndThenTheSplitFolder) {
    StartServer();
    fs::remove_all(server->Root() / "maj" / "5.3.0");
    EXPECT_EQ(Run(), hostsuite::kIdOk);
    EXPECT_EQ(attempts, (std::vector<unsigned>{kNoFileNorFolder, kTransferDone}));
    EXPECT_TRUE(Logged("WARNING KTDownload : Error with FTP connexion : can't find directory : /maj/5.3.0"));

    // Without a postal code there is no split folder: the dialog ends, and
    // nothing is counted as a failed run.
    ctx.postalCode = "77";
    SetWorkstation("5.2.0");
    fs::remove(UpdatePath("files.xml"));
    platform::MachineValue("Software/Talvo/Talvo", "FailCount").WriteDword(2);
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_EQ(attempts, (std::vector<unsigned>{kNoFileNorFolder}));
    EXPECT_EQ(platform::MachineValue("Software/Talvo/Talvo", "FailCount").ReadDword(), 0u);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(InternetDownloadTest, NothingToFetchEndsWithoutError) {
    StartServer();
    tree.WriteFile("windows/sesam.ini", "[COMMUN]\n");
    SetWorkstation("5.4.0", "1.4.2026");
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_EQ(attempts, (std::vector<unsigned>{kNothingToFetch, kNothingToFetch}));
    EXPECT_TRUE(Journaled("MJ_DWL_DU : Il n’y a pas de mises à jour."));
    EXPECT_TRUE(Logged("INFO KTDownload : No new update to download/copy"));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(ctx.m_nDownloadStatus, 0);
}

TEST_F(InternetDownloadTest, NoServerAnswersAndTheUserGivesUp) {
    ctx.serverUrls = {"ftp://127.0.0.1:" + std::to_string(UnusedLoopbackPort()) + "/maj/"};
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    // The common folder, then the split folder: the user gives up each time.
    EXPECT_EQ(attempts, (std::vector<unsigned>{kTransferFailed, kTransferFailed}));
    EXPECT_EQ(handlesClosed, 2);
    EXPECT_EQ(ctx.m_nDownloadStatus, -2);
    EXPECT_TRUE(Shown("dialog 145 end 2 unscripted"));
    EXPECT_TRUE(Journaled("MJ_DWL_DU_0 : Problème: connexion."));
    EXPECT_TRUE(Logged("WARNING KTDownload : Connection problem"));
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(InternetDownloadTest, TheAccessParametersMustBeOnTheServer) {
    ctx.postalCode.clear();
    StartServer();
    fs::remove(server->Root() / "maj" / "ftpacs.bin");
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    // The proxy check opens the address first, anonymously.
    EXPECT_EQ(attempts, (std::vector<unsigned>{download::kProxyAddressRefused}));
    EXPECT_TRUE(Journaled("MJ_DWL_CFP_1a : Problème: proxy - InternetOpen."));
    EXPECT_TRUE(Shown("message id=- caption=\"Talvo\" style=0x10 flag=1 "
                      "text=\"Une erreur s'est produite lors de la connexion au serveur Talvo.\" -> ok unscripted"));
}

TEST_F(InternetDownloadTest, ALocalWriteFailureIsShownWithTheSystemError) {
    ctx.postalCode.clear();
    StartServer();
    fs::create_directories(UpdatePath("Temp"));
    fs::create_symlink("/dev/full", UpdatePath("Temp") / "sesam_pack.exe");
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_EQ(attempts, (std::vector<unsigned>{kTransferFailed}));
    EXPECT_TRUE(Logged("WARNING KTDownload : Write error during download"));
    EXPECT_TRUE(Journaled("MJ_DWL_DU_15 : Problème: écriture."));
    EXPECT_TRUE(Shown("message id=- caption=\"Erreur 28\" style=0x10 flag=1 text=\"No space left on device\" -> ok unscripted"));
}

TEST_F(InternetDownloadTest, ASlowTransferShowsItsSpeedAndTheTimeLeft) {
    UpdateServer::Options options;
    options.chain = {"5.2.0", "5.2.1"};
    options.packageSize = 24 * 1024;
    options.packSize = 8 * 1024;
    options.throttle = 8 * 1024;
    StartServer(options);
    EXPECT_EQ(Run(), hostsuite::kIdOk);
    std::string speed;
    std::string left;
    for (const std::string& line : Transcript()) {
        if (line.rfind("dialog 130 text 1029=", 0) == 0) speed = line;
        if (line.rfind("dialog 130 text 1028=", 0) == 0) left = line;
    }
    EXPECT_EQ(speed.rfind("dialog 130 text 1029=\"Vitesse : ", 0), 0u) << speed;
    EXPECT_NE(speed.find(" Ko/sec\""), std::string::npos) << speed;
    EXPECT_EQ(left.rfind("dialog 130 text 1028=\"Temps restant : ", 0), 0u) << left;
    EXPECT_NE(left.find(" de 32.0 Ko copiés)\""), std::string::npos) << left;
    EXPECT_TRUE(Shown("dialog 130 text 1023=\"24.0 Ko de 24.0 Ko\""));
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
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "message id=1105 caption=\"Erreur\" style=0x10 flag=1 text=\"Problème de la lecture de la "
                              "configuration.\\nImpossible de continuer la mise à jour.\" -> ok unscripted"}));

    // A silent run shows the dialog minimised and no box.
    ctx.bAtStart = 1;
    UseScript("");
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_EQ(shownState, hostsuite::ShowState::Minimised);
    EXPECT_TRUE(Messages().empty());
}

}  // namespace
}  // namespace kt::test
