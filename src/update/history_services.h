// The services the roof gives the history dialog: the installer hand-over in
// uninstall mode, and the end of the dialog that opened it.
#pragma once

#include <functional>

#include "dialogs/history_services.h"
#include "run/run_context.h"

namespace kt::update {

// `endOwnerWithoutSaving` ends the owner's dialog as a cancel (the main
// dialog does this on its close message).
dialogs::HistoryServices MakeHistoryServices(run::RunContext& ctx, std::function<void()> endOwnerWithoutSaving);

}  // namespace kt::update
