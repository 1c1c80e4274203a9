#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

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

// Writes `text` to the new file `file` (never over one that is there), as
// rw-r--r-- whatever the umask, and flushes it to the disk; a failure
// leaves no file.
void writeNewFile(const std::filesystem::path& file, std::string_view text);

// Creates the folder and those above it when missing, each name flushed to
// the disk. Returns the folders it made, the deepest first.
std::vector<std::filesystem::path> makeFolder(const std::filesystem::path& folder);

// Removes the folders makeFolder() made where they are still empty.
void removeFolders(const std::vector<std::filesystem::path>& made);

// A new file is made beside its final name under a hidden name of this
// process, ".NAME.partial-PID", and takes its final name only once it is
// whole and on the disk; a crash leaves at most that hidden file (with its
// SQLite journal), which removeLeftovers() finds.
std::filesystem::path besideName(const std::filesystem::path& file);

// Removes a file made beside, with the journal SQLite may have left by it.
void removeBeside(const std::filesystem::path& beside);

// Removes from `folder` the files made beside by processes that are gone.
void removeLeftovers(const std::filesystem::path& folder);

// Gives `file` the second name `name`, which must be free (a hard link,
// unlike a rename, never replaces what is there), and flushes the folder. A
// taken name is refused, leaving it as it is.
void addName(const std::filesystem::path& file, const std::filesystem::path& name);

// Gives the file `from` the name `to`, which must be free (a hard link,
// unlike a rename, never replaces what is there), then drops the old name
// and flushes the folder. A taken name is refused, leaving both as they are.
void takeFreeName(const std::filesystem::path& from, const std::filesystem::path& to);

// Renames `from` over whatever has the name `to`, in one step, and flushes
// the folder.
void replaceName(const std::filesystem::path& from, const std::filesystem::path& to);

// A file being made beside: removed (with its journal) when it goes out of
// scope before it took its name.
class BesideFile {
public:
    explicit BesideFile(const std::filesystem::path& finalName) : path_(besideName(finalName)) { removeBeside(path_); }
    ~BesideFile() {
        if (!named_) removeBeside(path_);
    }
    BesideFile(const BesideFile&) = delete;
    BesideFile& operator=(const BesideFile&) = delete;

    const std::filesystem::path& path() const { return path_; }
    void takeFreeName(const std::filesystem::path& to) {
        store::takeFreeName(path_, to);
        named_ = true;
    }
    void replaceName(const std::filesystem::path& to) {
        store::replaceName(path_, to);
        named_ = true;
    }

private:
    std::filesystem::path path_;
    bool named_ = false;
};

}  // namespace zanfiro::store
