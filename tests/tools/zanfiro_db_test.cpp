// zanfiro-db init, demo, path and its answers to wrong command lines.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "temp_database.h"
#include "tool_run.h"

namespace zanfiro::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

TEST(ZanfiroDb, InitCreatesTheFolderAndAnEmptyTableAtPathOrAtTheProgramsPlace) {
    TempDatabase home(TempDatabase::Content::NoFile);
    const Environment env{{"HOME", home.folder().string()}};
    const fs::path atPath = home.folder() / "a" / "b" / "stock.mdb";
    const fs::path atHome = home.folder() / "NDB" / "DB.mdb";

    EXPECT_EQ(runZanfiroDb({"path"}, home.folder(), env).out, atHome.string() + "\n");
    for (const auto& [args, file] : {std::pair{std::vector<std::string>{"init", "a/b/stock.mdb"}, atPath},
                                     std::pair{std::vector<std::string>{"init"}, atHome}}) {
        const ToolRun run = runZanfiroDb(args, home.folder(), env);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, "Created an empty gear database at " + file.string() + "\n");
        EXPECT_TRUE(gearsIn(file).empty());

        const std::string before = fileBytes(file);
        const ToolRun again = runZanfiroDb(args, home.folder(), env);
        EXPECT_EQ(again.exitCode, 1);
        EXPECT_THAT(again.err, HasSubstr("already exists and was left untouched"));
        EXPECT_EQ(fileBytes(file), before);
    }
}

TEST(ZanfiroDb, DemoFillsAnEmptyTableWithBothTypesAndTheFourModulesOnlyOnce) {
    TempDatabase db;
    const ToolRun run = runZanfiroDb({"demo", db.path()}, db.folder());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::set<std::string> types, modules;
    for (const StoredGear& gear : db.gears()) {
        types.insert(gear.T.text());
        modules.insert(gear.M.text());
        EXPECT_TRUE(gear.D.isNumber() && gear.QTY.isNumber());
    }
    EXPECT_EQ(run.out, "Wrote " + std::to_string(db.count()) + " sample gears to " + db.path().string() + "\n");
    EXPECT_EQ(types, (std::set<std::string>{"C", "P"}));
    EXPECT_EQ(modules, (std::set<std::string>{"0.4", "0.6", "48", "64"}));

    const std::string before = fileBytes(db.path());
    const ToolRun again = runZanfiroDb({"demo", db.path()}, db.folder());
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_THAT(again.err, HasSubstr("already holds gears"));
    EXPECT_EQ(fileBytes(db.path()), before);
}

TEST(ZanfiroDb, WrongCommandLinesExitNonZeroAndSayWhatIsWrong) {
    TempDatabase db;
    const std::string path = db.path().string();
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* message;
    } cases[] = {
        {{}, 2, "usage: zanfiro-db COMMAND"},
        {{"frobnicate"}, 2, "unknown command frobnicate"},
        {{"init", "a.mdb", "b.mdb"}, 2, "too many arguments for init"},
        {{"path", "x"}, 2, "too many arguments for path"},
        {{"import"}, 2, "import needs the Access file to read"},
        {{"import", "a.mdb", "b.mdb", "c.mdb"}, 2, "too many arguments for import"},
        {{"export", "--replace"}, 2, "unknown option --replace"},
        {{"export", "missing.mdb"}, 1, "missing.mdb"},
        {{"export", testData("gears-edge.mdb")}, 1, "zanfiro-db import"},
        {{"demo", "missing.mdb"}, 1, "missing.mdb"},
    };
    const std::string before = fileBytes(db.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const ToolRun run = runZanfiroDb(c.args, db.folder());
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_THAT(c.args.empty() ? run.out : run.err, HasSubstr(c.message));
        if (c.exitCode == 2) {
            EXPECT_THAT(run.err + run.out, HasSubstr("commands:"));
        }
    }
    EXPECT_FALSE(fs::exists(db.folder() / "missing.mdb"));
    EXPECT_EQ(fileBytes(db.path()), before);
}

}  // namespace
}  // namespace zanfiro::testing
