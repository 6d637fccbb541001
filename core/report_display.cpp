#include "core/report_display.h"

#include "core/assertion.h"

#include <string>

namespace rill {

namespace {

// Shown characters of the green class: bytes 0x7F to 0xA0 by their offset from 0x7F, and
// the bytes 0xFF, 0x00 to 0x1F by (byte + 1) mod 256.
constexpr std::string_view kHighShown = "~!@#$%^&*<>-|+/=\\.`'\":;?0123456789";
constexpr std::string_view kControlShown = "]JABCDEFGHI,KLMNOPQRSTUVWXYZ(){}[_";

// The colour class a byte is shown in: 3 (plain) for newline and printable ASCII, 1 (red) for
// 0xA1..0xFE, 2 (green) for the other bytes.
int colourClassOf(unsigned char b) {
    if (b == 0x0A || (b >= 0x20 && b <= 0x7E))
        return 3;
    if (b >= 0xA1 && b <= 0xFE)
        return 1;
    return 2;
}

// The character that shows a byte: the byte itself when plain, the byte less 0x80 when red,
// and one of the two green tables otherwise.
char shownCharacter(unsigned char b) {
    if (b == 0x0A || (b >= 0x20 && b <= 0x7E))
        return static_cast<char>(b);
    if (b >= 0xA1 && b <= 0xFE)
        return static_cast<char>(b - 0x80);
    if (b >= 0x7F && b <= 0xA0)
        return kHighShown[b - 0x7F];
    return kControlShown[(b + 1) % 256];
}

// The code that switches the terminal to a colour class (1 red, 2 green, 3 plain).
constexpr const char* kSwitch[4] = {"", "\033[31m", "\033[32m", "\033[m"};

} // namespace

std::string display(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    int current = 3;
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        const int cls = colourClassOf(b);
        if (cls != current) {
            shown += kSwitch[cls];
            current = cls;
        }
        shown += shownCharacter(b);
    }
    if (current != 3)
        shown += kSwitch[3];
    return shown;
}

unsigned char decodeShown(int colourClass, unsigned char shown) {
    if (shown == ' ' || shown == '\n')
        return shown;
    if (colourClass == 3)
        return shown;
    if (colourClass == 1 && shown >= 0x21 && shown <= 0x7E)
        return static_cast<unsigned char>(shown + 0x80);
    if (colourClass == 2) {
        const unsigned char upper = (shown >= 'a' && shown <= 'z') ? shown - 'a' + 'A' : shown;
        if (const auto at = kHighShown.find(static_cast<char>(upper)); at != kHighShown.npos)
            return static_cast<unsigned char>(0x7F + at);
        if (const auto at = kControlShown.find(static_cast<char>(upper)); at != kControlShown.npos)
            return static_cast<unsigned char>((at + 255) % 256);
    }
    fatal("nopqchar");
}

} // namespace rill
