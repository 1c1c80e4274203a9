#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "temp_database.h"
#include "values.h"
#include "window_harness.h"

namespace zanfiro::testing {

// A window on a database file of its own, which open() stocks with the gears before starting the window.
class WindowTest : public ::testing::Test {
protected:
    void open(const std::vector<store::GearRecord>& gears = {}) {
        for (const store::GearRecord& gear : gears) db.insert(gear);
        ASSERT_TRUE(ui.start()) << ::testing::PrintToString(ui.failures());
    }
    TempDatabase db;
    WindowHarness ui{db};
};

// The same, run once for every case of a table.
template <class Case>
class WindowCaseTest : public WindowTest, public ::testing::WithParamInterface<Case> {};

}  // namespace zanfiro::testing
