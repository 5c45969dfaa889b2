// Captions as the toolkit shows them.
#pragma once

#include <string>

namespace kt::gtk {

// "&Oui" -> "_Oui": the access key as the toolkit marks it; "&&" is a plain
// ampersand and an underscore stays one.
std::string MnemonicCaption(const std::string& caption);

}  // namespace kt::gtk
