#include "labels.h"

#include <algorithm>
#include <unordered_map>

#include "base/failure.h"

namespace zanfiro::tools {

const LabelLayout* labelLayout(std::string_view name) {
    const auto found = std::ranges::find(kLabelLayouts, name, &LabelLayout::name);
    return found == std::end(kLabelLayouts) ? nullptr : &*found;
}

std::string typeInWords(const store::Value& type) {
    const std::string code = type.textOrEmpty();
    if (code == "C") return "Corona";
    if (code == "P") return "Pignone";
    return code;
}

std::vector<store::GearRecord> labelledGears(std::vector<store::GearRecord> gears, const std::vector<std::int64_t>& ids,
                                             const ReportFilter& filter) {
    if (ids.empty()) {
        std::vector<store::GearRecord> chosen;
        for (ReportSection& section : stockSections(std::move(gears), filter))
            std::ranges::move(section.gears, std::back_inserter(chosen));
        return chosen;
    }
    std::unordered_map<std::int64_t, const store::GearRecord*> byId;
    for (const store::GearRecord& gear : gears)
        if (gear.ID.isNumber()) byId.emplace(gear.ID.number(), &gear);
    std::vector<store::GearRecord> chosen;
    std::string missing;
    std::size_t missed = 0;
    for (const std::int64_t id : ids) {
        if (const auto found = byId.find(id); found != byId.end()) {
            chosen.push_back(*found->second);
        } else {
            missing += (missing.empty() ? "" : ", ") + std::to_string(id);
            ++missed;
        }
    }
    if (missed == 1)
        throw Failure(failure::kValidationRule, "no gear has the ID " + missing + "; no labels were written");
    if (missed > 1)
        throw Failure(failure::kValidationRule, "no gears have the IDs " + missing + "; no labels were written");
    return chosen;
}

}  // namespace zanfiro::tools
