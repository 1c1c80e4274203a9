#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/failure.h"
#include "store/value.h"

namespace zanfiro::store {  // readable values in failure messages
inline void PrintTo(const Value& v, std::ostream* out) {
    *out << (v.isNull() ? "Null" : v.isNumber() ? v.text() : '"' + v.text() + '"');
}
}  // namespace zanfiro::store
namespace zanfiro {
inline void PrintTo(const Failure& f, std::ostream* out) { *out << f.number() << ": " << f.description(); }
}  // namespace zanfiro

namespace zanfiro::testing {

// One row of Gears as the database file holds it.
struct StoredGear {
    std::int64_t id;
    store::Value D, M, T, QTY;
    bool operator==(const StoredGear&) const = default;
};
inline void PrintTo(const StoredGear& g, std::ostream* out) {
    *out << "{" << g.id;
    for (const auto* v : {&g.D, &g.M, &g.T, &g.QTY}) *out << ", ", store::PrintTo(*v, out);
    *out << "}";
}

inline store::Value num(std::int64_t n) { return store::Value(n); }
inline store::Value txt(std::string s) { return store::Value(std::move(s)); }
inline store::Value null() { return store::Value(); }

// A gear database made as `zanfiro-db init` makes it, in a temporary folder
// removed afterwards. Seeding stores values as given (texts where numbers
// belong, Null), straight on the file.
class TempDatabase {
public:
    enum class Content { EmptyTable, NoFile };
    explicit TempDatabase(Content content = Content::EmptyTable);
    ~TempDatabase();
    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;

    const std::filesystem::path& folder() const { return folder_; }
    const std::filesystem::path& path() const { return path_; }
    std::string connectionString() const;  // read by the program's own code

    std::int64_t insert(store::Value D, store::Value M, store::Value T, store::Value QTY) {
        return insertRow({}, D, M, T, QTY);
    }
    std::int64_t insert(std::int64_t D, std::string M, std::string T, std::int64_t QTY) {
        return insertRow({}, num(D), txt(std::move(M)), txt(std::move(T)), num(QTY));
    }
    void insertWithId(std::int64_t id, store::Value D, store::Value M, store::Value T, store::Value QTY) {
        insertRow(id, D, M, T, QTY);
    }
    void execute(std::string_view sql) const;
    std::vector<StoredGear> gears() const;  // ordered by ID
    std::int64_t count() const { return static_cast<std::int64_t>(gears().size()); }

private:
    std::int64_t insertRow(std::optional<std::int64_t> id, const store::Value& D, const store::Value& M,
                           const store::Value& T, const store::Value& QTY);
    std::filesystem::path folder_;
    std::filesystem::path path_;
};

}  // namespace zanfiro::testing
