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
// are summed in a machine word, folded into limbs every 16 products so the word cannot
// overflow, and what is left above the limb is carried into the next column.
void multiplySchoolbook(const Limb* a, std::size_t na, const Limb* b, std::size_t nb, Limb* r) {
    std::uint64_t carry = 0; // in units of the current column
    for (std::size_t k = 0; k + 1 < na + nb; ++k) {
        const std::size_t first = k + 1 > nb ? k + 1 - nb : 0;
        const std::size_t last = std::min(k, na - 1);
        std::uint64_t sum = carry % kBase;
        std::uint64_t above = carry / kBase; // in units of the next column
        std::size_t i = first;
        while (i <= last) {
            const std::size_t stop = std::min(last + 1, i + 16);
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

// The number modulo 2^64 from the lowest limbs: (10^9)^i is a multiple of 2^64 from i = 8.
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

// Reads eight decimal digits at once (the first is the most significant); false when any
// byte is not a digit.
bool readEightDigits(const char* p, std::uint64_t& value) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    const bool digits =
        (((v & 0xF0F0F0F0F0F0F0F0) | (((v + 0x0606060606060606) & 0xF0F0F0F0F0F0F0F0) >> 4)) ==
         0x3333333333333333);
    v -= 0x3030303030303030;
    v = (v * 10) + (v >> 8);
    v = (((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
         (((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
        32;
    value = v;
    return digits;
}

// The two-digit texts "00" to "99".
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233"
    "34353637383940414243444546474849505152535455565758596061626364656667"
    "6869707172737475767778798081828384858687888990919293949596979899";

// Writes a limb as exactly nine digits.
void writeNineDigits(Limb limb, char* out) {
    out[0] = static_cast<char>('0' + limb / 100000000);
    Limb rest = limb % 100000000;
    const Limb high = rest / 10000, low = rest % 10000;
    std::memcpy(out + 1, kDigitPairs + 2 * (high / 100), 2);
    std::memcpy(out + 3, kDigitPairs + 2 * (high % 100), 2);
    std::memcpy(out + 5, kDigitPairs + 2 * (low / 100), 2);
    std::memcpy(out + 7, kDigitPairs + 2 * (low % 100), 2);
}

} // namespace

// --- Limbs ----------------------------------------------------------------------------------

bool isZero(const Magnitude& m) {
    return m.limbs.empty();
}

Magnitude magnitudeFromDigits(std::string_view digits) {
    Magnitude m;
    m.limbs.resize(digits.size() / kLimbDigits + 1);
    const char* p = digits.data();
    std::size_t end = digits.size();
    std::size_t k = 0;
    bool ok = true;
    while (end >= kLimbDigits) {
        // one digit, then eight at once
        const unsigned first = static_cast<unsigned char>(p[end - 9]) - unsigned{'0'};
        ok &= first <= 9;
        std::uint64_t eight = 0;
        ok &= readEightDigits(p + end - 8, eight);
        m.limbs[k++] = static_cast<Limb>(first * 100000000u + eight);
        end -= kLimbDigits;
    }
    if (end > 0) {
        Limb limb = 0;
        for (std::size_t i = 0; i < end; ++i) {
            const unsigned d = static_cast<unsigned char>(p[i]) - unsigned{'0'};
            ok &= d <= 9;
            limb = limb * 10 + d;
        }
        m.limbs[k++] = limb;
    }
    RILL_ASSERT(ok);
    m.limbs.resize(k);
    trim(m.limbs);
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
    Limb top = m.limbs.back();
    std::size_t topDigits = 1;
    for (Limb t = top; t >= 10; t /= 10)
        ++topDigits;
    const std::size_t start = text.size();
    text.resize(start + topDigits + (m.limbs.size() - 1) * kLimbDigits);
    char* out = text.data() + start + topDigits;
    for (std::size_t d = topDigits; d-- > 0;) {
        out[-1] = static_cast<char>('0' + top % 10);
        top /= 10;
        --out;
    }
    out = text.data() + start + topDigits;
    for (std::size_t i = m.limbs.size() - 1; i-- > 0;) {
        writeNineDigits(m.limbs[i], out);
        out += kLimbDigits;
    }
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
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

bool parseDecimalText(std::string_view text, Integer& out) {
    if (!isAllDigits(text))
        return false;
    if (text == "0") {
        out = Integer{};
        return true;
    }
    if (text[0] == '0') {
        if (text[1] == '0')
            return false;
        out.negative = true;
        out.magnitude = magnitudeFromDigits(text.substr(1));
        return true;
    }
    out.negative = false;
    out.magnitude = magnitudeFromDigits(text);
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

NodeRef makeIntegerAtom(const Integer& x) {
    return makeAtom(decimalText(x));
}

NodeRef makeOAtom(const Integer& x) {
    return makeAtom(oText(x));
}

} // namespace rill
