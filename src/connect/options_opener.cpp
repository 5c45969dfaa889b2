#include "connect/options_opener.h"

#include "dialogs/options_dialog.h"

namespace kt::connect {

dialogs::OpenOptions OptionsOpener(const run::RunContext& ctx, InternetConnection& connection) {
    return [&ctx, &connection](hostsuite::Window parent) {
        dialogs::OptionsServices services{[&connection] { return connection.GetDialer().PhoneBookEntries(); }};
        dialogs::CKTUpdOptions options(ctx, parent, std::move(services));
        return hostsuite::ActivePresenter().RunDialog(options);
    };
}

}  // namespace kt::connect
