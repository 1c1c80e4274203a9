#include "csv_export.h"

#include "store/database_file.h"
#include "store/sqlite.h"

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
    auto db = store::openDatabaseFile(database);
    store::sqlite::Statement query(*db, "SELECT ID, D, M, T, QTY FROM Gears ORDER BY ID");
    out << "ID,D,M,T,QTY\r\n";
    std::size_t rows = 0;
    while (query.step()) {
        for (int column = 0; column < 5; ++column) out << (column ? "," : "") << csvField(query.column(column));
        out << "\r\n";
        ++rows;
    }
    return rows;
}

}  // namespace zanfiro::tools
