#include "runtime/Error.h"

#include <gtest/gtest.h>

TEST(Error, KnownNumbersCarryThePlatformText) {
    EXPECT_EQ(runtime::Error(53).text(), "File not found");
    EXPECT_EQ(runtime::Error(13).text(), "Type mismatch");
    EXPECT_EQ(runtime::Error(3024, "Could not find file").text(), "Could not find file");
    EXPECT_EQ(runtime::Error(3024).number(), 3024);
}
