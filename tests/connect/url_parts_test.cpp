#include "connect/url_parts.h"

#include <gtest/gtest.h>

namespace kt::connect {
namespace {

TEST(SplitUrl, ServersPortsAndObjects) {
    const struct {
        const char* address;
        UrlService service;
        const char* server;
        int port;
        const char* object;
    } cases[] = {
        {"ftp://maj.talvo.fr/maj/5.2/", UrlService::kFtp, "maj.talvo.fr", 21, "/maj/5.2/"},
        {"FTP://user:pw@127.0.0.1:2121", UrlService::kFtp, "127.0.0.1", 2121, "/"},
        {"http://[::1]:8080/x", UrlService::kHttp, "::1", 8080, "/x"},
        {"https://maj.talvo.fr/", UrlService::kOther, "maj.talvo.fr", 443, "/"},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.address);
        const auto parts = SplitUrl(each.address);
        ASSERT_TRUE(parts);
        EXPECT_EQ(parts->service, each.service);
        EXPECT_EQ(parts->server, each.server);
        EXPECT_EQ(parts->port, each.port);
        EXPECT_EQ(parts->object, each.object);
    }
    for (const char* address : {"", "maj.talvo.fr/maj", "ftp:/maj.talvo.fr", "ftp://", "ftp:///maj", "ftp://host:",
                                "ftp://host:0/", "ftp://host:65536/", "ftp://host:21x/", "ftp://[::1/", "ftp://ma j/", "1ftp://host/"}) {
        EXPECT_FALSE(SplitUrl(address)) << address;
    }
}

}  // namespace
}  // namespace kt::connect
