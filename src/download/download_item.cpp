#include "download/download_item.h"

namespace kt::download {
namespace {

const char* KindText(PackageKind kind) { return kind == PackageKind::kPackUpdate ? kSesamKind : kSesamAllKind; }

}  // namespace

std::string FormatDownloadItem(const DownloadItem& item) {
    std::string text = item.source + ';' + item.date + ';';
    if (item.kind == PackageKind::kVersionStep) {
        text += item.oldVersion + ';' + item.newVersion + ';' + item.canRestore + ';' + item.compatibility + ';' +
                item.continueFlag + ';';
    } else {
        const std::string kind = KindText(item.kind);
        const std::string& sixth = item.kind == PackageKind::kPackUpdate ? kind : item.noVerCheck;
        text += kind + ';' + kind + ';' + item.canRestore + ';' + sixth + ';';
    }
    return text + (item.added ? '1' : '0');
}

PackageFolder PackageFolder::OfRegion(const std::string& postalCode) {
    constexpr std::size_t kRegionCodeChars = 2;
    return PackageFolder{postalCode.substr(0, kRegionCodeChars)};
}

std::string PackageFolder::On(const std::string& base) const {
    if (base.empty()) return base;
    return base.substr(0, base.size() - 1) + regionCode + base.back();
}

}  // namespace kt::download
