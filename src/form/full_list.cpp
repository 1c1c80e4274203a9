#include "form/full_list.h"

#include "base/text.h"

namespace zanfiro {

std::string fullListComboRow(const store::GearRecord& gear) {
    return concat({
        gear.ID.textOrEmpty(),
        "   -      Denti  ",
        gear.D.textOrEmpty(),
        "\t",
        "    ",
        "     Modulo    ",
        gear.M.textOrEmpty(),
        "\t",
        "      Tipo    ",
        gear.T.textOrEmpty(),
        "\t",
        "    QTY   ",
        gear.QTY.textOrEmpty(),
    });
}

std::string fullListBoxRow(const store::GearRecord& gear) {
    return concat({
        gear.ID.textOrEmpty(),
        "   -      Denti  ",
        gear.D.textOrEmpty(),
        "\t",
        "     Modulo  ",
        gear.M.textOrEmpty(),
        "\t",
        "Tipo  ",
        gear.T.textOrEmpty(),
        "\t",
        "   QTY   ",
        gear.QTY.textOrEmpty(),
    });
}

void loadFullList(Form1& form, const std::string& query) {
    openNewConnection(form);
    newRecordset(form);
    openRecordset(form, query);
    appendEveryGear(form, kFullListLayout);
    closeRecordsetAndConnection(form);
}

}  // namespace zanfiro
