#include "store/disk.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cstring>

#include "base/failure.h"
#include "base/text.h"

namespace zanfiro::store {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBesideMark = ".partial-";

// The process that made a file beside, from its name; 0 when the name is
// none of ours.
pid_t besideMaker(std::string_view name) {
    if (!name.starts_with('.')) return 0;
    const auto mark = name.rfind(kBesideMark);
    if (mark == std::string_view::npos) return 0;
    std::string_view rest = name.substr(mark + kBesideMark.size());
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    const std::string_view tail(end, static_cast<std::size_t>(rest.data() + rest.size() - end));
    if (error != std::errc() || pid <= 0 || !(tail.empty() || tail == "-journal")) return 0;
    return pid;
}

void link(const fs::path& file, const fs::path& name) {
    if (::link(file.c_str(), name.c_str()) == 0) return;
    if (errno == EEXIST)
        throw Failure(failure::kCannotWriteFile, "the file already exists and was left untouched: " + name.string());
    cannotWrite(name, "write", errno);
}

}  // namespace

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

void writeNewFile(const fs::path& file, std::string_view text) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) cannotWrite(file, "create", errno);
    const bool written = ::fchmod(fd, 0644) == 0 &&
                         ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (written) return;
    ::unlink(file.c_str());
    cannotWrite(file, "write", error);
}

std::vector<fs::path> makeFolder(const fs::path& folder) {
    std::vector<fs::path> missing;
    for (fs::path at = folder; !at.empty() && !nameTaken(at); at = at.parent_path()) {
        missing.push_back(at);
        if (at == at.parent_path()) break;
    }
    std::vector<fs::path> made;
    for (auto at = missing.rbegin(); at != missing.rend(); ++at) {
        std::error_code error;
        if (!fs::create_directory(*at, error) && error) {
            removeFolders(made);
            cannotWrite(*at, "create the folder", error.value());
        }
        made.insert(made.begin(), *at);
        syncFolderOf(*at);
    }
    return made;
}

void removeFolders(const std::vector<fs::path>& made) {
    for (const fs::path& folder : made) {
        std::error_code ignored;
        fs::remove(folder, ignored);
    }
}

fs::path besideName(const fs::path& file) {
    return file.parent_path() /
           concat({".", file.filename().string(), kBesideMark, std::to_string(static_cast<long>(::getpid()))});
}

void removeBeside(const fs::path& beside) {
    std::error_code ignored;
    fs::remove(beside, ignored);
    fs::remove(beside.string() + "-journal", ignored);
}

void removeLeftovers(const fs::path& folder) {
    std::error_code error;
    bool removed = false;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const pid_t maker = besideMaker(entry.path().filename().string());
        // kill() with no signal only asks whether the process is there.
        if (maker == 0 || maker == ::getpid() || ::kill(maker, 0) == 0 || errno != ESRCH) continue;
        std::error_code ignored;
        removed |= fs::remove(entry.path(), ignored);
    }
    if (removed) syncToDisk(folder);
}

void addName(const fs::path& file, const fs::path& name) {
    link(file, name);
    syncFolderOf(name);
}

void takeFreeName(const fs::path& from, const fs::path& to) {
    link(from, to);
    ::unlink(from.c_str());
    syncFolderOf(to);
}

void replaceName(const fs::path& from, const fs::path& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) cannotWrite(to, "put the new file in place of", errno);
    syncFolderOf(to);
}

}  // namespace zanfiro::store
