#include "pdpatch/patchReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "fsutil/UniqueFd.h"
#include "fsutil/readBlock.h"
#include "fsutil/retryOnInterrupt.h"

namespace pdpatch {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Pd's own test: an optional minus, digits with at most one point (at least
// one digit), then an optional exponent with at least one digit.
bool looksLikeNumber(std::string_view text) {
    std::size_t at = 0;
    if (at < text.size() && text[at] == '-') ++at;
    std::size_t digits = 0;
    bool point = false;
    for (; at < text.size(); ++at) {
        if (isDigit(text[at]))
            ++digits;
        else if (text[at] == '.' && !point)
            point = true;
        else
            break;
    }
    if (digits == 0) return false;
    if (at == text.size()) return true;
    if (text[at] != 'e' && text[at] != 'E') return false;
    if (++at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    if (at == text.size()) return false;
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(at), text.end(), isDigit);
}

// A position or a connection's number: the integer part of a number atom,
// -1 for anything else (and for values beyond an int).
int toInt(std::string_view text) {
    if (!looksLikeNumber(text)) return -1;
    const double value = std::strtod(std::string(text).c_str(), nullptr);
    if (!(std::fabs(value) < std::numeric_limits<int>::max())) return -1;
    return static_cast<int>(value);
}

}  // namespace

class Reader {
public:
    explicit Reader(Patch& patch) : patch_(patch) {}

    void read(std::string_view content) {
        // Most of a patch is kept, a few bytes of text per atom.
        patch_.text_.reserve(std::min(content.size(), kLongestPatch));
        patch_.atoms_.reserve(std::min(content.size(), kLongestPatch) / 4);
        std::uint32_t line = 1;
        std::size_t at = 0;
        std::uint32_t recordLine = 0;
        const auto recordStart = static_cast<std::uint32_t>(patch_.atoms_.size());
        std::uint32_t start = recordStart;
        const std::size_t end = std::min(content.size(), kLongestPatch);
        while (at < end) {
            const char c = content[at];
            if (isSpace(c)) {
                line += c == '\n';
                ++at;
                continue;
            }
            if (patch_.atoms_.size() == start) recordLine = line;
            if (c == ';') {
                endRecord(start, recordLine);
                start = static_cast<std::uint32_t>(patch_.atoms_.size());
                ++at;
                continue;
            }
            if (c == ',') {
                addAtom(",", AtomKind::separator);
                ++at;
                continue;
            }
            at = readAtom(content, at, end, line);
        }
        // A last record without its ";" counts, as it does for Pd.
        if (patch_.atoms_.size() > start) endRecord(start, recordLine);
    }

private:
    // Reads the atom that begins at `at`; returns where it ends.
    std::size_t readAtom(std::string_view content, std::size_t at, std::size_t end,
                         std::uint32_t& line) {
        const std::size_t offset = patch_.text_.size();
        bool escaped = false;
        bool dollar = false;
        for (; at < end; ++at) {
            char c = content[at];
            if (c == '\\') {
                if (++at == end) break;
                c = content[at];
                escaped = true;
                line += c == '\n';
            } else if (isSpace(c) || c == ';' || c == ',') {
                break;
            } else if (c == '$' && at + 1 < end && isDigit(content[at + 1])) {
                dollar = true;
            }
            patch_.text_.push_back(c);
        }
        const std::string_view text = std::string_view(patch_.text_).substr(offset);
        if (text.empty()) return at;  // a lone backslash at the very end
        AtomKind kind = AtomKind::text;
        if (dollar)
            kind = AtomKind::dollar;
        else if (!escaped && looksLikeNumber(text))
            kind = AtomKind::number;
        patch_.atoms_.push_back(
            {static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(text.size()), kind});
        return at;
    }

    void addAtom(std::string_view text, AtomKind kind) {
        patch_.atoms_.push_back({static_cast<std::uint32_t>(patch_.text_.size()),
                                 static_cast<std::uint32_t>(text.size()), kind});
        patch_.text_.append(text);
    }

    std::string_view word(std::uint32_t index) const { return patch_.atom(index); }

    // Keeps the record's atoms when it builds something, drops them otherwise.
    void endRecord(std::uint32_t start, std::uint32_t line) {
        const auto count = static_cast<std::uint32_t>(patch_.atoms_.size()) - start;
        if (count == 0) return;  // an empty record, ";;"
        const bool first = !seenRecord_;
        seenRecord_ = true;
        bool kept = false;
        if (count >= 2 && word(start) == "#N" && word(start + 1) == "canvas") {
            if (first) patch_.isPatch = true;
            kept = openCanvas(start, count, line);
        } else if (count >= 2 && word(start) == "#X" && !open_.empty()) {
            kept = canvasRecord(start, count, line);
        } else if (count >= 1 && word(start) == "#A" && lastArray_.canvas >= 0) {
            patch_.canvases[static_cast<std::size_t>(lastArray_.canvas)]
                .boxes[lastArray_.box]
                .values.push_back({start + 1, count - 1});
            kept = true;
        }
        if (kept) return;
        const std::uint32_t offset = patch_.atoms_[start].offset;
        patch_.atoms_.resize(start);
        patch_.text_.resize(offset);
    }

    bool openCanvas(std::uint32_t start, std::uint32_t count, std::uint32_t line) {
        Canvas canvas;
        canvas.parent = open_.empty() ? -1 : open_.back();
        canvas.line = line;
        canvas.header = {start + 2, count - 2};
        open_.push_back(static_cast<int>(patch_.canvases.size()));
        patch_.canvases.push_back(std::move(canvas));
        lastArray_ = ArrayAt{};
        return true;
    }

    bool canvasRecord(std::uint32_t start, std::uint32_t count, std::uint32_t line) {
        const std::string_view what = word(start + 1);
        const AtomRange rest{start + 2, count - 2};
        if (what == "connect") {
            Connection connection;
            int* fields[] = {&connection.from, &connection.outlet, &connection.to,
                             &connection.inlet};
            for (std::uint32_t i = 0; i < 4 && i < rest.count; ++i)
                *fields[i] = toInt(word(rest.first + i));
            connection.line = line;
            current().connections.push_back(connection);
            return false;  // its atoms are read into numbers
        }
        if (what == "coords") {
            current().coords = rest;
            return true;
        }
        if (what == "declare") {
            patch_.declarations.push_back({rest, line});
            return true;
        }
        if (what == "restore") return restore(rest, line);
        if (what == "array") {
            addBox(BoxKind::array, rest, line, false);
            lastArray_ = ArrayAt{open_.back(), current().boxes.size() - 1};
            return true;
        }
        if (what == "scalar") {
            addBox(BoxKind::scalar, rest, line, false);
            return true;
        }
        static constexpr std::pair<std::string_view, BoxKind> kBoxes[] = {
            {"obj", BoxKind::object},         {"msg", BoxKind::message},
            {"floatatom", BoxKind::floatAtom}, {"symbolatom", BoxKind::symbolAtom},
            {"listbox", BoxKind::listBox},    {"text", BoxKind::comment}};
        for (const auto& [name, kind] : kBoxes) {
            if (what == name) {
                addBox(kind, rest, line, true);
                return true;
            }
        }
        return false;
    }

    bool restore(AtomRange rest, std::uint32_t line) {
        // The top canvas stays open: a restore there has nothing to close.
        if (open_.size() < 2) return false;
        const int closed = open_.back();
        open_.pop_back();
        const bool graph = rest.count > 2 && word(rest.first + 2) == "graph";
        Box& box = addBox(graph ? BoxKind::graph : BoxKind::subpatch, rest, line, true);
        box.canvas = closed;
        lastArray_ = ArrayAt{};
        return true;
    }

    // A box from "X Y ATOMS... [, f WIDTH]" (or just ATOMS, for arrays and
    // scalars) on the canvas open now.
    Box& addBox(BoxKind kind, AtomRange atoms, std::uint32_t line, bool placed) {
        Box box;
        box.kind = kind;
        box.line = line;
        if (placed) {
            if (atoms.count > 0) box.x = toInt(word(atoms.first));
            if (atoms.count > 1) box.y = toInt(word(atoms.first + 1));
            const std::uint32_t skip = std::min<std::uint32_t>(atoms.count, 2);
            atoms = {atoms.first + skip, atoms.count - skip};
            const std::uint32_t last = atoms.first + atoms.count;
            if (atoms.count >= 3 && patch_.kind(last - 3) == AtomKind::separator &&
                word(last - 2) == "f" && patch_.kind(last - 1) == AtomKind::number) {
                box.width = std::max(0, toInt(word(last - 1)));
                atoms.count -= 3;
            }
        }
        box.atoms = atoms;
        current().boxes.push_back(std::move(box));
        return current().boxes.back();
    }

    Canvas& current() { return patch_.canvases[static_cast<std::size_t>(open_.back())]; }

    Patch& patch_;
    std::vector<int> open_;  // the canvases not closed yet, innermost last
    // The array the next #A records fill, until another canvas opens or closes.
    struct ArrayAt {
        int canvas = -1;
        std::size_t box = 0;
    } lastArray_;
    bool seenRecord_ = false;
};

Patch readPatch(std::string_view content) {
    Patch patch;
    Reader(patch).read(content);
    return patch;
}

bool readPatchText(const std::string& path, std::string& content) {
    content.clear();
    const UniqueFd file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    if (!file || fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    // Room for the whole file and one byte more, so that the read that
    // finds its end needs no second buffer; a file that grows meanwhile gets
    // a block more at a time.
    std::size_t room = std::min<std::size_t>(static_cast<std::size_t>(status.st_size) + 1,
                                             kLongestPatch);
    for (;;) {
        const std::size_t filled = content.size();
        room = std::min(room, kLongestPatch - filled);
        if (room == 0) return true;
        content.resize(filled + room);
        const ssize_t got =
            retryOnInterrupt([&] { return read(file.get(), content.data() + filled, room); });
        content.resize(filled + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        if (got <= 0) return got == 0;
        room = kReadBlockBytes;
    }
}

}  // namespace pdpatch
