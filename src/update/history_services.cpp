#include "update/history_services.h"

#include <utility>

#include "update/install_updates.h"

namespace kt::update {

dialogs::HistoryServices MakeHistoryServices(run::RunContext& ctx, std::function<void()> endOwnerWithoutSaving) {
    dialogs::HistoryServices services;
    // A failed start was already reported to the user (message 1027).
    services.startUninstall = [&ctx](int sesam) { (void)StartUninstall(ctx, sesam); };
    services.endOwnerWithoutSaving = std::move(endOwnerWithoutSaving);
    return services;
}

}  // namespace kt::update
