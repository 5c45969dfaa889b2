#include "download/download_item.h"

#include <strings.h>

#include <vector>

namespace kt::download {
namespace {

std::string Join(const std::vector<const std::string*>& fields, int added) {
    std::string item;
    for (const std::string* field : fields) {
        item += *field;
        item += ';';
    }
    item += added ? '1' : '0';
    return item;
}

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type end = text.find(';', start);
        fields.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return fields;
        start = end + 1;
    }
}

}  // namespace

std::string FormatVersionItem(const std::string& source, const std::string& date, const std::string& oldVersion,
                              const std::string& newVersion, const std::string& canRestore,
                              const std::string& compatibility, const std::string& continueFlag, int added) {
    return Join({&source, &date, &oldVersion, &newVersion, &canRestore, &compatibility, &continueFlag}, added);
}

std::string FormatSesamItem(const std::string& source, const std::string& date, const std::string& kind,
                            const std::string& canRestore, const std::string& sixth, int added) {
    return Join({&source, &date, &kind, &kind, &canRestore, &sixth}, added);
}

bool IsSesamKind(const std::string& oldVersionField) {
    return strcasecmp(oldVersionField.c_str(), kSesamKind) == 0 ||
           strcasecmp(oldVersionField.c_str(), kSesamAllKind) == 0;
}

std::optional<DownloadItem> ParseDownloadItem(const std::string& text) {
    if (text.find(';') == std::string::npos) return std::nullopt;
    std::vector<std::string> fields = Split(text);
    fields.resize(8);
    DownloadItem item{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6], fields[7]};
    if (IsSesamKind(item.oldVersion)) {
        item.added = item.continueFlag;
        item.continueFlag.clear();
    }
    return item;
}

}  // namespace kt::download
