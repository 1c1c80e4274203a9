#include "form/full_list.h"

namespace zanfiro {

// In Combo1 nine spaces stand between the tab and Modulo: four, then five
// before the word.
// clang-format off
constinit const RowLayout kFullListLayout{
    .comboRow = {"   -      Denti  ", "\t" "    " "     Modulo    ", "\t" "      Tipo    ", "\t" "    QTY   "},
    .boxRow   = {"   -      Denti  ", "\t" "     Modulo  ",            "\t" "Tipo  ",         "\t" "   QTY   "},
};
// clang-format on

void loadFullList(Form1& form, const store::SortedQuery& query) {
    openNewConnection(form);
    newRecordset(form);
    openRecordset(form, query);
    appendEveryGear(form, kFullListLayout);
    closeRecordsetAndConnection(form);
}

}  // namespace zanfiro
