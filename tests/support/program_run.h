#pragma once

// Running the real programs as an operator runs them from a shell, and reading what they leave in files.

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace zanfiro::testing {

struct Outcome {
    int exit;
    std::string out;  // standard output and error together
    std::string said() const { return std::to_string(exit) + " " + out; }
};

// Runs `program` in `folder`, which is also its home so that nothing reaches the real ~/NDB. `program` goes to the
// shell as written: NAME=value entries before it and plain words after it are welcome.
inline Outcome run(const std::filesystem::path& folder, const std::vector<std::string>& args,
                   const std::string& program) {
    std::string command = "cd '" + folder.string() + "' && HOME='" + folder.string() + "' " + program;
    for (const auto& arg : args) command += " '" + std::regex_replace(arg, std::regex("'"), "'\\''") + "'";
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string out(1 << 20, '\0');
    out.resize(std::fread(out.data(), 1, out.size(), pipe));
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

inline std::string bytesOf(const std::filesystem::path& file) {
    return {std::istreambuf_iterator(std::ifstream(file, std::ios::binary).rdbuf()), {}};
}

// Every path under `folder` with its bytes: what a refused command must leave as it found it.
inline std::string everything(const std::filesystem::path& folder) {
    std::string all;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        all += entry.path().string() + (entry.is_directory() ? "/" : bytesOf(entry));
    return all;
}

}  // namespace zanfiro::testing
