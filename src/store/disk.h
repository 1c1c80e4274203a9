#pragma once

#include <filesystem>
#include <string_view>

namespace zanfiro::store {

// What the store writes besides its databases (links, copies) reaches the
// disk through these, so that a crash or a power cut finds it whole or not
// at all.

// True when anything has this name: a file, a folder, or a symbolic link,
// even one that points nowhere (which exists() calls free).
bool nameTaken(const std::filesystem::path& path);

// Ends with the failure to write `file`, as "cannot WHAT FILE: REASON".
[[noreturn]] void cannotWrite(const std::filesystem::path& file, std::string_view what, int error);

// Flushes what was written to the file or folder to the disk.
void syncToDisk(const std::filesystem::path& path);

// Flushes the folder that holds `file`, so that a name just given or
// removed there survives a power cut.
void syncFolderOf(const std::filesystem::path& file);

// Creates the folder and those above it when missing.
void makeFolder(const std::filesystem::path& folder);

}  // namespace zanfiro::store
