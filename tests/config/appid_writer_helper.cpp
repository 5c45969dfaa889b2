// Rewrites the Version of an appid.xml, alternating two values, until it is
// killed. Writes one byte to standard output once the first write is done.
#include <cstdio>
#include <unistd.h>

#include "config/node_data.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const char* versions[] = {"5.2.0", "5.3.0"};
    for (unsigned long i = 0;; ++i) {
        if (!kt::config::SetNodeData(argv[1], "Workstation", "Version", versions[i % 2], nullptr, nullptr)) return 1;
        if (i == 0 && write(STDOUT_FILENO, "w", 1) != 1) return 1;
    }
}
