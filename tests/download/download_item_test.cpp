// The download item texts and the package names accepted from a catalogue.
#include <gtest/gtest.h>

#include "download/download_item.h"
#include "download/package_name_check.h"

namespace kt::download {
namespace {

TEST(DownloadItemTest, BothShapesReadBackFieldByField) {
    const std::string host = FormatVersionItem("ftp://h/maj/5.2/p.exe", "1.2.2026", "5.1", "5.2", "1", "0", "0", 0);
    EXPECT_EQ("ftp://h/maj/5.2/p.exe;1.2.2026;5.1;5.2;1;0;0;0", host);
    const DownloadItem hostItem = *ParseDownloadItem(host);
    EXPECT_EQ("5.1", hostItem.oldVersion);
    EXPECT_EQ("0", hostItem.continueFlag);
    EXPECT_EQ("0", hostItem.added);

    const std::string pack = FormatSesamItem("/patch/s/s.exe", "4.1.2026", kSesamAllKind, "1", "", 1);
    EXPECT_EQ("/patch/s/s.exe;4.1.2026;SesamAll;SesamAll;1;;1", pack);
    const DownloadItem packItem = *ParseDownloadItem("x;d;sesamall;SesamAll;1;;1");
    EXPECT_EQ("", packItem.continueFlag);
    EXPECT_EQ("1", packItem.added);
    EXPECT_EQ("", packItem.compatibility);

    EXPECT_FALSE(ParseDownloadItem("no separator"));
    EXPECT_EQ("", ParseDownloadItem("a;b")->added);
}

TEST(PackageNameCheckTest, OnlyPlainNamesAndContainedLocationsPass) {
    for (const char* name : {"p.exe", "maj 5.2.exe", "..x", "x.."}) EXPECT_TRUE(IsPlainFileName(name)) << name;
    for (const char* name : {"", ".", "..", "../x", "/etc/x", "a\\b", "C:x", "a;b", "a\tb", "a\x7f"}) {
        EXPECT_FALSE(IsPlainFileName(name)) << name;
    }
    for (const char* location : {"", "5.2", "sub/dir", "sub\\dir", "a/./b", "..x/y"}) {
        EXPECT_TRUE(IsContainedLocation(location)) << location;
    }
    for (const char* location : {"..", "a/../..", "a\\..\\b", "/etc", "\\share", "D:\\patch", "a;b", "a\nb"}) {
        EXPECT_FALSE(IsContainedLocation(location)) << location;
    }
    EXPECT_EQ("sub/dir/x", LocationPath("sub\\dir\\x"));
}

}  // namespace
}  // namespace kt::download
