#include "filters/filtered_rows.h"

#include "base/text.h"

namespace zanfiro {

std::string filteredComboRow(const store::GearRecord& gear) {
    return concat({
        gear.ID.textOrEmpty(),
        "    -    Denti   ",
        "\t",
        gear.D.textOrEmpty(),
        "\t",
        "      Modulo    ",
        gear.M.textOrEmpty(),
        "\t",
        "      Tipo    ",
        gear.T.textOrEmpty(),
        "\t",
        "    QTY   ",
        gear.QTY.textOrEmpty(),
    });
}

std::string filteredBoxRow(const store::GearRecord& gear) {
    return concat({
        gear.ID.textOrEmpty(),
        "    -    Denti ",
        "\t",
        gear.D.textOrEmpty(),
        "\t",
        " Modulo ",
        gear.M.textOrEmpty(),
        "\t",
        "Tipo  ",
        gear.T.textOrEmpty(),
        "\t",
        "   QTY   ",
        gear.QTY.textOrEmpty(),
    });
}

}  // namespace zanfiro
