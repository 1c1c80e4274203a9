// The translation of the program's statements for the server: read back by
// putting each $n it wrote in place of a ?, the statement is the DELETE *
// rewrite of the input again, the placeholders count up from $1, every ?
// outside quotes (but SQLite's numbered ?NNN) becomes one, and none inside.
#include <cctype>
#include <string>

#include "check.h"
#include "store/access_sql.h"
#include "store/server_sql.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    // A $ of the input's own would look like a placeholder.
    std::string input(asText(data, size));
    for (char& c : input)
        if (c == '$') c = '#';
    const std::string translated = zanfiro::store::serverSql(input);

    std::string readBack;
    int placeholders = 0;
    for (std::size_t i = 0; i < translated.size();) {
        if (translated[i] != '$') {
            readBack += translated[i++];
            continue;
        }
        std::size_t end = i + 1;
        while (end < translated.size() && translated[end] >= '0' && translated[end] <= '9') ++end;
        FUZZ_CHECK(translated.substr(i + 1, end - i - 1) == std::to_string(++placeholders));
        readBack += '?';
        i = end;
    }
    const std::string rewritten = zanfiro::store::withoutDeleteStar(input);
    FUZZ_CHECK(readBack == rewritten);
    if (input.find_first_of("'\"") == std::string::npos) {
        int plain = 0;
        for (std::size_t i = 0; i < rewritten.size(); ++i)
            plain += rewritten[i] == '?' &&
                     !(i + 1 < rewritten.size() && std::isdigit(static_cast<unsigned char>(rewritten[i + 1])));
        FUZZ_CHECK(placeholders == plain);
        const std::string literal = "'" + input + "'";
        FUZZ_CHECK(zanfiro::store::serverSql(literal) == zanfiro::store::withoutDeleteStar(literal));
    }
    return 0;
}
