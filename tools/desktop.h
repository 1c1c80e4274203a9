#pragma once

#include <filesystem>
#include <string>

namespace zanfiro::tools {

// What the menu's actions need, which run zanfiro-db without a terminal:
// a place for the sheets they make, the desktop's viewer, and a
// notification for what they did.

// Where the sheets made from the menu go: the folder "fogli" beside the
// program's database (~/NDB/fogli), made when missing.
std::filesystem::path sheetsFolder();

// Opens the file with the desktop's viewer for its kind (xdg-open); false
// when there is none or it failed.
bool openOnDesktop(const std::filesystem::path& file);

// Shows `message` in a desktop notification (notify-send), marked as an
// error where it is one; false when no notification could be shown.
bool notifyDesktop(const std::string& message, bool error);

}  // namespace zanfiro::tools
