#include "download/transfer_progress.h"

#include "download/download_controls.h"
#include "download/progress_text.h"

namespace kt::download {

void TransferProgress::SetTotal(std::uint64_t total) {
    total_ = total;
    dialog_.SetRange(kOverallBar, 0, ProgressRange(total));
}

void TransferProgress::StartFile(std::int64_t size, Clock::time_point now, std::uint64_t already) {
    fileSize_ = size;
    fileBytes_ = already;
    overall_ += already;
    // The speed counts only what arrives from now on.
    bytesAtRate_ = already;
    rateShown_ = now;
    countsShown_ = now;
    if (already > 0) ShowCounts();
}

void TransferProgress::RestartFile(Clock::time_point now) {
    overall_ -= fileBytes_;
    StartFile(fileSize_, now);
    ShowCounts();
}

void TransferProgress::Add(std::size_t bytes, Clock::time_point now) {
    fileBytes_ += bytes;
    overall_ += bytes;
    countsPending_ = true;
    if (now - countsShown_ >= kCountsInterval) {
        countsShown_ = now;
        ShowCounts();
    }
    if (now - rateShown_ > kRateInterval) ShowRate(now);
}

void TransferProgress::ShowPendingCounts() {
    if (countsPending_) ShowCounts();
}

void TransferProgress::ShowCounts() {
    countsPending_ = false;
    if (!SizeKnown()) {
        dialog_.SetText(kSizeLabel, SizeText(fileBytes_));
        return;
    }
    dialog_.SetPosition(kOverallBar, ProgressPosition(overall_));
    dialog_.SetPosition(kFileBar, ProgressPosition(fileBytes_));
    dialog_.SetText(kSizeLabel, SizeText(fileBytes_, static_cast<std::uint64_t>(fileSize_)));
}

void TransferProgress::ShowRate(Clock::time_point now) {
    const double elapsed = std::chrono::duration<double, std::milli>(now - rateShown_).count();
    const double rate = static_cast<double>(fileBytes_ - bytesAtRate_) / elapsed;
    dialog_.SetText(kStatusLine2, SpeedLine(rate));
    rateShown_ = now;
    bytesAtRate_ = fileBytes_;
    if (!SizeKnown() || fileBytes_ == 0 || !(rate > 0.0)) return;
    const std::uint64_t left = total_ > overall_ ? total_ - overall_ : 0;
    const auto seconds = static_cast<std::uint64_t>(static_cast<double>(left) / (rate * 1024));
    dialog_.SetText(kStatusLine1, RemainingLine(seconds, SizeText(overall_, total_)));
}

}  // namespace kt::download
