#include "update/installer_record.h"

#include <algorithm>
#include <cstring>

#include "platform/little_endian.h"

namespace kt::update {
namespace {

void PutText(unsigned char* field, std::size_t size, const std::string& text) {
    std::size_t length = std::min(text.size(), size - 1);
    if (length < text.size()) {
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    }
    std::memcpy(field, text.data(), length);
    field[length] = 0;
}

void PutInt(unsigned char* at, std::int32_t value) { platform::WriteLe32(at, static_cast<std::uint32_t>(value)); }

}  // namespace

void WriteInstallerRecord(unsigned char* block, const InstallerRecord& record) {
    PutInt(block + kModeAt, record.mode);
    platform::WriteLe32(block + kHostProcessIdAt, record.hostProcessId);
    PutText(block + kTitleAt, kTitleSize, record.title);
    PutText(block + kAppDirAt, kFolderSize, record.appDir);
    PutText(block + kUpdateDirAt, kFolderSize, record.updateDir);
    PutText(block + kDataDirAt, kFolderSize, record.dataDir);
    platform::WriteLe32(block + kOwnerWindowAt, record.ownerWindow);
    PutText(block + kHostProgramAt, kFolderSize, record.hostProgram);
    PutInt(block + kFirstArgumentAt, record.firstArgument);
    PutInt(block + kSecondArgumentAt, record.secondArgument);
    PutInt(block + kSesamPendingAt, 0);
    if (record.sesamPack != nullptr) {
        const auto& pack = record.sesamPack->Bytes();
        std::copy(pack.begin(), pack.end(), block + kSesamPackAt);
    }
}

}  // namespace kt::update
