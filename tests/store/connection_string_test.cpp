#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "store/connection_string.h"
#include "store_helpers.h"

namespace zanfiro::store {
namespace {

using testing::failureOf;

TEST(ConnectionString, ReadsKeysInAnyCaseValuesInBracesAndTheFirstMentionOfAKey) {
    struct Case {
        std::string_view text;
        std::string key, value;
    };
    const Case cases[] = {
        {kConnectionString, "driver", "Microsoft Access Driver (*.mdb)"},
        {kConnectionString, "dbq", R"(C:\NDB\DB.mdb)"},
        {"DRIVER={x};DbQ=/a.mdb", "driver", "x"},
        {"DRIVER={x};DbQ=/a.mdb", "dbq", "/a.mdb"},
        {"dbq={/tmp/a;b}}c/DB.mdb};driver={x}", "dbq", "/tmp/a;b}c/DB.mdb"},
        {"  dbq  =  /tmp/DB.mdb  ;driver={x}", "dbq", "/tmp/DB.mdb"},
        {"driver = { spaced } ;dbq=/x", "driver", " spaced "},
        {"dbq=/first.mdb;DBQ=/second.mdb", "dbq", "/first.mdb"},
        {"dbq = {/tmp/x.mdb} ;; ", "dbq", "/tmp/x.mdb"},
        {"driver={x};pwd=", "pwd", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto attributes = readConnectionString(c.text);
        ASSERT_TRUE(attributes.contains(c.key));
        EXPECT_EQ(attributes.at(c.key), c.value);
    }
}

TEST(ConnectionString, DriveCIsTheHomeFolderAndPosixPathsAreTakenAsTheyAre) {
    const std::string driver = "driver={Microsoft Access Driver (*.mdb)};dbq=";
    struct Case {
        std::string text, database;
    };
    const Case cases[] = {
        {std::string(kConnectionString), "/home/op/NDB/DB.mdb"},
        {driver + R"(c:\NDB\DB.mdb)", "/home/op/NDB/DB.mdb"},
        {driver + "C:/NDB/DB.mdb", "/home/op/NDB/DB.mdb"},
        {driver + R"(C:\NDB/Old\DB.mdb)", "/home/op/NDB/Old/DB.mdb"},
        {driver + R"({C:\Dati Officina\DB;1.mdb})", "/home/op/Dati Officina/DB;1.mdb"},
        {R"(DRIVER={microsoft access driver (*.mdb)};DBQ=C:\DB.mdb)", "/home/op/DB.mdb"},
        {driver + "/var/tmp/x/DB.mdb", "/var/tmp/x/DB.mdb"},
    };
    for (const auto& c : cases) EXPECT_EQ(dataSourceFor(c.text, "/home/op").database, c.database) << c.text;
}

TEST(ConnectionString, MalformedTextOtherDrivesRelativePathsAndUnknownDriversAreFailures) {
    const std::string driver = "driver={Microsoft Access Driver (*.mdb)}";
    struct Case {
        std::string text;
        int number;
        std::string named;  // what the description has to mention
    };
    const Case cases[] = {
        {driver + ";dbq={/tmp/DB.mdb", failure::kBadConnectionString, "{/tmp/DB.mdb"},
        {driver + ";dbq", failure::kBadConnectionString, "dbq"},
        {driver + ";=/tmp/DB.mdb", failure::kBadConnectionString, "=/tmp/DB.mdb"},
        {driver + ";dbq={/tmp/DB}.mdb", failure::kBadConnectionString, "{/tmp/DB}.mdb"},
        {driver + R"(;dbq=D:\NDB\DB.mdb)", failure::kBadConnectionString, R"(D:\NDB\DB.mdb)"},
        {driver + R"(;dbq=NDB\DB.mdb)", failure::kBadConnectionString, R"(NDB\DB.mdb)"},
        {driver + R"(;dbq=C:NDB\DB.mdb)", failure::kBadConnectionString, R"(C:NDB\DB.mdb)"},
        {driver, failure::kBadConnectionString, "dbq"},
        {driver + ";dbq=", failure::kBadConnectionString, "dbq"},
        {R"(dbq=C:\NDB\DB.mdb)", failure::kBadConnectionString, "driver"},
        {R"(driver={SQL Server};dbq=C:\NDB\DB.mdb)", failure::kUnknownDriver, "SQL Server"},
        {R"(driver={Microsoft Access Driver (*.mdb, *.accdb)};dbq=C:\NDB\DB.mdb)", failure::kUnknownDriver,
         "*.accdb"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Failure failure = failureOf([&] { dataSourceFor(c.text, "/home/op"); });
        EXPECT_EQ(failure.number(), c.number);
        EXPECT_NE(failure.description().find(c.named), std::string::npos) << failure.description();
    }
}

// Sets HOME for one test and puts the old value back.
class HomeFolder {
public:
    explicit HomeFolder(const char* home) {
        if (const char* old = std::getenv("HOME")) old_ = old;
        setenv("HOME", home, 1);
    }
    ~HomeFolder() { old_ ? setenv("HOME", old_->c_str(), 1) : unsetenv("HOME"); }

private:
    std::optional<std::string> old_;
};

TEST(ConnectionString, TheProgramsDatabaseIsNdbDbMdbInTheHomeFolder) {
    EXPECT_EQ(kConnectionString, R"(driver={Microsoft Access Driver (*.mdb)};dbq=C:\NDB\DB.mdb)");
    const HomeFolder home("/home/operatore");
    EXPECT_EQ(programDatabasePath(), "/home/operatore/NDB/DB.mdb");
}

}  // namespace
}  // namespace zanfiro::store
