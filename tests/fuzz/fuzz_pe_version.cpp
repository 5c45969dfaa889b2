// The pack's program files as found on disk: the file version and link date
// read from a PE image of any content.
#include <cctype>

#include "fuzz_support.h"
#include "sesam/pe_file_info.h"

namespace {

// "N.N.N", each part a decimal number.
bool IsVersionText(const std::string& text) {
    int dots = 0;
    bool digit = false;
    for (char c : text) {
        if (c == '.') {
            if (!digit) return false;
            ++dots;
            digit = false;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            digit = true;
        } else {
            return false;
        }
    }
    return dots == 2 && digit;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kt;
    fuzz::FreshTree();
    const std::string path = fuzz::WriteTreeFile("programfiles/Sesam/srt.dll", fuzz::AsText(data, size));
    const sesam::PeFileInfo info = sesam::ReadPeFileInfo(path);
    if (info.version && !IsVersionText(*info.version)) fuzz::Fail("version text " + *info.version);
    return 0;
}
