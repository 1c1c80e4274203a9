// The row split: the pieces joined again with the separator give the text
// back, no piece holds the separator, and the empty text gives no piece.
#include <string>

#include "check.h"
#include "editing/split_row.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view text = asText(data, size);
    for (const std::string_view separator : {"  ", " "}) {
        const auto pieces = zanfiro::splitAt(text, separator);
        FUZZ_CHECK(text.empty() == pieces.empty());
        std::string joined;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            FUZZ_CHECK(pieces[i].find(separator) == std::string::npos);
            joined += (i ? std::string(separator) : "") + pieces[i];
        }
        FUZZ_CHECK(joined == text);
    }
    return 0;
}
