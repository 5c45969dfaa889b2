// The card-reader probe and the pack decision, on a temporary installation
// with the stand-in card-reader library, whose answers the tests script.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "pe_writer.h"
#include "sesam/card_reader_probe.h"
#include "sesam/pack_update_check.h"
#include "support/workstation.h"

namespace kt::sesam {
namespace {

namespace fs = std::filesystem;
using test::Strings;

// SRT 1.40; components I at 140 and M at 5; modules 94 at 14 and 9 at 7.
const std::string kWorkingReader = "software 1 40\ncomponent I 140\ncomponent M 5\nmodule 94 14\nmodule 9 7\n";
const Strings kAllQueries = {"ktbtt_22", "ktbtt_23", "ktbtt_14"};

// An installed pack whose card reader answers kWorkingReader.
class PackCheckTest : public test::Workstation {
protected:
    PackCheckTest() {
        session_.owner = &ownerTag;
        setenv("KT_CARDREADER_STUB_SCRIPT", script_.c_str(), 1);
        tree.WriteFile("windows/sesam.ini", "[COMMUN]\nRepertoireTravail=/srv/sesam\n");
        InstallLibrary();
        Script(kWorkingReader);
    }
    ~PackCheckTest() override { unsetenv("KT_CARDREADER_STUB_SCRIPT"); }

    // A new application folder holding `built` (none when null): a library
    // already loaded from a path would be found again there.
    void InstallLibrary(const char* built = KT_CARDREADER_STUB) {
        ctx.appDir = tree.MakeDir("app" + std::to_string(++folders_)).string() + "/";
        if (built != nullptr) fs::copy_file(built, fs::path(ctx.appDir) / "ktbtt32.so");
    }
    void Script(const std::string& lines) { tree.WriteFile("cardreader.txt", lines); }
    // The calls the stand-in received since the last time, in order.
    Strings TakeCalls() const {
        const Strings calls = Lines(test::ReadFile(script_ + ".calls"));
        fs::remove(script_ + ".calls");
        return calls;
    }

    // The decision of a fresh session on a catalogue holding these children
    // of Executables and Tables.
    int Decide(const std::string& executables, const std::string& tables = "") {
        tree.WriteFile("versions.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Update Version=\"5.2.0\">"
                                        "<SesamAll><Executables>" + executables + "</Executables><Tables>" +
                                        tables + "</Tables></SesamAll></Update>\n");
        PackCheckSession session;
        return IsSesamPackUpdateNeeded(ctx, session, catalogue_, 0);
    }

    PackCheckSession session_;
    const std::string script_ = (tree / "cardreader.txt").string();
    const std::string catalogue_ = (tree / "versions.xml").string();
    int folders_ = 0;
};

TEST_F(PackCheckTest, ProbeResultAndCallsForEachLibraryAnswer) {
    const std::tuple<const char*, std::string, int, Strings> cases[] = {
        {KT_CARDREADER_STUB, kWorkingReader, 1, kAllQueries},
        {nullptr, kWorkingReader, 0, {}},
        {KT_CARDREADER_STUB_WITHOUT_22, kWorkingReader, 0, {}},
        {KT_CARDREADER_STUB_WITHOUT_23, kWorkingReader, 0, {"ktbtt_22"}},
        {KT_CARDREADER_STUB_WITHOUT_14, kWorkingReader, 0, {"ktbtt_22", "ktbtt_23"}},
        // A failed status is reported through the library with the query's mode...
        {KT_CARDREADER_STUB, kWorkingReader + "status 22 0x10005\n", 0, {"ktbtt_22", "ktbtt_2 status=65541 mode=1"}},
        {KT_CARDREADER_STUB, kWorkingReader + "status 23 7\n", 0, {"ktbtt_22", "ktbtt_23", "ktbtt_2 status=7 mode=2"}},
        // ...when it can be,
        {KT_CARDREADER_STUB_WITHOUT_2, kWorkingReader + "status 23 9\n", 0, {"ktbtt_22", "ktbtt_23"}},
        // and only the low 16 bits tell a failure.
        {KT_CARDREADER_STUB, kWorkingReader + "status 22 0x30000\nstatus 23 0x10000\n", 1, kAllQueries},
    };
    for (const auto& [library, script, result, calls] : cases) {
        SCOPED_TRACE(std::string(library ? library : "no library") + "\n" + script);
        InstallLibrary(library);
        Script(script);
        PackCheckSession session;
        EXPECT_EQ(ProbeCardReader(ctx, session), result);
        EXPECT_TRUE(session.probeDone);
        EXPECT_EQ(session.probeSucceeded, result == 1);
        EXPECT_EQ(TakeCalls(), calls);
    }
    EXPECT_TRUE(presenter->messages.empty());
}

TEST_F(PackCheckTest, ReaderOffAsksRetryOrCancel) {
    Script(kWorkingReader + "status 14 1 1\n");
    presenter->answers = {hostsuite::kIdRetry, hostsuite::kIdCancel};
    EXPECT_EQ(ProbeCardReader(ctx, session_), 0);
    EXPECT_EQ(TakeCalls(), (Strings{"ktbtt_22", "ktbtt_23", "ktbtt_14", "ktbtt_14"}));
    ASSERT_EQ(presenter->messages.size(), 2u);
    const hostsuite::MessageRequest& shown = presenter->messages[0];
    EXPECT_EQ(std::tie(shown.stringId, shown.caption, shown.style, shown.owner),
              std::make_tuple(1051, std::string("Erreur"), 0x35u, static_cast<void*>(&ownerTag)));
    EXPECT_TRUE(shown.text.starts_with("Votre lecteur de cartes Sesam Vitale n'est peut-être pas sous tension"));

    // Switched on before Retry: the probe goes on.
    Script(kWorkingReader + "status 14 1 0\n");
    presenter->answers = {hostsuite::kIdRetry};
    PackCheckSession second;
    EXPECT_EQ(ProbeCardReader(ctx, second), 1);
    EXPECT_EQ(presenter->messages.size(), 3u);
}

// Whatever the library claims, nothing is read past the memory it was lent.
TEST_F(PackCheckTest, RecordsReachingPastTheirBoundsFailTheProbe) {
    const std::string longText(300, 'x');
    const std::string cases[] = {
        "component_count 65\n",                      // one entry past the component table
        "component_position 14112\n",                // the second entry would not fit
        "component I " + longText + "\n",            // version without terminator
        "module_count 70\n",                         // 70 x 136 passes the area's end
        "module_position 9400\n",                    // entries would overlap the trailer
        "module 94 " + std::string(60, '1') + "\n",  // version field of 51 bytes, no terminator
        "module " + std::string(90, '9') + " 1\n",   // identifier field of 85 bytes, no terminator
        "software " + longText + " 40\n",            // first field of 236 bytes, no terminator
        "software 1 123456789012\n",                 // second field of 11 bytes, no terminator
    };
    for (const std::string& faulty : cases) {
        PackCheckSession session;
        Script(kWorkingReader + faulty);
        EXPECT_EQ(ProbeCardReader(ctx, session), 0) << faulty;
    }
    for (const char* line : {"component list of 65 entries at 0 exceeds 14336 bytes", "module 2 text without terminator"}) {
        EXPECT_TRUE(Logged(std::string("ERROR Card-reader answer rejected : ") + line)) << line;
    }
    // At the limits the records are accepted.
    PackCheckSession session;
    Script("software " + std::string(235, '1') + " 1234567890\ncomponent_count 64\nmodule_count 69\n");
    EXPECT_EQ(ProbeCardReader(ctx, session), 1);
}

// The probe runs once per session; asked for alone, it is all the answer.
// Without an installed pack the package is needed and nothing is probed.
TEST_F(PackCheckTest, ProbeRunsOncePerSessionAndNotWithoutAPack) {
    EXPECT_EQ(IsSesamPackUpdateNeeded(ctx, session_, catalogue_, 1), 1);
    EXPECT_FALSE(session_.packCompared);
    EXPECT_EQ(IsSesamPackUpdateNeeded(ctx, session_, catalogue_, 1), 1);
    EXPECT_EQ(IsSesamPackUpdateNeeded(ctx, session_, catalogue_, 0), 0);
    EXPECT_TRUE(session_.packCompared);
    EXPECT_EQ(TakeCalls(), kAllQueries);
    Script("status 22 1\n");
    PackCheckSession failing;
    EXPECT_EQ(IsSesamPackUpdateNeeded(ctx, failing, catalogue_, 1), 0);
    TakeCalls();

    fs::remove(tree / "windows/sesam.ini");
    PackCheckSession session;
    EXPECT_EQ(IsSesamPackUpdateNeeded(ctx, session, catalogue_, 0), 1);
    EXPECT_TRUE(session.packCompared && session.probeDone && !session.cardReader);
    EXPECT_EQ(TakeCalls(), Strings{});
}

TEST_F(PackCheckTest, ProgramFileOlderThanDescribedNeedsThePackage) {
    const std::uint32_t newYear = test::NoonUtc(2024, 1, 1), november = test::NoonUtc(2023, 11, 30);
    tree.WriteFile("windows/ktsv.dll", test::BuildPeImage(newYear, test::FileVersion{3, 2, 9, 0}));
    tree.WriteFile("windows/ktnew.dll", test::BuildPeImage(newYear, test::FileVersion{3, 2, 10, 0}));
    tree.WriteFile("windows/sub/b.dll", test::BuildPeImage(newYear, test::FileVersion{1, 0, 0, 0}));
    tree.WriteFile("windows/old.exe", test::BuildPeImage(november));
    tree.WriteFile("windows/new.dll", test::BuildPeImage(november, test::FileVersion{9, 9, 9, 9}));
    tree.WriteFile("windows/notes.txt", "not a program");
    const std::pair<const char*, int> cases[] = {
        {"<Item Name=\"ktsv.dll\" Version=\"3.2.10\"/>", 1},
        {"<Item Name=\"ktnew.dll\" Version=\"3.2.9\"/>", 0},
        {"<Item Name=\"ktnew.dll\" Version=\"3.2.10\"/>", 0},
        // This system counts as the NT family.
        {"<Item Name=\"ktsv.dll\" Version=\"4.0.0\" System=\"98\"/>", 0},
        {"<ITEM Name=\"ktsv.dll\" Version=\"4.0.0\" System=\"nt\"/>", 1},
        {"<item Name=\"ktsv.dll\" Version=\"4.0.0\"/>", 1},
        {"<Item Name=\"sub\\b.dll\" Version=\"2.0.0\"/>", 1},
        // Without two versions to compare, the link date decides.
        {"<Item Name=\"old.exe\" Version=\"1.0.0\" LinkDate=\"1.12.2023\"/>", 1},
        {"<Item Name=\"old.exe\" LinkDate=\"30.11.2023\"/>", 0},
        {"<Item Name=\"new.dll\" LinkDate=\"2.1.2024\"/>", 1},
        // A file with neither does not decide.
        {"<Item Name=\"notes.txt\" Version=\"9.0.0\" LinkDate=\"1.1.2030\"/>"
         "<Item Name=\"absent.dll\" Version=\"9.0.0\" LinkDate=\"1.1.2030\"/>", 0},
    };
    for (const auto& [items, needed] : cases) EXPECT_EQ(Decide(items), needed) << items;
}

TEST_F(PackCheckTest, TableVersionAboveTheInstalledNumberNeedsThePackage) {
    const std::pair<const char*, int> cases[] = {
        {"<SRT Version=\"1.40\"/>", 0}, {"<SRT Version=\"1.41\"/>", 1},      // software record 1.40
        {"<Script Version=\"1.40\"/>", 1}, {"<script Version=\"1.4\"/>", 0},  // module 94 at 14
        {"<SSV Version=\"7\"/>", 0}, {"<SSV Version=\"8\"/>", 1},            // module 9 at 7
        {"<STS Version=\"1.40\"/><FNMF Version=\"5\"/>", 0},                 // types I at 140, M at 5
        {"<STS Version=\"1.41\"/>", 1}, {"<FNMF Version=\"6\"/>", 1},
        {"<CMU Version=\"99\"/><SMC Version=\"99\"/>", 0},                   // none installed of those
    };
    for (const auto& [tables, needed] : cases) EXPECT_EQ(Decide("", tables), needed) << tables;

    // The package's versions are kept for the installer, cut to their slot.
    Decide("", "<Script Version=\"1.40\"/><FNMF Version=\"2.3\"/><Unknown Version=\"8\"/>"
               "<CTIP Version=\"123456789012345678\"/>");
    const run::SesamPackState& state = ctx.sesamPack;
    EXPECT_EQ(state.TableVersion(0), "1.40");
    EXPECT_EQ(state.TableVersion(10), "2.3");
    EXPECT_EQ(state.TableVersion(8), "12345678901234");
    EXPECT_EQ(state.Bytes()[8 * 15 + 14], 0);
    EXPECT_EQ(state.TableVersion(3), "");

    // A failed probe leaves only the executables to decide.
    Script(kWorkingReader + "status 23 4\n");
    EXPECT_EQ(Decide("", "<SRT Version=\"9.99\"/>"), 0);
    EXPECT_EQ(state.TableVersion(4), "");
}

}  // namespace
}  // namespace kt::sesam
