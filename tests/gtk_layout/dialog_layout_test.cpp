// Where the desktop presenter puts each control, and how captions are marked.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "gtk/captions.h"
#include "gtk/dialog_layout.h"

namespace kt::gtk {
namespace {

using hostsuite::Control;
using hostsuite::ControlKind;

// Every control has one place inside the dialog (and inside the group it
// follows, buttons excepted), clear of the frame on every side, none
// overlapping but a group's frame; the edge buttons (the last `row` controls)
// share a bottom row below the rest, ending at the right margin.
TEST(DialogLayoutTest, EveryControlHasOnePlaceAndTheButtonsShareTheBottomRow) {
    const auto make = [](int id, ControlKind kind, std::string text = {}) {
        Control control;
        std::tie(control.id, control.kind, control.text) = std::tuple(id, kind, std::move(text));
        return control;
    };
    const auto inside = [](const Rect& in, const Rect& out) {
        return in.x > out.x && in.y > out.y && in.x + in.width < out.x + out.width && in.y + in.height < out.y + out.height;
    };
    const auto overlap = [](const Rect& a, const Rect& b) {
        return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
    };
    Control described = make(30, ControlKind::Check, "Partager");
    described.description = "Les autres postes\nprennent les mises à jour ici.";
    Control report = make(31, ControlKind::List);
    report.columns = {"Version", "Date"};
    const std::pair<std::vector<Control>, std::size_t> shapes[] = {
        {{make(100, ControlKind::Group, "Connexion"), make(20, ControlKind::Radio, "Directe"), make(21, ControlKind::Radio, "Proxy"),
          make(101, ControlKind::Group, "Proxy"), make(22, ControlKind::Label, "Erreur lors de l'établissement de la connexion, longue ligne"),
          make(23, ControlKind::Edit), described, report, make(24, ControlKind::Combo), make(25, ControlKind::Push, "Parcourir..."),
          make(27, ControlKind::Progress), make(1, ControlKind::Push, "Confirmer"), make(2, ControlKind::Push, "Annuler")}, 2},
        {{make(40, ControlKind::Label, "Choisir"), make(1, ControlKind::Push, "Commencer"), make(2, ControlKind::Push, "Fermer"),
          make(41, ControlKind::Push, "Options..."), make(42, ControlKind::Push, "Historique"), make(43, ControlKind::Push, "Aide")}, 5},
        {{}, 0},
    };
    for (const auto& [controls, row] : shapes) {
        SCOPED_TRACE(controls.size());
        const DialogLayout layout = LayoutDialog(controls);
        ASSERT_EQ(layout.places.size(), controls.size());
        EXPECT_TRUE(layout.width > 0 && layout.height > 0);
        const Rect* group = nullptr;
        int bottom = 0;
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const Rect& place = layout.places[i].rect;
            const bool framed = controls[i].kind == ControlKind::Group;
            EXPECT_EQ(layout.places[i].id, controls[i].id);
            EXPECT_TRUE(place.width > 0 && place.height > 0 && inside(place, {0, 0, layout.width, layout.height})) << controls[i].id;
            EXPECT_TRUE(framed || !group || controls[i].id <= 2 || inside(place, *group)) << controls[i].id;
            for (std::size_t j = 0; j < i; ++j) {
                const bool frames = framed || controls[j].kind == ControlKind::Group;
                EXPECT_FALSE(overlap(place, layout.places[j].rect) && (!frames || (framed && controls[j].kind == ControlKind::Group)))
                    << controls[i].id << " " << controls[j].id;
            }
            if (framed) group = &place;
            if (i + row < controls.size()) bottom = std::max(bottom, place.y + place.height);
        }
        for (std::size_t i = controls.size() - row; i < controls.size(); ++i) {
            EXPECT_TRUE(layout.places[i].rect.y == layout.places.back().rect.y && layout.places[i].rect.y > bottom) << controls[i].id;
        }
        EXPECT_TRUE(row == 0 || layout.width - (layout.places.back().rect.x + layout.places.back().rect.width) == 7) << "the margin";
    }
}

TEST(CaptionsTest, AccessKeysAreMarkedAsTheToolkitWantsThem) {
    const std::pair<const char*, const char*> cases[] = {
        {"&Options...", "_Options..."}, {"Sauver && quitter", "Sauver & quitter"}, {"mise_a_jour", "mise__a__jour"}, {"fin&", "fin&"}};
    for (const auto& [caption, marked] : cases) EXPECT_EQ(MnemonicCaption(caption), marked) << caption;
}

}  // namespace
}  // namespace kt::gtk
