#pragma once

#include <filesystem>
#include <ostream>
#include <string>

#include "store/value.h"

namespace zanfiro::tools {

// One CSV field (RFC 4180): a Null is an empty field; a text is quoted
// when it holds a comma, a quote, a line break or blanks at either end
// (which spreadsheets would otherwise lose), and always when it is empty,
// so that "" (an empty text) and nothing (Null) stay apart.
std::string csvField(const store::Value& value);

// Writes every gear of the database as CSV: the header ID,D,M,T,QTY, then
// one line per gear ordered by ID, lines ended by CR LF. Returns the
// number of gears written.
std::size_t exportGearsCsv(const std::filesystem::path& database, std::ostream& out);

}  // namespace zanfiro::tools
