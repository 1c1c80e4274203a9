#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "printing.h"
#include "store/value.h"

namespace zanfiro::testing {

// One row of Gears as the database file holds it.
struct StoredGear {
    std::int64_t id;
    store::Value D, M, T, QTY;
    bool operator==(const StoredGear&) const = default;
};

// Shorthands for seeding: a number, a text, Null.
inline store::Value num(std::int64_t n) { return store::Value(n); }
inline store::Value txt(std::string s) { return store::Value(std::move(s)); }
inline store::Value null() { return store::Value(); }

// A gear database in a temporary folder of its own, made the way
// `zanfiro-db init` makes it, and removed with the folder afterwards.
class TempDatabase {
public:
    enum class Content { EmptyTable, NoFile };

    explicit TempDatabase(Content content = Content::EmptyTable);
    ~TempDatabase();
    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;

    const std::filesystem::path& folder() const { return folder_; }
    const std::filesystem::path& path() const { return path_; }

    // A connection string that opens this file through the program's own
    // reading of connection strings.
    std::string connectionString() const;

    // Inserts a gear and returns its ID. Values go in as given, so a test
    // can store texts where numbers belong, or Null.
    std::int64_t insert(store::Value D, store::Value M, store::Value T, store::Value QTY);
    std::int64_t insert(std::int64_t D, std::string M, std::string T, std::int64_t QTY);
    // Inserts a gear under a chosen ID (for IDs beyond 16 bits, say).
    void insertWithId(std::int64_t id, store::Value D, store::Value M, store::Value T, store::Value QTY);

    // Runs any statement straight on the file, outside the program.
    void execute(std::string_view sql) const;

    // Every gear in the file, ordered by ID.
    std::vector<StoredGear> gears() const;
    std::int64_t count() const;

private:
    std::filesystem::path folder_;
    std::filesystem::path path_;
};

}  // namespace zanfiro::testing

namespace zanfiro::testing {
inline void PrintTo(const StoredGear& gear, std::ostream* out) {
    *out << "{ID " << gear.id << ", D ";
    store::PrintTo(gear.D, out);
    *out << ", M ";
    store::PrintTo(gear.M, out);
    *out << ", T ";
    store::PrintTo(gear.T, out);
    *out << ", QTY ";
    store::PrintTo(gear.QTY, out);
    *out << "}";
}
}  // namespace zanfiro::testing
