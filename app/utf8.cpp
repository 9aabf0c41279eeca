#include "app/utf8.h"

namespace {
// The number of bytes of a sequence that starts with `lead`, or 0 when no
// sequence starts with it.
int sequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// The allowed range of the byte after `lead`; it excludes overlong forms,
// surrogates and code points above U+10FFFF.
bool secondByteFits(unsigned char lead, unsigned char second) {
    if (lead == 0xE0) return second >= 0xA0 && second <= 0xBF;
    if (lead == 0xED) return second >= 0x80 && second <= 0x9F;
    if (lead == 0xF0) return second >= 0x90 && second <= 0xBF;
    if (lead == 0xF4) return second >= 0x80 && second <= 0x8F;
    return second >= 0x80 && second <= 0xBF;
}

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}
}  // namespace

bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        // ASCII and two-byte sequences (Latin, Greek, Cyrillic, combining
        // accents) take the short way: names can be megabytes long.
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF && i + 1 < text.size() &&
            isContinuation(static_cast<unsigned char>(text[i + 1]))) {
            i += 2;
            continue;
        }
        const int length = sequenceLength(lead);
        if (length == 0 || text.size() - i < static_cast<std::size_t>(length)) return false;
        if (length > 1 && !secondByteFits(lead, static_cast<unsigned char>(text[i + 1])))
            return false;
        for (int k = 2; k < length; ++k) {
            if (!isContinuation(static_cast<unsigned char>(text[i + k]))) return false;
        }
        i += static_cast<std::size_t>(length);
    }
    return true;
}
