// The four folders of the pack's CCAM tables, always handled in the order
// common, SSV, SRT, STS.
#pragma once

#include <string>

namespace kt::sesam {

struct TableSet {
    std::string common;
    std::string ssv;
    std::string srt;
    std::string sts;
};

}  // namespace kt::sesam
