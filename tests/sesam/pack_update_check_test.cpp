#include "sesam/pack_update_check.h"

#include <gtest/gtest.h>

#include "card_reader_fixture.h"
#include "pe_writer.h"

namespace kt::sesam {
namespace {

class PackUpdateCheckTest : public test::CardReaderFixture {
protected:
    void PackFile(const std::string& name, std::array<std::uint16_t, 4> version, std::uint32_t stamp) {
        test::PeImageRequest request;
        request.fileVersion = version;
        request.timeStamp = stamp;
        tree_.WriteFile("windows/" + name, test::BuildPeImage(request));
    }
    void UndatedFile(const std::string& name, std::uint32_t stamp) {
        test::PeImageRequest request;
        request.timeStamp = stamp;
        tree_.WriteFile("windows/" + name, test::BuildPeImage(request));
    }
    // A catalogue holding `executables` and `tables` (the children of each).
    std::string Catalogue(const std::string& executables, const std::string& tables = "") {
        return tree_
            .WriteFile("versions.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Update Version=\"5.2.0\">\n"
                                       "\t<SesamAll><Executables>" +
                                           executables + "</Executables>\n\t<Tables>" + tables +
                                           "</Tables></SesamAll>\n</Update>\n")
            .string();
    }
    int Decide(const std::string& catalogue) {
        PackCheckSession session;
        session.owner = &ownerTag_;
        return IsSesamPackUpdateNeeded(ctx_, session, catalogue, 0);
    }
    // A pack with a reader that answers: SRT 1.40, STS component 140, module 94 at 12.
    void WorkingPack() {
        InstallPack();
        InstallLibrary();
        Script("software 1 40\ncomponent I 140\ncomponent M 5\nmodule 94 12\nmodule 9 7\n");
    }
};

TEST_F(PackUpdateCheckTest, NoPackInstalledNeedsThePackageWithoutProbing) {
    InstallLibrary();
    Script("software 1 40\n");
    PackCheckSession session;
    EXPECT_EQ(IsSesamPackUpdateNeeded(ctx_, session, Catalogue(""), 0), 1);
    EXPECT_TRUE(session.packCompared);
    EXPECT_TRUE(session.probeDone);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(PackUpdateCheckTest, ProbeOnlyReturnsTheProbeAndRunsItOncePerSession) {
    WorkingPack();
    PackCheckSession session;
    EXPECT_EQ(IsSesamPackUpdateNeeded(ctx_, session, Catalogue(""), 1), 1);
    EXPECT_FALSE(session.packCompared);
    EXPECT_EQ(IsSesamPackUpdateNeeded(ctx_, session, Catalogue(""), 1), 1);
    EXPECT_EQ(IsSesamPackUpdateNeeded(ctx_, session, Catalogue(""), 0), 0);
    EXPECT_TRUE(session.packCompared);
    EXPECT_EQ(Calls().size(), 3u);

    Script("status 22 1\n");
    PackCheckSession failing;
    EXPECT_EQ(IsSesamPackUpdateNeeded(ctx_, failing, Catalogue(""), 1), 0);
}

TEST_F(PackUpdateCheckTest, ProgramFileOlderThanDescribedNeedsThePackage) {
    InstallPack();
    PackFile("ktsv.dll", {3, 2, 9, 0}, test::NoonUtc(2024, 1, 1));
    EXPECT_EQ(Decide(Catalogue("<Item Name=\"ktsv.dll\" Version=\"3.2.10\"/>")), 1);
    PackFile("ktsv.dll", {3, 2, 10, 0}, test::NoonUtc(2024, 1, 1));
    EXPECT_EQ(Decide(Catalogue("<Item Name=\"ktsv.dll\" Version=\"3.2.9\"/>")), 0);
    EXPECT_EQ(Decide(Catalogue("<Item Name=\"ktsv.dll\" Version=\"3.2.10\"/>")), 0);
}

TEST_F(PackUpdateCheckTest, ItemsForTheOtherWindowsFamilyAreIgnored) {
    InstallPack();
    PackFile("ktsv.dll", {3, 2, 9, 0}, test::NoonUtc(2024, 1, 1));
    EXPECT_EQ(Decide(Catalogue("<Item Name=\"ktsv.dll\" Version=\"4.0.0\" System=\"98\"/>")), 0);
    EXPECT_EQ(Decide(Catalogue("<ITEM Name=\"ktsv.dll\" Version=\"4.0.0\" System=\"nt\"/>")), 1);
    EXPECT_EQ(Decide(Catalogue("<item Name=\"ktsv.dll\" Version=\"4.0.0\"/>")), 1);
}

TEST_F(PackUpdateCheckTest, LinkDateDecidesWhenThereIsNoVersionToCompare) {
    InstallPack();
    UndatedFile("old.exe", test::NoonUtc(2023, 11, 30));
    EXPECT_EQ(Decide(Catalogue("<Item Name=\"old.exe\" Version=\"1.0.0\" LinkDate=\"1.12.2023\"/>")), 1);
    EXPECT_EQ(Decide(Catalogue("<Item Name=\"old.exe\" LinkDate=\"30.11.2023\"/>")), 0);
    // A versioned file compared without a Version falls back to its date.
    PackFile("new.dll", {9, 9, 9, 9}, test::NoonUtc(2023, 11, 30));
    EXPECT_EQ(Decide(Catalogue("<Item Name=\"new.dll\" LinkDate=\"2.1.2024\"/>")), 1);
}

TEST_F(PackUpdateCheckTest, FileWithNeitherVersionNorDateDoesNotDecide) {
    InstallPack();
    tree_.WriteFile("windows/notes.txt", "not a program");
    EXPECT_EQ(Decide(Catalogue("<Item Name=\"notes.txt\" Version=\"9.0.0\" LinkDate=\"1.1.2030\"/>"
                               "<Item Name=\"absent.dll\" Version=\"9.0.0\" LinkDate=\"1.1.2030\"/>")),
              0);
}

TEST_F(PackUpdateCheckTest, FirstNeedingItemEndsTheExecutablesWalk) {
    InstallPack();
    PackFile("a.dll", {1, 0, 0, 0}, test::NoonUtc(2024, 1, 1));
    PackFile("sub/b.dll", {1, 0, 0, 0}, test::NoonUtc(2024, 1, 1));
    // Windows separators in names are understood.
    EXPECT_EQ(Decide(Catalogue("<Item Name=\"sub\\b.dll\" Version=\"2.0.0\"/><Item Name=\"a.dll\" Version=\"0.1.0\"/>")),
              1);
}

TEST_F(PackUpdateCheckTest, TableVersionAboveTheInstalledNumberNeedsThePackage) {
    WorkingPack();
    // SRT: the software record gives 1.40 -> 140.
    EXPECT_EQ(Decide(Catalogue("", "<SRT Version=\"1.40\"/>")), 0);
    EXPECT_EQ(Decide(Catalogue("", "<SRT Version=\"1.41\"/>")), 1);
    // Module 94 is at 12: 1.40 gives 140, above it; 1.2 gives 12, equal.
    EXPECT_EQ(Decide(Catalogue("", "<Script Version=\"1.40\"/>")), 1);
    EXPECT_EQ(Decide(Catalogue("", "<script Version=\"1.2\"/>")), 0);
    // STS is every component of type I (140); FNMF every one of type M (5).
    EXPECT_EQ(Decide(Catalogue("", "<STS Version=\"1.40\"/><FNMF Version=\"5\"/>")), 0);
    EXPECT_EQ(Decide(Catalogue("", "<STS Version=\"1.40\"/><FNMF Version=\"6\"/>")), 1);
    // Nothing installed of that kind: nothing to compare.
    EXPECT_EQ(Decide(Catalogue("", "<CMU Version=\"99\"/><SMC Version=\"99\"/>")), 0);
}

TEST_F(PackUpdateCheckTest, TableVersionsAreKeptForTheInstaller) {
    WorkingPack();
    EXPECT_EQ(Decide(Catalogue("", "<Script Version=\"1.40\"/><FNMF Version=\"2.3\"/><Unknown Version=\"8\"/>"
                                   "<CTIP Version=\"123456789012345678\"/>")),
              1);
    const SesamPackState& state = ctx_.sesamPack;
    EXPECT_EQ(state.TableVersion(0), "1.40");
    EXPECT_EQ(state.TableVersion(10), "2.3");
    EXPECT_EQ(state.TableVersion(8), "12345678901234");
    EXPECT_EQ(state.Bytes()[8 * 15 + 14], 0);
    EXPECT_EQ(state.TableVersion(3), "");
}

TEST_F(PackUpdateCheckTest, FailedProbeLeavesOnlyTheExecutablesToDecide) {
    InstallPack();
    InstallLibrary();
    Script("software 1 40\nstatus 23 4\n");
    EXPECT_EQ(Decide(Catalogue("", "<SRT Version=\"9.99\"/>")), 0);
    EXPECT_EQ(ctx_.sesamPack.TableVersion(4), "");
}

}  // namespace
}  // namespace kt::sesam
