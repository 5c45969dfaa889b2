#include "sesam/ccam_transfer.h"

#include <filesystem>
#include <utility>

#include "hostsuite/busy_cursor.h"
#include "hostsuite/message_box.h"
#include "log/activity_log.h"
#include "platform/atomic_file.h"
#include "platform/file_identity.h"
#include "platform/folder_tree.h"
#include "platform/private_profile.h"
#include "platform/private_temp_folder.h"
#include "sesam/sesam_folders.h"
#include "sesam/sesam_ini.h"
#include "strings/string_table.h"

namespace kt::sesam {
namespace {

namespace fs = std::filesystem;

constexpr int kCannotCopy = 1115;
constexpr int kCopyFailed = 1116;
constexpr std::array<const char*, 4> kNames{"ADM", "SSV", "SRT", "STS"};

std::array<std::string, 4> AsFolders(const TableSet& set) { return {set.common, set.ssv, set.srt, set.sts}; }

// The same folder reached twice: replacing the destination would delete the source.
bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code ec;
    return a.empty() || b.empty() || fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

}  // namespace

CcamTransfer::CcamTransfer(const run::RunContext& ctx, std::string ini, const TableSet& source,
                           const TableSet& destination, bool move)
    : ctx_(ctx), ini_(std::move(ini)), source_(AsFolders(source)), destination_(AsFolders(destination)), move_(move) {}

void CcamTransfer::Fail(int stringId) const {
    hostsuite::KtMessageBox(ctx_.ownerWindow, strings::LoadString(stringId), ctx_.appTitle,
                            hostsuite::kStyleErrorOk, 1, stringId);
}

bool CcamTransfer::Run() {
    for (std::size_t i = 0; i < source_.size(); ++i) {
        if (SameFolder(source_[i], destination_[i])) {
            KT_LOG(Error) << "CCAM tables : source and destination are the same folder " << source_[i];
            Fail(kCannotCopy);
            return false;
        }
    }
    const std::optional<std::string> root = platform::MakePrivateTempFolder("ktupdate-ccam-");
    if (!root || !CreateSesamFolder(*root)) {
        KT_LOG(Error) << "CCAM tables : can't create the backup folder";
        if (root) platform::DeleteFolder(*root);
        Fail(kCannotCopy);
        return false;
    }
    root_ = *root;
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        backup_[i] = SesamFolderIn(root_) + kNames[i];
        replaced_[i] = root_ + "/replaced/" + kNames[i];
    }
    hostsuite::BusyCursor busy;
    if (!MakeBackup()) {
        busy.Restore();
        platform::DeleteFolder(root_);
        Fail(kCannotCopy);
        return false;
    }
    std::optional<std::size_t> failed = Transfer();
    if (!failed && !PointIniAtDestination()) failed = source_.size() - 1;
    if (!failed) {
        platform::DeleteFolder(root_);
        busy.Restore();
        KT_LOG(Info) << "CCAM tables moved";
        return true;
    }
    const bool restored = Rollback(*failed);
    busy.Restore();
    Fail(restored ? kCannotCopy : kCopyFailed);
    if (restored) {
        platform::DeleteFolder(root_);
    } else {
        KT_LOG(Error) << "CCAM tables : rollback failed, the backup is kept in " << root_;
    }
    return false;
}

bool CcamTransfer::MakeBackup() {
    for (std::size_t i = 0; i < source_.size(); ++i) {
        if (const std::error_code ec = platform::CopyFolder(source_[i], backup_[i])) {
            KT_LOG(Error) << "CCAM tables : can't back up " << source_[i] << " : " << ec.message();
            return false;
        }
    }
    return true;
}

std::optional<std::size_t> CcamTransfer::Transfer() {
    for (std::size_t i = 0; i < source_.size(); ++i) {
        std::error_code ec;
        // A destination that exists is kept aside, so a rollback can put it back.
        if (fs::exists(destination_[i], ec)) {
            ec = platform::MoveFolder(destination_[i], replaced_[i]);
            setAside_[i] = !ec;
        }
        if (!ec) {
            written_[i] = true;
            ec = move_ ? platform::MoveFolder(source_[i], destination_[i])
                       : platform::CopyFolder(source_[i], destination_[i]);
        }
        if (ec) {
            KT_LOG(Error) << "CCAM tables : can't transfer " << source_[i] << " to " << destination_[i] << " : "
                          << ec.message();
            return i;
        }
    }
    return std::nullopt;
}

bool CcamTransfer::PointIniAtDestination() {
    const std::optional<platform::IdentifiedContent> before = platform::ReadIdentifiedFile(ini_);
    const bool written =
        platform::WritePrivateProfileString(kCommonSection, kWorkingDirKey, destination_[0], ini_) &&
        platform::WritePrivateProfileString(kSsvSection, kTableDirKey, destination_[1], ini_) &&
        platform::WritePrivateProfileString(kCommonSection, kTableDirKey, destination_[1], ini_) &&
        platform::WritePrivateProfileString(kSrtSection, kTableDirKey, destination_[2], ini_) &&
        platform::WritePrivateProfileString(kStsSection, kTableDirKey, destination_[3], ini_);
    if (written) return true;
    // A half-written sesam.ini would point the pack at two sets at once.
    KT_LOG(Error) << "CCAM tables : can't rewrite " << ini_;
    std::string failure;
    if (before) {
        if (const platform::SysStatus restored = platform::ReplaceFileAtomically(ini_, before->content); !restored)
            failure = restored.Error().Describe();
    } else if (std::error_code ec; !fs::remove(ini_, ec) && ec) {
        failure = ec.message();
    }
    if (!failure.empty()) KT_LOG(Error) << "CCAM tables : can't restore " << ini_ << " : " << failure;
    return false;
}

bool CcamTransfer::Rollback(std::size_t last) {
    bool restored = true;
    for (std::size_t i = 0; i <= last && restored; ++i) {
        // Copy mode never changed the sources, which others may be using.
        if (move_) restored = !platform::MoveFolder(backup_[i], source_[i]);
        if (restored && written_[i]) restored = !platform::DeleteFolder(destination_[i]);
        if (restored && setAside_[i]) restored = !platform::MoveFolder(replaced_[i], destination_[i]);
        if (!restored) KT_LOG(Error) << "CCAM tables : can't put back " << source_[i];
    }
    return restored;
}

}  // namespace kt::sesam
