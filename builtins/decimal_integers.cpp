#include "builtins/decimal_integers.h"

#include "core/assertion.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace rill {

namespace {

using Limbs = std::vector<Limb>;

constexpr std::uint64_t kBase = kLimbBase;

void trim(Limbs& limbs) {
    while (!limbs.empty() && limbs.back() == 0)
        limbs.pop_back();
}

// --- Additive helpers on raw limb ranges ----------------------------------------------------

// r += x * B^offset; r grows as needed.
void addInto(Limbs& r, const Limb* x, std::size_t nx, std::size_t offset) {
    if (r.size() < offset + nx + 1)
        r.resize(offset + nx + 1, 0);
    std::uint64_t carry = 0;
    std::size_t i = 0;
    for (; i < nx; ++i) {
        std::uint64_t cur = std::uint64_t{r[offset + i]} + x[i] + carry;
        carry = cur >= kBase;
        r[offset + i] = static_cast<Limb>(carry ? cur - kBase : cur);
    }
    for (std::size_t k = offset + i; carry != 0; ++k) {
        if (k == r.size())
            r.push_back(0);
        std::uint64_t cur = std::uint64_t{r[k]} + carry;
        carry = cur >= kBase;
        r[k] = static_cast<Limb>(carry ? cur - kBase : cur);
    }
}

// r -= x, with r >= x.
void subtractFrom(Limbs& r, const Limb* x, std::size_t nx) {
    std::int64_t borrow = 0;
    std::size_t i = 0;
    for (; i < nx; ++i) {
        std::int64_t cur = std::int64_t{r[i]} - x[i] - borrow;
        borrow = cur < 0;
        r[i] = static_cast<Limb>(borrow ? cur + std::int64_t{kBase} : cur);
    }
    for (; borrow != 0; ++i) {
        RILL_ASSERT(i < r.size());
        std::int64_t cur = std::int64_t{r[i]} - borrow;
        borrow = cur < 0;
        r[i] = static_cast<Limb>(borrow ? cur + std::int64_t{kBase} : cur);
    }
}

// --- Multiplication -------------------------------------------------------------------------

// r[0 .. na + nb) = a * b, the schoolbook way, column by column: the products of one column
// are summed in a machine word, folded into limbs every 128 products so the word cannot
// overflow (128 products of two limbs stay below 1.3 10^18), and what is left above the limb
// is carried into the next column.
void multiplySchoolbook(const Limb* a, std::size_t na, const Limb* b, std::size_t nb, Limb* r) {
    std::uint64_t carry = 0; // in units of the current column
    for (std::size_t k = 0; k + 1 < na + nb; ++k) {
        const std::size_t first = k + 1 > nb ? k + 1 - nb : 0;
        const std::size_t last = std::min(k, na - 1);
        std::uint64_t sum = carry % kBase;
        std::uint64_t above = carry / kBase; // in units of the next column
        std::size_t i = first;
        while (i <= last) {
            const std::size_t stop = std::min(last + 1, i + 128);
            for (; i < stop; ++i)
                sum += std::uint64_t{a[i]} * b[k - i];
            above += sum / kBase;
            sum %= kBase;
        }
        r[k] = static_cast<Limb>(sum);
        carry = above;
    }
    RILL_ASSERT(carry < kBase);
    r[na + nb - 1] = static_cast<Limb>(carry);
}

Limbs multiplyRanges(const Limb* a, std::size_t na, const Limb* b, std::size_t nb);

// The product when one operand is much shorter: the longer one is cut into pieces of the
// shorter one's length, and the piece products are added at their offsets.
Limbs multiplyUnbalanced(const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    // na >= nb here
    Limbs r(na + nb + 1, 0);
    for (std::size_t at = 0; at < na; at += nb) {
        std::size_t piece = std::min(nb, na - at);
        Limbs p = multiplyRanges(a + at, piece, b, nb);
        addInto(r, p.data(), p.size(), at);
    }
    trim(r);
    return r;
}

// Splits both operands at m limbs: a = a1 B^m + a0, b = b1 B^m + b0, and uses
// a b = z2 B^2m + (z1 - z2 - z0) B^m + z0 with z1 = (a0 + a1)(b0 + b1).
Limbs multiplyKaratsuba(const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    const std::size_t m = (std::max(na, nb) + 1) / 2;
    auto lowPart = [m](const Limb* x, std::size_t n) {
        std::size_t k = std::min(m, n);
        while (k > 0 && x[k - 1] == 0)
            --k;
        return k;
    };
    const std::size_t na0 = lowPart(a, na);
    const std::size_t nb0 = lowPart(b, nb);
    Limbs z0 = multiplyRanges(a, na0, b, nb0);
    Limbs z2 = multiplyRanges(a + m, na - m, b + m, nb - m);
    Limbs sa(a, a + na0);
    addInto(sa, a + m, na - m, 0);
    trim(sa);
    Limbs sb(b, b + nb0);
    addInto(sb, b + m, nb - m, 0);
    trim(sb);
    Limbs z1 = multiplyRanges(sa.data(), sa.size(), sb.data(), sb.size());
    subtractFrom(z1, z0.data(), z0.size());
    subtractFrom(z1, z2.data(), z2.size());
    trim(z1);
    Limbs r(na + nb + 1, 0);
    std::copy(z0.begin(), z0.end(), r.begin());
    addInto(r, z1.data(), z1.size(), m);
    addInto(r, z2.data(), z2.size(), 2 * m);
    trim(r);
    return r;
}

Limbs multiplyRanges(const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    if (na < nb) {
        std::swap(a, b);
        std::swap(na, nb);
    }
    if (nb == 0)
        return {};
    if (nb == 1) {
        // one row: a times one limb, carried as it goes
        Limbs r(na + 1);
        const std::uint64_t d = b[0];
        std::uint64_t carry = 0;
        for (std::size_t i = 0; i < na; ++i) {
            const std::uint64_t cur = a[i] * d + carry;
            carry = cur / kBase;
            r[i] = static_cast<Limb>(cur - carry * kBase);
        }
        r[na] = static_cast<Limb>(carry);
        trim(r);
        return r;
    }
    if (nb < kKaratsubaThreshold) {
        Limbs r(na + nb, 0);
        multiplySchoolbook(a, na, b, nb, r.data());
        trim(r);
        return r;
    }
    if (nb <= (na + 1) / 2)
        return multiplyUnbalanced(a, na, b, nb);
    return multiplyKaratsuba(a, na, b, nb);
}

// --- Short operations -----------------------------------------------------------------------

// m times d (d at most 2^32) plus add, in place.
void multiplyAddSmall(Limbs& m, std::uint64_t d, std::uint64_t add) {
    std::uint64_t carry = add;
    for (Limb& limb : m) {
        std::uint64_t cur = limb * d + carry;
        carry = cur / kBase;
        limb = static_cast<Limb>(cur - carry * kBase);
    }
    while (carry != 0) {
        m.push_back(static_cast<Limb>(carry % kBase));
        carry /= kBase;
    }
    trim(m);
}

// m div d in place (d from 1 to 2^32); returns m mod d.
std::uint64_t divideSmall(Limbs& m, std::uint64_t d) {
    std::uint64_t rest = 0;
    for (std::size_t i = m.size(); i-- > 0;) {
        std::uint64_t cur = rest * kBase + m[i];
        m[i] = static_cast<Limb>(cur / d);
        rest = cur % d;
    }
    trim(m);
    return rest;
}

// m div 2^bits in place (bits from 1 to 32); returns m mod 2^bits. Shifts instead of
// dividing.
std::uint64_t shiftDownSmall(Limbs& m, unsigned bits) {
    const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
    std::uint64_t rest = 0;
    for (std::size_t i = m.size(); i-- > 0;) {
        const std::uint64_t cur = rest * kBase + m[i];
        m[i] = static_cast<Limb>(cur >> bits);
        rest = cur & mask;
    }
    trim(m);
    return rest;
}

// m div 2^64 in place; returns m mod 2^64.
std::uint64_t shiftDownWord(Limbs& m) {
    std::uint64_t rest = 0;
    for (std::size_t i = m.size(); i-- > 0;) {
        const unsigned __int128 cur = static_cast<unsigned __int128>(rest) * kBase + m[i];
        m[i] = static_cast<Limb>(cur >> 64);
        rest = static_cast<std::uint64_t>(cur);
    }
    trim(m);
    return rest;
}

// Knuth's long division on limbs: u = q v + r for v of two or more limbs, u >= v.
void divideLong(const Limbs& u, const Limbs& v, Limbs* quotient, Limbs* remainder) {
    const std::size_t n = v.size();
    const std::size_t m = u.size() - n;
    const std::uint64_t scale = kBase / (std::uint64_t{v.back()} + 1);
    Limbs vn = v;
    multiplyAddSmall(vn, scale, 0);
    RILL_ASSERT(vn.size() == n);
    Limbs un = u;
    multiplyAddSmall(un, scale, 0);
    un.resize(u.size() + 1, 0);
    Limbs q(m + 1, 0);
    const std::uint64_t vTop = vn[n - 1];
    const std::uint64_t vNext = vn[n - 2];
    for (std::size_t j = m + 1; j-- > 0;) {
        std::uint64_t numerator = std::uint64_t{un[j + n]} * kBase + un[j + n - 1];
        std::uint64_t qhat = numerator / vTop;
        std::uint64_t rhat = numerator % vTop;
        while (qhat >= kBase || qhat * vNext > rhat * kBase + un[j + n - 2]) {
            --qhat;
            rhat += vTop;
            if (rhat >= kBase)
                break;
        }
        std::int64_t borrow = 0;
        std::uint64_t carry = 0;
        for (std::size_t i = 0; i < n; ++i) {
            std::uint64_t p = qhat * vn[i] + carry;
            carry = p / kBase;
            std::int64_t cur = std::int64_t{un[i + j]} - std::int64_t(p - carry * kBase) - borrow;
            borrow = cur < 0;
            un[i + j] = static_cast<Limb>(borrow ? cur + std::int64_t{kBase} : cur);
        }
        std::int64_t top = std::int64_t{un[j + n]} - std::int64_t(carry) - borrow;
        if (top < 0) {
            // qhat was one too large: add the divisor back once
            --qhat;
            std::uint64_t c = 0;
            for (std::size_t i = 0; i < n; ++i) {
                std::uint64_t cur = std::uint64_t{un[i + j]} + vn[i] + c;
                c = cur >= kBase;
                un[i + j] = static_cast<Limb>(c ? cur - kBase : cur);
            }
            top += std::int64_t(c);
        }
        RILL_ASSERT(top >= 0 && top < std::int64_t{kBase});
        un[j + n] = static_cast<Limb>(top);
        q[j] = static_cast<Limb>(qhat);
    }
    if (quotient != nullptr) {
        trim(q);
        *quotient = std::move(q);
    }
    if (remainder != nullptr) {
        un.resize(n);
        trim(un);
        divideSmall(un, scale);
        *remainder = std::move(un);
    }
}

// --- Division by halves ---------------------------------------------------------------------
//
// Above kDivideThreshold limbs a division is cut into divisions of half the size whose
// partial quotients are corrected with one product each, so that the work follows the
// multiplication's cost instead of the square of the length.

int compareLimbs(const Limbs& a, const Limbs& b) {
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = a.size(); i-- > 0;)
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    return 0;
}

Limbs highLimbs(const Limbs& a, std::size_t k) { // a div B^k
    return k >= a.size() ? Limbs{} : Limbs(a.begin() + std::ptrdiff_t(k), a.end());
}

Limbs lowLimbs(const Limbs& a, std::size_t k) { // a mod B^k
    Limbs r(a.begin(), a.begin() + std::ptrdiff_t(std::min(k, a.size())));
    trim(r);
    return r;
}

Limbs shiftUp(Limbs a, std::size_t k) { // a B^k
    if (!a.empty())
        a.insert(a.begin(), k, 0);
    return a;
}

Limbs plus(Limbs a, const Limbs& b) {
    addInto(a, b.data(), b.size(), 0);
    trim(a);
    return a;
}

Limbs minus(Limbs a, const Limbs& b) {
    RILL_ASSERT(compareLimbs(a, b) >= 0);
    subtractFrom(a, b.data(), b.size());
    trim(a);
    return a;
}

Limbs times(const Limbs& a, const Limbs& b) {
    return multiplyRanges(a.data(), a.size(), b.data(), b.size());
}

// Any a by a b of two or more limbs, by Knuth's method.
void divideBase(const Limbs& a, const Limbs& b, Limbs& q, Limbs& r) {
    if (compareLimbs(a, b) < 0) {
        q.clear();
        r = a;
        return;
    }
    divideLong(a, b, &q, &r);
}

void divideThreeHalves(const Limbs& a, const Limbs& b, std::size_t h, Limbs& q, Limbs& r);

// a < b B^n, b of exactly n limbs with its top limb at least B / 2: q = a div b, r = a mod b.
void divideTwoByOne(const Limbs& a, const Limbs& b, std::size_t n, Limbs& q, Limbs& r) {
    if (n % 2 != 0 || n <= kDivideThreshold) {
        divideBase(a, b, q, r);
        return;
    }
    const std::size_t h = n / 2;
    Limbs q1, r1, q2;
    divideThreeHalves(highLimbs(a, h), b, h, q1, r1);
    divideThreeHalves(plus(shiftUp(std::move(r1), h), lowLimbs(a, h)), b, h, q2, r);
    q = plus(shiftUp(std::move(q1), h), q2);
}

// a < b B^h, b of exactly 2h limbs, normalized: the quotient (below B^h) and remainder.
void divideThreeHalves(const Limbs& a, const Limbs& b, std::size_t h, Limbs& q, Limbs& r) {
    const Limbs b1 = highLimbs(b, h), b2 = lowLimbs(b, h);
    const Limbs a12 = highLimbs(a, h);
    Limbs r1;
    if (compareLimbs(highLimbs(a, 2 * h), b1) < 0) {
        divideTwoByOne(a12, b1, h, q, r1);
    } else {
        // the estimate B^h - 1; then r1 = a12 - (B^h - 1) b1
        q.assign(h, kLimbBase - 1);
        r1 = minus(plus(a12, b1), shiftUp(b1, h));
    }
    const Limbs d = times(q, b2);
    Limbs rest = plus(shiftUp(std::move(r1), h), lowLimbs(a, h));
    const Limbs one{1};
    while (compareLimbs(rest, d) < 0) {
        q = minus(std::move(q), one);
        rest = plus(std::move(rest), b);
    }
    r = minus(std::move(rest), d);
}

// a div b and a mod b for a divisor of more than kDivideThreshold limbs.
void divideByHalves(const Limbs& a, const Limbs& b, Limbs* quotient, Limbs* remainder) {
    const std::size_t s = b.size();
    std::size_t m = s, k = 0;
    while (m > kDivideThreshold) {
        m = (m + 1) / 2;
        ++k;
    }
    const std::size_t n = m << k; // n >= s, halving n k times ends at m
    const std::uint64_t scale = kBase / (std::uint64_t{b.back()} + 1);
    Limbs bn = b;
    multiplyAddSmall(bn, scale, 0);
    RILL_ASSERT(bn.size() == s);
    bn = shiftUp(std::move(bn), n - s);
    Limbs an = a;
    multiplyAddSmall(an, scale, 0);
    an = shiftUp(std::move(an), n - s);
    const std::size_t t = std::max<std::size_t>(2, an.size() / n + 1);
    Limbs z = highLimbs(an, (t - 2) * n);
    Limbs q, r;
    for (std::size_t i = t - 1; i-- > 0;) {
        Limbs qi;
        divideTwoByOne(z, bn, n, qi, r);
        q = plus(shiftUp(std::move(q), n), qi);
        if (i > 0) {
            Limbs block(an.begin() + std::ptrdiff_t(std::min((i - 1) * n, an.size())),
                        an.begin() + std::ptrdiff_t(std::min(i * n, an.size())));
            trim(block);
            z = plus(shiftUp(std::move(r), n), block);
        }
    }
    if (quotient != nullptr)
        *quotient = std::move(q);
    if (remainder != nullptr) {
        r = highLimbs(r, n - s);
        divideSmall(r, scale);
        *remainder = std::move(r);
    }
}

// The number modulo 2^64 from the lowest limbs: (10^8)^i is a multiple of 2^64 from i = 8.
std::uint64_t lowBits(const Limbs& limbs) {
    std::uint64_t value = 0;
    std::uint64_t weight = 1;
    for (std::size_t i = 0; i < limbs.size() && i < 8; ++i) {
        value += weight * limbs[i];
        weight *= kBase;
    }
    return value;
}

// Counts the lowest bits equal to `bit`, working off 29 bits at a time.
std::size_t trailingBits(const Magnitude& m, bool bit) {
    constexpr unsigned kChunk = 29;
    constexpr std::uint64_t kChunkMask = (std::uint64_t{1} << kChunk) - 1;
    if (isZero(m))
        return 0;
    Limbs work = m.limbs;
    std::size_t count = 0;
    for (;;) {
        std::uint64_t low = lowBits(work) & kChunkMask;
        unsigned run = static_cast<unsigned>(bit ? std::countr_one(low) : std::countr_zero(low));
        if (run < kChunk)
            return count + run;
        count += kChunk;
        shiftDownSmall(work, kChunk);
        if (work.empty())
            return count; // only reached for ones: the number was 2^count - 1
    }
}

// --- Digit texts and limbs ------------------------------------------------------------------
//
// Digits are read eight at a time through one 64-bit word, the first digit in its lowest
// byte, and written four at a time from a table.

static_assert(std::endian::native == std::endian::little,
              "the digit words put the first digit in the lowest byte");

// The two-digit texts "00" to "99".
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233"
    "34353637383940414243444546474849505152535455565758596061626364656667"
    "6869707172737475767778798081828384858687888990919293949596979899";

// True when all eight bytes of the word are "0" to "9".
bool isEightDigits(std::uint64_t v) {
    return ((v & 0xF0F0F0F0F0F0F0F0) | (((v + 0x0606060606060606) & 0xF0F0F0F0F0F0F0F0) >> 4)) ==
           0x3333333333333333;
}

// The number eight digit bytes spell, the first the most significant.
std::uint32_t eightDigitsValue(std::uint64_t v) {
    v -= 0x3030303030303030;
    v = (v * 10) + (v >> 8); // pairs of digits
    v = (((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
         (((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
        32;
    return static_cast<std::uint32_t>(v);
}

// The four-digit texts "0000" to "9999".
struct DigitQuads {
    char text[40000];
};

constexpr DigitQuads makeDigitQuads() {
    DigitQuads t{};
    for (int i = 0; i < 10000; ++i) {
        t.text[4 * i] = static_cast<char>('0' + i / 1000);
        t.text[4 * i + 1] = static_cast<char>('0' + i / 100 % 10);
        t.text[4 * i + 2] = static_cast<char>('0' + i / 10 % 10);
        t.text[4 * i + 3] = static_cast<char>('0' + i % 10);
    }
    return t;
}

constexpr DigitQuads kDigitQuads = makeDigitQuads();

// Writes a limb as exactly eight digits, two groups of four from the table.
inline void writeLimbDigits(Limb limb, char* out) {
    const Limb high = limb / 10000;
    const Limb low = limb - high * 10000;
    std::memcpy(out, kDigitQuads.text + 4 * high, 4);
    std::memcpy(out + 4, kDigitQuads.text + 4 * low, 4);
}

// Reads eight digit bytes into a limb; false when any is not a digit.
bool readLimbDigits(const char* p, Limb& limb) {
    std::uint64_t eight;
    std::memcpy(&eight, p, 8);
    limb = eightDigitsValue(eight);
    return isEightDigits(eight);
}

// The limbs of n decimal digits (leading zeros allowed) into limbs, replacing what it held;
// false when a byte is not a digit.
bool limbsOfDigits(const char* p, std::size_t n, Limbs& limbs) {
    limbs.resize(n / kLimbDigits + 1);
    std::size_t end = n;
    std::size_t k = 0;
    bool ok = true;
    while (end >= kLimbDigits) {
        end -= kLimbDigits;
        Limb limb;
        ok &= readLimbDigits(p + end, limb);
        limbs[k++] = limb;
    }
    if (end > 0) {
        Limb limb = 0;
        for (std::size_t i = 0; i < end; ++i) {
            const unsigned d = static_cast<unsigned char>(p[i]) - unsigned{'0'};
            ok &= d <= 9;
            limb = limb * 10 + d;
        }
        limbs[k++] = limb;
    }
    limbs.resize(k);
    trim(limbs);
    return ok;
}

// True when all n bytes are digits.
bool allDigits(const char* p, std::size_t n) {
    std::size_t i = 0;
    bool ok = true;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t v;
        std::memcpy(&v, p + i, 8);
        ok &= isEightDigits(v);
    }
    for (; i < n; ++i)
        ok &= static_cast<unsigned>(static_cast<unsigned char>(p[i]) - unsigned{'0'}) <= 9;
    return ok;
}

std::size_t decimalLength(Limb limb) { // 1 for 0
    std::size_t n = 1;
    for (Limb t = limb; t >= 10; t /= 10)
        ++n;
    return n;
}

// The number of digits of a non-zero magnitude.
std::size_t digitCount(const Limbs& limbs) {
    return decimalLength(limbs.back()) + (limbs.size() - 1) * kLimbDigits;
}

// Writes the digits of a non-zero magnitude: digitCount(limbs) bytes.
void writeDigits(const Limbs& limbs, char* out) {
    const std::size_t top = decimalLength(limbs.back());
    char first[kLimbDigits];
    writeLimbDigits(limbs.back(), first);
    std::memcpy(out, first + kLimbDigits - top, top);
    out += top;
    for (std::size_t i = limbs.size() - 1; i-- > 0;) {
        writeLimbDigits(limbs[i], out);
        out += kLimbDigits;
    }
}

// A buffer of at least n bytes, reused from call to call, for texts on their way into atoms.
char* scratchBuffer(std::size_t n) {
    static auto& buffer = *new std::vector<char>;
    if (buffer.size() < n)
        buffer.resize(std::max(n, 2 * buffer.size()));
    return buffer.data();
}

} // namespace

// --- Limbs ----------------------------------------------------------------------------------

bool isZero(const Magnitude& m) {
    return m.limbs.empty();
}

Magnitude magnitudeFromDigits(std::string_view digits) {
    Magnitude m;
    const bool ok = limbsOfDigits(digits.data(), digits.size(), m.limbs);
    RILL_ASSERT(ok);
    return m;
}

Magnitude magnitudeFromUInt64(std::uint64_t value) {
    Magnitude m;
    while (value != 0) {
        m.limbs.push_back(static_cast<Limb>(value % kBase));
        value /= kBase;
    }
    return m;
}

void appendDigits(const Magnitude& m, std::string& text) {
    if (m.limbs.empty()) {
        text.push_back('0');
        return;
    }
    const std::size_t start = text.size();
    text.resize(start + digitCount(m.limbs));
    writeDigits(m.limbs, text.data() + start);
}

std::uint64_t lowBitsOf(const Magnitude& m) {
    return lowBits(m.limbs);
}

int compareMagnitudes(const Magnitude& a, const Magnitude& b) {
    if (a.limbs.size() != b.limbs.size())
        return a.limbs.size() < b.limbs.size() ? -1 : 1;
    for (std::size_t i = a.limbs.size(); i-- > 0;)
        if (a.limbs[i] != b.limbs[i])
            return a.limbs[i] < b.limbs[i] ? -1 : 1;
    return 0;
}

Magnitude addMagnitudes(const Magnitude& a, const Magnitude& b) {
    const Magnitude& longer = a.limbs.size() >= b.limbs.size() ? a : b;
    const Magnitude& shorter = a.limbs.size() >= b.limbs.size() ? b : a;
    Magnitude r = longer;
    addInto(r.limbs, shorter.limbs.data(), shorter.limbs.size(), 0);
    trim(r.limbs);
    return r;
}

Magnitude subtractMagnitudes(const Magnitude& a, const Magnitude& b) {
    RILL_ASSERT(compareMagnitudes(a, b) >= 0);
    Magnitude r = a;
    subtractFrom(r.limbs, b.limbs.data(), b.limbs.size());
    trim(r.limbs);
    return r;
}

Magnitude multiplyMagnitudes(const Magnitude& a, const Magnitude& b) {
    Magnitude r;
    r.limbs = multiplyRanges(a.limbs.data(), a.limbs.size(), b.limbs.data(), b.limbs.size());
    return r;
}

void divideMagnitudes(const Magnitude& a, const Magnitude& b, Magnitude* quotient,
                      Magnitude* remainder) {
    RILL_ASSERT(!isZero(b));
    if (compareMagnitudes(a, b) < 0) {
        if (remainder != nullptr)
            *remainder = a;
        if (quotient != nullptr)
            quotient->limbs.clear();
        return;
    }
    if (b.limbs.size() == 1) {
        Limbs q = a.limbs;
        std::uint64_t r = divideSmall(q, b.limbs[0]);
        if (remainder != nullptr)
            *remainder = magnitudeFromUInt64(r);
        if (quotient != nullptr)
            quotient->limbs = std::move(q);
        return;
    }
    Limbs* q = quotient != nullptr ? &quotient->limbs : nullptr;
    Limbs* r = remainder != nullptr ? &remainder->limbs : nullptr;
    if (b.limbs.size() > kDivideThreshold && a.limbs.size() - b.limbs.size() > kDivideThreshold)
        divideByHalves(a.limbs, b.limbs, q, r);
    else
        divideLong(a.limbs, b.limbs, q, r);
}

Magnitude shiftLeftBits(Magnitude m, std::size_t bits) {
    constexpr std::size_t kChunk = 31;
    while (bits > 0 && !isZero(m)) {
        std::size_t k = std::min(bits, kChunk);
        multiplyAddSmall(m.limbs, std::uint64_t{1} << k, 0);
        bits -= k;
    }
    return m;
}

Magnitude shiftRightBits(Magnitude m, std::size_t bits) {
    constexpr std::size_t kChunk = 31;
    while (bits > 0 && !isZero(m)) {
        std::size_t k = std::min(bits, kChunk);
        shiftDownSmall(m.limbs, static_cast<unsigned>(k));
        bits -= k;
    }
    return m;
}

std::size_t trailingZeroBits(const Magnitude& m) {
    return trailingBits(m, false);
}

std::size_t trailingOneBits(const Magnitude& m) {
    return trailingBits(m, true);
}

// --- Signed integers ------------------------------------------------------------------------

Integer integerFromInt64(std::int64_t value) {
    Integer x;
    x.negative = value < 0;
    x.magnitude = magnitudeFromUInt64(value < 0 ? std::uint64_t{0} - std::uint64_t(value)
                                                : std::uint64_t(value));
    return x;
}

Integer negated(Integer x) {
    if (!isZero(x.magnitude))
        x.negative = !x.negative;
    return x;
}

Integer addIntegers(const Integer& a, const Integer& b) {
    Integer r;
    if (a.negative == b.negative) {
        r.magnitude = addMagnitudes(a.magnitude, b.magnitude);
        r.negative = a.negative;
    } else if (compareMagnitudes(a.magnitude, b.magnitude) < 0) {
        r.magnitude = subtractMagnitudes(b.magnitude, a.magnitude);
        r.negative = b.negative;
    } else {
        r.magnitude = subtractMagnitudes(a.magnitude, b.magnitude);
        r.negative = a.negative;
    }
    if (isZero(r.magnitude))
        r.negative = false;
    return r;
}

Integer subtractIntegers(const Integer& a, const Integer& b) {
    Integer r;
    if (a.negative != b.negative) {
        r.magnitude = addMagnitudes(a.magnitude, b.magnitude);
        r.negative = a.negative;
    } else if (compareMagnitudes(a.magnitude, b.magnitude) < 0) {
        r.magnitude = subtractMagnitudes(b.magnitude, a.magnitude);
        r.negative = !a.negative;
    } else {
        r.magnitude = subtractMagnitudes(a.magnitude, b.magnitude);
        r.negative = a.negative;
    }
    if (isZero(r.magnitude))
        r.negative = false;
    return r;
}

Integer multiplyIntegers(const Integer& a, const Integer& b) {
    Integer r;
    r.magnitude = multiplyMagnitudes(a.magnitude, b.magnitude);
    r.negative = a.negative != b.negative && !isZero(r.magnitude);
    return r;
}

bool floorQuotient(const Integer& a, const Integer& b, Integer& quotient) {
    if (isZero(b.magnitude))
        return false;
    Magnitude q;
    Magnitude r;
    divideMagnitudes(a.magnitude, b.magnitude, &q, &r);
    if (a.negative != b.negative && !isZero(r))
        q = addMagnitudes(q, magnitudeFromUInt64(1));
    quotient.magnitude = std::move(q);
    quotient.negative = a.negative != b.negative && !isZero(quotient.magnitude);
    return true;
}

bool nonNegativeRemainder(const Integer& a, const Integer& b, Integer& remainder) {
    if (isZero(b.magnitude))
        return false;
    Magnitude r;
    divideMagnitudes(a.magnitude, b.magnitude, nullptr, &r);
    if (a.negative != b.negative && !isZero(r))
        r = subtractMagnitudes(b.magnitude, r);
    remainder.magnitude = std::move(r);
    remainder.negative = false;
    return true;
}

bool isLess(const Integer& a, const Integer& b) {
    if (a.negative != b.negative)
        return a.negative;
    int c = compareMagnitudes(a.magnitude, b.magnitude);
    return a.negative ? c > 0 : c < 0;
}

bool isEqual(const Integer& a, const Integer& b) {
    return a.negative == b.negative && compareMagnitudes(a.magnitude, b.magnitude) == 0;
}

// --- Texts ----------------------------------------------------------------------------------

bool isAllDigits(std::string_view text) {
    return !text.empty() && allDigits(text.data(), text.size());
}

bool parseDecimalText(std::string_view text, Integer& out) {
    if (text.empty())
        return false;
    const bool negative = text[0] == '0' && text.size() > 1;
    if (negative && text[1] == '0')
        return false;
    Limbs limbs;
    if (!limbsOfDigits(text.data() + (negative ? 1 : 0), text.size() - (negative ? 1 : 0), limbs))
        return false;
    out.negative = negative;
    out.magnitude.limbs = std::move(limbs);
    return true;
}

bool parseOText(std::string_view text, Integer& out) {
    if (text.size() < 2 || text[0] != '0' || text[1] != '0' || !isAllDigits(text))
        return false;
    std::size_t j = 0;
    while (2 + j < text.size() && text[2 + j] == '0')
        ++j;
    Magnitude d = magnitudeFromDigits(text.substr(2 + j));
    if (j == 0) {
        // N = 4D + 2: the integer 4D + 3, that is D
        out.negative = false;
        out.magnitude = std::move(d);
        return true;
    }
    // N = 2^(j+1) (2D + 1): the integer N + 1 = 4v + 1 with v = 2^(j-1) (2D + 1), so -v
    multiplyAddSmall(d.limbs, 2, 1);
    out.magnitude = shiftLeftBits(std::move(d), j - 1);
    out.negative = true;
    return true;
}

std::string decimalText(const Integer& x) {
    std::string text;
    if (x.negative && !isZero(x.magnitude))
        text.push_back('0');
    appendDigits(x.magnitude, text);
    return text;
}

std::string oText(const Integer& x) {
    std::string text = "00";
    if (!x.negative || isZero(x.magnitude)) {
        if (!isZero(x.magnitude))
            appendDigits(x.magnitude, text);
        return text;
    }
    // v = 2^(j-1) (2D + 1)
    const std::size_t j = trailingZeroBits(x.magnitude) + 1;
    Magnitude odd = shiftRightBits(x.magnitude, j - 1);
    divideSmall(odd.limbs, 2); // (odd - 1) / 2
    text.append(j, '0');
    if (!isZero(odd))
        appendDigits(odd, text);
    return text;
}

// --- BitString ------------------------------------------------------------------------------

std::size_t bitLength(const BitString& s) {
    if (s.bytes.empty())
        return 0;
    return (s.bytes.size() - 1) * 8 + static_cast<std::size_t>(std::bit_width(s.bytes.back())) - 1;
}

bool readBit(const BitString& s, std::size_t i) {
    return i / 8 < s.bytes.size() && ((s.bytes[i / 8] >> (i % 8)) & 1) != 0;
}

void setBit(BitString& s, std::size_t i) {
    if (i / 8 >= s.bytes.size())
        s.bytes.resize(i / 8 + 1, 0);
    s.bytes[i / 8] = static_cast<std::uint8_t>(s.bytes[i / 8] | (1u << (i % 8)));
}

void appendSequence(BitString& head, const BitString& tail) {
    const std::size_t k = bitLength(head);
    const std::size_t shift = k % 8;
    std::vector<std::uint8_t> bytes(k / 8 + tail.bytes.size() + 1, 0);
    std::copy(head.bytes.begin(), head.bytes.begin() + std::ptrdiff_t(k / 8), bytes.begin());
    if (shift != 0)
        bytes[k / 8] = static_cast<std::uint8_t>(head.bytes[k / 8] & ((1u << shift) - 1));
    for (std::size_t i = 0; i < tail.bytes.size(); ++i) {
        unsigned wide = unsigned{tail.bytes[i]} << shift;
        bytes[k / 8 + i] = static_cast<std::uint8_t>(bytes[k / 8 + i] | (wide & 0xFF));
        bytes[k / 8 + i + 1] = static_cast<std::uint8_t>(wide >> 8);
    }
    while (!bytes.empty() && bytes.back() == 0)
        bytes.pop_back();
    head.bytes = std::move(bytes);
}

BitString bitStringOfMagnitude(const Magnitude& n) {
    BitString s;
    Limbs work = n.limbs;
    while (!work.empty()) {
        std::uint64_t word = shiftDownWord(work);
        for (int b = 0; b < 8; ++b)
            s.bytes.push_back(static_cast<std::uint8_t>(word >> (8 * b)));
    }
    while (!s.bytes.empty() && s.bytes.back() == 0)
        s.bytes.pop_back();
    return s;
}

Magnitude magnitudeOfBitString(const BitString& s) {
    Magnitude m;
    std::size_t words = (s.bytes.size() + 3) / 4;
    for (std::size_t w = words; w-- > 0;) {
        std::uint64_t word = 0;
        for (std::size_t b = 0; b < 4; ++b)
            if (4 * w + b < s.bytes.size())
                word |= std::uint64_t{s.bytes[4 * w + b]} << (8 * b);
        multiplyAddSmall(m.limbs, std::uint64_t{1} << 32, word);
    }
    return m;
}

namespace {

// N of an integer: 4v + 3 for v >= 0, 4v + 1 for -v.
Magnitude bitNumberOfInteger(const Integer& x) {
    Magnitude n = x.magnitude;
    multiplyAddSmall(n.limbs, 4, x.negative ? 1 : 3);
    return n;
}

// The number an N of 2 or more spells.
NumberReading readingOfBitNumber(Magnitude n) {
    NumberReading r;
    std::uint64_t low = lowBitsOf(n);
    if ((low & 1) == 0) {
        // an `o` value: the integer N + 1
        r.isOForm = true;
        multiplyAddSmall(n.limbs, 1, 1);
        low = lowBitsOf(n);
    }
    r.value.negative = (low & 2) == 0;
    divideSmall(n.limbs, 4);
    r.value.magnitude = std::move(n);
    if (isZero(r.value.magnitude))
        r.value.negative = false;
    return r;
}

} // namespace

bool bitStringOfText(std::string_view text, BitString& out) {
    if (!text.empty() && text[0] == 'K' && text.size() == 1) {
        out.bytes.assign(1, 1);
        return true;
    }
    NumberReading r;
    if (parseDecimalText(text, r.value)) {
        out = bitStringOfMagnitude(bitNumberOfInteger(r.value));
        return true;
    }
    if (parseOText(text, r.value)) {
        Magnitude n = bitNumberOfInteger(r.value);
        const Limb one = 1;
        subtractFrom(n.limbs, &one, 1);
        trim(n.limbs);
        out = bitStringOfMagnitude(n);
        return true;
    }
    return false;
}

std::string textOfBitString(const BitString& s) {
    if (bitLength(s) == 0)
        return "K";
    NumberReading r = readingOfBitNumber(magnitudeOfBitString(s));
    return r.isOForm ? oText(r.value) : decimalText(r.value);
}

bool readNumber(const NodeRef& value, NumberReading& out) {
    const Node* n = value.get();
    if (isAtomNode(n)) {
        std::string_view text = atomText(value);
        out.isOForm = false;
        if (firstByteOf(n) == 'K') {
            out.value = Integer{};
            return true;
        }
        if (parseDecimalText(text, out.value))
            return true;
        out.isOForm = true;
        return parseOText(text, out.value);
    }
    // A bit list: collect the cells' bits, then append the bits of the atom that ends it.
    BitString bits;
    std::size_t count = 0;
    while (!isAtomNode(n)) {
        const Node* f = functionOf(n);
        if (isAtomNode(f) || !isAtomNode(functionOf(f)) || firstByteOf(functionOf(f)) != 'J')
            return false;
        unsigned char b = firstByteOf(argumentOf(f));
        if (!isAtomNode(argumentOf(f)) || (b != 'K' && b != 'H'))
            return false;
        if (b == 'K')
            setBit(bits, count);
        ++count;
        n = argumentOf(n);
    }
    BitString rest;
    if (firstByteOf(n) == 'K') {
        rest.bytes.assign(1, 1);
    } else {
        std::string_view text(atomBytes(n), measureText(n));
        if (!bitStringOfText(text, rest))
            return false;
    }
    // head: the cell bits under a marker at position count
    setBit(bits, count);
    appendSequence(bits, rest);
    RILL_ASSERT(bitLength(bits) >= 1);
    out = readingOfBitNumber(magnitudeOfBitString(bits));
    return true;
}

// --- Values ---------------------------------------------------------------------------------

std::uint64_t toUInt64(const NodeRef& value) {
    if (isAtom(value)) {
        std::string_view text = atomText(value);
        if (firstByte(value) == 'K')
            return 0;
        RILL_ASSERT(isAllDigits(text) && (text.size() == 1 || text[0] != '0' || text[1] != '0'));
        // the magnitude modulo 2^64, one digit at a time (wrapping arithmetic)
        std::uint64_t v = 0;
        for (std::size_t i = text[0] == '0' ? 1 : 0; i < text.size(); ++i)
            v = v * 10 + static_cast<std::uint64_t>(text[i] - '0');
        return v;
    }
    NumberReading r;
    RILL_ASSERT(readNumber(value, r) && !r.isOForm);
    return lowBitsOf(r.value.magnitude);
}

std::pair<NodeRef, NodeRef> unfoldNumber(std::string_view digits) {
    RILL_ASSERT(!digits.empty() && digits != "0");
    NodeRef first = makeAtom(digits[0] == '0' ? "K" : "H");
    // the leading run of digits decides; a text with other bytes is read up to them
    std::size_t end = 0;
    while (end < digits.size() && digits[end] >= '0' && digits[end] <= '9')
        ++end;
    std::string_view run = digits.substr(0, end);
    Magnitude m; // N div 4
    Integer x;
    if (run.size() >= 2 && run[0] == '0' && run[1] == '0') {
        std::size_t j = 0;
        while (2 + j < run.size() && run[2 + j] == '0')
            ++j;
        m = magnitudeFromDigits(run.substr(2 + j));
        if (j > 0) {
            multiplyAddSmall(m.limbs, 2, 1);
            m = shiftLeftBits(std::move(m), j - 1);
        }
    } else if (run.empty()) {
        m = Magnitude{};
    } else {
        m = magnitudeFromDigits(run[0] == '0' ? run.substr(1) : run);
    }
    std::string text;
    // small numbers work in one machine word
    if (m.limbs.size() <= 2) {
        std::uint64_t v = lowBitsOf(m);
        unsigned t = static_cast<unsigned>(std::countr_one(v));
        text.append(t, '0');
        std::uint64_t q = t + 1 >= 64 ? 0 : v >> (t + 1);
        if (q != 0)
            appendDigits(magnitudeFromUInt64(q), text);
    } else {
        std::size_t t = trailingOneBits(m);
        text.append(t, '0');
        Magnitude q = shiftRightBits(std::move(m), t + 1);
        if (!isZero(q))
            appendDigits(q, text);
    }
    return {std::move(first), makeAtom(std::move(text))};
}

namespace {

// The atom of x's canonical text, written straight into a buffer.
NodeRef atomOfInteger(const Integer& x) {
    if (isZero(x.magnitude))
        return NodeRef(newAtomNode("0", 1));
    const std::size_t sign = x.negative ? 1 : 0;
    const std::size_t length = sign + digitCount(x.magnitude.limbs);
    char small[64];
    char* text = length <= sizeof small ? small : scratchBuffer(length);
    text[0] = '0'; // the sign, when there is one
    writeDigits(x.magnitude.limbs, text + sign);
    return NodeRef(newAtomNode(text, length));
}

// --- Kept limbs ---

// Results of fewer limbs are not kept: reading them again costs about as much as finding them.
constexpr std::size_t kKeptMinimumLimbs = 8;
constexpr std::size_t kKeptEntries = 4;

struct KeptLimbs {
    Node* atom = nullptr; // holds one reference while set
    Integer value;
};

struct LimbMemory {
    KeptLimbs entries[kKeptEntries];
    std::size_t next = 0; // the entry given up when none is free
};

LimbMemory& limbMemory() {
    static auto& memory = *new LimbMemory; // never destroyed: atoms die at exit too
    return memory;
}

void dropEntry(KeptLimbs& e) {
    Node* atom = e.atom;
    e.atom = nullptr;
    e.value = Integer{};
    if (atom != nullptr)
        releaseNode(atom);
}

KeptLimbs* findKept(const Node* atom) {
    for (KeptLimbs& e : limbMemory().entries)
        if (e.atom == atom)
            return &e;
    return nullptr;
}

// The value of a kept entry; its limbs are taken over, and the entry dropped, when the only
// other reference to its atom is the caller's, which is about to go.
Integer valueOfKept(KeptLimbs& e) {
    if (countOf(e.atom) != 2)
        return e.value;
    Integer value = std::move(e.value);
    dropEntry(e);
    return value;
}

void keepLimbs(Node* atom, Integer&& x) {
    LimbMemory& m = limbMemory();
    KeptLimbs* slot = nullptr;
    for (KeptLimbs& e : m.entries) {
        if (e.atom != nullptr && countOf(e.atom) == 1)
            dropEntry(e); // nothing else holds its atom
        if (e.atom == nullptr && slot == nullptr)
            slot = &e;
    }
    if (slot == nullptr) {
        slot = &m.entries[m.next];
        m.next = (m.next + 1) % kKeptEntries;
        dropEntry(*slot);
    }
    retainNode(atom);
    slot->atom = atom;
    slot->value = std::move(x);
}

// The digits of a canonical decimal atom and its sign; false for any other node.
bool canonicalDigits(const Node* n, std::string_view& digits, bool& negative) {
    if (!isAtomNode(n))
        return false;
    const char* text = atomBytes(n);
    if (text[0] < '0' || text[0] > '9')
        return false;
    const std::size_t length = measureText(n);
    negative = text[0] == '0' && length > 1;
    digits = std::string_view(text, length).substr(negative ? 1 : 0);
    if (negative && digits[0] == '0')
        return false; // an `o` text
    return findKept(n) != nullptr || allDigits(digits.data(), digits.size());
}

constexpr std::uint64_t kShortLimit = 1000000000000000000; // 10^18

// The number that 18 digit bytes spell.
std::uint64_t readEighteenDigits(const char* p) {
    std::uint64_t a, b;
    std::memcpy(&a, p + 2, 8);
    std::memcpy(&b, p + 10, 8);
    const std::uint64_t top = static_cast<std::uint64_t>(p[0] - '0') * 10 + (p[1] - '0');
    return (top * 100000000 + eightDigitsValue(a)) * 100000000 + eightDigitsValue(b);
}

// Writes v < 10^18 as exactly 18 digits: two, then two limbs of eight.
void writeEighteenDigits(std::uint64_t v, char* out) {
    const std::uint64_t low = v % kBase;
    v /= kBase;
    std::memcpy(out, kDigitPairs + 2 * (v / kBase), 2);
    writeLimbDigits(static_cast<Limb>(v % kBase), out + 2);
    writeLimbDigits(static_cast<Limb>(low), out + 2 + kLimbDigits);
}

} // namespace

NodeRef makeIntegerAtom(const Integer& x) {
    return atomOfInteger(x);
}

// --- Integer atoms --------------------------------------------------------------------------

NodeRef makeShortIntegerAtom(std::int64_t value) {
    char buffer[24];
    char* const end = buffer + sizeof buffer;
    char* p = end;
    std::uint64_t m =
        value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(value) : std::uint64_t(value);
    while (m >= 100) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * (m % 100), 2);
        m /= 100;
    }
    if (m >= 10) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * m, 2);
    } else {
        *--p = static_cast<char>('0' + m);
    }
    if (value < 0)
        *--p = '0';
    return NodeRef(newAtomNode(p, static_cast<std::size_t>(end - p)));
}

bool readIntegerAtom(const NodeRef& atom, Integer& out) {
    const Node* n = atom.get();
    if (!isAtomNode(n))
        return false;
    std::int64_t v = 0;
    if (readShortInteger(n, v)) {
        out = integerFromInt64(v);
        return true;
    }
    if (KeptLimbs* e = findKept(n)) {
        out = valueOfKept(*e);
        return true;
    }
    return parseDecimalText(atomText(atom), out);
}

NodeRef makeIntegerAtom(Integer&& x) {
    NodeRef atom = atomOfInteger(x);
    if (x.magnitude.limbs.size() >= kKeptMinimumLimbs)
        keepLimbs(atom.get(), std::move(x));
    return atom;
}

NodeRef multiplyAtomByShort(const NodeRef& atom, std::int64_t factor) {
    Integer x;
    if (!readIntegerAtom(atom, x))
        return {};
    const std::uint64_t d = factor < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(factor)
                                       : static_cast<std::uint64_t>(factor);
    if (d == 0 || isZero(x.magnitude))
        return NodeRef(newAtomNode("0", 1));
    if (d > (std::uint64_t{1} << 32))
        return makeIntegerAtom(multiplyIntegers(x, integerFromInt64(factor)));
    // One pass from the lowest limb: each new limb is written as eight digits from the end of
    // the buffer as soon as it is known. The carry stays below d <= 2^32, so it adds at most
    // two limbs on top.
    Limbs& limbs = x.magnitude.limbs;
    const std::size_t n = limbs.size();
    const std::size_t room = kLimbDigits * (n + 2) + 1;
    char* const buffer = scratchBuffer(room);
    char* const end = buffer + room;
    char* out = end;
    std::size_t i = 0;
    while (limbs[i] == 0) // low zero limbs stay zero (no carry comes from below them)
        ++i;
    out -= kLimbDigits * i;
    std::memset(out, '0', kLimbDigits * i);
    std::uint64_t carry = 0;
    for (; i < n; ++i) {
        const std::uint64_t cur = limbs[i] * d + carry;
        carry = cur / kBase;
        const auto limb = static_cast<Limb>(cur - carry * kBase);
        limbs[i] = limb;
        out -= kLimbDigits;
        writeLimbDigits(limb, out);
    }
    for (; carry != 0; carry /= kBase) {
        const auto limb = static_cast<Limb>(carry % kBase);
        limbs.push_back(limb);
        out -= kLimbDigits;
        writeLimbDigits(limb, out);
    }
    out += kLimbDigits - decimalLength(limbs.back()); // the top limb without its leading zeros
    x.negative = x.negative != (factor < 0);
    if (x.negative)
        *--out = '0';
    NodeRef r(newAtomNode(out, static_cast<std::size_t>(end - out)));
    if (limbs.size() >= kKeptMinimumLimbs)
        keepLimbs(r.get(), std::move(x));
    return r;
}

NodeRef addShortToLongAtom(const NodeRef& x, bool negateX, std::int64_t value) {
    const Node* n = x.get();
    std::string_view digits;
    bool negative = false;
    if (!canonicalDigits(n, digits, negative) || digits.size() <= kShortDigits)
        return {};
    // |x| >= 10^18 > |value|: the result has the sign of the long operand
    negative = negative != negateX;
    const std::uint64_t v = value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(value)
                                      : static_cast<std::uint64_t>(value);
    const bool subtract = v != 0 && (value < 0) != negative;
    const std::size_t nd = digits.size();
    // out: a sign byte, a byte for a carry out of the top digit, then the digits
    char* const out = scratchBuffer(nd + 2);
    char* const d = out + 2;
    std::memcpy(d, digits.data(), nd);
    std::uint64_t low = readEighteenDigits(d + nd - 18);
    std::size_t start = 2;
    std::size_t i = nd - 18; // the digit above the low eighteen, plus one
    if (!subtract) {
        low += v;
        const bool carry = low >= kShortLimit;
        writeEighteenDigits(carry ? low - kShortLimit : low, d + nd - 18);
        if (carry) {
            while (i > 0 && d[i - 1] == '9')
                d[--i] = '0';
            if (i == 0)
                out[--start] = '1';
            else
                ++d[i - 1];
        }
    } else {
        const bool borrow = low < v;
        writeEighteenDigits(borrow ? low + kShortLimit - v : low - v, d + nd - 18);
        if (borrow) {
            while (d[i - 1] == '0') // stops: a digit above the low eighteen is not zero
                d[--i] = '9';
            --d[i - 1];
        }
        while (start < nd + 1 && out[start] == '0')
            ++start;
    }
    if (negative)
        out[--start] = '0';
    Integer carried;
    KeptLimbs* e = findKept(n);
    if (e != nullptr)
        carried = valueOfKept(*e);
    NodeRef r(newAtomNode(out + start, nd + 2 - start));
    if (e != nullptr) {
        // the kept limbs follow the text to the new atom
        const Magnitude m = magnitudeFromUInt64(v);
        if (subtract)
            subtractFrom(carried.magnitude.limbs, m.limbs.data(), m.limbs.size());
        else
            addInto(carried.magnitude.limbs, m.limbs.data(), m.limbs.size(), 0);
        trim(carried.magnitude.limbs);
        carried.negative = negative;
        if (carried.magnitude.limbs.size() >= kKeptMinimumLimbs)
            keepLimbs(r.get(), std::move(carried));
    }
    return r;
}

bool compareIntegerAtoms(const Node* a, const Node* b, int& order) {
    std::int64_t x = 0, y = 0;
    if (readShortInteger(a, x) && readShortInteger(b, y)) {
        order = x < y ? -1 : x > y ? 1 : 0;
        return true;
    }
    std::string_view da, db;
    bool na = false, nb = false;
    if (!canonicalDigits(a, da, na) || !canonicalDigits(b, db, nb))
        return false;
    if (na != nb) {
        order = na ? -1 : 1;
        return true;
    }
    int c = da.size() != db.size() ? (da.size() < db.size() ? -1 : 1)
                                   : std::memcmp(da.data(), db.data(), da.size());
    c = c < 0 ? -1 : c > 0 ? 1 : 0;
    order = na ? -c : c;
    return true;
}

void forgetKeptLimbs() {
    for (KeptLimbs& e : limbMemory().entries)
        dropEntry(e);
}

NodeRef makeOAtom(const Integer& x) {
    return makeAtom(oText(x));
}

} // namespace rill
