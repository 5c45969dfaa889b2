#include "download/package_record.h"

#include <algorithm>

#include "config/decimal_text.h"

namespace kt::download {

bool HasAllFields(const std::string& text, const DownloadItem& item) {
    const auto separators = static_cast<std::size_t>(std::count(text.begin(), text.end(), ';'));
    return separators + 1 >= (IsSesamKind(item.oldVersion) ? 7u : 8u);
}

bool IsAlreadyRecorded(const DownloadItem& item) {
    return !item.added.empty() && config::DecimalValue(item.added) == 0;
}

void CarryContinue(DownloadItem& item, std::string& last) {
    if (IsSesamKind(item.oldVersion)) item.continueFlag = last;
    else last = item.continueFlag;
}

void RecordIfComplete(UpdateSearch& search, const DownloadItem& item) {
    if (item.oldVersion.empty() || item.newVersion.empty() || item.date.empty() || item.source.empty()) return;
    search.ProcessUpdate(item.oldVersion, item.newVersion, item.date, item.source, item.canRestore,
                         item.compatibility, item.continueFlag, item.added);
}

}  // namespace kt::download
