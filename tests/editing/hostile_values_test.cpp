// Values no operator would type, put into the database behind the program's back: each one is listed, picked into
// the editor and saved back through the window, and lands exactly as the editor showed it, or is refused whole.
#include <QString>
#include <gmock/gmock.h>
#include <sqlite3.h>

#include <set>
#include <span>

#include "editing/save.h"
#include "window_test.h"

namespace zanfiro::testing {
namespace {

using ::testing::ElementsAre;

// Quotes, statements, comments and placeholders; control characters, broken and right-to-left text; numbers
// written every way; a 1 MB text.
std::vector<std::string> hostileValues() {
    std::vector<std::string> values{
        "'",
        "''",
        "'''",
        "a'b",
        "O''Brien",
        "'; DROP TABLE Gears; --",
        "'); DELETE FROM Gears; --",
        "\" OR 1=1 --",
        "1' OR '1'='1",
        "' || (SELECT count(*) FROM Gears) || '",
        "--",
        "-- x",
        "/*",
        "*/",
        "/* x */",
        "#",
        ";",
        "; ;",
        "\\",
        "\\'",
        "%",
        "_",
        "%_%",
        "*",
        "DELETE * FROM Gears",
        "?",
        "?1",
        ":name",
        "@p",
        "$1",
        "$$",
        "\"",
        "\"\"",
        "`",
        "[x]",
        "{x}}",
        "driver={x};dbq=y",
        "\t",
        "a\tb",
        "\t\t",
        "\n",
        "a\nb",
        "\r\n",
        "\r",
        "\v",
        "\f",
        " ",
        "  ",
        "   x   ",
        "x  y",
        std::string("a\0b", 3),
        std::string("\0", 1),
        "\xff",
        "\xc3\x28",
        "\xe2\x82",
        "\xf0\x28\x8c\x28",
        "\xed\xa0\x80",
        "\xc0\xaf",
        "\xfe\xff",
        "\u200f",
        "\u202e",
        "\u200b",
        "\ufeff",
        "\u2066x\u2069",
        "\u0645\u0631\u062d\u0628\u0627",
        "\u05e2\u05d1\u05e8\u05d9\u05ea",
        "\u65e5\u672c\u8a9e",
        "\U0001F600",
        "e\u0301",
        "\u00df",
        "\u0130",
        "\u00b5-Modul \u00e4",
        "0\u00a0.4",
        "\u2212"
        "5",
        "\uff10.\uff14",
        std::string(1 << 20, 'x'),
        std::string(4096, '\''),
        std::string(300, ' ') + "x",
        "0",
        "007",
        "-0",
        "+5",
        "12",
        "-1",
        "1e3",
        "1E-3",
        "0.1",
        "-0.0",
        ".5",
        "5.",
        "0x10",
        "1,5",
        "1 000",
        "NaN",
        "nan",
        "inf",
        "Infinity",
        "-Infinity",
        "9223372036854775807",
        "9223372036854775808",
        "-9223372036854775808",
        "-9223372036854775809",
        "99999999999999999999999999",
        "1e308",
        "1e309",
        "4.9e-324",
        "32767",
        "32768",
        "-32768",
        " 12 ",
        "12 ",
        "0.4",
        "0.40",
        "0.4 ",
        "48",
        "C",
        "P",
        "c",
        "NULL",
        "null",
        "TRUE",
        "X'00'",
        "CHAR(0)",
        "SELECT 1",
    };
    for (char c = 1; c < 32; ++c) values.push_back(std::string("a") + c + "b");
    values.push_back("\x7f");
    // The same characters where a statement's piece starts or ends.
    for (const std::string edge : {"'", "''", "--", "/*", ";", "\t", "\n", "\r", "\\", "\"", "*", "?", "%", "\u202e"}) {
        values.push_back(edge + "x");
        values.push_back("x" + edge);
        values.push_back(edge + edge);
        values.push_back("x" + edge + "y");
    }
    return values;
}

// A module or type of this size still fits an entry of the server's lists' indexes (about 2,700 bytes).
constexpr std::size_t kFitsServerIndex = 2000;

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
        // A server takes no text that is not UTF-8, nor one too long for its lists' indexes, not even behind the
        // program's back (TooLongForTheServersLists below).
        if (testEngine() == Engine::Server)
            std::erase_if(values, [](const std::string& v) { return !validUtf8(v) || v.size() > kFitsServerIndex; });
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
    ASSERT_GE(hostileValues().size(), 200u);
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

// The server reads its lists from indexes whose entries hold a gear whole: a text too long for one is refused.
class TooLongForTheServersLists : public WindowCaseTest<Column> {};
INSTANTIATE_TEST_SUITE_P(, TooLongForTheServersLists, ::testing::ValuesIn(std::span(kColumns).subspan(1)),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(TooLongForTheServersLists, IsRefusedWholeWithTheServersReason) {
    if (testEngine() != Engine::Server) GTEST_SKIP() << "a file's indexes take texts of any length";
    open();
    Editor editor{.D = "20", .M = "48", .T = "P", .QTY = "1"};
    std::string text;  // letters that do not compress, as a long repeated one would
    for (std::uint32_t x = 1; text.size() < 10000; x = x * 1103515245 + 12345) text += static_cast<char>('a' + x % 26);
    editor.*GetParam().shown = text;
    ui.fillEditor(editor);
    ui.press("Command2");
    ASSERT_EQ(ui.failureNumbers(), std::vector{failure::kServerCallFailed});
    EXPECT_THAT(ui.failures().back().description(), ::testing::HasSubstr("SQLSTATE 54000"));
    EXPECT_EQ(db.count(), 0);
}

}  // namespace
}  // namespace zanfiro::testing
