// Empties the activity log once it holds its maximum size, as the logging
// library does, but keeps the file open. The library closes and reopens it
// emptied; on ext4 a file that was emptied is written to disk when it is
// closed, and emptying it again then waits for that writing, all under the
// logger's lock that every statement takes.
#pragma once

#include <easylogging++.h>

namespace kt::log {

// Writes out the buffered lines of `level`'s file and empties the file when
// it is full. Called under the logger's lock, where the library would check
// the size (at a flush), so that its own check then finds the file small.
void RollWhenFull(el::Logger* logger, el::Level level);

}  // namespace kt::log
