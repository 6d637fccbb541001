#include "builtins/decimal_integers.h"

#include <cstdint>
#include <random>
#include <string>

#include <gtest/gtest.h>

using namespace rill;

namespace {

Integer parse(std::string_view text) {
    Integer x;
    EXPECT_TRUE(parseDecimalText(text, x)) << text;
    return x;
}

std::string add(std::string_view a, std::string_view b) {
    return decimalText(addIntegers(parse(a), parse(b)));
}
std::string sub(std::string_view a, std::string_view b) {
    return decimalText(subtractIntegers(parse(a), parse(b)));
}
std::string mul(std::string_view a, std::string_view b) {
    return decimalText(multiplyIntegers(parse(a), parse(b)));
}
std::string over(std::string_view a, std::string_view b) {
    Integer q;
    return floorQuotient(parse(a), parse(b), q) ? decimalText(q) : "Z";
}
std::string cent(std::string_view a, std::string_view b) {
    Integer r;
    return nonNegativeRemainder(parse(a), parse(b), r) ? decimalText(r) : "Z";
}

std::string text128(__int128 v) {
    bool negative = v < 0;
    unsigned __int128 m = negative ? -static_cast<unsigned __int128>(v) : v;
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + int(m % 10)));
        m /= 10;
    } while (m != 0);
    return negative && digits != "0" ? "0" + digits : digits;
}

std::string randomDigits(std::mt19937_64& rng, std::size_t n) {
    std::string s(1, static_cast<char>('1' + rng() % 9));
    while (s.size() < n)
        s.push_back(static_cast<char>('0' + rng() % 10));
    return s;
}

std::string bits(std::string_view text) {
    BitString s;
    EXPECT_TRUE(bitStringOfText(text, s)) << text;
    std::string out;
    for (std::size_t i = 0; i <= bitLength(s); ++i)
        out.push_back(readBit(s, i) ? '1' : '0');
    return out; // bit 0 first, the marker last
}

std::string remainderText(std::string_view digits) {
    auto [b, r] = unfoldNumber(digits);
    return std::string(atomText(b)) + " " + std::string(atomText(r));
}

NodeRef cell(const char* bit, NodeRef rest) {
    return apply(makeAtom("J"), makeAtom(bit), std::move(rest));
}

std::string readText(const NodeRef& value) {
    NumberReading r;
    if (!readNumber(value, r))
        return "none";
    return r.isOForm ? oText(r.value) : decimalText(r.value);
}

} // namespace

// --- The text formats -----------------------------------------------------------------------

TEST(DecimalFormat, ZeroPositiveAndNegativeTextsAreRead) {
    EXPECT_TRUE(isZero(parse("0").magnitude));
    EXPECT_EQ(decimalText(parse("1000")), "1000");
    Integer minus = parse("0123");
    EXPECT_TRUE(minus.negative);
    EXPECT_EQ(decimalText(minus), "0123");
}

TEST(DecimalFormat, TextsThatAreNotCanonicalIntegersAreRefused) {
    Integer x;
    for (const char* t : {"", "00", "007", "1x", "12 ", "-5", "K"})
        EXPECT_FALSE(parseDecimalText(t, x)) << t;
}

TEST(DecimalFormat, LongTextsSurviveTheLimbRoundTrip) {
    std::string t = "1" + std::string(40, '0') + "123456789";
    EXPECT_EQ(decimalText(parse(t)), t);
    EXPECT_EQ(decimalText(parse("0" + t)), "0" + t);
}

TEST(DecimalFormat, OTextsDenoteTheIntegerOfTheirBitFormWithTheKindBitSet) {
    const std::pair<const char*, const char*> cases[] = {
        {"00", "0"},    {"005", "5"},   {"000", "01"},   {"0000", "02"},
        {"0001", "03"}, {"0002", "05"}, {"00000", "04"}, {"0000012", "0100"}};
    for (auto [o, i] : cases) {
        Integer x;
        ASSERT_TRUE(parseOText(o, x)) << o;
        EXPECT_EQ(decimalText(x), i) << o;
        EXPECT_EQ(oText(parse(i)), o) << i;
    }
}

TEST(DecimalFormat, EveryIntegerHasOneOTextAndBack) {
    for (int v = -300; v <= 300; ++v) {
        Integer x;
        ASSERT_TRUE(parseOText(oText(integerFromInt64(v)), x));
        EXPECT_EQ(decimalText(x), decimalText(integerFromInt64(v)));
    }
}

// --- Worked examples ------------------------------------------------------------------------

TEST(DecimalArithmetic, AdditionExamples) {
    EXPECT_EQ(add("05", "5"), "0");
    EXPECT_EQ(add("05", "07"), "012");
    EXPECT_EQ(add("100", "0100"), "0");
    EXPECT_EQ(add("7", "05"), "2");
    EXPECT_EQ(add("999999999", "1"), "1000000000");
}

TEST(DecimalArithmetic, SubtractionExamples) {
    EXPECT_EQ(sub("05", "7"), "012");
    EXPECT_EQ(sub("1000000000", "1"), "999999999");
    EXPECT_EQ(sub("3", "3"), "0");
}

TEST(DecimalArithmetic, MultiplyingByZeroNeverGivesANegativeZero) {
    EXPECT_EQ(mul("0", "05"), "0");
    EXPECT_EQ(mul("05", "0"), "0");
    EXPECT_EQ(mul("05", "07"), "35");
    EXPECT_EQ(mul("05", "7"), "035");
}

TEST(DecimalArithmetic, FloorQuotientInAllFourSignCombinations) {
    EXPECT_EQ(over("7", "2"), "3");
    EXPECT_EQ(over("07", "2"), "04");
    EXPECT_EQ(over("7", "02"), "04");
    EXPECT_EQ(over("07", "02"), "3");
    EXPECT_EQ(over("6", "02"), "03");
    EXPECT_EQ(over("0", "05"), "0");
}

TEST(DecimalArithmetic, RemainderIsNeverNegativeInAllFourSignCombinations) {
    EXPECT_EQ(cent("7", "2"), "1");
    EXPECT_EQ(cent("07", "2"), "1");
    EXPECT_EQ(cent("7", "02"), "1");
    EXPECT_EQ(cent("07", "02"), "1");
    EXPECT_EQ(cent("06", "4"), "2");
    EXPECT_EQ(cent("8", "04"), "0");
}

TEST(DecimalArithmetic, DivisionAndRemainderByZeroFail) {
    EXPECT_EQ(over("7", "0"), "Z");
    EXPECT_EQ(cent("7", "0"), "Z");
    EXPECT_EQ(over("0", "0"), "Z");
}

TEST(DecimalArithmetic, LessThanExamples) {
    EXPECT_FALSE(isLess(parse("1"), parse("02")));
    EXPECT_TRUE(isLess(parse("02"), parse("01")));
    EXPECT_FALSE(isLess(parse("0"), parse("0")));
    EXPECT_TRUE(isLess(parse("05"), parse("3")));
    EXPECT_TRUE(isLess(parse("99"), parse("100")));
}

TEST(DecimalArithmetic, SixtyFourBitExtremesRoundTrip) {
    EXPECT_EQ(decimalText(integerFromInt64(INT64_MAX)), "9223372036854775807");
    EXPECT_EQ(decimalText(integerFromInt64(INT64_MIN)), "09223372036854775808");
    EXPECT_EQ(lowBitsOf(parse("18446744073709551617").magnitude), 1u);
    EXPECT_EQ(lowBitsOf(parse("18446744073709551615").magnitude), UINT64_MAX);
}

// --- Randomized checks ----------------------------------------------------------------------

TEST(DecimalRandomized, SmallOperationsAgreeWithMachineArithmetic) {
    std::mt19937_64 rng(7);
    for (int k = 0; k < 3000; ++k) {
        __int128 a = static_cast<std::int64_t>(rng()) >> (rng() % 60);
        __int128 b = static_cast<std::int64_t>(rng()) >> (rng() % 60);
        std::string ta = text128(a), tb = text128(b);
        EXPECT_EQ(add(ta, tb), text128(a + b));
        EXPECT_EQ(sub(ta, tb), text128(a - b));
        EXPECT_EQ(mul(ta, tb), text128(a * b));
        EXPECT_EQ(isLess(parse(ta), parse(tb)), a < b);
        if (b != 0) {
            __int128 q = a / b, r = a % b;
            if (r != 0 && ((r < 0) != (b < 0)))
                --q;
            // |a| mod |b|, turned round to |b| minus it when the signs differ
            __int128 ma = a < 0 ? -a : a, mb = b < 0 ? -b : b;
            __int128 m = ma % mb;
            if ((a < 0) != (b < 0) && m != 0)
                m = mb - m;
            EXPECT_EQ(over(ta, tb), text128(q)) << ta << " " << tb;
            EXPECT_EQ(cent(ta, tb), text128(m)) << ta << " " << tb;
        }
    }
}

TEST(DecimalRandomized, LargeOperationsSatisfyTheRingIdentities) {
    std::mt19937_64 rng(11);
    for (int k = 0; k < 60; ++k) {
        std::size_t la = 1 + rng() % 3000, lb = 1 + rng() % 1500;
        Integer a = parse(randomDigits(rng, la));
        Integer b = parse(randomDigits(rng, lb));
        if (rng() % 2)
            a = negated(a);
        Integer p = multiplyIntegers(a, b);
        Integer q;
        ASSERT_TRUE(floorQuotient(p, b, q));
        EXPECT_TRUE(isEqual(q, a));
        EXPECT_TRUE(isEqual(addIntegers(subtractIntegers(a, b), b), a));
        // a = b (a over b) + r for a positive b
        Integer r;
        ASSERT_TRUE(floorQuotient(a, b, q));
        ASSERT_TRUE(nonNegativeRemainder(a, b, r));
        EXPECT_TRUE(isEqual(addIntegers(multiplyIntegers(b, q), r), a));
        EXPECT_TRUE(isLess(r, b));
    }
}

TEST(DecimalRandomized, KaratsubaAgreesWithTheDistributiveLaw) {
    std::mt19937_64 rng(5);
    for (int k = 0; k < 10; ++k) {
        Integer a = parse(randomDigits(rng, 2000 + rng() % 4000));
        Integer b = parse(randomDigits(rng, 2000 + rng() % 4000));
        Integer c = parse(randomDigits(rng, 300 + rng() % 9000));
        Integer left = multiplyIntegers(a, addIntegers(b, c));
        Integer right = addIntegers(multiplyIntegers(a, b), multiplyIntegers(a, c));
        EXPECT_TRUE(isEqual(left, right));
    }
}

TEST(DecimalRandomized, DivisionOfLongNumbersKeepsTheDivisionIdentity) {
    std::mt19937_64 rng(13);
    for (int k = 0; k < 24; ++k) {
        // divisors around and well above the size where division is cut into halves
        std::size_t lb = 500 + rng() % 12000, lq = 500 + rng() % 12000;
        Integer b = parse(k % 3 == 0 ? std::string(lb, '9') : randomDigits(rng, lb));
        Integer q0 = parse(randomDigits(rng, lq));
        Integer r0 = k % 4 == 0 ? Integer{} : parse(randomDigits(rng, lb - 1));
        if (k % 5 == 0)
            r0 = subtractIntegers(b, integerFromInt64(1)); // the largest remainder
        Integer a = addIntegers(multiplyIntegers(b, q0), r0);
        Integer q, r;
        ASSERT_TRUE(floorQuotient(a, b, q));
        ASSERT_TRUE(nonNegativeRemainder(a, b, r));
        EXPECT_TRUE(isEqual(q, q0)) << lb << " " << lq;
        EXPECT_TRUE(isEqual(r, r0)) << lb << " " << lq;
    }
}

TEST(DecimalRandomized, DivisionHandlesQuotientDigitsThatNeedCorrection) {
    // divisors whose top limbs are all nines or a lone one stress the quotient estimate
    for (const char* d : {"999999999999999999999999999", "1000000000000000000000000001",
                          "500000000999999999000000000", "1000000000"}) {
        Integer b = parse(d);
        Integer a = multiplyIntegers(b, parse("123456789012345678901234567890123"));
        a = addIntegers(a, parse("77"));
        Integer q, r;
        ASSERT_TRUE(floorQuotient(a, b, q));
        ASSERT_TRUE(nonNegativeRemainder(a, b, r));
        EXPECT_EQ(decimalText(q), "123456789012345678901234567890123") << d;
        EXPECT_EQ(decimalText(r), "77") << d;
    }
}

// --- Bits -----------------------------------------------------------------------------------

TEST(BitStringLayout, NumbersCarryKindBitSignBitAndMagnitude) {
    EXPECT_EQ(bits("0"), "11");     // N = 3
    EXPECT_EQ(bits("5"), "11101");  // N = 23
    EXPECT_EQ(bits("05"), "10101"); // N = 21
    EXPECT_EQ(bits("K"), "1");      // N = 1, the empty sequence
}

TEST(BitStringLayout, OTextsStartWithTheKindBitClear) {
    EXPECT_EQ(bits("00"), "01");    // N = 2
    EXPECT_EQ(bits("000"), "001");  // N = 4
    EXPECT_EQ(bits("003"), "0111"); // N = 14 = 2 (2 3 + 1)
}

TEST(BitStringLayout, EveryNumberOfTwoOrMoreHasOneTextAndBack) {
    for (std::uint64_t n = 2; n < 600; ++n) {
        BitString s;
        for (int i = 0; i < 64; ++i)
            if ((n >> i) & 1)
                setBit(s, std::size_t(i));
        std::string text = textOfBitString(s);
        BitString back;
        ASSERT_TRUE(bitStringOfText(text, back)) << text;
        EXPECT_EQ(back.bytes, s.bytes) << text;
    }
}

TEST(BitStringLayout, AppendingPutsTheTailAboveTheHeadsSequence) {
    BitString head, tail;
    setBit(head, 0);
    setBit(head, 3); // sequence 1 0 0
    ASSERT_TRUE(bitStringOfText("0", tail));
    appendSequence(head, tail);
    EXPECT_EQ(textOfBitString(head), "06"); // bits 1 0 0 1 1: N = 25
}

TEST(BitStringLayout, LargeNumbersConvertBothWays) {
    std::mt19937_64 rng(3);
    std::string t = randomDigits(rng, 700);
    BitString s;
    ASSERT_TRUE(bitStringOfText(t, s));
    EXPECT_EQ(textOfBitString(s), t);
    ASSERT_TRUE(bitStringOfText("00" + t, s));
    EXPECT_EQ(textOfBitString(s), "00" + t);
}

TEST(BitLists, ListsOfKindBitOneAreIntegers) {
    EXPECT_EQ(readText(cell("K", makeAtom("K"))), "0");
    EXPECT_EQ(readText(cell("K", cell("K", makeAtom("K")))), "1");
    EXPECT_EQ(readText(cell("K", cell("H", makeAtom("K")))), "01");
    // (J K (J K 0)): bits 1 1, then those of 0 (1 1): N = 15, the integer 3
    EXPECT_EQ(readText(cell("K", cell("K", makeAtom("0")))), "3");
}

TEST(BitLists, ListsOfKindBitZeroAreOValues) {
    EXPECT_EQ(readText(cell("H", makeAtom("K"))), "00");
    EXPECT_EQ(readText(cell("H", cell("H", makeAtom("K")))), "000");
}

TEST(BitLists, OnlyTheFirstByteOfACellAtomCounts) {
    EXPECT_EQ(readText(cell("Kx", cell("Hy", makeAtom("Kz")))), "01");
}

TEST(BitLists, MalformedListsAreNotNumbers) {
    EXPECT_EQ(readText(cell("K", makeAtom("x"))), "none");
    EXPECT_EQ(readText(cell("X", makeAtom("K"))), "none");
    EXPECT_EQ(readText(apply(makeAtom("V"), makeAtom("K"), makeAtom("K"))), "none");
    EXPECT_EQ(readText(cell("K", makeAtom("1x"))), "none");
    EXPECT_EQ(readText(apply(makeAtom("J"), makeAtom("K"))), "none");
}

TEST(BitLists, AVeryLongListIsReadWithoutRecursion) {
    NodeRef list = makeAtom("K");
    for (int i = 0; i < 200000; ++i)
        list = cell("H", std::move(list));
    list = cell("K", cell("K", std::move(list)));
    NumberReading r;
    ASSERT_TRUE(readNumber(list, r));
    EXPECT_FALSE(r.isOForm);
    EXPECT_EQ(trailingZeroBits(r.value.magnitude), 200000u);
}

TEST(BitLists, ToUInt64ReadsTheLowBitsOfAList) {
    EXPECT_EQ(toUInt64(cell("K", cell("K", makeAtom("5")))), 23u); // N = 95
    EXPECT_EQ(toUInt64(makeAtom("K")), 0u);
    EXPECT_EQ(toUInt64(makeAtom("0123")), 123u);
}

TEST(DecimalIntegersDeathTest, ToUInt64OfANonIntegerIsAnInternalFailure) {
    EXPECT_DEATH(toUInt64(makeAtom("007")), "ASSERTION FAILED:");
}

// --- Unfolding ------------------------------------------------------------------------------

TEST(NumberUnfolding, WorkedExamples) {
    EXPECT_EQ(remainderText("5"), "H 01");
    EXPECT_EQ(remainderText("05"), "K 01");
    EXPECT_EQ(remainderText("1"), "H 0");
    EXPECT_EQ(remainderText("01"), "K 0");
    EXPECT_EQ(remainderText("2"), "H 1");
    EXPECT_EQ(remainderText("6"), "H 3");
    EXPECT_EQ(remainderText("3"), "H 00");
    EXPECT_EQ(remainderText("11"), "H 001");
}

TEST(NumberUnfolding, OTextsUnfoldFromTheirBitNumber) {
    EXPECT_EQ(remainderText("00"), "K ");    // N = 2, M = 0
    EXPECT_EQ(remainderText("000"), "K 0");  // N = 4, M = 1
    EXPECT_EQ(remainderText("005"), "K 01"); // N = 22, M = 5
}

TEST(NumberUnfolding, LargeNumbersAgreeWithTheWordPath) {
    // 2^70 - 1 has 70 trailing ones
    Integer m = subtractIntegers(Integer{false, shiftLeftBits(magnitudeFromUInt64(1), 70)},
                                 integerFromInt64(1));
    EXPECT_EQ(remainderText(decimalText(m)), "H " + std::string(70, '0'));
    // 3 * 2^80 + 1: one trailing one, then 2^79 * 3 >> 1 = 3 * 2^78
    Integer big{false, shiftLeftBits(magnitudeFromUInt64(3), 80)};
    big = addIntegers(big, integerFromInt64(1));
    std::string expect =
        "H 0" + decimalText(Integer{false, shiftLeftBits(magnitudeFromUInt64(3), 78)});
    EXPECT_EQ(remainderText(decimalText(big)), expect);
}

TEST(DecimalIntegersDeathTest, UnfoldingZeroIsAnInternalFailure) {
    EXPECT_DEATH(unfoldNumber("0"), "ASSERTION FAILED:");
}
