#include <gtest/gtest.h>

#include <set>
#include <variant>

#include "editing/id_text.h"
#include "editing/input_rules.h"
#include "editing/save.h"
#include "editing/split_row.h"
#include "printing.h"

namespace zanfiro {
namespace {

TEST(IdText, WritesTheRowHeadBackInPlainDecimalOrFailsLikeTheClassicConversion) {
    using Outcome = std::variant<std::string, int>;  // the ID text, or a failure number
    const std::pair<std::string, Outcome> cases[] = {
        {"7", "7"},           {"007", "7"},       {"32767", "32767"},  {"-32768", "-32768"},
        {"-007", "-7"},       {"-0", "0"},        {"0", "0"},
        // Surrounding spaces and one leading sign are read as the number.
        {" 12 ", "12"},       {"+5", "5"},        {"  +032767", "32767"},
        {"32768", 6},         {"-32769", 6},      {"99999999999999999999", 6},
        {"abc", 13},          {"", 13},           {"   ", 13},           {"1.5", 13},
        {"12a", 13},          {"+", 13},          {"-", 13},            {"+-1", 13},
        {"- 5", 13},          {"1 2", 13},        {"\t12", 13},         {"0x1F", 13},
        {"1e3", 13},          {"1,000", 13},      {"\xd9\xa1", 13},  // an Arabic-Indic one
    };
    for (const auto& [head, outcome] : cases) {
        SCOPED_TRACE("row head '" + head + "'");
        if (const auto* expected = std::get_if<std::string>(&outcome)) {
            EXPECT_EQ(idText(head), *expected);
        } else {
            try {
                const std::string text = idText(head);
                ADD_FAILURE() << "converted to " << text;
            } catch (const store::Failure& failure) {
                EXPECT_EQ(failure.number(), std::get<int>(outcome));
            }
        }
    }
}

TEST(SplitRow, CutsAtEverySeparatorKeepingEmptyPiecesAndGivesNothingForTheEmptyText) {
    using Pieces = std::vector<std::string>;
    EXPECT_EQ(splitAt("7   -      Denti  40", "  "), (Pieces{"7", " -", "", "", "Denti", "40"}));
    EXPECT_EQ(splitAt("7   -", " "), (Pieces{"7", "", "", "-"}));
    EXPECT_EQ(splitAt("12  ", "  "), (Pieces{"12", ""}));
    EXPECT_EQ(splitAt("  12", "  "), (Pieces{"", "12"}));
    EXPECT_EQ(splitAt("12", "  "), (Pieces{"12"}));
    EXPECT_EQ(splitAt(" ", " "), (Pieces{"", ""}));
    EXPECT_EQ(splitAt("", " "), Pieces{});
}

TEST(SaveFields, BlankIsSpacesOnlyAQuantityAsciiDigitsOnlyAndQuotesAreDoubled) {
    for (const char* blank : {"", " ", "     "}) EXPECT_TRUE(isBlank(blank)) << '"' << blank << '"';
    for (const char* filled : {"\t", " a ", "0", "\xc2\xa0"}) EXPECT_FALSE(isBlank(filled)) << '"' << filled << '"';
    for (const char* quantity : {"0", "5", "007", "123456789012345678901234567890"})
        EXPECT_TRUE(isQuantity(quantity)) << quantity;
    for (const char* other : {"", " ", " 5", "5 ", "+5", "-5", "1.5", "1,5", "1e3", "abc", "5a", "\xd9\xa1"})
        EXPECT_FALSE(isQuantity(other)) << '"' << other << '"';
    const std::pair<const char*, const char*> quoted[] = {
        {"", ""}, {"0.4", "0.4"}, {"'", "''"}, {"''", "''''"}, {"l'ingranaggio ", "l''ingranaggio "}, {"'a'b'", "''a''b''"},
    };
    for (const auto& [text, expected] : quoted) EXPECT_EQ(escaped(text), expected) << text;
}

TEST(CharacterCodes, FieldsPassOnlyDigitsBackspaceAndCtrlXAndCombosOnlyBackspaceAndCtrlX) {
    const std::set<int> digitField{8, 24, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57};
    const std::set<int> comboField{8, 24};
    for (int k = -32768; k <= 32767; ++k) {
        std::int16_t digit = static_cast<std::int16_t>(k), combo = static_cast<std::int16_t>(k);
        applyDigitRule(digit);
        applyComboRule(combo);
        ASSERT_EQ(digit, digitField.contains(k) ? k : 0) << "code " << k;
        ASSERT_EQ(combo, comboField.contains(k) ? k : 0) << "code " << k;
    }
}

}  // namespace
}  // namespace zanfiro
