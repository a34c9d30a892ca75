#include "runtime/Strings.h"

#include "RuntimeTestSupport.h"
#include "runtime/CaseFold.h"

#include <gtest/gtest.h>

using namespace runtime;
using runtime_test::errorOf;

TEST(Strings, TrimRemovesBlanksOnly) {
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(LTrim("  a "), "a ");
    EXPECT_EQ(RTrim("  a "), "  a");
    EXPECT_EQ(Trim("    "), "");
    EXPECT_EQ(Trim("\ta\t"), "\ta\t");
    EXPECT_EQ(Len("/x/Qolb2018LAN.Mdb"), 18);
}

TEST(Strings, LeftRightMid) {
    const std::string p = "/x/Qolb2018LAN.Mdb";
    EXPECT_EQ(Left(p, Len(p) - 16), "/x");
    EXPECT_EQ(Right(p, 16), "/Qolb2018LAN.Mdb");
    EXPECT_EQ(Left("abc", 0), "");
    EXPECT_EQ(Left("abc", 10), "abc");
    EXPECT_EQ(Right("abc", 10), "abc");
    EXPECT_EQ(Mid("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Mid("abcdef", 4), "def");
    EXPECT_EQ(Mid("abc", 4), "");
    EXPECT_EQ(Mid("abc", 2, 99), "bc");
    EXPECT_EQ(Mid("abc", 2, 0), "");
}

TEST(Strings, BadLengthsAndStartsAreError5) {
    EXPECT_EQ(errorOf([] { Left("abc", -1); }), 5);
    EXPECT_EQ(errorOf([] { Right("abc", -1); }), 5);
    EXPECT_EQ(errorOf([] { Mid("abc", 0); }), 5);
    EXPECT_EQ(errorOf([] { Mid("abc", 0, 1); }), 5);
    EXPECT_EQ(errorOf([] { Mid("abc", 1, -1); }), 5);
}

TEST(Strings, CaseFolding) {
    EXPECT_EQ(UCase("Qolb2018Lan.Mdb"), "QOLB2018LAN.MDB");
    EXPECT_EQ(LCase("Qolb2018Lan.Mdb"), "qolb2018lan.mdb");
    EXPECT_EQ(UCase("\xE9"), "\xE9") << "bytes beyond ASCII stay as they are";
    EXPECT_TRUE(equalsNoCase("pi", "PI"));
    EXPECT_TRUE(equalsNoCase(".mdb", ".MDB"));
    EXPECT_FALSE(equalsNoCase("PI", "PI "));
    EXPECT_EQ(compareNoCase("abc", "ABD"), -1);
    EXPECT_EQ(compareNoCase("B", "a"), 1);
    EXPECT_EQ(compareNoCase("ab", "AB"), 0);
    EXPECT_EQ(compareNoCase("ab", "abc"), -1);
    // '_' lies between the capitals and the small letters: fold before comparing.
    EXPECT_EQ(compareNoCase("a_", "AB"), -1);
}

TEST(Strings, EveryLetterFolds) {
    struct Case {
        const char* a;
        const char* b;
        int compared; // compareNoCase(a, b)
    };
    const Case cases[] = {
        {"Émile", "émile", 0},   {"Zoë", "ZOË", 0},
        {"STRAẞE", "straße", 0}, {"Straße", "Strasse", 1},
        {"ΣΟΦΊΑ", "σοφία", 0},   {"ΟΔΥΣΣΕΎΣ", "οδυσσεύς", 0},
        {"Ёлкин", "ЁЛКИН", 0},   {"bob o'neil", "BOB O'NEIL", 0},
        {"Zoe", "zoë", -1}, // folded texts order by code point
        {"ZOË", "émile", -1},    {"Ωmega", "émile", 1},
        {"émile", "émile ", -1}, {"\xC3", "\xC3", 0}, // not UTF-8: compared byte for byte
        {"\xC3(", "\xE3(", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(compareNoCase(c.a, c.b), c.compared);
        EXPECT_EQ(compareNoCase(c.b, c.a), -c.compared);
        EXPECT_EQ(equalsNoCase(c.a, c.b), c.compared == 0);
    }
    EXPECT_EQ(foldCase("ÀÉÎÕÜ ĀĒĪ ΆΈΉ АБВ Ǆ ǅ"), "àéîõü āēī άέή абв ǆ ǆ");
}
