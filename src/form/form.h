#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "form/controls.h"
#include "store/connection.h"
#include "store/connection_string.h"
#include "store/gear.h"
#include "store/recordset.h"

namespace zanfiro {

// The window as the handlers see it: its controls, by their names, and the
// variables that outlive a handler.
struct Form1 {
    Window& window;
    ComboBox& Combo1;
    ListBox& List1;
    TextBox& Text1;
    TextBox& Text4;
    OptionButton& Option1;
    OptionButton& Option2;
    OptionButton& Option3;
    OptionButton& Option4;
    OptionButton& Option5;
    OptionButton& Option6;
    ComboBox& Combo2;
    ComboBox& Combo3;
    Label& Label1;

    // Fixed for the program; tests open their own files through it.
    std::string connectionString{store::kConnectionString};

    // Each data operation stores its new objects here, releasing the ones
    // of the operation before.
    std::unique_ptr<store::Connection> connection{};
    std::unique_ptr<store::Recordset> recordset{};

    // The pieces of the selected row, as the last selection, save or delete
    // cut them. Only the first piece, the ID, is ever used.
    std::vector<std::string> splitRow{};

    // The gear the record selection read into the editor, with its ID and
    // values as read; empty once the editor shows no picked gear (emptied,
    // or after the window's own SAVE or DELETE). A SAVE or DELETE of that
    // ID writes only while the gear still holds what was read, so that a
    // change made elsewhere meanwhile is never lost unseen.
    std::optional<store::GearRecord> pickedGear{};
};

}  // namespace zanfiro
