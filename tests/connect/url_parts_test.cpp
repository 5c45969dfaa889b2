#include "connect/url_parts.h"

#include <gtest/gtest.h>

namespace kt::connect {
namespace {

TEST(SplitUrl, ServersPortsAndObjects) {
    auto parts = SplitUrl("ftp://maj.talvo.fr/maj/5.2/");
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->service, UrlService::kFtp);
    EXPECT_EQ(parts->server, "maj.talvo.fr");
    EXPECT_EQ(parts->port, 21);
    EXPECT_EQ(parts->object, "/maj/5.2/");

    parts = SplitUrl("FTP://user:pw@127.0.0.1:2121");
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->service, UrlService::kFtp);
    EXPECT_EQ(parts->server, "127.0.0.1");
    EXPECT_EQ(parts->port, 2121);
    EXPECT_EQ(parts->object, "/");

    parts = SplitUrl("http://[::1]:8080/x");
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->service, UrlService::kHttp);
    EXPECT_EQ(parts->server, "::1");
    EXPECT_EQ(parts->port, 8080);

    parts = SplitUrl("https://maj.talvo.fr/");
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->service, UrlService::kOther);
    EXPECT_EQ(parts->port, 443);
}

TEST(SplitUrl, WhatCannotBeSplit) {
    for (const char* address : {"", "maj.talvo.fr/maj", "ftp:/maj.talvo.fr", "ftp://", "ftp:///maj", "ftp://host:",
                                "ftp://host:0/", "ftp://host:65536/", "ftp://host:21x/", "ftp://[::1/",
                                "ftp://ma j/", "1ftp://host/"}) {
        EXPECT_FALSE(SplitUrl(address)) << address;
    }
}

}  // namespace
}  // namespace kt::connect
