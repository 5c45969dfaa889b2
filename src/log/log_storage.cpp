// The storage of the activity log. It is built into the logging library itself:
// the library's objects refer to it, and a static core linked before the
// library would otherwise leave it out in an optimised build.
#include <easylogging++.h>

// The log storage is made before any other object of the library, so that
// the application object, built when the library is loaded, can log at once.
namespace el {
namespace base {
el::base::type::StoragePointer elStorage __attribute__((init_priority(101)))(
    new el::base::Storage(el::LogBuilderPtr(new el::base::DefaultLogBuilder())));
}  // namespace base
el::base::debug::CrashHandler elCrashHandler __attribute__((init_priority(101)))(ELPP_USE_DEF_CRASH_HANDLER);
}  // namespace el
