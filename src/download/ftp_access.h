// ftpacs.bin, the login of the update server's FTP account, published in the
// server's base folder and fetched anonymously: records of one signed length
// byte and that many bytes, scrambled with the module's 9-byte key. Record 1
// is the user name, record 2 the password.
#pragma once

#include <cstddef>
#include <string>

#include "run/run_context.h"

namespace kt::download {

inline constexpr const char* kFtpAccessName = "ftpacs.bin";
// Longest user name and password kept, in characters.
inline constexpr std::size_t kFtpAccessChars = 128;
// Longest value a record can carry.
inline constexpr std::size_t kFtpAccessRecordMax = 127;

struct FtpAccess {
    std::string user;
    std::string password;
};

// The file's content for `access`; a value longer than a record can carry
// is cut.
std::string ScrambleFtpAccess(const FtpAccess& access);

// The values `content` holds. A length of 0, a negative length or a record
// cut short ends the file: the value being read keeps what was there, the
// values after it stay empty. Each value is cut to `maxChars` characters.
FtpAccess UnscrambleFtpAccess(const std::string& content, std::size_t maxChars = kFtpAccessChars);

// Reads the login from the fetched file at `path` into `user` and `password`,
// each cut to its size in characters; logs and journals a
// file that is missing or cannot be read, and leaves the values unchanged then.
void GetFTPAccessParams(run::RunContext& ctx, const std::string& path, std::string& user, std::size_t userSize,
                        std::string& password, std::size_t passwordSize);

}  // namespace kt::download
