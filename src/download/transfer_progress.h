// The progress of the package transfers in the download dialog: both bars,
// the size received, the speed and the remaining time. The bars and the size
// follow the bytes a few times a second; the speed and the remaining time
// are worked out again only once more than a second has passed.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "hostsuite/dialog_model.h"

namespace kt::download {

class TransferProgress {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::chrono::milliseconds kCountsInterval{100};
    static constexpr std::chrono::milliseconds kRateInterval{1000};

    explicit TransferProgress(hostsuite::DialogModel& dialog) : dialog_(dialog) {}

    // The sizes of all packages: the overall bar's range and the remaining time's base.
    void SetTotal(std::uint64_t total);
    // A file of `size` bytes (-1: unknown) starts at `now`, its first
    // `already` bytes kept from an earlier attempt: they count as done.
    void StartFile(std::int64_t size, Clock::time_point now, std::uint64_t already = 0);
    // The current file starts again from its first byte at `now`.
    void RestartFile(Clock::time_point now);
    // `bytes` more of the current package arrived at `now`.
    void Add(std::size_t bytes, Clock::time_point now);
    // Shows the counts as they are now: when a file ends, and while the
    // server keeps the next bytes waiting.
    void ShowCounts();
    // Shows the counts when some arrived since they were last shown.
    void ShowPendingCounts();

private:
    void ShowRate(Clock::time_point now);
    bool SizeKnown() const { return fileSize_ >= 0; }

    hostsuite::DialogModel& dialog_;
    std::uint64_t total_ = 0;
    std::uint64_t overall_ = 0;
    std::uint64_t fileBytes_ = 0;
    std::int64_t fileSize_ = -1;
    Clock::time_point countsShown_{};
    Clock::time_point rateShown_{};
    std::uint64_t bytesAtRate_ = 0;
    bool countsPending_ = false;
};

}  // namespace kt::download
