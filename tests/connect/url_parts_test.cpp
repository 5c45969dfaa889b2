#include "connect/url_parts.h"

#include <gtest/gtest.h>

namespace kt::connect {
namespace {

TEST(SplitUrl, ServersPortsAndObjects) {
    const struct {
        const char* address;
        UrlService service;
        bool secure;
        const char* server;
        int port;
        const char* object;
    } cases[] = {
        {"ftp://maj.talvo.fr/maj/5.2/", UrlService::kFtp, false, "maj.talvo.fr", 21, "/maj/5.2/"},
        {"FTP://user:pw@127.0.0.1:2121", UrlService::kFtp, false, "127.0.0.1", 2121, "/"},
        {"ftps://maj.talvo.fr/maj/", UrlService::kFtp, true, "maj.talvo.fr", 21, "/maj/"},
        {"http://[::1]:8080/x", UrlService::kHttp, false, "::1", 8080, "/x"},
        {"HTTPS://maj.talvo.fr/", UrlService::kHttp, true, "maj.talvo.fr", 443, "/"},
        {"sftp://maj.talvo.fr/", UrlService::kOther, false, "maj.talvo.fr", 0, "/"},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.address);
        const auto parts = SplitUrl(each.address);
        ASSERT_TRUE(parts);
        EXPECT_EQ(parts->service, each.service);
        EXPECT_EQ(parts->secure, each.secure);
        EXPECT_EQ(parts->server, each.server);
        EXPECT_EQ(parts->port, each.port);
        EXPECT_EQ(parts->object, each.object);
    }
    for (const char* address : {"", "maj.talvo.fr/maj", "ftp:/maj.talvo.fr", "ftp://", "ftp:///maj", "ftp://host:",
                                "ftp://host:0/", "ftp://host:65536/", "ftp://host:21x/", "ftp://[::1/", "ftp://ma j/", "1ftp://host/"}) {
        EXPECT_FALSE(SplitUrl(address)) << address;
    }
    // The root keeps the security of the address: a secure server is never
    // reached again in clear.
    EXPECT_EQ(ServerRoot(*SplitUrl("ftps://h/maj/")), "ftps://h:21");
    EXPECT_EQ(ServerRoot(*SplitUrl("https://[::1]/maj/")), "https://[::1]:443");
    EXPECT_EQ(ServerRoot(*SplitUrl("http://h:8080/")), "http://h:8080");
}

}  // namespace
}  // namespace kt::connect
