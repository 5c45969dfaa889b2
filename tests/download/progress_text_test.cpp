// The numbers and texts of the download dialog, the speed limit's pause and
// the session the settings ask for.
#include <gtest/gtest.h>

#include "download/progress_text.h"
#include "download/download_controls.h"
#include "download/speed_limit.h"
#include "download/transfer_progress.h"
#include "download/transfer_session.h"

namespace kt::download {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

TEST(ProgressTextTest, SizesSpeedsTimesAndBarsAtTheirUnitBoundaries) {
    EXPECT_EQ((Strings{SizeText(1023), SizeText(1024), SizeText(1048576), SizeText(512, 65536), SpeedText(0.5),
                       SpeedText(9.999), SpeedLine(25.3), RemainingTimeText(59), RemainingTimeText(3720),
                       RemainingLine(3725, "1.00 Mo de 2.00 Mo")}),
              (Strings{"1023 Octets", "1.0 Ko", "1.00 Mo", "512 Octets de 64.0 Ko", "512 Octets/sec", "10.00 Ko/sec",
                       "Vitesse : 25 Ko/sec", "59 sec", "62 min", "Temps restant : 62 min 5 sec (1.00 Mo de 2.00 Mo copiés)"}));
    EXPECT_EQ(ProgressRange(512), 1);
    EXPECT_EQ(ProgressPosition(2047), 1);
    // Beyond what a bar holds the count stops at its largest value.
    EXPECT_EQ(ProgressPosition(std::uint64_t{1} << 60), INT32_MAX);
}

// Bytes kept from an earlier attempt count as done at once; starting the
// file again takes them back off the overall count.
TEST(TransferProgressTest, KeptBytesCountAsDoneUntilTheFileStartsAgain) {
    hostsuite::DialogModel dialog(130, "Téléchargement");
    dialog.AddProgress(kOverallBar);
    dialog.AddProgress(kFileBar);
    dialog.AddLabel(kSizeLabel);
    TransferProgress progress(dialog);
    progress.SetTotal(48 * 1024);
    const auto now = TransferProgress::Clock::now();
    progress.StartFile(16 * 1024, now);
    progress.Add(16 * 1024, now);
    progress.ShowCounts();
    progress.StartFile(32 * 1024, now, 8 * 1024);
    EXPECT_EQ(std::tuple(dialog.Position(kOverallBar), dialog.Position(kFileBar), dialog.Text(kSizeLabel)),
              std::tuple(24, 8, "8.0 Ko de 32.0 Ko"));
    progress.RestartFile(now);
    EXPECT_EQ(std::pair(dialog.Position(kOverallBar), dialog.Position(kFileBar)), std::pair(16, 0));
    progress.Add(32 * 1024, now + TransferProgress::kCountsInterval);
    EXPECT_EQ(dialog.Position(kOverallBar), 48);
}

TEST(SpeedLimitTest, ThePauseBringsTheAverageBackToTheLimit) {
    // 100,000 bytes in 5,000 ms at 10 Ko/sec: the average reaches 10 after 10,000 ms.
    EXPECT_EQ(SpeedLimitPause(10.0, 100000, 5000ms), 5000ms);
    EXPECT_EQ(SpeedLimitPause(200.0, 1024 * 1024, 1000ms), 4243ms);
    // Within the limit, without a limit, or before any time has passed: no pause.
    EXPECT_EQ(SpeedLimitPause(10.0, 50000, 5000ms) + SpeedLimitPause(0.0, 100000, 5000ms) + SpeedLimitPause(10.0, 100000, 0ms), 0ms);
}

// A proxy without a name would quietly go direct: it is no access.
TEST(TransferSessionTest, AProxyNeedsItsName) {
    config::InternetConfig config;
    config.connectionMode = config::kConnectionProxy;
    EXPECT_FALSE(MakeTransferSession(config));
    config.proxyAddress = "proxy.cabinet";
    config.proxyPort = 3128;
    EXPECT_EQ(MakeTransferSession(config)->proxy, "proxy.cabinet:3128");
}

}  // namespace
}  // namespace kt::download
