#include "filters/filtered_rows.h"

namespace zanfiro {

// clang-format off
constinit const RowLayout kFilteredLayout{
    .comboRow = {"    -    Denti   " "\t", "\t" "      Modulo    ", "\t" "      Tipo    ", "\t" "    QTY   "},
    .boxRow   = {"    -    Denti "   "\t", "\t" " Modulo ",         "\t" "Tipo  ",         "\t" "   QTY   "},
};
// clang-format on

}  // namespace zanfiro
