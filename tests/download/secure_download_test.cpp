// Internet updates from servers that speak TLS (FTP with explicit TLS and
// HTTPS, with a certificate from an authority the test makes), and from
// catalogues signed by the publisher: what is fetched, what is refused and
// what the refusal leaves behind.
#include <cstdlib>

#include "download/transfers.h"
#include "download_fixture.h"
#include "platform/machine_values.h"
#include "support/test_authority.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;
using Attempts = std::vector<unsigned>;

void Ktsign(const std::string& arguments) {
    ASSERT_EQ(std::system((std::string(KT_KTSIGN) + " " + arguments + " 2>/dev/null").c_str()), 0) << arguments;
}

class SecureDownloadTest : public DownloadTest {
protected:
    // One attempt per run: no split folder to try after a refusal.
    SecureDownloadTest() { ctx.postalCode.clear(); }

    void TrustAuthorities(const std::string& file) {
        ASSERT_EQ(config::SetNodeData(config::AppIdPath(ctx), "Update", "Tls", nullptr, "CAFile", file.c_str()), 1);
    }
    void InstallKeys(const std::string& pem) { tree.WriteFile("app/catalogue_keys.pem", pem); }
    fs::path Catalogue() const { return server->Root() / "maj" / "versions.xml"; }

    TestAuthority authority;
};

TEST_F(SecureDownloadTest, SecureServersAnswerOnlyWithATrustedCertificate) {
    const struct {
        const char* protocol;   // the server's
        const char* scheme;     // the address's
        bool trusted;           // the authority named in appid.xml
        const char* journal;    // the refusal's code; none: the chain arrives
    } cases[] = {
        {"ftps", "ftps", true, nullptr},
        {"https", "https", true, nullptr},
        {"ftps", "ftps", false, "MJ_MAIN_IIC_12 : Certificat du serveur non reconnu !"},
        {"https", "https", false, "MJ_MAIN_IIC_12 : Certificat du serveur non reconnu !"},
        // A server without TLS is refused, not spoken to in clear.
        {"ftp", "ftps", true, "MJ_MAIN_IIC_13 : Connexion sécurisée impossible !"},
    };
    // The catalogue is signed, so the signature travels the secure way too.
    const std::string key = (tree / "publisher.key").string();
    const std::string pub = (tree / "publisher.pem").string();
    Ktsign("keygen " + key + " " + pub);
    InstallKeys(ReadFile(pub));
    for (const auto& each : cases) {
        SCOPED_TRACE(std::string(each.protocol) + " at " + each.scheme + (each.trusted ? ", trusted" : ""));
        Fresh();
        StartServer({.protocol = each.protocol, .certificate = authority.ServerCertificate(), .key = authority.ServerKey()});
        Ktsign("sign " + key + " " + Catalogue().string());
        ctx.serverUrls = {std::string(each.scheme) + server->BaseUrl().substr(server->BaseUrl().find(':'))};
        TrustAuthorities(each.trusted ? authority.Certificate().string() : "");

        if (each.journal == nullptr) {
            EXPECT_EQ(Run(), hostsuite::kIdOk);
            EXPECT_EQ(attempts, Attempts{download::kTransferDone});
            EXPECT_TRUE(PackagesArrived());
            EXPECT_TRUE(Journaled("MJ_DWL_DU : La mise à jour est terminée."));
            const bool http = std::string(each.protocol) == "https";
            EXPECT_TRUE(Journaled(std::string("MJ_MAIN_IIC : Un URL ") + (http ? "HTTP" : "FTP") + " est trouvé."));
            EXPECT_TRUE(Logged("INFO KTDownload : Signature of versions.xml verified"));
            continue;
        }
        EXPECT_EQ(Run(), hostsuite::kIdCancel);
        EXPECT_EQ(attempts, Attempts{download::kTransferFailed});
        EXPECT_TRUE(Journaled(each.journal));
        EXPECT_TRUE(Journaled("MJ_DWL_DU_0 : Problème: connexion."));
        EXPECT_TRUE(NothingFetched());
        EXPECT_EQ(server->Log().find("logged in"), std::string::npos);
    }
}

TEST_F(SecureDownloadTest, OnlyACatalogueSignedByATrustedKeyIsRead) {
    StartServer();
    std::map<std::string, std::string> publicKeys;
    for (const char* name : {"publisher", "former", "stranger"}) {
        Ktsign("keygen " + (tree / name).string() + ".key " + (tree / name).string() + ".pem");
        publicKeys[name] = ReadFile((tree / name).string() + ".pem");
    }
    const std::string original = ReadFile(Catalogue());
    const auto signWith = [&](const char* name) { Ktsign("sign " + (tree / name).string() + ".key " + Catalogue().string()); };
    const auto changeOneByte = [&] {
        std::string text = ReadFile(Catalogue());
        text[text.find("Continue=\"1\"") + 10] = '0';
        std::ofstream(Catalogue(), std::ios::binary | std::ios::trunc) << text;
    };
    const struct {
        const char* name;
        std::optional<std::string> keys;  // catalogue_keys.pem; none: not installed
        std::function<void()> publish;
        const char* refusal;  // the log's reason; none: the catalogue is read
    } cases[] = {
        {"no key installed", std::nullopt, [] {}, nullptr},
        {"a trusted key, the former one kept", publicKeys["former"] + publicKeys["publisher"],
         [&] { signWith("publisher"); }, nullptr},
        {"an untrusted key", publicKeys["publisher"], [&] { signWith("stranger"); }, "wrong signature"},
        {"unsigned", publicKeys["publisher"], [] {}, "no versions.xml.sig"},
        {"changed after signing", publicKeys["publisher"], [&] { signWith("publisher"); changeOneByte(); },
         "wrong signature"},
        // A damaged key file trusts nothing rather than everything.
        {"a damaged key file", publicKeys["publisher"].substr(0, 60), [&] { signWith("publisher"); },
         "no usable key in catalogue_keys.pem"},
    };
    const platform::MachineValue failCount("Software/Talvo/Talvo", "FailCount");
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        Fresh();
        fs::remove(Catalogue().string() + ".sig");
        std::ofstream(Catalogue(), std::ios::binary | std::ios::trunc) << original;
        fs::remove(tree / "app/catalogue_keys.pem");
        if (each.keys) InstallKeys(*each.keys);
        each.publish();
        ASSERT_TRUE(failCount.WriteDword(0));
        const std::size_t serverLogStart = server->Log().size();

        if (each.refusal == nullptr) {
            EXPECT_EQ(Run(), hostsuite::kIdOk);
            EXPECT_EQ(attempts, Attempts{download::kTransferDone});
            EXPECT_TRUE(PackagesArrived());
            continue;
        }
        EXPECT_EQ(Run(), hostsuite::kIdCancel);
        EXPECT_EQ(attempts, Attempts{download::kTransferFailed});
        EXPECT_TRUE(NothingFetched());
        EXPECT_EQ(server->Log().find(".exe", serverLogStart), std::string::npos);
        EXPECT_TRUE(Logged(std::string("WARNING KTDownload : versions.xml refused : ") + each.refusal));
        EXPECT_TRUE(Journaled("MJ_DWL_SIG_1 : Problème: signature de versions.xml."));
        EXPECT_FALSE(Journaled("MJ_DWL_DU : Il n’y a pas de mises à jour."));
        EXPECT_EQ(failCount.ReadDword(), 1u);
        EXPECT_TRUE(Shown("message id=- caption=\"Erreur\" style=0x10 flag=1 text=\"La liste des mises à jour du "
                          "serveur n'est pas signée par l'éditeur : aucune mise à jour n'est téléchargée.\" -> ok unscripted"));
    }
}

}  // namespace
}  // namespace kt::test
