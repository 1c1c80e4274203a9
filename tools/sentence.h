#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace zanfiro::tools {

// What zanfiro-db says is written as whole sentences with numbered places
// for what changes ("Applied %1 corrections to the stock."), so that each
// can be translated as it stands.

// The sentence with %1, %2 ... replaced by the values, in order.
std::string sentence(std::string_view text, std::initializer_list<std::string> values);

// The sentence for one thing, or the one for any other number of them.
constexpr std::string_view plural(long long count, std::string_view one, std::string_view many) {
    return count == 1 ? one : many;
}

}  // namespace zanfiro::tools
