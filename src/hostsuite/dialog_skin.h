// The host suite's dialog skin: the painted background of a skinned dialog
// and its release when the dialog goes away.
#pragma once

#include <optional>

#include "hostsuite/presenter.h"

namespace kt::hostsuite {

// Where a dialog paints; presenters without a drawing surface pass their own
// token.
using DeviceContext = void*;

// Paints the dialog's background with image `imageId`; non-zero when it was
// painted. A dialog's erase-background handler returns this unchanged.
int PaintDialogBackground(Window dialog, DeviceContext dc, int imageId);

// Forgets the skin of the dialog; called while the dialog is destroyed.
void ReleaseDialogSkin(Window dialog);

// The background image a dialog painted last, while its skin is held.
std::optional<int> DialogBackgroundImage(Window dialog);

}  // namespace kt::hostsuite
