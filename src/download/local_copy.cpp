#include "download/local_copy.h"

#include <filesystem>

#include "config/config_paths.h"
#include "strings/string_table.h"
#include "download/download_controls.h"
#include "download/download_messages.h"
#include "download/package_record.h"
#include "download/progress_text.h"
#include "hostsuite/message_box.h"
#include "log/activity_log.h"
#include "platform/open_below.h"

namespace kt::download {
namespace {

namespace fs = std::filesystem;

constexpr int kNoUpdateHere = 1074;
constexpr int kFileMissing = 1022;

class LocalCopy {
public:
    explicit LocalCopy(DownloadJob& job) : job_(job) {}

    int Run() {
        const std::string folder = job_.search.State().sourceList.empty() ? std::string()
                                                                          : job_.search.State().sourceList.front();
        const std::string versions = (fs::path(folder) / "versions.xml").string();
        std::error_code ec;
        if (!fs::exists(versions, ec)) {
            KT_DLOG(Warning) << "No versions.xml file found";
            ShowOnDialogThread(job_.dialog, job_.ctx.ownerWindow, strings::LoadString(kNoUpdateHere),
                               job_.ctx.appTitle, hostsuite::kStyleInfoOk, kNoUpdateHere);
            return hostsuite::kIdCancel;
        }
        job_.search.GetUpdatesList(versions, job_.list, PackageFolder{});
        if (job_.list.empty()) return hostsuite::kIdCancel;
        job_.dialog.SetRange(kOverallBar, 0, ProgressRange(TotalSize()));
        if (!CopyAll()) return hostsuite::kIdCancel;
        job_.dialog.SetShowState(hostsuite::ShowState::Normal);
        return hostsuite::kIdOk;
    }

private:
    // The sizes of the packages still to copy.
    std::uint64_t TotalSize() const {
        std::uint64_t total = 0;
        for (const DownloadItem& item : job_.list) {
            if (!item.added) continue;
            std::error_code ec;
            const auto size = fs::file_size(item.source, ec);
            if (!ec) total += size;
        }
        return total;
    }

    bool CopyAll() {
        DownloadItem previous;
        std::string lastContinue;
        for (;;) {
            if (!RecordIfComplete(job_.search, previous)) return false;
            if (job_.list.empty()) return true;
            DownloadItem item = job_.list.front();
            if (item.source.empty()) return Missing(item.source);
            job_.list.pop_front();
            CarryContinue(item, lastContinue);
            previous = item;
            if (!IsAlreadyRecorded(item)) {
                if (!CopyPackage(item.source, item.name)) return Missing(item.name);
                continue;
            }
            if (job_.list.empty()) return RecordIfComplete(job_.search, item);
        }
    }

    // Copies the package into Temp; false when it cannot be read or copied.
    bool CopyPackage(const std::string& source, const std::string& name) {
        const fs::path temp = config::UpdateFilePath(job_.ctx, "Temp");
        std::error_code ec;
        fs::create_directories(temp, ec);
        // A copy that failed would leave nothing to record and yet end with OK.
        // Both folders may be shared: a link planted in place of the package
        // or below the update folder is refused, never followed.
        const platform::SysStatus copied = platform::CopyFileBelow(
            fs::path(source).parent_path().string(), source, temp.parent_path().string(), (temp / name).string());
        if (!copied) {
            KT_DLOG(Warning) << "KTDownload : Can't copy " << source << " : " << copied.Error().Describe();
            return false;
        }
        const auto size = fs::file_size(source, ec);
        if (ec) return false;
        copied_ += size;
        job_.dialog.SetPosition(kOverallBar, ProgressPosition(copied_));
        return true;
    }

    bool Missing(const std::string& name) {
        ShowOnDialogThread(job_.dialog, job_.ctx.ownerWindow,
                           strings::FormatString(strings::LoadString(kFileMissing), {name}), job_.ctx.appTitle,
                           hostsuite::kStyleErrorOk, kFileMissing);
        return false;
    }

    DownloadJob& job_;
    std::uint64_t copied_ = 0;
};

}  // namespace

int CopyLocalUpdates(DownloadJob& job) { return LocalCopy(job).Run(); }

}  // namespace kt::download
