/* The module's run-time folder, found by the module's own rule. */
#ifndef KTHANDOVER_RUNTIME_DIR_H
#define KTHANDOVER_RUNTIME_DIR_H

#include <stddef.h>

/* Writes "R/name" into `out`; -1 (errno ENAMETOOLONG) when it does not fit. */
int kthandover_runtime_path(const char* name, char* out, size_t size);

#endif
