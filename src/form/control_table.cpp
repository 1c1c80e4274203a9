#include "form/control_table.h"

namespace zanfiro {

namespace {

using enum ControlKind;

constexpr std::string_view kTypeEntries[] = {"C", "P"};
constexpr std::string_view kModuleEntries[] = {"0.4", "0.6", "48", "64"};

constexpr WindowDefinition kForm1{"Form1", "Zanfiro v1.1", 13275, 7785};

// clang-format off
constexpr ControlDefinition kControls[] = {
    {"Combo1",   ComboBox,      "Form1",  "",                    {},                         7800,  3840, 5055,  315,  0},
    {"List1",    ListBox,       "Form1",  "",                    {},                          240,   240, 7215, 6885,  1},
    {"Text1",    TextBox,       "Form1",  "",                    {},                         7800,  1320, 2175,  375,  2},
    {"Text4",    TextBox,       "Form1",  "",                    {},                         7800,  2760, 2175,  375,  3},
    {"Command1", CommandButton, "Form1",  "LOAD ALL",            {},                        11640,  3000, 1095,  375,  4},
    {"Command2", CommandButton, "Form1",  "SAVE",                {},                        11640,  1200, 1095,  375,  5},
    {"Command3", CommandButton, "Form1",  "DELETE",              {},                        11640,  1800, 1095,  375,  6},
    {"Command4", CommandButton, "Form1",  "CLEAR",               {},                        11640,  2400, 1095,  375,  7},
    {"Command5", CommandButton, "Form1",  "ESC",                 {},                        12120,  7320,  975,  375,  8},
    {"Command6", CommandButton, "Form1",  "FIND",                {},                         7800,  6600, 1215,  375,  9},
    {"Option3",  OptionButton,  "Form1",  "Modulo 0.4",          {},                        11280,  4920, 1575,  255, 10},
    {"Option4",  OptionButton,  "Form1",  "Modulo 0.6",          {},                        11280,  5400, 1695,  375, 11},
    {"Option5",  OptionButton,  "Form1",  "Modulo 48",           {},                        11280,  6000, 1695,  375, 12},
    {"Option6",  OptionButton,  "Form1",  "Modulo 64",           {},                        11280,  6600, 1575,  375, 13},
    {"Label2",   Label,         "Form1",  "Denti",               {},                        10200,  1440,  975,  255, 14},
    {"Label3",   Label,         "Form1",  "Modulo",              {},                        10200,  1920,  975,  255, 15},
    {"Label4",   Label,         "Form1",  "Tipo",                {},                        10200,  2400,  855,  255, 16},
    {"Label5",   Label,         "Form1",  "QTY",                 {},                        10200,  2880,  735,  255, 17},
    {"Frame1",   Frame,         "Form1",  "Tipo",                {},                         7800,  4800, 1815, 1575, 18},
    {"Option1",  OptionButton,  "Frame1", "Corona",              {},                          240,   360, 1335,  375, 19},
    {"Option2",  OptionButton,  "Frame1", "Pignone",             {},                          240,  1080, 1095,  255, 20},
    {"Combo2",   ComboBox,      "Form1",  "C",                   kTypeEntries,               7800,  2280, 2175,  315, 21},
    {"Combo3",   ComboBox,      "Form1",  "0.4",                 kModuleEntries,             7800,  1800, 2175,  315, 22},
    {"Label6",   Label,         "Form1",  "Seleziona Elemento",  {},                         7800,  3480, 2775,  255, 23},
    {"Label7",   Label,         "Form1",  "Orbeto Zanfiro V1.0", {},                         7680,  7440, 3495,  255, 24},
    {"Frame2",   Frame,         "Form1",  "Info",                {},                         8040,   360, 4215,  615, 25},
    {"Label1",   Label,         "Frame2", "",                    {},                          240,   240, 3735,  255, 26},
    // Holds the filtered-list refresh; the operator can never see or reach it.
    {"Command7", CommandButton, "Form1",  "Command7",            {},                         9840,  4920,  735,  255, 27, false, false},
    {"Label8",   Label,         "Form1",  "Ricerca",             {},                         7800,  4440, 1815,  255, 28},
};
// clang-format on

}  // namespace

const WindowDefinition& windowDefinition() { return kForm1; }

std::span<const ControlDefinition> controlTable() { return kControls; }

}  // namespace zanfiro
