#include "filters/filtered_rows.h"

namespace zanfiro {

std::string filteredComboRow(const GearRecord& gear) {
    return gear.ID.textOrEmpty() + "    -    Denti   " + "\t" + gear.D.textOrEmpty() + "\t" + "      Modulo    " +
           gear.M.textOrEmpty() + "\t" + "      Tipo    " + gear.T.textOrEmpty() + "\t" + "    QTY   " +
           gear.QTY.textOrEmpty();
}

std::string filteredBoxRow(const GearRecord& gear) {
    return gear.ID.textOrEmpty() + "    -    Denti " + "\t" + gear.D.textOrEmpty() + "\t" + " Modulo " +
           gear.M.textOrEmpty() + "\t" + "Tipo  " + gear.T.textOrEmpty() + "\t" + "   QTY   " + gear.QTY.textOrEmpty();
}

}  // namespace zanfiro
