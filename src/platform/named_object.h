// The files of the named cross-process objects (mutexes, events, timers) in
// the run-time folder. Each object is one file that every live handle keeps
// under a shared flock: the object exists exactly while a live process holds
// it, since the kernel drops the locks of a process that dies. A second
// file, the guard, is locked exclusively around creation, opening and
// removal, so that the test "is anyone else holding it?" and the set-up of a
// fresh object never interleave with another process doing the same.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/sys_error.h"
#include "platform/unique_fd.h"

namespace kt::platform {

struct NamedObjectHandle {
    UniqueFd file;       // keeps the shared liveness lock while the handle lives
    bool first = false;  // no live handle held the object before this one
};

// Runs with the guard held, on the object's file; a first holder sets the
// object up here. False gives the attach up.
using NamedObjectSetUp = std::function<bool(int fd, bool first)>;

// Takes a handle on the object `name` of `kind` ("mutex", "event"...), or
// says which call failed on which file. With `mayCreate` false, ENOENT when
// no live process holds the object.
SysResult<NamedObjectHandle> AttachNamedObject(const std::string& kind, const std::string& name, bool mayCreate,
                                               const NamedObjectSetUp& setUp);

// Names of the objects of `kind` starting with `prefix` that have a file,
// whether a live process holds them or not.
std::vector<std::string> ListNamedObjects(const std::string& kind, const std::string& prefix);

// Deletes the files of the object when no live process holds it. Only for
// names used once: nobody may create the same name again meanwhile.
void RemoveAbandonedNamedObject(const std::string& kind, const std::string& name);

}  // namespace kt::platform
