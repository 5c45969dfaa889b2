// What `kthost --help` and `kthost --version` print; the manual page is
// generated from the same text.
#pragma once

#include <string>

namespace kthost {

std::string HelpText();
std::string VersionText();

}  // namespace kthost
