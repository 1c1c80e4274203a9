#pragma once

#include <filesystem>
#include <memory>

#include "store/session.h"

namespace zanfiro::store {

// The one place that decides which engine serves a database.

// Opens the existing gear database at `file`: the SQLite file itself, or
// the server a link file there names. A missing file, a file that is no
// database, and an Access file from the old Windows installation are
// failures that say which.
std::shared_ptr<Session> openDatabase(const std::filesystem::path& file);

// Makes a new gear database at `file`, with an empty Gears table. The file
// must not exist yet; its folder is created when missing, and nothing is
// left behind when creating fails.
void createDatabase(const std::filesystem::path& file);

// True when the file starts like a Jet or ACE (Access) database.
bool isAccessFile(const std::filesystem::path& file);

}  // namespace zanfiro::store
