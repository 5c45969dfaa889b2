// Every dialog, message box and prompt shown as windows by the desktop presenter and by the
// scripted presenter from the same script must show the same, line for line; and kthost finds
// the plugin beside the module, plays a script from the environment on the windows, and takes
// the terminal without a display.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <tuple>

#include <pugixml.hpp>

#include "connect/ras_dialog.h"
#include "connect/scripted_dialer.h"
#include "dialogs/history_dialog.h"
#include "dialogs/main_dialog.h"
#include "dialogs/no_connection_dialog.h"
#include "dialogs/options_dialog.h"
#include "dialogs/password_dialog.h"
#include "download_fixture.h"
#include "hostsuite/desktop_presenter.h"
#include "hostsuite/message_box.h"
#include "hostsuite/script_parser.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;
using hostsuite::ActivePresenter;
using Strings = std::vector<std::string>;

// Named apart from the shared fixture, which the download fixture may bring in.
class Desk : public DownloadTest {
public:
    void TestBody() override {}
    using DownloadTest::AppId, DownloadTest::Lines, DownloadTest::Run, DownloadTest::StartServer, DownloadTest::ctx, DownloadTest::tree;
};

struct Scenario {
    const char* name;
    std::string script;
    std::function<void(Desk&)> show;
    // A line the transcript holds, so that a scenario showing nothing fails.
    std::string expected;
    // The dialog whose picture is saved; 0 for none.
    int dialog = 0;
};

const std::vector<Scenario>& Scenarios() {
    static const std::vector<Scenario> scenarios = {
        {"message boxes and the credentials prompt",
         "message 1060 -> yes\nbuttons \"Une mise\" -> 25\ncredentials -> \"marie\" \"s3cret\"\n",
         [](Desk&) {
             hostsuite::KtMessageBox(nullptr, "Voulez-vous installer la mise à jour ?", "Talvo", 0x24, 1, 1060);
             hostsuite::KtMessageBoxButtons(nullptr, "Une mise à jour est disponible.", "Talvo", 0x44, {}, 1);
             hostsuite::KtMessageBox(nullptr, "Le serveur ne répond pas.", "Attention !", 0x35, 1);
             ActivePresenter().AskCredentials("proxy.cabinet.local:3128");
         },
         "credentials target=\"proxy.cabinet.local:3128\" -> user=\"marie\""},
        {"main dialog with the folder browser",
         "folder -> \"/srv/maj\"\ndialog 102: click 1003; click 1005; check 1006; sleep 200; escape\n",
         [](Desk& w) { dialogs::CKTupdateDLLDlg dialog(w.ctx, nullptr, {}); ActivePresenter().RunDialog(dialog); },
         "folder caption=\"Sélectionner le répertoire...\" -> \"/srv/maj\"", 102},
        {"password dialog", "dialog 135: text 1030 \"s3cret\"; click 1\n",
         [](Desk&) { dialogs::CKTPassword dialog; ActivePresenter().RunDialog(dialog); }, "dialog 135 end 1", 135},
        {"no-connection dialog", "dialog 145: click 1\n",
         [](Desk& w) {
             dialogs::CKTMessageBox dialog(w.ctx, [](hostsuite::Window) { return hostsuite::kIdCancel; });
             ActivePresenter().RunDialog(dialog);
         },
         "dialog 145 end 1", 145},
        {"options dialog",
         "dialog 131: click 1003; text 1008 \"proxy.cabinet.local\"; text 1011 \"3128\"; check 1013; "
         "text 1009 \"marie\"; text 1010 \"s3cret\"; click 1016; sleep 200; escape\n",
         [](Desk& w) {
             dialogs::CKTUpdOptions dialog(w.ctx, nullptr, {[] { return std::vector<std::string>{"Orange"}; }});
             ActivePresenter().RunDialog(dialog);
         },
         "dialog 131 text 1010=\"***\"", 131},
        {"history dialog, rows picked in its list",
         "dialog 133: select 1020 \"Sesam\"; add 1020 \"Sesam\\t2.1.2026\\t6.12.2025\\ts2.exe\"; deselect 1020 \"Sesam\"; click 2\n",
         [](Desk& w) {
             const std::string history = R"(<History><SesamAll NewVer="1.40" GetDate="1.1.2026" PutDate="5.12.2025" File="sesam.exe"/>)"
                                         R"(<sesam NewVer="1.41" GetDate="2.1.2026" PutDate="6.12.2025" File="s2.exe"/></History>)";
             pugi::xml_document appId;
             ASSERT_TRUE(appId.load_file(w.AppId().c_str()) && appId.first_child().append_buffer(history.data(), history.size()));
             ASSERT_TRUE(appId.save_file(w.AppId().c_str()));
             dialogs::CKTHistory dialog(w.ctx, {});
             ActivePresenter().RunDialog(dialog);
         },
         "dialog 133 end 2", 133},
        {"dial-up dialog", "",
         [](Desk& w) {
             using std::chrono::milliseconds;
             connect::ScriptedDialer::Script call;
             call.entries = {"Orange"};
             call.steps = {{connect::kRasPortOpened, 0, milliseconds(0)}, {connect::kRasConnectDevice, 0, milliseconds(300)},
                           {connect::kRasConnected, 0, milliseconds(300)}};
             connect::ScriptedDialer dialer(call);
             connect::CRASDlg dialog(w.ctx, dialer, "Orange", milliseconds(500));
             ActivePresenter().RunDialog(dialog);
         },
         "dialog 144 end 1", 144},
        {"download dialog with a real download", "dialog 130: wait 1024 800\n",
         [](Desk& w) {
             // Slow enough for the window to be drawn before the packages are in.
             UpdateServer::Options slow;
             slow.packageSize = 512 * 1024;
             slow.throttle = 256 * 1024;
             w.StartServer(slow);
             w.Run();
         },
         "dialog 130 text 1061=\"Téléchargement terminé.\"", 130},
    };
    return scenarios;
}

// What `scenario` showed with the scripted presenter or on windows, on a workstation of its own.
Strings Play(const Scenario& scenario, bool windows) {
    Desk workstation;
    auto parsed = hostsuite::ParseScript(scenario.script);
    if (!std::holds_alternative<hostsuite::Script>(parsed)) return {"no script"};
    const fs::path shown = workstation.tree / "shown.txt";
    hostsuite::DesktopPresenterArgs args{.transcript = hostsuite::TranscriptWriter::Open(shown), .script = std::get<hostsuite::Script>(parsed),
                                         .screenshotFolder = KT_GUI_PICTURES};
    std::string why;
    std::shared_ptr<hostsuite::Presenter> presenter =
        windows ? hostsuite::LoadDesktopPresenter(KT_GTK_PLUGIN, args, why)
                : std::make_shared<hostsuite::ScriptedPresenter>(*args.script, args.transcript);
    if (!presenter) return {"no presenter: " + why};
    hostsuite::InstallPresenter(presenter);
    scenario.show(workstation);
    hostsuite::InstallPresenter(nullptr);
    return Desk::Lines(ReadFile(shown));
}

TEST(GuiDialogsTest, WindowsShowWhatTheScriptedPresenterShows) {
    fs::create_directories(KT_GUI_PICTURES);
    for (const Scenario& scenario : Scenarios()) {
        SCOPED_TRACE(scenario.name);
        const fs::path picture = fs::path(KT_GUI_PICTURES) / ("dialog-" + std::to_string(scenario.dialog) + ".png");
        fs::remove(picture);
        const Strings scripted = Play(scenario, false);
        EXPECT_NE(std::find(scripted.begin(), scripted.end(), scenario.expected), scripted.end()) << ::testing::PrintToString(scripted);
        EXPECT_EQ(Play(scenario, true), scripted);
        EXPECT_TRUE(scenario.dialog == 0 || (fs::exists(picture) && fs::file_size(picture) > 1000)) << picture;
    }
}


TEST(KthostWindowsTest, TheRecordErrorIsAnsweredOnTheWindowsOrInTheTerminal) {
    // --ui, whether the display stays set, what the terminal reads, the end of the box's transcript line
    // (once the terminal's input is closed, the box gets its safe answer).
    const std::tuple<std::string, bool, const char*, const char*> cases[] = {
        {"script:", true, "", "-> ok"}, {"gtk", true, "", "-> ok"}, {"auto", true, "", "-> ok"},
        {"auto", false, "", "-> ok unscripted"}, {"auto", false, "oui\\r\\n1\\r\\n", "-> ok"}};
    for (const auto& [ui, display, typed, answer] : cases) {
        SCOPED_TRACE(ui + (display ? "" : " without a display") + typed);
        TempTree tree;
        const std::string script = tree.WriteFile("answers.txt", "message 1084 -> ok\n").string(), shown = (tree / "shown.txt").string();
        const std::string command =
            "printf '" + std::string(typed) + "' | " + (display ? "" : "env -u DISPLAY ") + "KT_GTK_SCRIPT=" + script + " " + KTHOST_PATH + " --app-dir " +
            tree.MakeDir("app").string() + " --data-dir " + tree.MakeDir("data").string() + " --update-dir " +
            tree.MakeDir("data/UpdateInfo").string() + " --ver-major 5 --ver-minor 2 --ver-build 0 --title Talvo --ui " +
            (ui == "script:" ? ui + script : ui) + " --transcript " + shown + " >" + (tree / "out.txt").string() + " 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile(tree / "out.txt");
        EXPECT_EQ(ReadFile(shown), std::string("message id=1084 caption=\"Erreur\" style=0x10 flag=1 text=\"Le nom du praticien "
                                               "n'est pas lisible. Mise à jour impossible.\" ") + answer + "\n");
    }
}

}  // namespace
}  // namespace kt::test
