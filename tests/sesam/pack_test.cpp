// What the pack decision reads (program files, Sesam files, a scripted card reader) and the decision.
#include "pe_writer.h"
#include "sesam/card_reader_probe.h"
#include "sesam/pack_update_check.h"
#include "sesam/pe_file_info.h"
#include "support/workstation.h"

namespace kt::sesam {
namespace {

namespace fs = std::filesystem;
using test::NoonUtc;
using test::Strings;
using test::PeShape;
using Text = std::optional<std::string>;
namespace pe = test::pe_detail;

const std::uint32_t kMarch7 = NoonUtc(2024, 3, 7);
const test::FileVersion kVersion{3, 2, 10, 4};

std::string Image(const PeShape& shape = {}) { return test::BuildPeImage(kMarch7, kVersion, shape); }
std::string Patched(std::string image, std::size_t at, std::uint32_t value, int bytes = 4) {
    pe::Put(image, at, value, bytes);
    return image;
}

// Each limit of the headers and the resource tree, just inside and just outside.
TEST(PeFileInfoTest, VersionResourceAndLinkDate) {
    test::TempTree tree;
    const std::size_t versionEnd = pe::kFileAlignment + pe::kVersionInfo + pe::kVersionInfoLength;
    const struct {
        const char* what;
        std::string image;
        Text version, linkDate = "7.3.2024";
    } cases[] = {
        {"PE32", Image(), "3.2.10"},
        {"PE32+", Image({.pe32Plus = true}), "3.2.10"},
        {"no date recorded", test::BuildPeImage(0, test::FileVersion{1, 0, 0, 0}), "1.0.0", std::nullopt},
        {"empty", "", std::nullopt, std::nullopt},
        {"MZ only", "MZ", std::nullopt, std::nullopt},
        {"no image", std::string(4096, 'x'), std::nullopt, std::nullopt},
        {"cut where the version ends", Image().substr(0, versionEnd), "3.2.10"},
        {"cut one byte earlier", Image().substr(0, versionEnd - 1), std::nullopt},
        {"three data directories", Patched(Image(), pe::kDirectoryCountAt, 3), "3.2.10"},
        {"two data directories", Patched(Image(), pe::kDirectoryCountAt, 2), std::nullopt},
        {"optional header ends with the resource entry", Image({.optionalSize = 120}), "3.2.10"},
        {"optional header cuts the resource entry", Image({.optionalSize = 116}), std::nullopt},
        {"no section counted", Patched(Image(), pe::kSectionCountAt, 0, 2), std::nullopt},
        {"section ends where the version ends",
         Patched(Image(), pe::kSectionRawSizeAt, pe::kVersionInfo + pe::kVersionInfoLength), "3.2.10"},
        {"section ends one byte earlier",
         Patched(Image(), pe::kSectionRawSizeAt, pe::kVersionInfo + pe::kVersionInfoLength - 1), std::nullopt},
        {"version type second in the root", Image({.rootTypes = {3, 16}}), "3.2.10"},
        {"version type past the root's count", Image({.rootTypes = {3, 16}, .declaredTypes = 1}), std::nullopt},
        {"root entry pointing past the end", Patched(Image(), pe::kFileAlignment + 20, 0x80FFFFF0u), std::nullopt},
        {"key with a wrong first letter", Patched(Image(), pe::kFileAlignment + pe::kVersionInfo + 6, 'W', 2),
         std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PeFileInfo info = ReadPeFileInfo(tree.WriteFile("f.dll", c.image).string());
        EXPECT_EQ(info.version, c.version);
        EXPECT_EQ(info.linkDate, c.linkDate);
    }
}

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

    // A new application folder (a library loaded once stays found under its
    // path) holding `built`, or nothing.
    void InstallLibrary(const char* built = KT_CARDREADER_STUB) {
        ctx.appDir = tree.MakeDir("app" + std::to_string(++folders_)).string() + "/";
        if (built != nullptr) fs::copy_file(built, fs::path(ctx.appDir) / "ktbtt32.so");
    }
    void Script(const std::string& lines) { tree.WriteFile("cardreader.txt", lines); }
    // The calls the stand-in received since the last time, in order.
    Strings TakeCalls() const {
        const Strings calls = Lines(test::ReadFile(script_ + ".calls"));
        return fs::remove(script_ + ".calls"), calls;
    }

    // The decision of a fresh session on a catalogue holding these children
    // of Executables and Tables.
    int Decide(const std::string& executables, const std::string& tables = "") {
        tree.WriteFile("versions.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Update Version=\"5.2.0\">"
                                        "<SesamAll><Executables>" + executables + "</Executables><Tables>" +
                                        tables + "</Tables></SesamAll></Update>\n");
        return IsSesamPackUpdateNeeded(ctx, session_ = {}, catalogue_, 0);
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
        EXPECT_EQ(ProbeCardReader(ctx, session_ = {}), result);
        EXPECT_TRUE(session_.probeDone && session_.probeSucceeded == (result == 1));
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

    // Switched on before Retry: the probe goes on.
    Script(kWorkingReader + "status 14 1 0\n");
    presenter->answers = {hostsuite::kIdRetry};
    EXPECT_EQ(ProbeCardReader(ctx, session_ = {}), 1);
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
        Script(kWorkingReader + faulty);
        EXPECT_EQ(ProbeCardReader(ctx, session_ = {}), 0) << faulty;
    }
    EXPECT_TRUE(Logged("ERROR Card-reader answer rejected : component list of 65 entries at 0 exceeds 14336 bytes"));
    EXPECT_TRUE(Logged("ERROR Card-reader answer rejected : module 2 text without terminator"));
    // At the limits the records are accepted.
    Script("software " + std::string(235, '1') + " 1234567890\ncomponent_count 64\nmodule_count 69\n");
    EXPECT_EQ(ProbeCardReader(ctx, session_ = {}), 1);
}

// Asked for alone, the probe is all the answer; without an installed pack nothing is probed.
TEST_F(PackCheckTest, ProbeRunsOncePerSessionAndNotWithoutAPack) {
    EXPECT_EQ(IsSesamPackUpdateNeeded(ctx, session_, catalogue_, 1), 1);
    EXPECT_FALSE(session_.packCompared);
    EXPECT_EQ(IsSesamPackUpdateNeeded(ctx, session_, catalogue_, 1), 1);
    EXPECT_EQ(IsSesamPackUpdateNeeded(ctx, session_, catalogue_, 0), 0);
    EXPECT_TRUE(session_.packCompared);
    EXPECT_EQ(TakeCalls(), kAllQueries);
    Script("status 22 1\n");
    EXPECT_EQ(IsSesamPackUpdateNeeded(ctx, session_ = {}, catalogue_, 1), 0);
    TakeCalls();

    fs::remove(tree / "windows/sesam.ini");
    EXPECT_EQ(IsSesamPackUpdateNeeded(ctx, session_ = {}, catalogue_, 0), 1);
    EXPECT_TRUE(session_.packCompared && session_.probeDone && !session_.cardReader);
    EXPECT_EQ(TakeCalls(), Strings{});
}

TEST_F(PackCheckTest, ProgramFileOlderThanDescribedNeedsThePackage) {
    const std::uint32_t newYear = test::NoonUtc(2024, 1, 1), november = test::NoonUtc(2023, 11, 30);
    const std::tuple<const char*, std::uint32_t, std::optional<test::FileVersion>> programs[] = {
        {"ktsv.dll", newYear, test::FileVersion{3, 2, 9, 0}}, {"ktnew.dll", newYear, test::FileVersion{3, 2, 10, 0}},
        {"sub/b.dll", newYear, test::FileVersion{1, 0, 0, 0}}, {"old.exe", november, std::nullopt},
        {"new.dll", november, test::FileVersion{9, 9, 9, 9}}};
    for (const auto& [name, stamp, version] : programs) {
        tree.WriteFile(std::string("windows/") + name, test::BuildPeImage(stamp, version));
    }
    tree.WriteFile("windows/notes.txt", "not a program");
    const std::pair<const char*, int> cases[] = {
        {"<Item Name=\"ktsv.dll\" Version=\"3.2.10\"/>", 1}, {"<Item Name=\"ktnew.dll\" Version=\"3.2.9\"/>", 0},
        {"<Item Name=\"ktnew.dll\" Version=\"3.2.10\"/>", 0},
        // This system counts as the NT family.
        {"<Item Name=\"ktsv.dll\" Version=\"4.0.0\" System=\"98\"/>", 0},
        {"<ITEM Name=\"ktsv.dll\" Version=\"4.0.0\" System=\"nt\"/>", 1}, {"<item Name=\"ktsv.dll\" Version=\"4.0.0\"/>", 1},
        {"<Item Name=\"sub\\b.dll\" Version=\"2.0.0\"/>", 1},
        // Without two versions to compare, the link date decides.
        {"<Item Name=\"old.exe\" Version=\"1.0.0\" LinkDate=\"1.12.2023\"/>", 1},
        {"<Item Name=\"old.exe\" LinkDate=\"30.11.2023\"/>", 0}, {"<Item Name=\"new.dll\" LinkDate=\"2.1.2024\"/>", 1},
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
