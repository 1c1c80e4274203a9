#include "progress.h"

#include <unistd.h>

#include <cstdio>

#include "sentence.h"

namespace zanfiro::tools {

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
    std::fputs(("\r\033[K" + sentence(sentence_, {std::to_string(done), std::to_string(total_)})).c_str(), stderr);
    std::fflush(stderr);
    shown_ = true;
}

}  // namespace zanfiro::tools
