#include "app/utf8.h"

#include <bit>
#include <cstdint>
#include <cstring>

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

// Whether 8 bytes are four well-formed two-byte sequences (leads C2..DF,
// then continuations), tested at once: a name of millions of combining
// accents is checked whole each time it is shown, and byte by byte that
// took milliseconds.
bool areFourTwoByteSequences(const char* bytes) {
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    // Little-endian: the leads are the even bytes (low halves), the
    // continuations the odd ones.
    constexpr std::uint64_t kLeadBits = 0x00E000E000E000E0;
    constexpr std::uint64_t kLeadValue = 0x00C000C000C000C0;
    constexpr std::uint64_t kContinuationBits = 0xC000C000C000C000;
    constexpr std::uint64_t kContinuationValue = 0x8000800080008000;
    // C0 and C1 would be overlong: a lead needs a bit of 0x1E set; adding
    // 0x7F to that part carries into the lead's top bit exactly then.
    constexpr std::uint64_t kNotOverlong = 0x0080008000800080;
    const std::uint64_t notOverlong =
        ((word & 0x001E001E001E001E) + 0x007F007F007F007F) & kNotOverlong;
    return (word & kLeadBits) == kLeadValue && (word & kContinuationBits) == kContinuationValue &&
           notOverlong == kNotOverlong;
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
        if (text.size() - i >= 8 && areFourTwoByteSequences(text.data() + i)) {
            do i += 8;
            while (text.size() - i >= 8 && areFourTwoByteSequences(text.data() + i));
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
