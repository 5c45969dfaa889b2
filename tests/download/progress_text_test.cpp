// The numbers and texts of the download dialog and the speed limit's pause.
#include <gtest/gtest.h>

#include "download/progress_text.h"
#include "download/speed_limit.h"

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

TEST(SpeedLimitTest, ThePauseBringsTheAverageBackToTheLimit) {
    // 100,000 bytes in 5,000 ms at 10 Ko/sec: the average reaches 10 after 10,000 ms.
    EXPECT_EQ(SpeedLimitPause(10.0, 100000, 5000ms), 5000ms);
    EXPECT_EQ(SpeedLimitPause(200.0, 1024 * 1024, 1000ms), 4243ms);
    // Within the limit, without a limit, or before any time has passed: no pause.
    EXPECT_EQ(SpeedLimitPause(10.0, 50000, 5000ms) + SpeedLimitPause(0.0, 100000, 5000ms) + SpeedLimitPause(10.0, 100000, 0ms), 0ms);
}

}  // namespace
}  // namespace kt::download
