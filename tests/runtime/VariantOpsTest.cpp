#include "runtime/VariantOps.h"

#include "RuntimeTestSupport.h"

#include <functional>
#include <gtest/gtest.h>

using namespace runtime;
using runtime_test::errorOf;

namespace {

const Variant Null = Variant::null();
const Variant Empty;
Variant I(int v) {
    return Variant(static_cast<std::int16_t>(v));
}

} // namespace

TEST(VariantConversion, WholeNumbersRoundHalvesToEven) {
    struct Case {
        double in;
        int out;
    } cases[] = {{2.5, 2},       {3.5, 4},         {-2.5, -2},       {-3.5, -4},        {0.5, 0},
                 {1.5, 2},       {2.4999, 2},      {2.5001, 3},      {16383.5, 16384},  {-0.5, 0},
                 {32767, 32767}, {-32768, -32768}, {32767.4, 32767}, {-32768.5, -32768}};
    for (const auto& c : cases) {
        EXPECT_EQ(CInt(c.in), c.out) << c.in;
        EXPECT_EQ(CLng(c.in), c.out) << c.in;
    }
    EXPECT_EQ(CLng(2147483646.5), 2147483646);
    EXPECT_EQ(CLng(-2147483648.0), -2147483648LL);
}

TEST(VariantConversion, RefusesNullTextAndOutOfRange) {
    struct Case {
        const char* what;
        int number;
        std::function<void()> call;
    } cases[] = {
        {"CInt 32768", 6, [] { CInt(32768.0); }},
        {"CInt 32767.5 rounds up out of range", 6, [] { CInt(32767.5); }},
        {"CInt -32769", 6, [] { CInt(-32769.0); }},
        {"CLng 2^31", 6, [] { CLng(2147483648.0); }},
        {"CInt text beyond range", 6, [] { CInt("40000"); }},
        {"CInt Null", 94, [] { CInt(Null); }},
        {"CLng Null", 94, [] { CLng(Null); }},
        {"CDbl Null", 94, [] { CDbl(Null); }},
        {"CStr Null", 94, [] { CStr(Null); }},
        {"CBool Null", 94, [] { CBool(Null); }},
        {"CInt x", 13, [] { CInt("x"); }},
        {"CDbl abc", 13, [] { CDbl("abc"); }},
        {"CDbl empty text", 13, [] { CDbl(""); }},
        {"CDbl blanks", 13, [] { CDbl("   "); }},
        {"CDbl number and junk", 13, [] { CDbl("12abc"); }},
        {"CDbl inf", 13, [] { CDbl("inf"); }},
        {"CBool word", 13, [] { CBool("yes"); }},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf(c.call), c.number) << c.what;
}

TEST(VariantConversion, TextsReadAsNumbers) {
    struct Case {
        const char* in;
        double out;
    } cases[] = {{"12.5", 12.5}, {" 7 ", 7},    {"-3", -3},   {"+4", 4},
                 {".5", 0.5},    {"1E3", 1000}, {"0042", 42}, {"-0.25", -0.25}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(CDbl(c.in), c.out) << c.in;
    EXPECT_EQ(CInt("2.5"), 2);
    EXPECT_EQ(CLng(" 140 "), 140);
}

TEST(VariantConversion, EmptyBooleanAndDate) {
    EXPECT_EQ(CDbl(Empty), 0);
    EXPECT_EQ(CInt(Empty), 0);
    EXPECT_EQ(CStr(Empty), "");
    EXPECT_FALSE(CBool(Empty));
    EXPECT_EQ(CInt(true), -1);
    EXPECT_EQ(CDbl(false), 0);
    EXPECT_EQ(CStr(true), "True");
    EXPECT_EQ(CStr(false), "False");
    EXPECT_EQ(CStr(Variant::date(42795)), "42795");
    EXPECT_EQ(CDbl(Variant::date(42795.5)), 42795.5);
}

TEST(VariantConversion, CStrOfNumbers) {
    EXPECT_EQ(CStr(I(-3)), "-3");
    EXPECT_EQ(CStr(Variant(57)), "57");
    EXPECT_EQ(CStr(Variant(40.5)), "40.5");
    EXPECT_EQ(CStr(Variant(42795.0)), "42795");
    EXPECT_EQ(CStr(Variant("as is ")), "as is ");
}

TEST(VariantConversion, CBoolOfNumbersAndTexts) {
    struct Case {
        Variant in;
        bool out;
    } cases[] = {{Variant(0.0), false},   {Variant(-1), true},       {Variant(0.1), true},
                 {Variant("True"), true}, {Variant("false"), false}, {Variant(" TRUE "), true},
                 {Variant("0"), false},   {Variant("-1"), true},     {Variant(true), true}};
    for (const auto& c : cases)
        EXPECT_EQ(CBool(c.in), c.out) << CStr(c.in);
}

TEST(VariantOperators, NullPropagatesThroughArithmetic) {
    for (const Variant& other : {Variant(5), Variant(2.5), Variant("x"), Empty, Null}) {
        EXPECT_TRUE(IsNull(Add(Null, other)));
        EXPECT_TRUE(IsNull(Add(other, Null)));
        EXPECT_TRUE(IsNull(Sub(Null, other)));
        EXPECT_TRUE(IsNull(Mul(other, Null)));
        EXPECT_TRUE(IsNull(Div(Null, other)));
        EXPECT_TRUE(IsNull(Div(other, Null)));
    }
    EXPECT_TRUE(IsNull(Neg(Null)));
}

TEST(VariantOperators, PlusJoinsTextsButAmpersandTreatsNullAsEmpty) {
    // A name built with "+" vanishes when a part is Null; with "&" the part is just empty.
    EXPECT_EQ(Add("Jan", Add(" ", "Smit")), Variant("Jan Smit"));
    EXPECT_TRUE(IsNull(Add(Null, Add(" ", "Smit"))));
    EXPECT_EQ(Concat(Null, " ", "Smit"), " Smit");
    EXPECT_EQ(Concat(Null, Null), "");
    EXPECT_EQ(Concat(Empty, "a"), "a");
    EXPECT_EQ(Concat("A", "/", 17, "/", 40.5, "/", true), "A/17/40.5/True");
    EXPECT_EQ(Add("a", Empty), Variant("a"));
}

TEST(VariantOperators, ArithmeticTypesAndValues) {
    EXPECT_EQ(Add(I(2), I(3)), I(5));
    EXPECT_EQ(Add(I(32767), I(1)), Variant(32768)) << "Integer widens to Long";
    EXPECT_EQ(Mul(Variant(2147483647), Variant(2)), Variant(4294967294.0)) << "Long widens";
    EXPECT_EQ(Add(Variant(1), Variant(0.5)), Variant(1.5));
    EXPECT_EQ(Add(Empty, Empty), I(0));
    EXPECT_EQ(Add(Variant(true), I(1)), I(0));
    EXPECT_EQ(Sub(Variant(10), "4"), Variant(6.0)) << "a numeric text counts as a number";
    EXPECT_EQ(Add(Variant(1), "2"), Variant(3.0));
    EXPECT_EQ(errorOf([] { Add(Variant(1), "abc"); }), 13);
    EXPECT_EQ(Mul(Variant(3), Variant(2.5)), Variant(7.5));
    EXPECT_EQ(Div(Variant(7), Variant(2)), Variant(3.5));
    EXPECT_EQ(Div(Variant(32767), Variant(2)), Variant(16383.5));
    EXPECT_EQ(errorOf([] { Div(Variant(1), Variant(0)); }), 11);
    EXPECT_EQ(errorOf([] { Div(Variant(0), Empty); }), 6);
    EXPECT_EQ(Neg(I(-32768)), Variant(32768));
}

TEST(VariantOperators, DatesMoveByNumbers) {
    EXPECT_EQ(Add(Variant::date(42795), Variant(364)), Variant::date(43159));
    EXPECT_EQ(Sub(Variant::date(43159), Variant(1)), Variant::date(43158));
    EXPECT_EQ(Sub(Variant::date(43159), Variant::date(42795)), Variant(364.0));
}

TEST(VariantComparison, NullIsNeverEqualOrUnequal) {
    for (const Variant& other : {Variant(0), Variant(""), Empty, Null}) {
        EXPECT_FALSE(Eq(Null, other));
        EXPECT_FALSE(Ne(Null, other));
        EXPECT_FALSE(Lt(other, Null));
        EXPECT_FALSE(Le(other, Null));
        EXPECT_FALSE(Gt(Null, other));
        EXPECT_FALSE(Ge(Null, other));
    }
}

TEST(VariantComparison, Values) {
    EXPECT_TRUE(Eq(I(3), Variant(3.0)));
    EXPECT_TRUE(Lt(Variant(2.9), I(3)));
    EXPECT_TRUE(Eq(Empty, Variant(0)));
    EXPECT_TRUE(Eq(Empty, Variant("")));
    EXPECT_TRUE(Ne(Empty, Variant(" ")));
    EXPECT_TRUE(Eq(Variant(true), Variant(-1)));
    EXPECT_TRUE(Eq(Variant("PI"), Variant("PI")));
    EXPECT_FALSE(Eq(Variant("pi"), Variant("PI"))) << "texts compare with case";
    EXPECT_TRUE(Lt(Variant("B"), Variant("a")));
    EXPECT_TRUE(Lt(Variant("10"), Variant("9"))) << "two texts compare as texts";
    EXPECT_TRUE(Gt(Variant(10), Variant("9"))) << "a number against a text compares numbers";
    EXPECT_TRUE(Ge(Variant(3), Variant(3)));
    EXPECT_TRUE(Le(Variant("a"), Variant("a")));
    EXPECT_EQ(errorOf([] { Eq(Variant(1), Variant("x")); }), 13);
}
