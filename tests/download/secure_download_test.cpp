// Servers that speak TLS, certified by an authority the test makes, and catalogues signed by the publisher.

#include "download/transfers.h"
#include "download_fixture.h"
#include "platform/machine_values.h"
#include "support/test_authority.h"

namespace kt::test {
namespace {


void Ktsign(const std::string& arguments) {
    ASSERT_EQ(std::system((std::string(KT_KTSIGN) + " " + arguments + " 2>/dev/null").c_str()), 0) << arguments;
}

TEST_F(DownloadTest, OnlyATrustedServerAndACatalogueSignedByATrustedKeyAreRead) {
    ctx.postalCode.clear();  // one attempt per run: no split folder to try after a refusal
    TestAuthority authority;
    std::map<std::string, std::string> keys;
    for (const std::string name : {"publisher", "former", "stranger"})
        Ktsign("keygen " + (tree / name).string() + ".key " + (tree / name).string() + ".pem"), keys[name] = ReadFile(tree / (name + ".pem"));
    const auto catalogue = [this] { return server->Root() / "maj" / "versions.xml"; };
    const auto signWith = [&](const char* name) {
        return [&, name] { Ktsign("sign " + (tree / name).string() + ".key " + catalogue().string()); };
    };
    const std::string unsignedBox = "message id=- caption=\"Erreur\" style=0x10 flag=1 text=\"La liste des mises à jour du "
                                    "serveur n'est pas signée par l'éditeur : aucune mise à jour n'est téléchargée.\" -> ok unscripted";
    const char* untrusted = "MJ_MAIN_IIC_12 : Certificat du serveur non reconnu !";
    const char* badSignature = "MJ_DWL_SIG_1 : Problème: signature de versions.xml.";
    const struct {
        const char* what;
        const char *protocol, *scheme;  // the server's, the address's
        bool trusted;                   // the authority named in appid.xml
        std::string keys;               // catalogue_keys.pem
        std::function<void()> publish;
        const char* journal;            // the refusal; none: the chain arrives
        const char* refusal = nullptr;  // the log's reason for a refused signature
    } rows[] = {
        {"ftps", "ftps", "ftps", true, keys["publisher"], signWith("publisher"), nullptr},
        {"ftps untrusted", "ftps", "ftps", false, keys["publisher"], signWith("publisher"), untrusted},
        {"https untrusted", "https", "https", false, keys["publisher"], signWith("publisher"), untrusted},
        {"ftp at ftps", "ftp", "ftps", true, keys["publisher"], signWith("publisher"),
         "MJ_MAIN_IIC_13 : Connexion sécurisée impossible !"},
        {"a trusted key, the former one kept", "ftp", "ftp", true, keys["former"] + keys["publisher"],
         signWith("publisher"), nullptr},
        {"an untrusted key", "ftp", "ftp", true, keys["publisher"], signWith("stranger"), badSignature, "wrong signature"},
        {"unsigned", "ftp", "ftp", true, keys["publisher"], [] {}, badSignature, "no versions.xml.sig"},
        {"changed after signing", "ftp", "ftp", true, keys["publisher"], [&] {
             signWith("publisher")();
             std::string text = ReadFile(catalogue());
             std::ofstream(catalogue(), std::ios::trunc) << text.replace(text.find("Continue=\"1\"") + 10, 1, "0");
         },
         badSignature, "wrong signature"},
        {"a damaged key file", "ftp", "ftp", true, keys["publisher"].substr(0, 60), signWith("publisher"), badSignature,
         "no usable key in catalogue_keys.pem"},
    };
    const platform::MachineValue failCount("Software/Talvo/Talvo", "FailCount");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Fresh();
        StartServer({.protocol = row.protocol, .certificate = authority.ServerCertificate(), .key = authority.ServerKey()});
        ctx.serverUrls = {std::string(row.scheme) + server->BaseUrl().substr(server->BaseUrl().find(':'))};
        ASSERT_EQ(config::SetNodeData(config::AppIdPath(ctx), "Update", "Tls", nullptr, "CAFile",
                                      row.trusted ? authority.Certificate().c_str() : ""), 1);
        tree.WriteFile("app/catalogue_keys.pem", row.keys);
        row.publish();
        ASSERT_TRUE(failCount.WriteDword(0));

        const bool arrives = row.journal == nullptr;
        EXPECT_EQ((std::pair{Run(), attempts}), arrives ? std::pair(hostsuite::kIdOk, Attempts{download::kTransferDone})
                                                       : std::pair(hostsuite::kIdCancel, Attempts{download::kTransferFailed}));
        EXPECT_EQ(PackagesArrived(), arrives);
        if (arrives) continue;
        EXPECT_TRUE(Journaled(row.journal));
        EXPECT_FALSE(fs::exists(UpdatePath("Update")) || fs::exists(UpdatePath("Temp")) || fs::exists(UpdatePath("files.xml")));
        EXPECT_TRUE(row.refusal || server->Log().find("logged in") == std::string::npos);
        if (!row.refusal) continue;
        EXPECT_TRUE(Logged(std::string("WARNING KTDownload : versions.xml refused : ") + row.refusal));
        EXPECT_EQ(std::pair(failCount.ReadDword(), Shown(unsignedBox)), std::pair(std::optional(1u), true));
    }
}

// The server's certificate becomes one the workstation does not trust once the catalogue is read (the server
// swapped between catalogue and package): the package is a secure-connection failure, never fetched otherwise.
TEST_F(DownloadTest, ACertificateUntrustedAfterTheCatalogueFailsThePackage) {
    ctx.postalCode.clear();
    const TestAuthority authority, stranger;
    const fs::path certificate = tree / "server.pem", key = tree / "server.key";
    fs::copy_file(authority.ServerCertificate(), certificate);
    fs::copy_file(authority.ServerKey(), key);
    StartServer({.protocol = "https", .certificate = certificate, .key = key});
    ASSERT_EQ(config::SetNodeData(config::AppIdPath(ctx), "Update", "Tls", nullptr, "CAFile",
                                  authority.Certificate().c_str()), 1);
    services.packDecision = [&](const std::string&, int) {
        fs::copy_file(stranger.ServerCertificate(), certificate, fs::copy_options::overwrite_existing);
        fs::copy_file(stranger.ServerKey(), key, fs::copy_options::overwrite_existing);
        return 1;
    };
    EXPECT_EQ(std::pair(Run(), attempts), std::pair(hostsuite::kIdCancel, Attempts{download::kTransferFailed}));
    EXPECT_TRUE(Journaled("MJ_DWL_TLS_1 : Problème: certificat du serveur non reconnu."));
    const std::string root = server->Url("");
    EXPECT_TRUE(std::ranges::any_of(Log(), [&](const std::string& line) {
        return line.starts_with("WARNING KTDownload : Certificate not trusted for " + root + " : ");
    }));
    EXPECT_TRUE(Logged("INFO KTDownload : /maj/versions.xml : download starts"));
    EXPECT_EQ(std::ranges::count_if(Log(), [](const std::string& line) { return line.ends_with(" : download starts"); }), 1);
    EXPECT_FALSE(fs::exists(UpdatePath("Update")) || fs::exists(UpdatePath("files.xml")));
}

}  // namespace
}  // namespace kt::test
