#pragma once

// What the operator reads in the window, for the editing and filter suites:
// the two row layouts written out piece by piece, the list controls and the
// editor as a whole.

#include <QRadioButton>
#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "editing/split_row.h"
#include "temp_database.h"
#include "window_harness.h"

namespace zanfiro::testing {

// A gear with every column in the text form the window shows.
struct ShownGear {
    std::int64_t id;
    std::string D, M, T, QTY;
};

inline ShownGear seedGear(TempDatabase& db, std::int64_t D, std::string M, std::string T, std::int64_t QTY) {
    const auto id = db.insert(D, M, T, QTY);
    return {id, std::to_string(D), std::move(M), std::move(T), std::to_string(QTY)};
}

struct Rows {
    std::vector<std::string> combo, box;
    bool operator==(const Rows&) const = default;
};

inline void PrintTo(const Rows& rows, std::ostream* out) {
    *out << "Combo1 " << ::testing::PrintToString(rows.combo) << "\nList1 " << ::testing::PrintToString(rows.box);
}

enum class Layout { FullList, Filtered };

inline Rows expectedRows(Layout layout, const std::vector<ShownGear>& gears) {
    Rows rows;
    for (const ShownGear& g : gears) {
        const std::string id = std::to_string(g.id);
        if (layout == Layout::FullList) {
            rows.combo.push_back(id + "   -      Denti  " + g.D + "\t         Modulo    " + g.M + "\t      Tipo    " +
                                 g.T + "\t    QTY   " + g.QTY);
            rows.box.push_back(id + "   -      Denti  " + g.D + "\t     Modulo  " + g.M + "\tTipo  " + g.T +
                               "\t   QTY   " + g.QTY);
        } else {
            rows.combo.push_back(id + "    -    Denti   \t" + g.D + "\t      Modulo    " + g.M + "\t      Tipo    " +
                                 g.T + "\t    QTY   " + g.QTY);
            rows.box.push_back(id + "    -    Denti \t" + g.D + "\t Modulo " + g.M + "\tTipo  " + g.T + "\t   QTY   " +
                               g.QTY);
        }
    }
    return rows;
}

inline Rows shownRows(const WindowHarness& ui) { return {ui.comboRows(), ui.listRows()}; }

// The IDs at the heads of Combo1's rows, as the record selection reads them.
inline std::vector<std::string> rowHeads(const WindowHarness& ui) {
    std::vector<std::string> heads;
    for (const std::string& row : ui.comboRows()) heads.push_back(splitAt(row, "  ").at(0));
    return heads;
}

inline int rowOf(const WindowHarness& ui, std::int64_t id) {
    const auto heads = rowHeads(ui);
    for (std::size_t i = 0; i < heads.size(); ++i)
        if (heads[i] == std::to_string(id)) return static_cast<int>(i);
    throw std::runtime_error("no row for ID " + std::to_string(id));
}

// The operator picks the gear's row from the drop-down of Combo1.
inline void pick(WindowHarness& ui, std::int64_t id) { ui.choose("Combo1", rowOf(ui, id)); }

// Text1, Combo3, Combo2, Text4: teeth, module, type, quantity.
using Editor = std::array<std::string, 4>;

inline Editor editorOf(const WindowHarness& ui) {
    return {ui.text("Text1"), ui.text("Combo3"), ui.text("Combo2"), ui.text("Text4")};
}

// Texts put in as a paste would, past the keyboard rules.
inline void fillEditor(WindowHarness& ui, const Editor& e) {
    ui.form().Text1.setText(e[0]);
    ui.form().Combo3.setText(e[1]);
    ui.form().Combo2.setText(e[2]);
    ui.form().Text4.setText(e[3]);
}

inline void selectOptions(WindowHarness& ui, const char* type, const char* module) {
    ui.option(type)->click();
    ui.option(module)->click();
}

// The selected type option and module option.
using Options = std::pair<std::string, std::string>;
inline Options options(const WindowHarness& ui) {
    return {ui.selectedType(), ui.selectedModule()};
}

}  // namespace zanfiro::testing
