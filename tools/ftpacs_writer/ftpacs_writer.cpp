// ftpacs_writer FILE USER PASSWORD
// Writes the FTP access parameters of an update server: the account the
// workstations log in with once they have fetched this file anonymously.
#include <cstdio>
#include <string>

#include "download/ftp_access.h"
#include "platform/atomic_file.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: ftpacs_writer FILE USER PASSWORD\n");
        return 2;
    }
    const kt::download::FtpAccess access{argv[2], argv[3]};
    if (access.user.size() > kt::download::kFtpAccessRecordMax ||
        access.password.size() > kt::download::kFtpAccessRecordMax) {
        std::fprintf(stderr, "ftpacs_writer: user and password hold at most %zu bytes each\n",
                     kt::download::kFtpAccessRecordMax);
        return 2;
    }
    const kt::platform::SysStatus written =
        kt::platform::ReplaceFileAtomically(argv[1], kt::download::ScrambleFtpAccess(access));
    if (!written) {
        std::fprintf(stderr, "ftpacs_writer: cannot write %s: %s\n", argv[1], written.Error().Describe().c_str());
        return 1;
    }
    return 0;
}
