// The answers given to an item that nobody answers: the one that changes
// the least.
#pragma once

#include "hostsuite/presenter.h"

namespace kt::hostsuite {

// No for Yes/No boxes, Cancel for boxes that have it, OK for OK-only boxes.
int SafeMessageAnswer(unsigned style);

// The second custom button.
inline constexpr int kSafeButtonsAnswer = kIdButton2;

}  // namespace kt::hostsuite
