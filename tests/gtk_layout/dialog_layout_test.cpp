// Where the desktop presenter puts each control, and how captions are marked.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <tuple>

#include "gtk/captions.h"
#include "gtk/dialog_layout.h"

namespace kt::gtk {
namespace {

using hostsuite::Control;
using hostsuite::ControlKind;

Control Make(int id, ControlKind kind, std::string text = {}) {
    Control control;
    std::tie(control.id, control.kind, control.text) = std::tuple(id, kind, std::move(text));
    return control;
}

bool Inside(const Rect& in, const Rect& out) {
    return in.x >= out.x && in.y >= out.y && in.x + in.width <= out.x + out.width && in.y + in.height <= out.y + out.height;
}

// Every control has one place inside the dialog (and inside the group it
// follows, buttons excepted), none overlapping but a group's frame; the edge
// buttons (`row`, indices) share a bottom row below the rest, ending at the right margin.
TEST(DialogLayoutTest, EveryControlHasOnePlaceAndTheButtonsShareTheBottomRow) {
    const auto overlap = [](const Rect& a, const Rect& b) {
        return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
    };
    Control described = Make(30, ControlKind::Check, "Partager");
    described.description = "Les autres postes\nprennent les mises à jour ici.";
    Control report = Make(31, ControlKind::List);
    report.columns = {"Version", "Date"};
    const auto push = [](int id, const char* text) { return Make(id, ControlKind::Push, text); };
    const std::pair<std::vector<Control>, std::vector<std::size_t>> shapes[] = {
        {{Make(100, ControlKind::Group, "Connexion"), Make(20, ControlKind::Radio, "Directe"), Make(21, ControlKind::Radio, "Proxy"),
          Make(101, ControlKind::Group, "Proxy"), Make(22, ControlKind::Label, "Erreur lors de l'établissement de la connexion, longue ligne"),
          Make(23, ControlKind::Edit), described, report, Make(24, ControlKind::Combo), push(25, "Parcourir..."), push(26, "Tester"),
          Make(27, ControlKind::Progress), push(1, "Confirmer"), push(2, "Annuler")},
         {12, 13}},
        {{}, {}},
        {{Make(40, ControlKind::Label, "Choisir"), push(1, "Commencer"), push(2, "Fermer"), push(41, "Options..."), push(42, "Historique"),
          push(43, "Aide"), push(44, "Journal")}, {1, 2, 3, 4, 5, 6}},
    };
    for (const auto& [controls, row] : shapes) {
        SCOPED_TRACE(controls.size());
        const DialogLayout layout = LayoutDialog(controls);
        ASSERT_EQ(layout.places.size(), controls.size());
        const Rect dialog{0, 0, layout.width, layout.height};
        EXPECT_TRUE(layout.width > 0 && layout.height > 0);
        std::optional<Rect> group;
        int bottom = 0;
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const Placement& place = layout.places[i];
            if (controls[i].kind == ControlKind::Group) {
                EXPECT_FALSE(group && overlap(*group, place.rect)) << place.id;
                group = place.rect;
            } else if (group && place.id > 2) {
                EXPECT_TRUE(Inside(place.rect, *group)) << place.id;
            }
            if (controls[i].kind != ControlKind::Push) bottom = std::max(bottom, place.rect.y + place.rect.height);
            EXPECT_EQ(place.id, controls[i].id);
            EXPECT_TRUE(place.rect.width > 0 && place.rect.height > 0 && Inside(place.rect, dialog)) << place.id;
            for (std::size_t j = 0; j < i; ++j) {
                const bool framed = controls[i].kind == ControlKind::Group || controls[j].kind == ControlKind::Group;
                EXPECT_FALSE(!framed && overlap(place.rect, layout.places[j].rect)) << place.id << " " << layout.places[j].id;
            }
        }
        if (row.empty()) continue;
        const Rect last = layout.places[row.back()].rect;
        EXPECT_EQ(layout.width - (last.x + last.width), 7) << "the dialog's margin";
        for (std::size_t index : row) EXPECT_TRUE(layout.places[index].rect.y == last.y && last.y > bottom) << controls[index].id;
    }
}

TEST(CaptionsTest, AccessKeysAreMarkedAsTheToolkitWantsThem) {
    const std::pair<const char*, const char*> cases[] = {
        {"&Options...", "_Options..."}, {"Sauver && quitter", "Sauver & quitter"}, {"mise_a_jour", "mise__a__jour"}, {"fin&", "fin&"}};
    for (const auto& [caption, marked] : cases) EXPECT_EQ(MnemonicCaption(caption), marked) << caption;
}

}  // namespace
}  // namespace kt::gtk
