// Values no operator would type, put into the database behind the program's back: each one is listed, picked into
// the editor and saved back through the window, and lands exactly as the editor showed it, or is refused whole.
#include <QString>
#include <gmock/gmock.h>
#include <sqlite3.h>

#include <set>

#include "editing/save.h"
#include "window_test.h"

namespace zanfiro::testing {
namespace {

// A value or two of each kind an engine or a widget could get wrong: quotes and pieces of statements; blanks; NUL,
// broken UTF-8 and right-to-left text; texts an engine could take for numbers; a 1 MB text; control characters.
std::vector<std::string> hostileValues() {
    std::vector<std::string> values{
        // A quote left undoubled ends the literal, and the rest runs as a statement.
        "O''Brien",
        "'; DROP TABLE Gears; --",
        "' || (SELECT count(*) FROM Gears) || '",
        std::string(4096, '\''),
        // What the server's dialect rewrites outside a literal, and what other drivers would.
        "DELETE * FROM Gears",
        ":name",
        "$1",
        "NULL",
        // Only spaces make a field blank.
        " ",
        "   x   ",
        "\r\n",
        // NUL; broken UTF-8; characters beyond 16 bits, invisible, right-to-left or changed by case.
        std::string("a\0b", 3),
        std::string("\0", 1),
        "\xff",
        "\xc3\x28",
        "\xe2\x82",
        "\xed\xa0\x80",
        "\xc0\xaf",
        "\u200b",
        "\ufeff",
        "\u2066x\u2069",
        "\u0645\u0631\u062d\u0628\u0627",
        "\u65e5\u672c\u8a9e",
        "\U0001F600",
        "e\u0301",
        "\u0130",
        "0\u00a0.4",
        "\uff10.\uff14",
        // Texts a file's INTEGER column turns into numbers, and ones it must leave alone.
        "007",
        "-0",
        "+5",
        " 12 ",
        "1e3",
        "0.1",
        "-0.0",
        "5.",
        "9223372036854775807",
        "9223372036854775808",
        "1e309",
        "0x10",
        "1,5",
        "NaN",
        // Nearly the window's own modules and types.
        "0.4 ",
        "C",
        "c",
        std::string(1 << 20, 'x'),
    };
    // Every control character amid a text.
    for (char c = 1; c < 32; ++c) values.push_back(std::string("a") + c + "b");
    values.push_back("\x7f");
    // Quotes, comments, separators, escapes and placeholders where a statement's piece starts or ends.
    for (const std::string edge : {"'", "''", "--", "/*", ";", "\t", "\n", "\r", "\\", "\"", "*", "?", "%", "\u202e"}) {
        values.push_back(edge + "x");
        values.push_back("x" + edge);
        values.push_back(edge + edge);
        values.push_back("x" + edge + "y");
    }
    return values;
}

bool validUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toUtf8().toStdString() == text;
}

// The column a case puts its value in; the other three hold an ordinary pinion of 48.
struct Column {
    const char* name;
    store::Value store::GearRecord::*field;
    std::string Editor::*shown;
    const char* refusal;  // what SAVE says when the value is blank there
};
const Column kColumns[] = {
    {.name = "Teeth", .field = &store::GearRecord::D, .shown = &Editor::D, .refusal = "Denti"},
    {.name = "Module", .field = &store::GearRecord::M, .shown = &Editor::M, .refusal = "Inserire Modulo"},
    {.name = "Type", .field = &store::GearRecord::T, .shown = &Editor::T, .refusal = "Tipo"},
};
void PrintTo(const Column& column, std::ostream* out) { *out << column.name; }

class HostileValue : public WindowCaseTest<Column> {
protected:
    void SetUp() override {
        if (numbersOnlyInNumberColumns() && GetParam().field == &store::GearRecord::D)
            GTEST_SKIP() << kServerKeepsNumbers;
        std::vector<store::GearRecord> gears;
        // A server takes no text that is not UTF-8, not even behind the program's back.
        if (testEngine() == Engine::Server) std::erase_if(values, [](const std::string& v) { return !validUtf8(v); });
        for (const std::string& value : values) {
            store::GearRecord gear{.D = num(20), .M = txt("48"), .T = txt("P"), .QTY = num(1)};
            gear.*GetParam().field = txt(value);
            gears.push_back(gear);
        }
        open(gears);
    }
    std::vector<std::string> values = hostileValues();
};
INSTANTIATE_TEST_SUITE_P(, HostileValue, ::testing::ValuesIn(kColumns),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(HostileValue, ComesBackAsTheEditorShowedItOrIsRefusedWhole) {
    std::set<int> refusals;
    for (std::int64_t id = 1; id <= static_cast<std::int64_t>(values.size()); ++id) {
        SCOPED_TRACE("gear " + std::to_string(id) + ", a value of " + std::to_string(values[id - 1].size()) + " bytes");
        const std::vector<store::GearRecord> before = db.gears();
        const std::size_t failuresBefore = ui.failures().size();
        ui.press("Command1");
        ui.pick(id);
        ASSERT_EQ(ui.failures().size(), failuresBefore) << "picking failed";
        const Editor editor = ui.editor();
        ui.press("Command2");
        std::vector<store::GearRecord> after = db.gears();
        ASSERT_EQ(after.size(), before.size());
        store::GearRecord& saved = after.at(id - 1);
        const bool blank = isBlank(editor.*GetParam().shown);
        if (blank || ui.failures().size() > failuresBefore) {
            // Refused whole: by SAVE's check, or by the engine with the dialog's number.
            if (blank) {
                EXPECT_EQ(ui.status(), GetParam().refusal);
            } else {
                refusals.insert(ui.failures().back().number());
            }
            EXPECT_EQ(after, before);
            continue;
        }
        EXPECT_EQ((saved.*GetParam().field).textOrEmpty(), editor.*GetParam().shown);
        saved = before.at(id - 1);
        EXPECT_EQ(after, before) << "a SAVE changed more than its own gear";
    }
    // Only a text holding a NUL character cannot become a statement: the engine refuses its cut-off literal.
    EXPECT_THAT(refusals,
                ::testing::IsSubsetOf({testEngine() == Engine::File ? SQLITE_ERROR : failure::kServerCallFailed}));
}

}  // namespace
}  // namespace zanfiro::testing
