#include "progress.h"

#include <unistd.h>

#include <cstdio>

namespace zanfiro::tools {

namespace {

std::string filledIn(std::string sentence, std::size_t done, std::size_t total) {
    for (const auto& [mark, number] : {std::pair{"%1", done}, std::pair{"%2", total}})
        if (const auto at = sentence.find(mark); at != std::string::npos)
            sentence.replace(at, 2, std::to_string(number));
    return sentence;
}

}  // namespace

Progress::Progress(std::string sentence, std::size_t total)
    : sentence_(std::move(sentence)), total_(total), terminal_(isatty(STDERR_FILENO) == 1) {}

Progress::~Progress() {
    if (shown_) std::fputs("\r\033[K", stderr);
}

void Progress::show(std::size_t done) {
    if (!terminal_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now < next_ && done < total_) return;
    next_ = now + std::chrono::milliseconds(100);
    std::fputs(("\r\033[K" + filledIn(sentence_, done, total_)).c_str(), stderr);
    std::fflush(stderr);
    shown_ = true;
}

}  // namespace zanfiro::tools
