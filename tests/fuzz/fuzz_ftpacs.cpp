// ftpacs.bin as the server publishes it: read, and the login it gives found again once scrambled.
#include "download/ftp_access.h"
#include "fuzz_support.h"

KT_FUZZ_HARNESS(input) {
    using namespace kt;
    run::RunContext& ctx = fuzz::FreshContext();
    const std::string path = fuzz::WriteTreeFile("tmp/ftpacs.bin", input);
    std::string user = "before";
    std::string password = "before";
    download::GetFTPAccessParams(ctx, path, user, download::kFtpAccessChars, password,
                                 download::kFtpAccessChars);

    const download::FtpAccess access = download::UnscrambleFtpAccess(std::string(input));
    if (access.user.size() > download::kFtpAccessRecordMax || access.password.size() > download::kFtpAccessRecordMax) {
        fuzz::Fail("a value longer than a record");
    }
    // An empty user name ends the file: the password after it is not read.
    if (access.user.empty()) return;
    const download::FtpAccess again = download::UnscrambleFtpAccess(download::ScrambleFtpAccess(access));
    if (again.user != access.user || again.password != access.password) fuzz::Fail("login changed by a round trip");
}
