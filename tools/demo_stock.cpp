#include "demo_stock.h"

#include <array>
#include <string_view>

#include "base/failure.h"
#include "store/engine.h"
#include "store/gear_table.h"

namespace zanfiro::tools {

namespace {

struct DemoGear {
    int teeth;
    std::string_view module;
    std::string_view type;
    int quantity;
};

// clang-format off
constexpr DemoGear kStock[] = {
    {40, "0.4", "C", 12}, {60, "0.4", "C", 4},  {80, "0.4", "C", 7},  {12, "0.4", "P", 30}, {15, "0.4", "P", 18},
    {50, "0.6", "C", 6},  {72, "0.6", "C", 3},  {10, "0.6", "P", 25}, {14, "0.6", "P", 9},
    {36, "48", "C", 2},   {48, "48", "C", 5},   {60, "48", "C", 1},   {11, "48", "P", 14},  {13, "48", "P", 8},
    {17, "48", "P", 20},  {30, "64", "C", 3},   {42, "64", "C", 2},   {9, "64", "P", 16},   {12, "64", "P", 11},
    {100, "0.4", "C", 1}, {20, "0.6", "P", 0},  {24, "48", "P", 6},   {54, "64", "C", 4},   {15, "64", "P", 10},
};
// clang-format on

}  // namespace

int writeDemoStock(const std::filesystem::path& database) {
    auto db = store::openDatabase(database);
    db->begin();
    if (store::countGears(*db) != 0)
        throw Failure(failure::kTargetNotEmpty,
                      "the Gears table already holds gears; the demo stock goes only into an empty one");
    for (const DemoGear& gear : kStock) {
        store::insertGear(*db,
                          {.D = store::Value(gear.teeth),
                           .M = store::Value(std::string(gear.module)),
                           .T = store::Value(std::string(gear.type)),
                           .QTY = store::Value(gear.quantity)});
    }
    db->commit();
    return static_cast<int>(std::size(kStock));
}

}  // namespace zanfiro::tools
