// The connection-string reader: any text either reads or fails with the
// number for a bad connection string or an unknown driver; what it reads
// survives being written back in braces and read again.
#include <map>
#include <string>

#include "base/failure.h"
#include "check.h"
#include "store/connection_string.h"

using namespace zanfiro;

namespace {

std::string inBraces(const std::string& value) {
    std::string out = "{";
    for (const char c : value) out += c == '}' ? std::string("}}") : std::string(1, c);
    return out + "}";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view text = asText(data, size);
    std::map<std::string, std::string> attributes;
    try {
        attributes = store::readConnectionString(text);
    } catch (const Failure& failure) {
        FUZZ_CHECK(failure.number() == failure::kBadConnectionString);
        return 0;
    }
    std::string written;
    for (const auto& [key, value] : attributes) {
        FUZZ_CHECK(!key.empty());
        written += key + "=" + inBraces(value) + ";";
    }
    // A key may itself hold what the reader treats specially; those cannot
    // be written back plainly and are left out of the round trip.
    bool plainKeys = true;
    for (const auto& entry : attributes)
        plainKeys = plainKeys && entry.first.find_first_of("{};= \t") == std::string::npos;
    if (plainKeys) FUZZ_CHECK(store::readConnectionString(written) == attributes);
    try {
        const store::DataSource source = store::dataSourceFor(text, "/home/op");
        FUZZ_CHECK(source.database.is_absolute());
    } catch (const Failure& failure) {
        FUZZ_CHECK(failure.number() == failure::kBadConnectionString || failure.number() == failure::kUnknownDriver);
    }
    return 0;
}
