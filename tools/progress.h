#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace zanfiro::tools {

// How far long work has come, as one line on the terminal updated in place
// ("Page 120 of 626"), at most ten times a second; cleared when the work is
// done, so that what the command says next starts on a clean line. Nothing
// at all when standard error is no terminal (a script, the backup timer, a
// menu action), whose reader wants only the outcome.
class Progress {
public:
    // `sentence` names the count done as %1 and the total as %2, so that it
    // can be translated whole.
    Progress(std::string sentence, std::size_t total);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void show(std::size_t done);

private:
    std::string sentence_;
    std::size_t total_;
    bool shown_ = false;
    bool terminal_;
    std::chrono::steady_clock::time_point next_{};
};

}  // namespace zanfiro::tools
