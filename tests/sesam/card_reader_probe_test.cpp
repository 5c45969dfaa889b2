#include "sesam/card_reader_probe.h"

#include <gtest/gtest.h>

#include "card_reader_fixture.h"
#include "hostsuite/presenter.h"
#include "sesam/pack_records.h"

namespace kt::sesam {
namespace {

using Strings = std::vector<std::string>;

class CardReaderProbeTest : public test::CardReaderFixture {
protected:
    static constexpr const char* kWorkingReader =
        "software 1 40\n"
        "component I 140\n"
        "component U 3\n"
        "module 94 12\n"
        "module 9 7\n";
};

TEST_F(CardReaderProbeTest, ReadsSoftwareComponentsAndModulesIntoThePackState) {
    InstallPack();
    InstallLibrary();
    Script(kWorkingReader);
    EXPECT_EQ(ProbeCardReader(ctx_, session_), 1);
    EXPECT_TRUE(session_.probeDone);
    EXPECT_TRUE(session_.probeSucceeded);
    EXPECT_EQ(Calls(), (Strings{"ktbtt_22", "ktbtt_23", "ktbtt_14"}));
    EXPECT_EQ(InstalledSrtVersion(ctx_.sesamPack).value_or("?"), "1.40");
    const auto components = InstalledComponents(ctx_.sesamPack);
    ASSERT_TRUE(components && components->size() == 2);
    EXPECT_EQ((*components)[0].type, 'I');
    EXPECT_EQ((*components)[1].version, "3");
    const auto modules = InstalledModules(ctx_.sesamPack);
    ASSERT_TRUE(modules && modules->size() == 2);
    EXPECT_EQ((*modules)[1].id, "9");
    EXPECT_EQ((*modules)[1].version, "7");
    EXPECT_TRUE(presenter_->messages.empty());
}

TEST_F(CardReaderProbeTest, WithoutSesamIniNothingIsLoaded) {
    InstallLibrary();
    Script(kWorkingReader);
    EXPECT_EQ(ProbeCardReader(ctx_, session_), 0);
    EXPECT_TRUE(session_.probeDone);
    EXPECT_FALSE(session_.cardReader);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(CardReaderProbeTest, MissingLibraryFailsTheProbe) {
    InstallPack();
    Script(kWorkingReader);
    EXPECT_EQ(ProbeCardReader(ctx_, session_), 0);
    EXPECT_TRUE(session_.probeDone);
    EXPECT_FALSE(session_.probeSucceeded);
}

TEST_F(CardReaderProbeTest, MissingFunctionFailsTheProbeWhereItIsNeeded) {
    InstallPack();
    Script(kWorkingReader);
    const std::pair<const char*, Strings> cases[] = {
        {KT_CARDREADER_STUB_WITHOUT_22, {}},
        {KT_CARDREADER_STUB_WITHOUT_23, {"ktbtt_22"}},
        {KT_CARDREADER_STUB_WITHOUT_14, {"ktbtt_22", "ktbtt_23"}},
    };
    int folder = 0;
    for (const auto& [library, calls] : cases) {
        std::filesystem::remove(script_ + ".calls");
        PackCheckSession session;
        // A library already loaded from a path would be found again there.
        ctx_.appDir = tree_.MakeDir("app" + std::to_string(++folder)).string();
        InstallLibrary(library);
        EXPECT_EQ(ProbeCardReader(ctx_, session), 0) << library;
        EXPECT_EQ(Calls(), calls) << library;
    }
    EXPECT_TRUE(presenter_->messages.empty());
}

TEST_F(CardReaderProbeTest, FailedStatusIsReportedThroughTheLibraryWithItsMode) {
    InstallPack();
    InstallLibrary();
    Script(std::string(kWorkingReader) + "status 22 0x10005\n");
    EXPECT_EQ(ProbeCardReader(ctx_, session_), 0);
    EXPECT_EQ(Calls(), (Strings{"ktbtt_22", "ktbtt_2 status=65541 mode=1"}));

    std::filesystem::remove(script_ + ".calls");
    Script(std::string(kWorkingReader) + "status 23 7\n");
    PackCheckSession second;
    EXPECT_EQ(ProbeCardReader(ctx_, second), 0);
    EXPECT_EQ(Calls(), (Strings{"ktbtt_22", "ktbtt_23", "ktbtt_2 status=7 mode=2"}));
}

TEST_F(CardReaderProbeTest, StatusWithOnlyHighBitsSetIsSuccess) {
    InstallPack();
    InstallLibrary();
    Script(std::string(kWorkingReader) + "status 22 0x30000\nstatus 23 0x10000\n");
    EXPECT_EQ(ProbeCardReader(ctx_, session_), 1);
}

TEST_F(CardReaderProbeTest, FailedStatusWithoutReportFunctionStillFailsQuietly) {
    InstallPack();
    InstallLibrary(KT_CARDREADER_STUB_WITHOUT_2);
    Script(std::string(kWorkingReader) + "status 23 9\n");
    EXPECT_EQ(ProbeCardReader(ctx_, session_), 0);
    EXPECT_EQ(Calls(), (Strings{"ktbtt_22", "ktbtt_23"}));
}

TEST_F(CardReaderProbeTest, ReaderOffAsksRetryOrCancel) {
    InstallPack();
    InstallLibrary();
    Script(std::string(kWorkingReader) + "status 14 1 1\n");
    presenter_->answers = {hostsuite::kIdRetry, hostsuite::kIdCancel};
    EXPECT_EQ(ProbeCardReader(ctx_, session_), 0);
    EXPECT_EQ(Calls(), (Strings{"ktbtt_22", "ktbtt_23", "ktbtt_14", "ktbtt_14"}));
    ASSERT_EQ(presenter_->messages.size(), 2u);
    const hostsuite::MessageRequest& shown = presenter_->messages[0];
    EXPECT_EQ(shown.stringId, 1051);
    EXPECT_EQ(shown.caption, "Erreur");
    EXPECT_EQ(shown.style, 0x35u);
    EXPECT_EQ(shown.owner, &ownerTag_);
    EXPECT_EQ(shown.text.rfind("Votre lecteur de cartes Sesam Vitale n'est peut-être pas sous tension", 0), 0u);
}

TEST_F(CardReaderProbeTest, ReaderSwitchedOnBeforeRetrySucceeds) {
    InstallPack();
    InstallLibrary();
    Script(std::string(kWorkingReader) + "status 14 1 0\n");
    presenter_->answers = {hostsuite::kIdRetry};
    EXPECT_EQ(ProbeCardReader(ctx_, session_), 1);
    EXPECT_EQ(presenter_->messages.size(), 1u);
    EXPECT_EQ(InstalledModules(ctx_.sesamPack).value_or(std::vector<PackModule>{}).size(), 2u);
}

// Whatever the library claims, nothing is read past the memory it was lent.
TEST_F(CardReaderProbeTest, RecordsReachingPastTheirBoundsFailTheProbe) {
    InstallPack();
    InstallLibrary();
    const std::string longText(300, 'x');
    const std::string cases[] = {
        "component_count 65\n",                    // one entry past the component table
        "component_position 14112\n",              // the second entry would not fit
        "component I " + longText + "\n",          // version without terminator
        "module_count 70\n",                       // 70 x 136 passes the area's end
        "module_position 9400\n",                  // entries would overlap the trailer
        "module 94 " + std::string(60, '1') + "\n",  // version field of 51 bytes, no terminator
        "module " + std::string(90, '9') + " 1\n",   // identifier field of 85 bytes, no terminator
        "software " + longText + " 40\n",          // first field of 236 bytes, no terminator
        "software 1 123456789012\n",               // second field of 11 bytes, no terminator
    };
    for (const std::string& faulty : cases) {
        PackCheckSession session;
        Script(std::string(kWorkingReader) + faulty);
        EXPECT_EQ(ProbeCardReader(ctx_, session), 0) << faulty;
    }
    EXPECT_TRUE(LogHolds("ERROR"));
    EXPECT_TRUE(LogHolds("Card-reader answer rejected : component list of 65 entries at 0 exceeds 14336 bytes"));
    EXPECT_TRUE(LogHolds("Card-reader answer rejected : module 2 text without terminator"));
    // At the limits the records are accepted.
    PackCheckSession session;
    Script("software " + std::string(235, '1') + " 1234567890\ncomponent_count 64\nmodule_count 69\n");
    EXPECT_EQ(ProbeCardReader(ctx_, session), 1);
}

}  // namespace
}  // namespace kt::sesam
