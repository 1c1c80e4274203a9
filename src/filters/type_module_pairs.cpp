#include "filters/type_module_pairs.h"

#include "filters/filtered_rows.h"
#include "form/full_list.h"

namespace zanfiro {

namespace {

// Every pair's query ends in "order by d".
constexpr store::SortedQuery byTeeth(std::string_view select) {
    return {.select = select, .orderBy = "order by ", .key = "d", .ascending = ""};
}

// Corona with Modulo 0.4 is the pair FIND shows in the full-list layout.
const std::array<TypeModulePair, 4> kCrownGearPairs{{
    {byTeeth("SELECT * FROM Gears where M= '0.4' AND T='C' "), "Lista Corone Modulo 0.4", &kFullListLayout},
    {byTeeth("SELECT * FROM Gears where M= '0.6' AND T='C' "), "Lista Corone Modulo 0.6", &kFilteredLayout},
    {byTeeth("SELECT * FROM Gears where M= '48' AND T='C' "), "Lista Corone Modulo 48", &kFilteredLayout},
    {byTeeth("SELECT * FROM Gears where M= '64' AND T='C' "), "Lista Corone Modulo 64", &kFilteredLayout},
}};

const std::array<TypeModulePair, 4> kPinionPairs{{
    {byTeeth("SELECT * FROM Gears where M= '0.4' AND T='P' "), "Lista Pignioni Modulo 0.4", &kFilteredLayout},
    {byTeeth("SELECT * FROM Gears where M= '0.6' AND T='P' "), "Lista Pignioni Modulo 0.6", &kFilteredLayout},
    {byTeeth("SELECT * FROM Gears where M= '48' AND T='P' "), "Lista Pignioni Modulo 48", &kFilteredLayout},
    {byTeeth("SELECT * FROM Gears where M= '64' AND T='P' "), "Lista Pignioni Modulo 64", &kFilteredLayout},
}};

}  // namespace

const std::array<TypeModulePair, 4>& crownGearPairs() { return kCrownGearPairs; }
const std::array<TypeModulePair, 4>& pinionPairs() { return kPinionPairs; }

void startListingPairs(Form1& form) {
    form.Combo1.clear();
    form.List1.clear();
    openNewConnection(form);
    newRecordset(form);
}

void forEachSelectedModule(Form1& form, const std::array<TypeModulePair, 4>& pairs,
                           const std::function<void(const TypeModulePair&)>& fill) {
    const std::array<OptionButton*, 4> moduleOptions{&form.Option3, &form.Option4, &form.Option5, &form.Option6};
    for (std::size_t i = 0; i < moduleOptions.size(); ++i) {
        if (moduleOptions[i]->value()) fill(pairs[i]);
    }
}

void fillListsWithPair(Form1& form, const TypeModulePair& pair, const RowLayout& layout) {
    openRecordset(form, pair.query);
    appendEveryGear(form, layout);
    closeRecordsetAndConnection(form);
}

}  // namespace zanfiro
