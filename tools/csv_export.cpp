#include "csv_export.h"

#include <utility>

#include "store/engine.h"
#include "store/gear_table.h"

namespace zanfiro::tools {

std::string csvField(const store::Value& value) {
    if (value.isNull()) return {};
    const std::string text = value.text();
    if (value.isNumber()) return text;
    const bool quote = text.empty() || text.find_first_of(",\"\r\n") != std::string::npos || text.front() == ' ' ||
                       text.back() == ' ' || text.front() == '\t' || text.back() == '\t';
    if (!quote) return text;
    std::string field = "\"";
    for (char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + '"';
}

std::size_t exportGearsCsv(const std::filesystem::path& database, std::ostream& out) {
    const auto gears = store::allGears(*store::openDatabase(database));
    std::string_view separator;
    for (const store::GearColumn& column : store::kGearColumns) out << std::exchange(separator, ",") << column.name;
    out << "\r\n";
    for (const store::GearRecord& gear : gears) {
        separator = {};
        for (const store::GearColumn& column : store::kGearColumns)
            out << std::exchange(separator, ",") << csvField(gear.*column.field);
        out << "\r\n";
    }
    return gears.size();
}

}  // namespace zanfiro::tools
