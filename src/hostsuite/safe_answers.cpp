#include "hostsuite/safe_answers.h"

namespace kt::hostsuite {

namespace {

// The button-set part of a message-box style.
enum ButtonSet : unsigned {
    kOk = 0x0,
    kOkCancel = 0x1,
    kAbortRetryIgnore = 0x2,
    kYesNoCancel = 0x3,
    kYesNo = 0x4,
    kRetryCancel = 0x5,
    kCancelTryContinue = 0x6,
};

constexpr int kIdAbort = 3;

}  // namespace

int SafeMessageAnswer(unsigned style) {
    switch (style & 0xFu) {
        case kYesNo: return kIdNo;
        case kOkCancel:
        case kYesNoCancel:
        case kRetryCancel:
        case kCancelTryContinue: return kIdCancel;
        case kAbortRetryIgnore: return kIdAbort;
        case kOk:
        default: return kIdOk;
    }
}

}  // namespace kt::hostsuite
