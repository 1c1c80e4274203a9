// zanfiro-db export: the stock as CSV, read back by two CSV readers.
#include <gtest/gtest.h>

#include <sstream>

#include "temp_database.h"
#include "tool_run.h"

namespace zanfiro::testing {
namespace {

std::string hex(const std::string& text) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) out += {digits[c >> 4], digits[c & 15]};
    return out;
}

TEST(Export, EveryValueComesBackFromTheCsvWithNullAndEmptyTextApart) {
    TempDatabase db;
    // Stored out of ID order; D holds one hand-edited text.
    const std::vector<StoredGear> gears{
        {1, num(20), txt("0.4"), txt("C"), num(12)},
        {2, null(), txt("a,b"), txt("say \"hi\""), null()},
        {3, num(-7), txt("two\r\nlines"), txt("one\n"), num(9223372036854775807)},
        {4, num(40), txt(" lead"), txt("trail "), num(0)},
        {5, txt("12a"), txt(""), null(), num(5)},
        {6, num(42), txt("\u00b5-Modul \u00e4"), txt("O'Brien"), num(6)},
        {40, num(1), txt("\""), txt(","), num(1)},
    };
    for (auto it = gears.rbegin(); it != gears.rend(); ++it) db.insertWithId(it->id, it->D, it->M, it->T, it->QTY);

    const ToolRun run = runZanfiroDb({"export", db.path()}, db.folder());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.out.starts_with("ID,D,M,T,QTY\r\n1,20,0.4,C,12\r\n2,,\"a,b\",\"say \"\"hi\"\"\",\r\n")) << run.out;
    EXPECT_TRUE(run.out.ends_with("\r\n40,1,\"\"\"\",\",\",1\r\n")) << run.out;

    const std::vector<CsvRow> rows = readCsv(run.out);
    ASSERT_EQ(rows.size(), gears.size() + 1);
    EXPECT_EQ(rows[0].size(), 5u);
    std::ostringstream expectedHex;
    for (std::size_t r = 0; r < gears.size(); ++r) {
        const StoredGear& gear = gears[r];
        const CsvRow& row = rows[r + 1];
        SCOPED_TRACE("ID " + std::to_string(gear.id));
        ASSERT_EQ(row.size(), 5u);
        EXPECT_EQ(row[0].text, std::to_string(gear.id));
        const store::Value* values[] = {&gear.D, &gear.M, &gear.T, &gear.QTY};
        expectedHex << gear.id;
        for (int i = 0; i < 4; ++i) {
            const CsvField& field = row[static_cast<std::size_t>(i + 1)];
            if (values[i]->isNull()) {
                EXPECT_TRUE(field.text.empty() && !field.quoted);
            } else {
                EXPECT_EQ(field.text, values[i]->text());
                EXPECT_TRUE(field.quoted || !values[i]->text().empty());
            }
            expectedHex << '|' << hex(values[i]->textOrEmpty());
        }
        expectedHex << '\n';
    }

    // SQLite's own CSV reader sees the same texts.
    const auto csv = db.folder() / "gears.csv";
    writeBytes(csv, run.out);
    const ToolRun sqlite = runProgram("sqlite3",
                                      {":memory:", ".import --csv " + csv.string() + " t",
                                       "SELECT ID, hex(D), hex(M), hex(T), hex(QTY) FROM t ORDER BY rowid"},
                                      db.folder());
    ASSERT_EQ(sqlite.exitCode, 0) << sqlite.err;
    EXPECT_EQ(sqlite.out, expectedHex.str());
}

}  // namespace
}  // namespace zanfiro::testing
