#include "library/archiveEntryPaths.h"

#include <iconv.h>
#include <limits.h>
#include <algorithm>
#include <array>
#include <memory>
#include <string_view>
#include <type_traits>

namespace {

constexpr std::array<std::string_view, 3> kLitter = {"__MACOSX", ".DS_Store", "Thumbs.db"};
constexpr std::size_t kLongestShown = 200;

std::vector<std::string_view> componentsOf(std::string_view text) {
    std::vector<std::string_view> components;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('/', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view component = text.substr(start, end - start);
        if (!component.empty() && component != ".") components.push_back(component);
        start = end + 1;
    }
    return components;
}

struct IconvCloser {
    void operator()(void* descriptor) const { iconv_close(static_cast<iconv_t>(descriptor)); }
};
using UniqueIconv = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

// glibc's iconv converts and validates; empty when `text` is not in `from`.
std::string converted(const char* from, std::string_view text, bool& ok) {
    ok = false;
    const UniqueIconv descriptor(iconv_open("UTF-8", from));
    if (descriptor.get() == reinterpret_cast<iconv_t>(-1)) return {};
    std::string out(text.size() * 3, '\0');  // a code page 437 byte takes at most 3 in UTF-8
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* outNext = out.data();
    std::size_t outLeft = out.size();
    if (iconv(descriptor.get(), &in, &inLeft, &outNext, &outLeft) == static_cast<std::size_t>(-1))
        return {};
    ok = true;
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

CheckedEntryPath checkEntryPath(const std::string& name) {
    if (name.empty()) return {CheckedEntryPath::refused, {}, "has an empty name"};
    if (name.front() == '/') return {CheckedEntryPath::refused, {}, "has an absolute path"};
    // Longer paths can't be opened by other programs anyway.
    if (name.size() >= PATH_MAX) return {CheckedEntryPath::refused, {}, "has a name too long"};
    CheckedEntryPath checked{CheckedEntryPath::usable, {}, {}};
    for (std::string_view component : componentsOf(name)) {
        if (component == "..") return {CheckedEntryPath::refused, {}, "climbs out with \"..\""};
        if (std::find(kLitter.begin(), kLitter.end(), component) != kLitter.end())
            checked.verdict = CheckedEntryPath::dropped;
        checked.path.emplace_back(component);
    }
    if (checked.path.empty()) checked.verdict = CheckedEntryPath::dropped;
    return checked;
}

bool linkStaysInside(const EntryPath& link, const std::string& target, std::size_t floor) {
    if (target.empty() || target.front() == '/' || link.size() <= floor) return false;
    std::size_t depth = link.size() - 1;
    bool descended = false;
    for (std::string_view component : componentsOf(target)) {
        if (component != "..") {
            descended = true;
        } else {
            if (descended || depth == floor) return false;
            --depth;
        }
    }
    return true;
}

std::string entryNameAsUtf8(const char* name) {
    const std::string_view text(name);
    if (std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; }))
        return std::string(text);
    bool ok = false;
    std::string utf8 = converted("UTF-8", text, ok);
    if (ok) return utf8;
    utf8 = converted("CP437", text, ok);
    return ok ? utf8 : std::string(text);
}

std::string joinEntryPath(const EntryPath& path, std::size_t count) {
    std::string joined;
    for (std::size_t i = 0; i < count && i < path.size(); ++i) {
        if (i > 0) joined += '/';
        joined += path[i];
    }
    return joined;
}

std::string oneLine(const std::string& text) {
    std::string shown = text.substr(0, kLongestShown);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return text.size() > kLongestShown ? shown + "..." : shown;
}

std::string quotedName(const std::string& name) {
    return "\"" + oneLine(name) + "\"";
}
