#include "connect/connection_retry.h"

#include "connect/options_opener.h"

namespace kt::connect {

int CheckConnectionWithRetry(InternetConnection& connection, const run::RunContext& ctx,
                             const std::list<std::string>& urls, std::string* found,
                             const dialogs::OpenOptions& openOptions) {
    const dialogs::OpenOptions opener = openOptions ? openOptions : OptionsOpener(ctx, connection);
    while (connection.IsInternetConnection(urls, found) == 0) {
        dialogs::CKTMessageBox noConnection(ctx, opener);
        if (hostsuite::ActivePresenter().RunDialog(noConnection) == hostsuite::kIdCancel) return 0;
    }
    return 1;
}

}  // namespace kt::connect
