#include "config/text_limit.h"

namespace kt::config {
namespace {

bool ContinuesCharacter(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

std::string LimitChars(std::string_view text, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (ContinuesCharacter(static_cast<unsigned char>(text[i])) && i > 0) continue;
        if (chars == maxChars) return std::string(text.substr(0, i));
        ++chars;
    }
    return std::string(text);
}

}  // namespace kt::config
