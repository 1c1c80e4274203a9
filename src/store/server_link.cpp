#include "store/server_link.h"

#include <fstream>

#include "base/failure.h"
#include "base/text.h"
#include "store/disk.h"
#include "store/pg.h"

namespace zanfiro::store {

namespace {

// A link is two short lines; anything longer is no link.
constexpr std::size_t kMostLinkBytes = 4096;

// The link written to a new file beside `file`, flushed to the disk.
std::filesystem::path writeBeside(const std::filesystem::path& file, const std::string& conninfo) {
    refusePassword(conninfo);
    if (conninfo.find('\n') != std::string::npos)
        throw Failure(failure::kBadConnectionString, "a server's connection string is one line");
    const std::filesystem::path beside = besideName(file);
    removeBeside(beside);
    writeNewFile(beside, concat({kLinkFirstLine, "\n", conninfo, "\n"}));
    return beside;
}

}  // namespace

bool isServerLink(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string head(kLinkFirstLine.size() + 1, '\0');
    if (!in.read(head.data(), static_cast<std::streamsize>(head.size()))) return false;
    return head == concat({kLinkFirstLine, "\n"});
}

std::string readServerLink(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string text(kMostLinkBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    const auto bad = [&](std::string_view why) {
        return Failure(failure::kBadConnectionString, concat({"the link ", file.string(), " ", why}));
    };
    if (text.size() > kMostLinkBytes) throw bad("is too long to be a link");
    const auto first = text.find('\n');
    const auto second = text.find('\n', first + 1);
    const std::string conninfo(trimmed(text.substr(first + 1, second - first - 1), " \t\r"));
    if (second != std::string::npos && !trimmed(text.substr(second), " \t\r\n").empty())
        throw bad("holds more than two lines");
    if (conninfo.empty()) throw bad("names no server on its second line");
    refusePassword(conninfo);
    return conninfo;
}

void refusePassword(const std::string& conninfo) {
    if (pg::namesPassword(conninfo))
        throw Failure(failure::kBadConnectionString,
                      "a link to the server never holds a password, since anyone may read it: put the password in "
                      "~/.pgpass (one line host:port:database:user:password, mode 0600) and leave it out of the "
                      "connection string");
}

void writeServerLink(const std::filesystem::path& file, const std::string& conninfo) {
    const std::filesystem::path beside = writeBeside(file, conninfo);
    try {
        takeFreeName(beside, file);
    } catch (...) {
        removeBeside(beside);
        throw;
    }
}

}  // namespace zanfiro::store
