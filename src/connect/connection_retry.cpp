#include "connect/connection_retry.h"

namespace kt::connect {

int CheckConnectionWithRetry(InternetConnection& connection, const run::RunContext& ctx,
                             const std::list<std::string>& urls, std::string* found,
                             const dialogs::OpenOptions& openOptions) {
    while (connection.IsInternetConnection(urls, found) == 0) {
        dialogs::CKTMessageBox noConnection(ctx, openOptions);
        if (hostsuite::ActivePresenter().RunDialog(noConnection) == hostsuite::kIdCancel) return 0;
    }
    return 1;
}

}  // namespace kt::connect
