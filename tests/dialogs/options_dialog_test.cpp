// The options dialog on a real appid.xml, played by the scripted presenter.
#include <gtest/gtest.h>

#include <map>
#include <pugixml.hpp>

#include "dialogs/options_dialog.h"
#include "support/workstation.h"

namespace kt::test {
namespace {

using dialogs::CKTUpdOptions;
using Settings = std::map<std::string, std::string>;

// "Element@Attribute" -> value for every attribute of the file (element names
// are unique in appid.xml), and "Element" -> text for elements with a text.
Settings AllSettings(const std::string& path) {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_file(path.c_str()));
    Settings settings;
    for (pugi::xpath_node found : doc.select_nodes("//*")) {
        const pugi::xml_node node = found.node();
        if (*node.text().get() != '\0') settings[node.name()] = node.text().get();
        for (pugi::xml_attribute attribute : node.attributes()) settings[std::string(node.name()) + "@" + attribute.name()] = attribute.value();
    }
    return settings;
}

// What a person sees of a control beside its caption: the text of an edit,
// the selected item and count of a combo, then its state.
std::string Seen(const hostsuite::Control& control) {
    using hostsuite::ControlKind;
    const auto& items = control.items;
    std::string shown = control.kind == ControlKind::Edit ? control.text : "";
    if (control.kind == ControlKind::Combo) {
        shown = (control.selection < 0 ? "" : items.at(control.selection).Text()) + " /" + std::to_string(items.size());
    }
    return shown + (control.checked ? " [x]" : "") + (control.enabled ? "" : " -") + (control.visible ? "" : " hidden");
}

class OptionsDialogTest : public ConfiguredWorkstation {
protected:
    // Runs the dialog with `script` for it; what it showed stays in `shown`.
    int Run(const std::string& script, std::vector<std::string> entries = {}) {
        UseScript(script);
        CKTUpdOptions dialog(ctx, nullptr, {[entries] { return entries; }});
        const int result = hostsuite::ActivePresenter().RunDialog(dialog);
        shown.clear();
        for (const hostsuite::Control& control : dialog.Controls()) shown[control.id] = Seen(control);
        std::erase_if(shown, [](const auto& seen) { return seen.second.empty(); });
        return result;
    }

    std::map<int, std::string> shown;
};

// Teletrans "1" in the file opens on the automatic updates (1015); then the
// controls each case changes ("": no text, unticked, enabled, visible).
TEST_F(OptionsDialogTest, OpensOnTheStoredSettings) {
    const std::map<int, std::string> defaults = {
        {1000, " [x]"}, {1008, " -"}, {1011, " -"}, {1013, " -"}, {1009, " -"}, {1010, " -"}, {1027, " [x]"},
        {1025, " /0 -"}, {1015, " [x]"}, {1017, " - hidden"}, {1047, "Hebdomadaire /3 -"}, {1018, "Lundi /7 -"},
        {1019, "13:00 /48 -"}, {1012, "0"},
    };
    const std::string before = ReadFile(AppId());
    EXPECT_EQ(Run(""), hostsuite::kIdCancel);
    EXPECT_EQ(shown, defaults);
    EXPECT_EQ(ReadFile(AppId()), before);
    const struct {
        const char* name;
        Settings stored;  // "Element@Attribute"
        std::map<int, std::string> expected;
    } cases[] = {
        {"named proxy wins over the system settings, login open",
         {{"Proxy@Active", "1"}, {"Proxy@Auth", "1"}, {"Proxy@Address", "proxy.local"}, {"Proxy@Pass", "s3cret"}},
         {{1000, ""}, {1003, " [x]"}, {1008, "proxy.local"}, {1009, ""}, {1010, "s3cret"}, {1013, " [x]"}}},
        {"dial-up entry found ignoring case", {{"Update@Modem", "1"}, {"Update@RASName", "orange"}}, {{1026, " [x]"}, {1025, "Orange /3"}}},
        {"dial-up entry not in the phone book: the first", {{"Update@Modem", "1"}, {"Update@RASName", "Bouygues"}}, {{1025, "Free /3"}}},
        {"monthly", {{"Schedule@Teletrans", "0"}, {"Schedule@Active", "1"}, {"Schedule@Frequency", "30"}, {"Schedule@DayNumber", "31"},
                     {"Schedule@Time", "22:30"}},
         {{1016, " [x]"}, {1047, "Mensuel /3"}, {1018, "31 /31"}, {1019, "22:30 /48"}}},
        {"weekly with a monthly day: the first day; a time between half hours",
         {{"Schedule@Teletrans", "0"}, {"Schedule@Active", "1"}, {"Schedule@DayNumber", "28"}, {"Schedule@Time", "9:10"}},
         {{1018, "Dimanche /7"}, {1019, "09:00 /48"}}},
        {"nothing scheduled; a time without colon", {{"Schedule@Teletrans", "0"}, {"Schedule@Frequency", "3"}, {"Schedule@Time", "9"}},
         {{1014, " [x]"}, {1047, " /3 -"}, {1019, "13:00 /48 -"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        config::CreateDefaultConfig(ctx, kGuid);
        for (const auto& [key, value] : c.stored) {
            const std::string element = key.substr(0, key.find('@')), attribute = key.substr(key.find('@') + 1);
            ASSERT_EQ(config::SetNodeData(AppId(), element == "Proxy" ? "Update" : "Workstation", element.c_str(), nullptr,
                                          attribute.c_str(), value.c_str()), 1);
        }
        Run("", {"Orange", "Free", "SFR"});
        for (const auto& [id, expected] : c.expected) EXPECT_EQ(shown[id], expected) << id;
    }
}

// Confirming writes the chosen settings only; a failed check leaves the
// dialog open with its error box, and cancelling writes nothing.
TEST_F(OptionsDialogTest, ConfirmWritesTheChosenSettingsOnly) {
    const std::string proxy = "click 1003; text 1008 \"proxy.local\"; text 1011 \"3128\"; ";
    const struct {
        const char* name;
        std::string actions;
        Settings changed;
        int result = hostsuite::kIdOk;
        std::string box = {};  // the identifier of the error box shown
    } cases[] = {
        {"as opened", "", {}},
        {"named proxy with login", proxy + "click 1013; text 1009 \"dr\"; text 1010 \"s3cret\"",
         {{"Proxy@Active", "1"}, {"Proxy@Address", "proxy.local"}, {"Proxy@Port", "3128"}, {"Proxy@Auth", "1"},
          {"Proxy@Login", "dr"}, {"Proxy@Pass", "s3cret"}}},
        {"direct", "click 1001", {{"Proxy@UseIE", "0"}}},
        {"dial-up", "click 1026; select 1025 \"SFR\"", {{"Update@Modem", "1"}, {"Update@RASName", "SFR"}}},
        {"monthly at 22:30", "click 1016; select 1047 \"Mensuel\"; select 1019 \"22:30\"",
         {{"LastUpdate@Active", "0"}, {"Schedule@Active", "1"}, {"Schedule@Frequency", "30"}, {"Schedule@DayNumber", "28"},
          {"Schedule@Time", "22:30"}}},
        {"weekly on Friday", "click 1016; select 1018 \"Vendredi\"",
         {{"LastUpdate@Active", "0"}, {"Schedule@Active", "1"}, {"Schedule@DayNumber", "6"}}},
        {"daily", "click 1016; select 1047 \"Quotidien\"", {{"LastUpdate@Active", "0"}, {"Schedule@Active", "1"}, {"Schedule@Frequency", "1"}}},
        {"updates off, speed limited", "click 1014; text 1012 \"12a5\"", {{"LastUpdate@Active", "0"}, {"Update@Speed", "125"}}},
        {"proxy without name", "click 1003; text 1011 \"3128\"", {}, hostsuite::kIdCancel, "1014"},
        {"proxy without port", "click 1003; text 1008 \"proxy.local\"", {}, hostsuite::kIdCancel, "1015"},
        {"login without name", proxy + "click 1013", {}, hostsuite::kIdCancel, "1016"},
        {"cancelled", proxy + "click 1016; click 2", {}, hostsuite::kIdCancel},
        {"closed", proxy + "text 1012 \"5\"; close", {}, hostsuite::kIdCancel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        config::CreateDefaultConfig(ctx, kGuid);
        Settings expected = AllSettings(AppId());
        // Always written: the teletransmission choice off, the workstation configured, and
        // the automatic updates the file's Teletrans opened on.
        Settings written = c.changed;
        written.insert({{"Schedule@Teletrans", "0"}, {"Update@Configured", "1"}, {"LastUpdate@Active", "1"}});
        for (const auto& [key, value] : written) {
            if (c.result == hostsuite::kIdOk) expected[key] = value;
        }
        EXPECT_EQ(Run("dialog 131: " + c.actions + (c.actions.empty() ? "" : "; ") + "click 1", {"Orange", "Free", "SFR"}), c.result);
        EXPECT_EQ(AllSettings(AppId()), expected);
        const Strings boxes = Messages();
        const std::string box = "message id=" + c.box + " caption=\"Erreur\" style=0x10 ";
        EXPECT_TRUE(c.box.empty() ? boxes.empty() : boxes.size() == 1 && boxes[0].starts_with(box)) << ::testing::PrintToString(boxes);
        // The password shows in neither the transcript nor the activity log.
        for (const Strings& lines : {Transcript(), Log()}) {
            for (const std::string& line : lines) EXPECT_EQ(line.find("s3cret"), std::string::npos) << line;
        }
        EXPECT_EQ(Shown("dialog 131 text 1010=\"***\""), c.changed.count("Proxy@Pass") != 0);
    }
}

}  // namespace
}  // namespace kt::test
