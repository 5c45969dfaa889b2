// What the pack check keeps for the life of one download dialog: whether the
// card-reader probe ran and what it found, the card-reader library it
// loaded, and the pack-compared flag the catalogue search reads. The
// download dialog owns one; destroying it releases the library.
#pragma once

#include <memory>

#include "hostsuite/presenter.h"
#include "platform/shared_library.h"

namespace kt::sesam {

struct PackCheckSession {
    // Owner of the probe's message and of the library's own windows: the
    // download dialog.
    hostsuite::Window owner = nullptr;
    bool probeDone = false;
    bool probeSucceeded = false;
    // Set when IsSesamPackUpdateNeeded made a full decision.
    bool packCompared = false;
    std::unique_ptr<platform::SharedLibrary> cardReader;
};

}  // namespace kt::sesam
