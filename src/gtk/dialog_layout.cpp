#include "gtk/dialog_layout.h"

#include <algorithm>
#include <cstddef>
#include <string>

namespace kt::gtk {

namespace {

using hostsuite::Control;
using hostsuite::ControlKind;

constexpr int kMargin = 7;
constexpr int kContentWidth = 240;
constexpr int kGap = 4;
constexpr int kIndent = 8;
// A group box's caption line, above its first control.
constexpr int kGroupHead = 11;
constexpr int kButtonWidth = 56;
constexpr int kButtonHeight = 14;
constexpr int kLineHeight = 9;
// Characters of the dialog font in one line of `width` dialog units.
int CharactersPerLine(int width) { return std::max(1, width / 4); }

int TextLines(const std::string& text, int width) {
    int lines = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        const std::size_t length = (end == std::string::npos ? text.size() : end) - start;
        lines += 1 + static_cast<int>(length) / CharactersPerLine(width);
        if (end == std::string::npos) return lines;
        start = end + 1;
    }
}

int HeightOf(const Control& control, int width) {
    switch (control.kind) {
        case ControlKind::Push: return kButtonHeight;
        case ControlKind::Radio:
        case ControlKind::Check:
            return 10 + (control.description.empty() ? 0 : TextLines(control.description, width - 12) * kLineHeight);
        case ControlKind::Label: return TextLines(control.text, width) * kLineHeight;
        case ControlKind::Edit:
        case ControlKind::Combo: return 14;
        case ControlKind::List: return control.columns.empty() ? 60 : 90;
        case ControlKind::Progress: return 10;
        case ControlKind::Group: return kGroupHead;
    }
    return kLineHeight;
}

// The push buttons at the start and at the end of the list form the
// dialog's button row, outside every group box.
bool InButtonRow(const std::vector<Control>& controls, std::size_t index) {
    auto push = [&](std::size_t i) { return controls[i].kind == ControlKind::Push; };
    bool leading = true;
    for (std::size_t i = 0; i <= index && leading; ++i) leading = push(i);
    bool trailing = true;
    for (std::size_t i = index; i < controls.size() && trailing; ++i) trailing = push(i);
    return leading || trailing;
}

class Flow {
public:
    explicit Flow(DialogLayout& layout) : layout_(layout) {}

    void Place(const Control& control) {
        if (control.kind == ControlKind::Group) {
            CloseGroup();
            OpenGroup(control.id);
            return;
        }
        if (control.kind == ControlKind::Push && previousPush_ && rowX_ + kButtonWidth <= Right()) {
            Put(control.id, {rowX_, rowY_, kButtonWidth, kButtonHeight});
            rowX_ += kButtonWidth + kGap;
            return;
        }
        const int width = control.kind == ControlKind::Push ? kButtonWidth : Right() - Left();
        const int height = HeightOf(control, width);
        Put(control.id, {Left(), y_, width, height});
        previousPush_ = control.kind == ControlKind::Push;
        rowX_ = Left() + kButtonWidth + kGap;
        rowY_ = y_;
        y_ += height + kGap;
    }

    void PlaceButtonRow(const std::vector<const Control*>& buttons) {
        CloseGroup();
        if (buttons.empty()) return;
        y_ += kGap;
        const int count = static_cast<int>(buttons.size());
        // Narrower buttons when the row would not fit.
        const int width = std::min(kButtonWidth, (kContentWidth - (count - 1) * kGap) / count);
        int x = kMargin + kContentWidth - count * width - (count - 1) * kGap;
        for (const Control* button : buttons) {
            Put(button->id, {x, y_, width, kButtonHeight});
            x += width + kGap;
        }
        y_ += kButtonHeight + kGap;
    }

    void Finish() {
        CloseGroup();
        layout_.width = kContentWidth + 2 * kMargin;
        layout_.height = std::max(y_ - kGap, kMargin) + kMargin;
    }

private:
    int Left() const { return kMargin + (group_ >= 0 ? kIndent : 0); }
    int Right() const { return kMargin + kContentWidth - (group_ >= 0 ? kIndent : 0); }

    void Put(int id, Rect rect) { layout_.places.push_back({id, rect}); }

    void OpenGroup(int id) {
        group_ = static_cast<int>(layout_.places.size());
        Put(id, {kMargin, y_, kContentWidth, 0});
        y_ += kGroupHead;
        previousPush_ = false;
    }

    void CloseGroup() {
        if (group_ < 0) return;
        Rect& frame = layout_.places[static_cast<std::size_t>(group_)].rect;
        y_ += 2;
        frame.height = y_ - frame.y;
        y_ += kGap;
        group_ = -1;
        previousPush_ = false;
    }

    DialogLayout& layout_;
    int y_ = kMargin;
    // The open group box's place; -1 outside any.
    int group_ = -1;
    bool previousPush_ = false;
    int rowX_ = 0;
    int rowY_ = 0;
};

}  // namespace

DialogLayout LayoutDialog(const std::vector<Control>& controls) {
    DialogLayout layout;
    Flow flow(layout);
    std::vector<const Control*> buttons;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (InButtonRow(controls, i)) buttons.push_back(&controls[i]);
        else flow.Place(controls[i]);
    }
    flow.PlaceButtonRow(buttons);
    flow.Finish();
    // Back in the controls' order.
    std::vector<Placement> ordered;
    for (const Control& control : controls) {
        for (const Placement& place : layout.places) {
            if (place.id == control.id) {
                ordered.push_back(place);
                break;
            }
        }
    }
    layout.places = std::move(ordered);
    return layout;
}

Rect ToPixels(const Rect& dialogUnits, BaseUnit base) {
    auto across = [&](int units) { return (units * base.width + 2) / 4; };
    auto down = [&](int units) { return (units * base.height + 4) / 8; };
    return {across(dialogUnits.x), down(dialogUnits.y), across(dialogUnits.width), down(dialogUnits.height)};
}

}  // namespace kt::gtk
