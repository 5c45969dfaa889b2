// The catalogue search over versions.xml as the server sends it, with this workstation's state file and files.xml
// as the shared folder holds them. Input: one flag byte, then versions.xml, SEP, the state file, SEP, files.xml.
// Every item the search lists must split back into its fields and name a plain file.
#include "download/download_item.h"
#include "download/package_name_check.h"
#include "download/update_search.h"
#include "fuzz_support.h"

namespace {

enum Flag : unsigned {
    kPackInstalled = 1, kAnswerNo = 2, kLocalSource = 4, kSplit = 8, kCritical = 16, kNetwork = 32, kPackNeeded = 64
};

}  // namespace

KT_FUZZ_HARNESS(input) {
    using namespace kt;
    if (input.empty()) return;
    const unsigned flags = static_cast<unsigned char>(input[0]);
    const std::vector<std::string_view> files = fuzz::SplitInput(input.substr(1));
    run::RunContext& ctx = fuzz::FreshContext();
    fuzz::SetAnswerNo(flags & kAnswerNo);
    ctx.serverUrls = {"ftp://127.0.0.1:2121/maj/"};
    ctx.bCritical = (flags & kCritical) != 0;
    fuzz::WriteTreeFile("app/appid.xml", std::string("<?xml version=\"1.0\"?>\n<Workstation GUID=\"") +
                                             fuzz::kOwnGuid + "\"><Update Network=\"" + (flags & kNetwork ? "1" : "0") +
                                             "\"/></Workstation>\n");
    if (flags & kPackInstalled) fuzz::WriteTreeFile("windows/sesam.ini", "[COMMUN]\n");
    const std::string versions = fuzz::WriteTreeFile("tmp/versions.xml", files[0]);
    if (files.size() > 1) fuzz::WriteTreeFile(std::string("UpdateInfo/") + fuzz::kOwnGuid + ".xml", files[1]);
    if (files.size() > 2) fuzz::WriteTreeFile("UpdateInfo/files.xml", files[2]);

    const auto mode = (flags & kLocalSource) ? download::SourceMode::kLocal : download::SourceMode::kInternet;
    const int packAnswer = (flags & kPackNeeded) ? 1 : 0;
    download::UpdateSearch search(ctx, mode, ctx.appDir,
                                  [packAnswer](const std::string&, int probeOnly) { return probeOnly ? 1 : packAnswer; });
    search.State().baseAddress = "ftp://127.0.0.1:2121/maj/";
    download::DownloadList list;
    const download::PackageFolder folder =
        (flags & kSplit) ? download::PackageFolder::OfRegion("77") : download::PackageFolder{};
    static_cast<void>(search.GetUpdatesList(versions, list, folder));
    for (const download::DownloadItem& item : list) {
        const std::string text = download::FormatDownloadItem(item);
        for (const std::string* field : {&item.date, &item.oldVersion, &item.newVersion, &item.canRestore,
                                         &item.compatibility, &item.continueFlag}) {
            if (!download::IsItemField(*field)) fuzz::Fail("unsafe field in item: " + text);
        }
        if (!download::IsPlainFileName(item.name)) fuzz::Fail("item names no plain file: " + text);
        if (item.source.substr(item.source.find_last_of('/') + 1) != item.name) fuzz::Fail("item fetched under another name: " + text);
    }
}
