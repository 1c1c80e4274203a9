#pragma once

// What the operator does and sees in the window, for the editing and filter suites.

#include <QRadioButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "editing/id_text.h"
#include "editing/split_row.h"
#include "temp_database.h"
#include "window_harness.h"

namespace zanfiro::testing {

using Strings = std::vector<std::string>;
using Editor = std::array<std::string, 4>;                    // Text1, Combo3, Combo2, Text4
using Options = std::pair<std::string, std::string>;          // the selected type and module options
using Gear = std::tuple<int, const char*, const char*, int>;  // D, M, T, QTY

// A window on a database file of its own, seeded with IDs from 1 up.
class WindowTest : public ::testing::Test {
protected:
    void seed(const std::vector<Gear>& gears) {
        for (const auto& [D, M, T, QTY] : gears) db.insert(D, M, T, QTY);
    }
    void open(const std::vector<Gear>& gears = {}) {
        seed(gears);
        ASSERT_TRUE(ui.start());
    }
    TempDatabase db;
    WindowHarness ui{db};
};

inline Editor editorOf(const WindowHarness& ui) {
    return {ui.text("Text1"), ui.text("Combo3"), ui.text("Combo2"), ui.text("Text4")};
}

// As a paste would put them, past the keyboard rules.
inline void fillEditor(WindowHarness& ui, const Editor& e) {
    ui.form().Text1.setText(e[0]);
    ui.form().Combo3.setText(e[1]);
    ui.form().Combo2.setText(e[2]);
    ui.form().Text4.setText(e[3]);
}

inline Options options(const WindowHarness& ui) { return {ui.selectedType(), ui.selectedModule()}; }

inline void selectOptions(WindowHarness& ui, const std::string& type, const std::string& module) {
    for (const std::string& option : {type, module}) ui.option(option)->click();
}

// The IDs the record selection reads back from the heads of the rows.
inline Strings ids(const Strings& rows) {
    Strings heads;
    for (const std::string& row : rows) heads.push_back(idText(splitAt(row, "  ").at(0)));
    return heads;
}

// Label1, the editor, the selected options and the IDs both lists show.
using Shown = std::tuple<std::string, Editor, Options, Strings>;
inline Shown shown(const WindowHarness& ui) {
    EXPECT_EQ(ids(ui.listRows()), ids(ui.comboRows()));
    return {ui.status(), editorOf(ui), options(ui), ids(ui.comboRows())};
}

inline void pick(WindowHarness& ui, std::int64_t id) {
    const Strings rows = ui.comboRows();
    const auto row =
        std::ranges::find_if(rows, [&](const std::string& r) { return r.starts_with(std::to_string(id) + " "); });
    ASSERT_NE(row, rows.end()) << "no row for ID " << id;
    ui.choose("Combo1", static_cast<int>(row - rows.begin()));
}

}  // namespace zanfiro::testing
