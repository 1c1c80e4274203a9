#include "demo_stock.h"

#include <array>
#include <string_view>

#include "store/database_file.h"
#include "store/failure.h"
#include "store/sqlite.h"

namespace zanfiro::tools {

namespace {

struct DemoGear {
    int teeth;
    std::string_view module;
    std::string_view type;
    int quantity;
};

// clang-format off
constexpr std::array<DemoGear, 24> kStock{{
    {40, "0.4", "C", 12}, {60, "0.4", "C", 4},  {80, "0.4", "C", 7},  {12, "0.4", "P", 30}, {15, "0.4", "P", 18},
    {50, "0.6", "C", 6},  {72, "0.6", "C", 3},  {10, "0.6", "P", 25}, {14, "0.6", "P", 9},
    {36, "48", "C", 2},   {48, "48", "C", 5},   {60, "48", "C", 1},   {11, "48", "P", 14},  {13, "48", "P", 8},
    {17, "48", "P", 20},  {30, "64", "C", 3},   {42, "64", "C", 2},   {9, "64", "P", 16},   {12, "64", "P", 11},
    {100, "0.4", "C", 1}, {20, "0.6", "P", 0},  {24, "48", "P", 6},   {54, "64", "C", 4},   {15, "64", "P", 10},
}};
// clang-format on

}  // namespace

int writeDemoStock(const std::filesystem::path& database) {
    auto db = store::openDatabaseFile(database);
    db->exec("BEGIN IMMEDIATE");
    store::sqlite::Statement count(*db, "SELECT count(*) FROM Gears");
    count.step();
    if (count.column(0) != store::Value(std::int64_t{0})) {
        db->exec("ROLLBACK");
        throw store::Failure(1, "the Gears table already holds gears; the demo stock goes only into an empty one");
    }
    store::sqlite::Statement insert(*db, "INSERT INTO Gears (D, M, T, QTY) VALUES (?, ?, ?, ?)");
    for (const DemoGear& gear : kStock) {
        insert.bind(1, std::int64_t{gear.teeth});
        insert.bind(2, gear.module);
        insert.bind(3, gear.type);
        insert.bind(4, std::int64_t{gear.quantity});
        insert.step();
        insert.reset();
    }
    db->exec("COMMIT");
    return static_cast<int>(kStock.size());
}

}  // namespace zanfiro::tools
