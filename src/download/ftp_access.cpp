#include "download/ftp_access.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "config/text_limit.h"
#include "log/activity_log.h"
#include "run/run_report.h"

namespace kt::download {
namespace {

// The servers publish ftpacs.bin scrambled with this key; changing it
// locks every workstation out of the server.
constexpr std::array<unsigned char, 9> kKey = {0x4B, 0x9E, 0x27, 0xD1, 0x6A, 0x05, 0xB3, 0x78, 0xE2};

std::string Scramble(std::string value) {
    for (std::size_t i = 0; i < value.size(); ++i) {
        value[i] = static_cast<char>(static_cast<unsigned char>(value[i]) ^ kKey[i % kKey.size()]);
    }
    return value;
}

void AppendRecord(std::string& content, const std::string& value) {
    const std::string kept = value.substr(0, kFtpAccessRecordMax);
    content.push_back(static_cast<char>(kept.size()));
    content += Scramble(kept);
}

}  // namespace

std::string ScrambleFtpAccess(const FtpAccess& access) {
    std::string content;
    AppendRecord(content, access.user);
    AppendRecord(content, access.password);
    return content;
}

FtpAccess UnscrambleFtpAccess(const std::string& content, std::size_t maxChars) {
    FtpAccess access;
    std::string* const values[] = {&access.user, &access.password};
    std::size_t at = 0;
    for (std::string* value : values) {
        if (at >= content.size()) break;
        const int length = static_cast<signed char>(content[at++]);
        if (length <= 0) break;
        const std::size_t available = std::min<std::size_t>(static_cast<std::size_t>(length), content.size() - at);
        *value = config::LimitChars(Scramble(content.substr(at, available)), maxChars);
        at += available;
        if (available < static_cast<std::size_t>(length)) break;
    }
    return access;
}

void GetFTPAccessParams(run::RunContext& ctx, const std::string& path, std::string& user, std::size_t userSize,
                        std::string& password, std::size_t passwordSize) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        run::Report(ctx, {el::Level::Warning, "KTDownload : Can't finf file " + path,
                          "MJ_DWL_GFAP_1 : Problème: connexion FTP - getparams.", run::LogSource::kDownload});
        return;
    }
    std::ifstream in(path, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Not even the first length byte: the file cannot be used.
    if (content.empty()) {
        run::Report(ctx, {el::Level::Warning, "KTDownload : Can't read file " + path,
                          "MJ_DWL_GFAP_2 : Problème: connexion FTP - readfile.", run::LogSource::kDownload});
        return;
    }
    const FtpAccess access = UnscrambleFtpAccess(content);
    user = config::LimitChars(access.user, userSize);
    password = config::LimitChars(access.password, passwordSize);
    KT_DLOG(Info) << "KTDownload : Get FTP params OK";
}

}  // namespace kt::download
