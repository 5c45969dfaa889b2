// ftpacs.bin as the server publishes it: the reader of the fetched file, and
// that reading what it gives back scrambled again finds the same login.
#include "download/ftp_access.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kt;
    fuzz::FreshTree();
    run::RunContext ctx;
    fuzz::FillContext(ctx);
    const std::string path = fuzz::WriteTreeFile("tmp/ftpacs.bin", fuzz::AsText(data, size));
    std::string user = "before";
    std::string password = "before";
    download::GetFTPAccessParams(ctx, path, user, download::kFtpAccessChars, password,
                                 download::kFtpAccessChars);

    const download::FtpAccess access = download::UnscrambleFtpAccess(std::string(fuzz::AsText(data, size)));
    if (access.user.size() > download::kFtpAccessRecordMax || access.password.size() > download::kFtpAccessRecordMax) {
        fuzz::Fail("a value longer than a record");
    }
    // An empty user name ends the file: the password after it is not read.
    if (access.user.empty()) return 0;
    const download::FtpAccess again = download::UnscrambleFtpAccess(download::ScrambleFtpAccess(access));
    if (again.user != access.user || again.password != access.password) fuzz::Fail("login changed by a round trip");
    return 0;
}
