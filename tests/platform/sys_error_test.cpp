// A system call that fails says which call, on what, and the errno it gave.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/atomic_file.h"
#include "platform/named_object.h"
#include "platform_fixture.h"

namespace kt::test {
namespace {

using namespace platform;
using SysErrorTest = PlatformTest;

// The error of a result that must have failed.
template <typename Result>
SysError ErrorOf(const Result& result) {
    EXPECT_FALSE(result);
    return result ? SysError{} : result.Error();
}

TEST_F(SysErrorTest, AFailedCallNamesTheCallTheObjectAndTheSystemText) {
    tree.MakeDir("folder");
    const std::string missing = (tree / "missing/state.xml").string();
    const std::string folder = (tree / "folder").string();
    struct Case {
        const char* what;
        std::function<SysError()> fail;
        const char* call;
        std::string objectStart;
        int error;
    };
    const Case cases[] = {
        {"replace in a missing folder", [&] { return ErrorOf(ReplaceFileAtomically(missing, "x")); }, "open",
         (tree / "missing/.state.xml.").string(), ENOENT},
        {"replace a folder", [&] { return ErrorOf(ReplaceFileAtomically(folder, "x")); }, "rename", folder, EISDIR},
        {"open an object nobody holds",
         [&] { return ErrorOf(AttachNamedObject("test", "nobody", false, [](int, bool) { return true; })); }, "open",
         "", ENOENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SysError error = c.fail();
        EXPECT_EQ(error.call, c.call);
        EXPECT_EQ(error.object.rfind(c.objectStart, 0), 0u) << error.object;
        EXPECT_EQ(error.code, std::error_code(c.error, std::generic_category()));
        EXPECT_EQ(error.Describe(), error.call + " " + error.object + " : " + std::strerror(c.error));
    }
    for (const auto& entry : std::filesystem::directory_iterator(tree.Root())) {
        EXPECT_FALSE(entry.path().filename().string().starts_with(".folder.")) << "temporary left behind";
    }
}

}  // namespace
}  // namespace kt::test
