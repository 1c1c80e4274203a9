#include "editing/option_matching.h"

namespace zanfiro {

void matchTypeOption(Form1& form) {
    if (form.Combo2.text() == "C") form.Option1.select();
    if (form.Combo2.text() == "P") form.Option2.select();
}

void matchModuleOption(Form1& form) {
    if (form.Combo3.text() == "0.4") form.Option3.select();
    if (form.Combo3.text() == "0.6") form.Option4.select();
    if (form.Combo3.text() == "48") form.Option5.select();
    if (form.Combo3.text() == "64") form.Option6.select();
}

}  // namespace zanfiro
