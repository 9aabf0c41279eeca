#include "app/percentDecode.h"

#include <optional>

namespace {
std::optional<int> hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return std::nullopt;
}

// The byte that an escape at text[i] stands for, when text[i] starts one.
std::optional<char> escapedByte(std::string_view text, std::size_t i) {
    if (text[i] != '%' || text.size() - i < 3) return std::nullopt;
    std::optional<int> high = hexDigitValue(text[i + 1]);
    std::optional<int> low = hexDigitValue(text[i + 2]);
    if (!high || !low) return std::nullopt;
    return static_cast<char>(*high * 16 + *low);
}
}  // namespace

std::string percentDecode(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::optional<char> byte = escapedByte(text, i)) {
            decoded.push_back(*byte);
            i += 2;
        } else {
            decoded.push_back(text[i]);
        }
    }
    return decoded;
}

std::string localPathOf(std::string_view name) {
    constexpr std::string_view kLocalhost = "file://localhost/", kLocal = "file:///";
    std::string path = percentDecode(name);
    if (path.starts_with(kLocalhost))
        path.erase(0, kLocalhost.size() - 1);
    else if (path.starts_with(kLocal))
        path.erase(0, kLocal.size() - 1);
    return path;
}

std::vector<std::string> localPathsOf(std::vector<std::string> names) {
    for (std::string& name : names) name = localPathOf(name);
    return names;
}
