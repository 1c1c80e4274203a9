#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "report.h"
#include "store/gear.h"

namespace zanfiro::tools {

// Bin labels: one label per gear on standard A4 sheets of labels, with the
// gear's ID large, its teeth, module and type in words, and a QR code of
// its ID that a phone's camera reads back as the ID.

// A sheet of labels as its maker lays it out, in millimetres from the
// page's top left corner.
struct LabelLayout {
    std::string_view name;  // "3x8": columns x rows, as --layout names it
    int columns, rows;
    double width, height;          // a label
    double left, top;              // the first label's corner
    double columnStep, rowStep;    // from one label's corner to the next one's
    std::string_view description;  // for --help
};

inline constexpr LabelLayout kLabelLayouts[] = {
    {"3x8", 3, 8, 70, 37, 0, 0.5, 70, 37, "24 labels of 70 x 37 mm, edge to edge"},
    {"3x7", 3, 7, 63.5, 38.1, 7.2, 15.15, 66.04, 38.1, "21 labels of 63.5 x 38.1 mm (as Avery L7160)"},
    {"2x7", 2, 7, 99.1, 38.1, 4.65, 15.15, 101.6, 38.1, "14 labels of 99.1 x 38.1 mm (as Avery L7163)"},
};

// The layout of that name, or none.
const LabelLayout* labelLayout(std::string_view name);

// "Corona" for C, "Pignone" for P, as the window's choices name them; any
// other type as it is stored.
std::string typeInWords(const store::Value& type);

// The gears to label: those with the given IDs in the order given, or else
// those the filter chooses in the stock sheet's order. An ID that no gear
// has is a failure that names every such ID.
std::vector<store::GearRecord> labelledGears(std::vector<store::GearRecord> gears, const std::vector<std::int64_t>& ids,
                                             const ReportFilter& filter);

}  // namespace zanfiro::tools
