#include "builtin_calls.h"
#include "builtins/decimal_integers.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace rill;
using rill::testing::cell;

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

std::string readText(const NodeRef& value) {
    NumberReading r;
    if (!readNumber(value, r))
        return "none";
    return r.isOForm ? oText(r.value) : decimalText(r.value);
}

// --- A digit-by-digit reference on magnitude texts, for checking the limb code -----------

std::string naiveAdd(const std::string& a, const std::string& b) {
    std::string r;
    int carry = 0;
    for (std::size_t i = 0; i < std::max(a.size(), b.size()) || carry != 0; ++i) {
        int d = carry;
        if (i < a.size())
            d += a[a.size() - 1 - i] - '0';
        if (i < b.size())
            d += b[b.size() - 1 - i] - '0';
        r.insert(r.begin(), static_cast<char>('0' + d % 10));
        carry = d / 10;
    }
    return r;
}

bool naiveLess(const std::string& a, const std::string& b) { // magnitudes, no leading zeros
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

std::string naiveSubtract(const std::string& a, const std::string& b) { // a >= b
    std::string r = a;
    int borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        int d =
            (a[a.size() - 1 - i] - '0') - borrow - (i < b.size() ? b[b.size() - 1 - i] - '0' : 0);
        borrow = d < 0;
        r[a.size() - 1 - i] = static_cast<char>('0' + (d + 10) % 10);
    }
    const std::size_t nonZero = r.find_first_not_of('0');
    return nonZero == std::string::npos ? "0" : r.substr(nonZero);
}

std::string naiveMultiply(const std::string& a, std::uint64_t f) {
    std::string r = "0";
    std::string shifted = a; // a times a power of ten
    for (; f != 0; f /= 10) {
        for (std::uint64_t k = f % 10; k > 0; --k)
            r = naiveAdd(r, shifted);
        shifted += '0';
    }
    return r;
}

// Signed texts through the reference: "0" marks a negative number.
std::string naiveSignedAdd(std::string a, std::string b) {
    const bool na = a.size() > 1 && a[0] == '0', nb = b.size() > 1 && b[0] == '0';
    if (na)
        a.erase(0, 1);
    if (nb)
        b.erase(0, 1);
    if (na == nb) {
        std::string m = naiveAdd(a, b);
        return na && m != "0" ? "0" + m : m;
    }
    const bool aBigger = !naiveLess(a, b);
    std::string m = aBigger ? naiveSubtract(a, b) : naiveSubtract(b, a);
    const bool negative = aBigger ? na : nb;
    return negative && m != "0" ? "0" + m : m;
}

std::string negatedText(const std::string& t) {
    if (t == "0")
        return t;
    return t[0] == '0' ? t.substr(1) : "0" + t;
}

// Digit texts that stress carries and borrows: runs of nines and zeros, ones and nines at
// the ends, plain random digits; n digits, no leading zero.
std::string patternedDigits(std::mt19937_64& rng, std::size_t n) {
    std::string s;
    switch (rng() % 5) {
    case 0: s = std::string(n, '9'); break;
    case 1: s = std::string(1, '1').append(n - 1, '0'); break;
    case 2:
        s = std::string(n, '9');
        s[rng() % n] = static_cast<char>('0' + rng() % 9);
        break;
    case 3:
        s = std::string(1, '1').append(n - 1, '0');
        s[n - 1 - rng() % n] = '1';
        break;
    default: s = randomDigits(rng, n); break;
    }
    if (s[0] == '0')
        s[0] = '1';
    return s;
}

// Lengths around the limb and word boundaries, and some beyond.
std::size_t interestingLength(std::mt19937_64& rng) {
    static const std::size_t lengths[] = {1,  2,  7,  8,  9,  10, 15, 16, 17, 18, 19,
                                          20, 24, 25, 26, 27, 28, 32, 33, 64, 65};
    return rng() % 3 == 0 ? 1 + rng() % 120 : lengths[rng() % std::size(lengths)];
}

std::string randomSigned(std::mt19937_64& rng) {
    if (rng() % 16 == 0)
        return "0";
    std::string t = patternedDigits(rng, interestingLength(rng));
    return rng() % 2 ? "0" + t : t;
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

// --- Digit texts and limbs ------------------------------------------------------------------

TEST(DigitTexts, TextsOfEveryLengthRoundTripAndReadAsTheirValue) {
    std::mt19937_64 rng(17);
    for (std::size_t n = 1; n <= 90; ++n) {
        for (int k = 0; k < 20; ++k) {
            const std::string t = patternedDigits(rng, n);
            Integer x = parse(t);
            EXPECT_EQ(decimalText(x), t);
            EXPECT_EQ(decimalText(negated(x)), "0" + t);
            if (n <= 19) { // the limbs against the machine's own reading
                EXPECT_EQ(lowBitsOf(x.magnitude), std::stoull(t)) << t;
            }
        }
    }
}

TEST(DigitTexts, ABadByteAnywhereIsRefused) {
    const std::string good = "123456789012345678901234567890";
    for (std::size_t i = 0; i < good.size(); ++i) {
        for (char bad : {'/', ':', ' ', 'a', '\0', '\xB0'}) {
            std::string t = good;
            t[i] = bad;
            Integer x;
            EXPECT_FALSE(parseDecimalText(t, x)) << i;
            EXPECT_FALSE(isAllDigits(t)) << i;
            EXPECT_FALSE(parseDecimalText("0" + t, x)) << i;
        }
    }
}

TEST(DigitTexts, WrittenDigitsMatchTheLimbsPrintedOneByOne) {
    std::mt19937_64 rng(19);
    for (int k = 0; k < 500; ++k) {
        Magnitude m;
        const std::size_t n = 1 + rng() % 12;
        for (std::size_t i = 0; i < n; ++i)
            m.limbs.push_back(static_cast<Limb>(rng() % 3 == 0 ? rng() % 10 : rng() % kLimbBase));
        if (m.limbs.back() == 0)
            m.limbs.back() = 1 + static_cast<Limb>(rng() % 999);
        char piece[16];
        std::snprintf(piece, sizeof piece, "%u", m.limbs.back());
        std::string expected = piece;
        for (std::size_t i = n - 1; i-- > 0;) {
            std::snprintf(piece, sizeof piece, "%0*u", static_cast<int>(kLimbDigits), m.limbs[i]);
            expected += piece;
        }
        std::string text;
        appendDigits(m, text);
        EXPECT_EQ(text, expected);
    }
}

// --- Integer atoms --------------------------------------------------------------------------

TEST(IntegerAtoms, ShortReadingTakesCanonicalTextsOfAtMostEighteenDigits) {
    const std::pair<const char*, std::int64_t> readable[] = {
        {"0", 0},
        {"7", 7},
        {"07", -7},
        {"999999999999999999", 999999999999999999},
        {"0999999999999999999", -999999999999999999},
        {"100", 100}};
    for (auto [text, value] : readable) {
        std::int64_t v = 1;
        EXPECT_TRUE(readShortInteger(makeAtom(text).get(), v)) << text;
        EXPECT_EQ(v, value) << text;
    }
    std::int64_t v = 0;
    for (const char* text :
         {"00", "007", "1000000000000000000", "01000000000000000000", "12a", "K", "[12]", "x"})
        EXPECT_FALSE(readShortInteger(makeAtom(text).get(), v)) << text;
    EXPECT_FALSE(readShortInteger(makeAtom(std::string_view("1\0"
                                                            "2",
                                                            3))
                                      .get(),
                                  v));
    EXPECT_FALSE(readShortInteger(apply(makeAtom("J"), makeAtom("K"), makeAtom("K")).get(), v));
}

TEST(IntegerAtoms, ShortAtomsAreWrittenCanonically) {
    for (std::int64_t v : {std::int64_t{0}, std::int64_t{5}, std::int64_t{-5}, std::int64_t{10},
                           std::int64_t{-100}, INT64_MAX, INT64_MIN})
        EXPECT_EQ(atomText(makeShortIntegerAtom(v)), decimalText(integerFromInt64(v)));
}

TEST(IntegerAtoms, OrderOfTextsAgreesWithTheOrderOfNumbers) {
    std::mt19937_64 rng(23);
    for (int k = 0; k < 4000; ++k) {
        const std::string a = randomSigned(rng);
        std::string b = rng() % 8 == 0 ? a : randomSigned(rng);
        const std::size_t first = a.size() > 1 && a[0] == '0' ? 1 : 0; // the leading digit
        if (rng() % 4 == 0 && a.size() > first + 1) { // same length, a lower digit changed
            b = a;
            b[a.size() - 1 - rng() % (a.size() - first - 1)] = static_cast<char>('0' + rng() % 10);
        }
        int order = 2;
        ASSERT_TRUE(compareIntegerAtoms(makeAtom(a).get(), makeAtom(b).get(), order))
            << a << " " << b;
        const Integer x = parse(a), y = parse(b);
        EXPECT_EQ(order, isLess(x, y) ? -1 : isEqual(x, y) ? 0 : 1) << a << " " << b;
    }
    int order = 0;
    for (const char* other : {"00", "0012345678901234567890", "12345678901234567890x", "K", "[1]"})
        EXPECT_FALSE(compareIntegerAtoms(makeAtom("12345678901234567890").get(),
                                         makeAtom(other).get(), order))
            << other;
}

TEST(IntegerAtoms, AddingAShortNumberToALongTextAgreesWithTheReference) {
    std::mt19937_64 rng(29);
    for (int k = 0; k < 6000; ++k) {
        std::string x = patternedDigits(rng, 19 + rng() % 50);
        if (rng() % 2)
            x = "0" + x;
        const std::int64_t shorts[] = {0,
                                       1,
                                       -1,
                                       999999999999999999,
                                       -999999999999999999,
                                       static_cast<std::int64_t>(rng() % 1000000000000000000)};
        std::int64_t v = shorts[rng() % std::size(shorts)];
        if (rng() % 2)
            v = -v;
        const bool negateX = rng() % 2;
        const NodeRef r = addShortToLongAtom(makeAtom(x), negateX, v);
        ASSERT_FALSE(r.empty()) << x;
        const std::string expected =
            naiveSignedAdd(negateX ? negatedText(x) : x, decimalText(integerFromInt64(v)));
        EXPECT_EQ(atomText(r), expected) << x << (negateX ? " negated, plus " : " plus ") << v;
    }
}

TEST(IntegerAtoms, AddingToAnythingButALongIntegerAtomIsLeftToTheGeneralPath) {
    for (const char* x : {"123456789012345678", "00123456789012345678901", "[1234567890123456789]",
                          "1234567890123456789x", "K"})
        EXPECT_TRUE(addShortToLongAtom(makeAtom(x), false, 1).empty()) << x;
}

TEST(IntegerAtoms, MultiplyingByAShortFactorAgreesWithTheReference) {
    std::mt19937_64 rng(31);
    const std::int64_t factors[] = {0,          1,          2,          99999999,
                                    100000000,  100000001,  999999999,  1000000000,
                                    4294967295, 4294967296, 4294967297, 999999999999999999};
    for (int k = 0; k < 3000; ++k) {
        std::string x = patternedDigits(rng, interestingLength(rng));
        std::int64_t f = rng() % 3 == 0 ? factors[rng() % std::size(factors)]
                                        : static_cast<std::int64_t>(rng() % 100000);
        const bool nx = rng() % 2, nf = rng() % 2;
        const NodeRef r = multiplyAtomByShort(makeAtom(nx ? "0" + x : x), nf ? -f : f);
        std::string expected = naiveMultiply(x, static_cast<std::uint64_t>(f));
        if (nx != nf && expected != "0")
            expected = "0" + expected;
        EXPECT_EQ(atomText(r), expected) << x << " " << f;
    }
    EXPECT_TRUE(multiplyAtomByShort(makeAtom("007"), 3).empty());
    EXPECT_TRUE(multiplyAtomByShort(makeAtom("[7]"), 3).empty());
}

TEST(IntegerAtoms, ProductsNextToAPowerOfTenHaveTheRightLength) {
    // x near 10^k / f, so that x f falls just below, on or just above 10^k: whether the top
    // gains a digit is only decided by the carry from the lowest limbs
    for (std::uint64_t f : {3u, 7u, 9u, 11u, 99u, 12345u, 99999999u, 100000000u, 4294967295u}) {
        for (std::size_t k = 12; k <= 60; k += 7) {
            std::string power = std::string(1, '1').append(k, '0');
            // the quotient of 10^k by f, digit by digit
            std::string q;
            std::uint64_t rest = 0;
            for (char c : power) {
                const unsigned __int128 cur = static_cast<unsigned __int128>(rest) * 10 + (c - '0');
                q.push_back(static_cast<char>('0' + static_cast<int>(cur / f)));
                rest = static_cast<std::uint64_t>(cur % f);
            }
            q.erase(0, q.find_first_not_of('0'));
            for (int delta = -2; delta <= 2; ++delta) {
                std::string x = delta < 0 ? naiveSubtract(q, std::to_string(-delta))
                                          : naiveAdd(q, std::to_string(delta));
                const NodeRef r = multiplyAtomByShort(makeAtom(x), static_cast<std::int64_t>(f));
                EXPECT_EQ(atomText(r), naiveMultiply(x, f)) << x << " " << f;
            }
        }
    }
}

TEST(IntegerAtoms, KeptLimbsReadAsTheTextsTheyStandFor) {
    // A running product and sum whose every result is read back while some are still held
    // elsewhere: reading an atom held by others copies its limbs, reading one about to go
    // takes them; either way the number must be the one its text spells.
    forgetKeptLimbs();
    std::mt19937_64 rng(37);
    NodeRef acc = makeAtom("1");
    std::vector<NodeRef> held;
    for (int k = 1; k <= 400; ++k) {
        Integer x = parse(atomText(acc));
        if (rng() % 2 == 0) { // read back, which may take the limbs over
            ASSERT_TRUE(readIntegerAtom(acc, x));
            ASSERT_EQ(decimalText(x), atomText(acc)) << k;
        }
        switch (rng() % 4) {
        case 0:
            acc = multiplyAtomByShort(acc, 1 + static_cast<std::int64_t>(rng() % 100000));
            break;
        case 1: acc = makeIntegerAtom(multiplyIntegers(x, parse("0123456789123456789123"))); break;
        case 2: {
            NodeRef r = addShortToLongAtom(acc, rng() % 2, static_cast<std::int64_t>(rng() % 1000));
            acc = r.empty() ? makeIntegerAtom(addIntegers(x, integerFromInt64(7))) : std::move(r);
            break;
        }
        default: acc = makeIntegerAtom(addIntegers(x, x)); break;
        }
        if (rng() % 5 == 0)
            held.push_back(acc);
    }
    for (const NodeRef& h : held) {
        Integer x;
        ASSERT_TRUE(readIntegerAtom(h, x));
        EXPECT_EQ(decimalText(x), atomText(h));
    }
    acc = makeAtom("0");
    forgetKeptLimbs();
    for (const NodeRef& h : held) {
        EXPECT_EQ(referenceCount(h), 1u); // forgetting gives every reference back
        Integer x;
        ASSERT_TRUE(readIntegerAtom(h, x));
        EXPECT_EQ(decimalText(x), atomText(h));
    }
}
