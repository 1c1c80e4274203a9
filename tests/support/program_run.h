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

inline std::string quoted(const std::string& word) {
    return "'" + std::regex_replace(word, std::regex("'"), "'\\''") + "'";
}

// Runs `program` in `home`, which is also its home folder, so that the program's database is that home's
// NDB/DB.mdb and nothing reaches the real one. `program` goes to the shell as written (NAME=value settings before
// it are welcome); the arguments are quoted.
inline Outcome run(const std::filesystem::path& home, const std::vector<std::string>& args,
                   const std::string& program) {
    std::string command = "cd " + quoted(home.string()) + " && HOME=" + quoted(home.string()) + " " + program;
    for (const auto& arg : args) command += " " + quoted(arg);
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string out;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
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
        all += entry.path().string() + "\n" + (entry.is_regular_file() ? bytesOf(entry) : std::string());
    return all;
}

}  // namespace zanfiro::testing
