#include "desktop.h"

#include <spawn.h>

#include <sys/wait.h>

#include <cerrno>
#include <vector>

#include "base/failure.h"
#include "store/connection_string.h"

extern char** environ;

namespace zanfiro::tools {

namespace fs = std::filesystem;

namespace {

// Runs a program found on PATH with its arguments and waits for it; false
// when it is not there or ends with a failure.
bool runProgram(std::vector<std::string> words) {
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

fs::path sheetsFolder() {
    const fs::path folder = store::programDatabasePath().parent_path() / "fogli";
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        throw Failure(failure::kCannotWriteFile, "cannot make the folder " + folder.string() + ": " + error.message());
    return folder;
}

bool openOnDesktop(const fs::path& file) { return runProgram({"xdg-open", file.string()}); }

bool notifyDesktop(const std::string& message, bool error) {
    return runProgram({"notify-send",
                       "--app-name=Zanfiro",
                       "--icon=org.zanfiro.Zanfiro",
                       error ? "--urgency=critical" : "--urgency=normal",
                       "Zanfiro",
                       message});
}

}  // namespace zanfiro::tools
