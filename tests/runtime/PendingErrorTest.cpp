#include "runtime/PendingError.h"

#include <gtest/gtest.h>

using runtime::Error;
using runtime::PendingError;

namespace {

// A private operation that passes its own errors over, as the window's helpers do.
void helperThatFails(PendingError& pe) {
    pe.run([] { throw Error(3011); });
    pe.run([] {}); // a later step that works leaves the failure pending
}

} // namespace

TEST(PendingError, KeepsTheLastFailureUntilCleared) {
    PendingError pe;
    EXPECT_EQ(pe.number(), 0);
    EXPECT_TRUE(pe.run([] {}));

    int after = 0;
    EXPECT_FALSE(pe.run([&] {
        throw Error(3024);
        after = 1;
    }));
    EXPECT_EQ(after, 0) << "the failing step is abandoned";
    EXPECT_EQ(pe.number(), 3024);
    EXPECT_EQ(pe.text(), "Application-defined or object-defined error");

    EXPECT_TRUE(pe.run([] {}));
    EXPECT_EQ(pe.number(), 3024);

    pe.run([] { throw Error(53); });
    EXPECT_EQ(pe.number(), 53);
    EXPECT_EQ(pe.text(), "File not found");

    pe.clear();
    EXPECT_EQ(pe.number(), 0);
    EXPECT_EQ(pe.text(), "");
}

TEST(PendingError, SurvivesACallOfAPrivateOperation) {
    PendingError pe;
    helperThatFails(pe);
    EXPECT_EQ(pe.number(), 3011);
}

TEST(PendingError, StepsWithAResult) {
    PendingError pe;
    auto ok = pe.run([] { return 42; });
    ASSERT_TRUE(ok.has_value());
    EXPECT_EQ(*ok, 42);
    auto failed = pe.run([]() -> std::string { throw Error(3343); });
    EXPECT_FALSE(failed.has_value());
    EXPECT_EQ(pe.number(), 3343);
}

TEST(PendingError, OtherExceptionsAreNotSwallowed) {
    PendingError pe;
    EXPECT_THROW(pe.run([] { throw std::logic_error("bug"); }), std::logic_error);
    EXPECT_EQ(pe.number(), 0);
}
