// The no-connection dialog shown after a failed connection check: retry
// ("OK"), give up ("Annuler"), or open the options to change the connection
// settings ("Paramétrer...") and then choose.
#pragma once

#include <functional>

#include "hostsuite/dialog_model.h"
#include "run/run_context.h"

namespace kt::dialogs {

// Shows the options dialog modally, owned by `parent`; returns its result.
using OpenOptions = std::function<int(hostsuite::Window parent)>;

class CKTMessageBox : public hostsuite::DialogModel {
public:
    static constexpr int kResourceId = 145;
    static constexpr int kSettingsButton = 1037;
    static constexpr int kErrorText = 1038;
    static constexpr int kRetryText = 1102;
    static constexpr int kSettingsText = 1103;
    static constexpr int kBackgroundImage = 692;

    CKTMessageBox(const run::RunContext& ctx, OpenOptions openOptions);

protected:
    bool OnInitDialog() override;
    int OnEraseBackground(hostsuite::DeviceContext dc) override;
    void OnDestroy() override;

private:
    const run::RunContext& ctx_;
    OpenOptions openOptions_;
};

}  // namespace kt::dialogs
