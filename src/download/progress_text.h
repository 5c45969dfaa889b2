// The texts and numbers the download dialog shows while packages arrive:
// sizes, speed, remaining time, and the progress bars' units of 1024 bytes.
#pragma once

#include <cstdint>
#include <string>

namespace kt::download {

// "512 Octets", "12.5 Ko", "3.25 Mo"; with a non-zero total "<n> de <total>".
std::string SizeText(std::uint64_t bytes, std::uint64_t total = 0);

// The rate in bytes per millisecond: "512 Octets/sec", "5.00 Ko/sec", "25 Ko/sec".
std::string SpeedText(double rate);
// Status line 2: "Vitesse : " and the speed text.
std::string SpeedLine(double rate);

// "59 sec", "62 min", "62 min 5 sec".
std::string RemainingTimeText(std::uint64_t seconds);
// Status line 1: "Temps restant : <time> (<size text> copiés)".
std::string RemainingLine(std::uint64_t seconds, const std::string& sizeText);

// The progress bars count kilobytes: the range rounds, the position truncates.
int ProgressRange(std::uint64_t bytes);
int ProgressPosition(std::uint64_t bytes);

}  // namespace kt::download
