#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace zanfiro::store {

// The program's one data source. It is fixed: no setting changes it.
inline constexpr std::string_view kConnectionString = R"(driver={Microsoft Access Driver (*.mdb)};dbq=C:\NDB\DB.mdb)";

// The driver name that connection strings ask for; SQLite serves it.
inline constexpr std::string_view kAccessDriver = "Microsoft Access Driver (*.mdb)";

// Reads an ODBC connection string into its attributes. Keys come back in
// lower case; values in braces may hold ';' and '}}' stands for '}'.
std::map<std::string, std::string> readConnectionString(std::string_view text);

struct DataSource {
    std::string driver;
    std::filesystem::path database;
};

// The driver and the database file a connection string names. A path on
// drive C: lives under `home` (C:\NDB\DB.mdb is home/NDB/DB.mdb); an
// absolute POSIX path is taken as it is.
DataSource dataSourceFor(std::string_view connectionString, const std::filesystem::path& home);

// The operator's home folder: $HOME, or the password database's entry.
std::filesystem::path userHome();

// A connection string naming the database file at an absolute POSIX path,
// for tools and tests that work on a file of their own.
std::string connectionStringFor(const std::filesystem::path& file);

// Where the program's own database lives for this user.
std::filesystem::path programDatabasePath();

}  // namespace zanfiro::store
