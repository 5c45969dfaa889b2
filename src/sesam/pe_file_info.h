// What the pack check reads from the pack's program files (Windows PE
// images): the file version of the version resource and the link date of
// the build time stamp. Read from the file itself, so that the pack's real
// files are understood on any system.
#pragma once

#include <optional>
#include <string>

namespace kt::sesam {

struct PeFileInfo {
    // "major.minor.build" of the fixed file information; nothing when the
    // file has no version resource.
    std::optional<std::string> version;
    // "day.month.year" (UTC) of the image's time stamp; nothing when the file
    // is not a PE image or its stamp is zero (a build that records no date).
    std::optional<std::string> linkDate;
};

// Nothing is read past the end of the file; a damaged image yields what
// could be read safely.
PeFileInfo ReadPeFileInfo(const std::string& path);

}  // namespace kt::sesam
