// Lines typed on the standard input, read with a time limit so that a
// program waiting for a person can go on with its own work meanwhile.
#pragma once

#include <chrono>
#include <string>

namespace kt::platform {

enum class ConsoleRead { Line, Timeout, Closed };

// Reads one line (without its end of line) from the standard input, waiting
// at most `timeout`. Closed once the input has ended and every line was read.
ConsoleRead ReadConsoleLine(std::string& line, std::chrono::milliseconds timeout);

}  // namespace kt::platform
