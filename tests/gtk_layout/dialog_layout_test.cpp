#include <gtest/gtest.h>

#include <optional>

#include "gtk/captions.h"
#include "gtk/dialog_layout.h"

namespace kt::gtk {
namespace {

using hostsuite::Control;
using hostsuite::ControlKind;

Control Make(int id, ControlKind kind, std::string text = {}) {
    Control control;
    control.id = id;
    control.kind = kind;
    control.text = std::move(text);
    return control;
}

bool Inside(const Rect& inner, const Rect& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

bool Overlap(const Rect& a, const Rect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

struct Shape {
    const char* name;
    std::vector<Control> controls;
};

std::vector<Shape> Shapes() {
    Control described = Make(30, ControlKind::Check, "Partager");
    described.description = "Les autres postes\nprennent les mises à jour ici.";
    Control report = Make(31, ControlKind::List);
    report.columns = {"Version", "Date"};
    return {
        {"buttons first, then texts",
         {Make(1, ControlKind::Push, "OK"), Make(2, ControlKind::Push, "Annuler"), Make(3, ControlKind::Push, "Paramétrer..."),
          Make(10, ControlKind::Label, "Erreur lors de l'établissement de la connexion internet, longue ligne à couper."),
          Make(11, ControlKind::Label, "Cliquez sur OK")}},
        {"groups with every kind, a button inside, buttons last",
         {Make(100, ControlKind::Group, "Connexion"), Make(20, ControlKind::Radio, "Directe"),
          Make(21, ControlKind::Radio, "Proxy"), Make(101, ControlKind::Group, "Proxy"),
          Make(22, ControlKind::Label, "Serveur"), Make(23, ControlKind::Edit), described, report,
          Make(24, ControlKind::Combo), Make(25, ControlKind::Push, "Parcourir..."), Make(26, ControlKind::Push, "Tester"),
          Make(27, ControlKind::Progress), Make(1, ControlKind::Push, "Confirmer"), Make(2, ControlKind::Push, "Annuler")}},
        {"no controls", {}},
        {"more buttons than fit at full width",
         {Make(40, ControlKind::Label, "Choisir"), Make(1, ControlKind::Push, "Commencer"), Make(2, ControlKind::Push, "Fermer"),
          Make(41, ControlKind::Push, "Options..."), Make(42, ControlKind::Push, "Historique"),
          Make(43, ControlKind::Push, "Aide"), Make(44, ControlKind::Push, "Journal")}},
    };
}

// Every control has one place inside the dialog (and inside the group it
// follows, buttons excepted), none overlapping but a group's frame.
TEST(DialogLayoutTest, EveryControlHasOnePlaceInsideTheDialogAndNoneOverlap) {
    for (const Shape& shape : Shapes()) {
        SCOPED_TRACE(shape.name);
        const DialogLayout layout = LayoutDialog(shape.controls);
        ASSERT_EQ(layout.places.size(), shape.controls.size());
        const Rect dialog{0, 0, layout.width, layout.height};
        EXPECT_GT(layout.width, 0);
        EXPECT_GT(layout.height, 0);
        std::optional<Rect> group;
        for (std::size_t i = 0; i < shape.controls.size(); ++i) {
            const Placement& place = layout.places[i];
            if (shape.controls[i].kind == ControlKind::Group) {
                EXPECT_FALSE(group && Overlap(*group, place.rect)) << place.id;
                group = place.rect;
            } else if (group && place.id > 2) {
                EXPECT_TRUE(Inside(place.rect, *group)) << place.id;
            }
            EXPECT_EQ(place.id, shape.controls[i].id);
            EXPECT_GT(place.rect.width, 0) << place.id;
            EXPECT_GT(place.rect.height, 0) << place.id;
            EXPECT_TRUE(Inside(place.rect, dialog)) << place.id;
            for (std::size_t j = 0; j < i; ++j) {
                const bool frames = shape.controls[i].kind == ControlKind::Group || shape.controls[j].kind == ControlKind::Group;
                if (!frames) {
                    EXPECT_FALSE(Overlap(place.rect, layout.places[j].rect)) << place.id << " " << layout.places[j].id;
                }
            }
        }
    }
}

TEST(DialogLayoutTest, EdgeButtonsShareTheBottomRowAndEndAtTheRightMargin) {
    struct Case {
        std::size_t shape;
        std::vector<std::size_t> row;
    };
    const Case cases[] = {{0, {0, 1, 2}}, {1, {12, 13}}, {3, {1, 2, 3, 4, 5, 6}}};
    for (const Case& c : cases) {
        const std::vector<Control> controls = Shapes()[c.shape].controls;
        const DialogLayout layout = LayoutDialog(controls);
        int bottom = 0;
        for (const Placement& place : layout.places) {
            if (controls[&place - layout.places.data()].kind != ControlKind::Push) {
                bottom = std::max(bottom, place.rect.y + place.rect.height);
            }
        }
        const Rect last = layout.places[c.row.back()].rect;
        for (std::size_t index : c.row) {
            EXPECT_EQ(layout.places[index].rect.y, last.y) << controls[index].id;
            EXPECT_GT(layout.places[index].rect.y, bottom) << controls[index].id;
        }
        // The dialog's margin.
        EXPECT_EQ(layout.width - (last.x + last.width), 7);
    }
}

TEST(DialogLayoutTest, DialogUnitsBecomePixelsByTheBaseUnit) {
    struct Case {
        Rect units;
        BaseUnit base;
        Rect pixels;
    };
    const Case cases[] = {
        {{4, 8, 40, 16}, {7, 15}, {7, 15, 70, 30}},
        {{1, 1, 2, 3}, {8, 16}, {2, 2, 4, 6}},
        {{0, 0, 0, 0}, {7, 15}, {0, 0, 0, 0}},
        // Halves round to the nearer pixel.
        {{2, 4, 6, 12}, {7, 15}, {4, 8, 11, 23}},
    };
    for (const Case& c : cases) EXPECT_EQ(ToPixels(c.units, c.base), c.pixels) << c.units.x << "," << c.units.y;
}

TEST(CaptionsTest, AccessKeysAreMarkedAsTheToolkitWantsThem) {
    const std::pair<const char*, const char*> cases[] = {
        {"&Oui", "_Oui"}, {"&Options...", "_Options..."}, {"Sauver && quitter", "Sauver & quitter"},
        {"mise_a_jour", "mise__a__jour"}, {"fin&", "fin&"}, {"", ""},
    };
    for (const auto& [caption, marked] : cases) EXPECT_EQ(MnemonicCaption(caption), marked) << caption;
}

}  // namespace
}  // namespace kt::gtk
