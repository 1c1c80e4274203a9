#include "sentence.h"

namespace zanfiro::tools {

std::string sentence(std::string_view text, std::initializer_list<std::string> values) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t place = i + 1 < text.size() ? static_cast<std::size_t>(text[i + 1] - '1') : values.size();
        if (text[i] == '%' && place < values.size()) {
            out += values.begin()[place];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace zanfiro::tools
