#include <gtest/gtest.h>

#include "store_helpers.h"

namespace zanfiro::testing {
namespace {

TEST(Value, TextFormIsPlainDecimalForNumbersAndUnchangedForTexts) {
    TempDatabase db;
    struct Case {
        std::string expression, text;
    };
    const Case cases[] = {
        {"40", "40"},
        {"0", "0"},
        {"-32768", "-32768"},
        {"9223372036854775807", "9223372036854775807"},
        {"'0.4'", "0.4"},
        {"'007'", "007"},
        {"' C '", " C "},
        {"''", ""},
        {"'Pignone\tÈ'", "Pignone\tÈ"},
        // Reals and blobs only come from a file edited by hand.
        {"2.5", "2.5"},
        {"0.1", "0.1"},
        {"x'3438'", "48"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expression);
        store::Connection connection;
        openAsHandlersDo(connection, db.connectionString());
        store::Recordset records;
        openAsHandlersDo(records, "SELECT " + c.expression + " AS v", connection);
        const store::Value value = records.field("V");
        EXPECT_FALSE(value.isNull());
        EXPECT_EQ(value.text(), c.text);
        EXPECT_EQ(value.textOrEmpty(), c.text);
    }
}

TEST(Value, NullHasNoTextFormButAddsNothingToARow) {
    const store::Value null;
    EXPECT_TRUE(null.isNull());
    EXPECT_EQ(failureOf([&] { (void)null.text(); }).number(), store::failure::kInvalidUseOfNull);
    EXPECT_EQ(null.textOrEmpty(), "");
}

}  // namespace
}  // namespace zanfiro::testing
