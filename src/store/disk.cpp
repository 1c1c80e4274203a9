#include "store/disk.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/failure.h"
#include "base/text.h"

namespace zanfiro::store {

namespace fs = std::filesystem;

bool nameTaken(const fs::path& path) {
    std::error_code ignored;
    return fs::exists(path, ignored) || fs::is_symlink(path, ignored);
}

void cannotWrite(const fs::path& file, std::string_view what, int error) {
    throw Failure(failure::kCannotWriteFile, concat({"cannot ", what, " ", file.string(), ": ", std::strerror(error)}));
}

void syncToDisk(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) cannotWrite(path, "open", errno);
    const int rc = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (rc != 0) cannotWrite(path, "write to disk", error);
}

void syncFolderOf(const fs::path& file) { syncToDisk(file.parent_path().empty() ? fs::path(".") : file.parent_path()); }

void makeFolder(const fs::path& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) cannotWrite(folder, "create the folder", error.value());
}

}  // namespace zanfiro::store
