#include "gtk/captions.h"

namespace kt::gtk {

std::string MnemonicCaption(const std::string& caption) {
    std::string marked;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        const char c = caption[i];
        if (c == '_') {
            marked += "__";
        } else if (c == '&' && i + 1 < caption.size()) {
            // "&&" is a plain ampersand.
            marked += caption[i + 1] == '&' ? '&' : '_';
            if (caption[i + 1] == '&') ++i;
        } else {
            marked += c;
        }
    }
    return marked;
}

}  // namespace kt::gtk
