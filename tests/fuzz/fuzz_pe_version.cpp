// The pack's program files as found on disk: the file version and link date read from a PE image of any content.
#include "fuzz_support.h"
#include "sesam/pe_file_info.h"

KT_FUZZ_HARNESS(input) {
    kt::fuzz::FreshTree();
    kt::sesam::ReadPeFileInfo(kt::fuzz::WriteTreeFile("programfiles/Sesam/srt.dll", input));
}
