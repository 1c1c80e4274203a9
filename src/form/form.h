#pragma once

#include <memory>
#include <string>
#include <vector>

#include "form/controls.h"
#include "store/connection.h"
#include "store/connection_string.h"
#include "store/recordset.h"

namespace zanfiro {

// The window as the handlers see it: its controls, by their names, and the
// three variables that outlive a handler.
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
};

}  // namespace zanfiro
