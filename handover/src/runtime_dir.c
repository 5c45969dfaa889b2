#include "runtime_dir.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

static const char* Environment(const char* name) {
    const char* value = getenv(name);
    return value != NULL && *value != '\0' ? value : NULL;
}

/* The module leaves a default folder someone else made (or others may
 * write to) for one in the home folder, and so must we. */
static int IsPrivateFolder(const char* dir) {
    struct stat info;
    return lstat(dir, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

static int Fits(int written, size_t size) {
    if (written < 0 || (size_t)written >= size) {
        errno = ENAMETOOLONG;
        return -1;
    }
    return 0;
}

int kthandover_runtime_path(const char* name, char* out, size_t size) {
    const char* chosen = Environment("KT_RUNTIME_DIR");
    if (chosen != NULL) return Fits(snprintf(out, size, "%s/%s", chosen, name), size);

    char dir[4096];
    const char* xdg = Environment("XDG_RUNTIME_DIR");
    const int written = xdg != NULL ? snprintf(dir, sizeof dir, "%s/ktupdate", xdg)
                                    : snprintf(dir, sizeof dir, "/tmp/ktupdate-%u", (unsigned)getuid());
    if (Fits(written, sizeof dir) != 0) return -1;
    if (IsPrivateFolder(dir)) return Fits(snprintf(out, size, "%s/%s", dir, name), size);
    const char* home = getenv("HOME");
    return Fits(snprintf(out, size, "%s/.ktupdate-run/%s", home != NULL ? home : "", name), size);
}
