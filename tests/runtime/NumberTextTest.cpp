#include "runtime/NumberText.h"

#include <clocale>
#include <gtest/gtest.h>

using runtime::numberToText;
using runtime::textToNumber;

TEST(NumberText, WritesNumbersAsTheSystemPutsThemIntoSql) {
    struct Case {
        double in;
        const char* out;
    } cases[] = {
        {57, "57"},
        {40.5, "40.5"},
        {-3, "-3"},
        {0.1, "0.1"},
        {0, "0"},
        {-0.0, "0"},
        {42795, "42795"},
        {-693959, "-693959"},
        {100000, "100000"},
        {0.1 + 0.2, "0.3"}, // 15 significant digits hide the binary noise
        {16383.5, "16383.5"},
        {123456789012345, "123456789012345"},
        {1.0 / 3, "0.333333333333333"},
        {0.0001, "0.0001"},
        {1e15, "1E+15"},
        {1.5e-7, "1.5E-07"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(numberToText(c.in), c.out) << c.out;
}

TEST(NumberText, IgnoresTheLocaleDecimalComma) {
    // A desktop front end may switch the process to the user's locale.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma installed";
    EXPECT_EQ(numberToText(40.5), "40.5");
    EXPECT_EQ(textToNumber("40.5"), 40.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(NumberText, ReadsTexts) {
    EXPECT_EQ(textToNumber("140"), 140);
    EXPECT_EQ(textToNumber(" -12.5 "), -12.5);
    EXPECT_EQ(textToNumber("1.5E3"), 1500);
    for (const char* bad : {"", " ", "-", ".", "1,5", "--1", "+-1", "1e", "nan", "0x10", "1 2"})
        EXPECT_FALSE(textToNumber(bad).has_value()) << '"' << bad << '"';
    EXPECT_EQ(textToNumber(numberToText(0.1)), 0.1);
}
