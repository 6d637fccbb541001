#include "builtin_calls.h"
#include "builtins/arithmetic.h"
#include "builtins/calling_protocol.h"
#include "builtins/comparison.h"
#include "builtins/decimal_integers.h"
#include "builtins/real_numbers.h"

#include <cmath>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;
using rill::testing::cell;

namespace {

NodeRef a(const char* text) {
    return makeAtom(text);
}

// The result's text; a real shows as "real " and its value.
std::string show(const NodeRef& r) {
    if (isAtom(r) && firstByte(r) == ' ')
        return "real " + std::to_string(readReal(r));
    return std::string(atomText(r));
}

using Fn = NodeRef (*)(NodeRef);

std::string run(Fn f, NodeRef x, NodeRef y) {
    return show(f(apply(makeAtom("op"), std::move(x), std::move(y))));
}

} // namespace

// --- Integers -------------------------------------------------------------------------------

TEST(ArithmeticIntegers, WorkedExamples) {
    EXPECT_EQ(run(builtin_plus, a("7"), a("05")), "2");
    EXPECT_EQ(run(builtin_dash, a("05"), a("7")), "012");
    EXPECT_EQ(run(builtin_mult, a("05"), a("0")), "0");
    EXPECT_EQ(run(builtin_over, a("07"), a("2")), "04");
    EXPECT_EQ(run(builtin_over, a("7"), a("02")), "04");
    EXPECT_EQ(run(builtin_cent, a("07"), a("2")), "1");
    EXPECT_EQ(run(builtin_cent, a("7"), a("02")), "1");
}

TEST(ArithmeticIntegers, DivisionByZeroIsZ) {
    EXPECT_EQ(run(builtin_over, a("7"), a("0")), "Z");
    EXPECT_EQ(run(builtin_cent, a("7"), a("0")), "Z");
    EXPECT_EQ(run(builtin_over, a("123456789012345678901234567890"), a("0")), "Z");
}

TEST(ArithmeticIntegers, TheWordPathAndTheLimbPathAgreeAtTheBoundary) {
    EXPECT_EQ(run(builtin_plus, a("999999999999999999"), a("1")), "1000000000000000000");
    EXPECT_EQ(run(builtin_mult, a("999999999999999999"), a("999999999999999999")),
              "999999999999999998000000000000000001");
    EXPECT_EQ(run(builtin_dash, a("0999999999999999999"), a("1000000000000000000")),
              "01999999999999999999");
}

namespace {

// Texts around the word and limb boundaries with runs of nines and zeros, so that sums,
// differences and products carry or borrow across them and change length.
std::string boundaryOperand(std::mt19937_64& rng) {
    static const std::size_t lengths[] = {1, 2, 8, 9, 10, 16, 17, 18, 19, 20, 24, 25, 27, 28, 40};
    const std::size_t n = rng() % 4 == 0 ? 1 + rng() % 60 : lengths[rng() % std::size(lengths)];
    std::string t(n, '9');
    switch (rng() % 4) {
    case 0: break;
    case 1:
        t.assign(n, '0');
        t[0] = '1';
        break;
    default:
        for (char& c : t)
            c = static_cast<char>('0' + rng() % 10);
        if (t[0] == '0')
            t[0] = '1';
    }
    if (rng() % 10 == 0)
        return "0";
    return rng() % 2 ? "0" + t : t;
}

// What the limb functions make of (op x y), as a text; "Z" for a zero divisor.
std::string limbResult(Fn f, const std::string& x, const std::string& y) {
    Integer a, b, r;
    EXPECT_TRUE(parseDecimalText(x, a) && parseDecimalText(y, b));
    if (f == builtin_plus)
        r = addIntegers(a, b);
    else if (f == builtin_dash)
        r = subtractIntegers(a, b);
    else if (f == builtin_mult)
        r = multiplyIntegers(a, b);
    else if (f == builtin_over ? !floorQuotient(a, b, r) : !nonNegativeRemainder(a, b, r))
        return "Z";
    return decimalText(r);
}

} // namespace

TEST(ArithmeticIntegers, EveryPathAgreesWithTheLimbFunctions) {
    // short and short, long beside short in either order, long and long
    std::mt19937_64 rng(41);
    for (int k = 0; k < 3000; ++k) {
        const std::string x = boundaryOperand(rng), y = boundaryOperand(rng);
        for (Fn f : {builtin_plus, builtin_dash, builtin_mult, builtin_over, builtin_cent})
            EXPECT_EQ(run(f, a(x.c_str()), a(y.c_str())), limbResult(f, x, y)) << x << " " << y;
    }
}

TEST(ArithmeticIntegers, RunningResultsAgreeWithAComputationFromTheDigits) {
    // Each result feeds the next call, as in a loop; some are also held elsewhere and used
    // again later, and some calls get the same atom twice.
    forgetKeptLimbs();
    std::mt19937_64 rng(43);
    NodeRef acc = a("1");
    std::vector<NodeRef> held;
    for (int k = 1; k <= 600; ++k) {
        const std::string before(atomText(acc));
        const std::string s = std::to_string(rng() % 100000);
        Fn f = builtin_mult;
        NodeRef other = a(s.c_str());
        switch (rng() % 6) {
        case 0: f = builtin_plus; break;
        case 1: f = builtin_dash; break;
        case 2: f = builtin_over; break;
        case 3:
            if (!held.empty())
                other = held[rng() % held.size()];
            f = rng() % 2 ? builtin_plus : builtin_dash;
            break;
        case 4:
            other = acc; // the same node on both sides
            f = rng() % 2 ? builtin_plus : builtin_dash;
            break;
        default: break;
        }
        const std::string otherText(atomText(other));
        const bool swap = rng() % 3 == 0;
        const std::string expected =
            swap ? limbResult(f, otherText, before) : limbResult(f, before, otherText);
        if (expected == "Z" || expected == "0")
            continue;
        acc = swap ? f(apply(a("op"), std::move(other), std::move(acc)))
                   : f(apply(a("op"), std::move(acc), std::move(other)));
        ASSERT_EQ(atomText(acc), expected) << k;
        if (rng() % 4 == 0)
            held.push_back(acc);
    }
    for (const NodeRef& h : held) // a held result still reads as its own text
        EXPECT_EQ(run(builtin_plus, h, a("0")), std::string(atomText(h)));
}

TEST(ArithmeticIntegers, ADigitTextWithAStrayByteIsNoInteger) {
    const std::string withNul("1\0"
                              "2",
                              3);
    EXPECT_EQ(run(builtin_plus, makeAtom(std::string_view(withNul)), a("1")), "Z");
    EXPECT_EQ(run(builtin_less, makeAtom(std::string_view(withNul)), a("1")), "Z");
    for (Fn f : {builtin_plus, builtin_dash, builtin_mult, builtin_over, builtin_cent}) {
        EXPECT_EQ(run(f, a("1234567890123456789x"), a("3")), "Z");
        EXPECT_EQ(run(f, a("3"), a("123456789012345678901234567890 ")), "Z");
    }
}

TEST(ArithmeticIntegers, AnOTextBesideAShortIntegerStaysInTheOArithmetic) {
    EXPECT_EQ(run(builtin_plus, a("001234567890123456789012"), a("1")), "001234567890123456789013");
    EXPECT_EQ(run(builtin_mult, a("3"), a("001234567890123456789012")), "003703703670370370367036");
}

TEST(ArithmeticIntegers, BitListsAreReadAsTheirNumbers) {
    // (J K (J K 0)) is 3, (J K (J H K)) is -1
    EXPECT_EQ(run(builtin_plus, cell("K", cell("K", a("0"))), a("4")), "7");
    EXPECT_EQ(run(builtin_mult, cell("K", cell("H", a("K"))), a("4")), "04");
}

TEST(ArithmeticIntegers, AnIntegerKindListThatIsNoNumberGivesZ) {
    EXPECT_EQ(run(builtin_plus, cell("K", a("nonsense")), a("4")), "Z");
    EXPECT_EQ(run(builtin_over, a("4"), cell("K", a("x"))), "Z");
    EXPECT_EQ(run(builtin_plus, a("1x"), a("4")), "Z");
}

TEST(ArithmeticPower, WorkedExamples) {
    EXPECT_EQ(run(builtin_powa, a("2"), a("10")), "1024");
    EXPECT_EQ(run(builtin_powa, a("02"), a("3")), "08");
    EXPECT_EQ(run(builtin_powa, a("02"), a("2")), "4");
    EXPECT_EQ(run(builtin_powa, a("5"), a("01")), "0");
    EXPECT_EQ(run(builtin_powa, a("0"), a("0")), "1");
}

TEST(ArithmeticPower, LargePowersAreExact) {
    std::string r = run(builtin_powa, a("10"), a("300"));
    EXPECT_EQ(r, "1" + std::string(300, '0'));
    EXPECT_EQ(run(builtin_powa, a("01"), a("1000001")), "01");
}

// --- Reals ----------------------------------------------------------------------------------

TEST(ArithmeticReals, SameKindOperations) {
    EXPECT_EQ(run(builtin_plus, makeReal(1.5), makeReal(2.25)), "real 3.750000");
    EXPECT_EQ(run(builtin_dash, makeReal(1.5), makeReal(2.25)), "real -0.750000");
    EXPECT_EQ(run(builtin_mult, makeReal(1.5), makeReal(2.0)), "real 3.000000");
    EXPECT_EQ(run(builtin_over, makeReal(1.0), makeReal(4.0)), "real 0.250000");
    EXPECT_EQ(run(builtin_cent, makeReal(7.5), makeReal(2.0)), "real 1.500000");
    EXPECT_EQ(run(builtin_powa, makeReal(2.0), makeReal(0.5)), "real 1.414214");
}

TEST(ArithmeticReals, DivisionByZeroFollowsIeee) {
    NodeRef r = builtin_over(apply(a("op"), makeReal(1.0), makeReal(0.0)));
    EXPECT_TRUE(std::isinf(readReal(r)));
}

TEST(ArithmeticReals, AnIntegerBesideARealBecomesAReal) {
    EXPECT_EQ(run(builtin_plus, a("2"), makeReal(0.5)), "real 2.500000");
    EXPECT_EQ(run(builtin_dash, makeReal(0.5), a("02")), "real 2.500000");
    EXPECT_EQ(run(builtin_powa, a("2"), makeReal(3.0)), "real 8.000000");
}

TEST(ArithmeticReals, AnOValueBesideARealBecomesAReal) {
    EXPECT_EQ(run(builtin_mult, a("005"), makeReal(0.5)), "real 2.500000");
}

TEST(ArithmeticReals, AnIntegerOverAnOValueIsAReal) {
    EXPECT_EQ(run(builtin_over, a("7"), a("002")), "real 3.500000");
    EXPECT_EQ(run(builtin_powa, a("2"), a("003")), "real 8.000000");
}

// --- The `o` arithmetic ---------------------------------------------------------------------

TEST(ArithmeticOValues, SumsDifferencesAndProductsStayInTheOForm) {
    EXPECT_EQ(run(builtin_plus, a("002"), a("003")), "005");
    EXPECT_EQ(run(builtin_dash, a("002"), a("003")), "000");  // -1
    EXPECT_EQ(run(builtin_mult, a("000"), a("0002")), "005"); // -1 times -5
    EXPECT_EQ(run(builtin_plus, a("000"), a("001")), "00");   // -1 + 1
}

TEST(ArithmeticOValues, RemainderFollowsTheIntegerRule) {
    EXPECT_EQ(run(builtin_cent, a("007"), a("002")), "001");
    EXPECT_EQ(run(builtin_cent, a("0002"), a("002")), "001"); // -5 cent 2
    EXPECT_EQ(run(builtin_cent, a("007"), a("00")), "Z");
}

TEST(ArithmeticOValues, OverOfTwoOValuesIsZ) {
    EXPECT_EQ(run(builtin_over, a("007"), a("002")), "Z");
    EXPECT_EQ(run(builtin_powa, a("002"), a("002")), "Z");
}

TEST(ArithmeticOValues, AnIntegerBesideAnOValueIsTurnedIntoTheOForm) {
    EXPECT_EQ(run(builtin_plus, a("5"), a("002")), "007");
    EXPECT_EQ(run(builtin_dash, a("002"), a("5")), "0001"); // 2 - 5 = -3
    EXPECT_EQ(run(builtin_mult, a("0"), a("007")), "00");
    EXPECT_EQ(run(builtin_cent, a("9"), a("004")), "001");
}

TEST(ArithmeticOValues, BitListsOfKindBitZeroTakePart) {
    // (J H (J H K)) is "000", the number -1
    EXPECT_EQ(run(builtin_plus, cell("H", cell("H", a("K"))), a("003")), "002");
}

TEST(ArithmeticOValues, PowersByAnInteger) {
    EXPECT_EQ(run(builtin_powa, a("003"), a("4")), "0081");
    EXPECT_EQ(run(builtin_powa, a("000"), a("3")), "000"); // (-1)^3
    EXPECT_EQ(run(builtin_powa, a("003"), a("0")), "00");
    EXPECT_EQ(run(builtin_powa, a("003"), a("01")), "Z");
}

TEST(ArithmeticOValues, TheBaseFourIsRaisedByShifting) {
    EXPECT_EQ(run(builtin_powa, a("004"), a("3")), "0064");
    EXPECT_EQ(run(builtin_powa, a("004"), a("40")), "001208925819614629174706176");
}

// --- Strings and blocks ---------------------------------------------------------------------

TEST(ArithmeticBytes, PlusJoinsStringsAndBlocks) {
    EXPECT_EQ(run(builtin_plus, a("[ab]"), a("[cd]")), "[abcd]");
    EXPECT_EQ(run(builtin_plus, a("(b)ab"), a("(a)c")), "(c)abc");
}

TEST(ArithmeticBytes, PlusOfAStringAndANumberJoinsTheTextsInArgumentOrder) {
    EXPECT_EQ(run(builtin_plus, a("[ab]"), a("7")), "[ab7]");
    EXPECT_EQ(run(builtin_plus, a("7"), a("[ab]")), "[7ab]");
    EXPECT_EQ(run(builtin_plus, a("[]"), a("007")), "[007]");
    EXPECT_EQ(run(builtin_plus, a("[x]"), makeReal(2.5)), "[x2.500000e+00]");
    EXPECT_EQ(run(builtin_plus, a("[]"), cell("K", cell("K", a("0")))), "[3]");
}

TEST(ArithmeticBytes, PlusOfABlockAndANumberMakesABlock) {
    EXPECT_EQ(run(builtin_plus, a("(a)x"), a("05")), "(c)x05");
    EXPECT_EQ(run(builtin_plus, a("12"), a("()")), "(b)12");
}

TEST(ArithmeticBytes, AStringBesideABlockIsZ) {
    EXPECT_EQ(run(builtin_plus, a("[ab]"), a("(a)x")), "Z");
}

TEST(ArithmeticBytes, DashDropsBytesFromEitherEnd) {
    EXPECT_EQ(run(builtin_dash, a("[abc]"), a("1")), "[bc]");
    EXPECT_EQ(run(builtin_dash, a("[abc]"), a("01")), "[ab]");
    EXPECT_EQ(run(builtin_dash, a("[abc]"), a("3")), "[]");
    EXPECT_EQ(run(builtin_dash, a("[abc]"), a("03")), "[]");
    EXPECT_EQ(run(builtin_dash, a("[abc]"), a("0")), "[abc]");
    EXPECT_EQ(run(builtin_dash, a("[abc]"), a("4")), "Z");
    EXPECT_EQ(run(builtin_dash, a("(c)abc"), a("2")), "(a)c");
    EXPECT_EQ(run(builtin_dash, a("(c)abc"), a("3")), "()");
}

TEST(ArithmeticBytes, MultRepeatsByDoubling) {
    EXPECT_EQ(run(builtin_mult, a("[ab]"), a("3")), "[ababab]");
    EXPECT_EQ(run(builtin_mult, a("[ab]"), a("0")), "[]");
    EXPECT_EQ(run(builtin_mult, a("[ab]"), a("01")), "Z");
    EXPECT_EQ(run(builtin_mult, a("(a)x"), a("5")), "(e)xxxxx");
    EXPECT_EQ(run(builtin_mult, a("[ab]"), a("9223372036854775807")), "Z");
}

TEST(ArithmeticBytes, OtherCombinationsWithBytesAreZ) {
    EXPECT_EQ(run(builtin_mult, a("3"), a("[ab]")), "Z");
    EXPECT_EQ(run(builtin_dash, a("[ab]"), makeReal(1.0)), "Z");
    EXPECT_EQ(run(builtin_dash, a("[ab]"), a("001")), "Z");
    EXPECT_EQ(run(builtin_over, a("[ab]"), a("1")), "Z");
    EXPECT_EQ(run(builtin_mult, a("[ab]"), a("[ab]")), "Z");
    EXPECT_EQ(run(builtin_powa, a("[ab]"), a("2")), "Z");
}

// --- Values of no number kind ---------------------------------------------------------------

TEST(ArithmeticOther, ACombinatorOrAListOnEitherSideGivesZ) {
    for (Fn f :
         {builtin_plus, builtin_dash, builtin_mult, builtin_over, builtin_cent, builtin_powa}) {
        EXPECT_EQ(run(f, a("K"), a("3")), "Z");
        EXPECT_EQ(run(f, a("3"), apply(a("V"), a("1"), a("2"))), "Z");
        EXPECT_EQ(run(f, apply(a("V"), a("1"), a("2")), a("[ab]")), "Z");
    }
}
