// Where each control of a dialog goes, in dialog units, and how dialog units
// become pixels. Dialog units follow the dialog's font: four per character
// width horizontally, eight per character height vertically; the windows use
// one fixed font, so one fixed base unit.
#pragma once

#include <vector>

#include "hostsuite/control.h"

namespace kt::gtk {

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const Rect&) const = default;
};

struct Placement {
    int id = 0;
    Rect rect;
};

struct DialogLayout {
    int width = 0;
    int height = 0;
    // One per control, in the order the controls were added; group boxes
    // enclose the controls that follow them up to the next group box.
    std::vector<Placement> places;
};

DialogLayout LayoutDialog(const std::vector<hostsuite::Control>& controls);

// The size of a character of the dialog's font, in pixels.
struct BaseUnit {
    int width = 7;
    int height = 15;
};

Rect ToPixels(const Rect& dialogUnits, BaseUnit base = {});

}  // namespace kt::gtk
