// The pack's program files as found on disk: the file version and link date
// read from a PE image of any content.
#include "fuzz_support.h"
#include "sesam/pe_file_info.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kt;
    fuzz::FreshTree();
    const std::string path = fuzz::WriteTreeFile("programfiles/Sesam/srt.dll", fuzz::AsText(data, size));
    sesam::ReadPeFileInfo(path);
    return 0;
}
