// The password dialog: asks for the dial-up connection password when the
// phone book holds none.
#pragma once

#include <cstddef>
#include <string>

#include "hostsuite/dialog_model.h"

namespace kt::dialogs {

class CKTPassword : public hostsuite::DialogModel {
public:
    static constexpr int kResourceId = 135;
    static constexpr int kPasswordEdit = 1030;
    static constexpr int kPromptText = 65534;
    static constexpr int kPromptText2 = 65535;
    // The dial parameters hold no longer password.
    static constexpr std::size_t kMaxPasswordLength = 256;

    CKTPassword();

    // The typed password, once the dialog ended with OK.
    const std::string& Password() const { return password_; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    std::string password_;
};

}  // namespace kt::dialogs
