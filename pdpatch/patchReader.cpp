#include "pdpatch/patchReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "fsutil/UniqueFd.h"
#include "fsutil/readBlock.h"
#include "fsutil/retryOnInterrupt.h"

namespace pdpatch {

namespace {

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
    // Most are plain digits.
    if (!text.empty() && text.size() < 10 && std::all_of(text.begin(), text.end(), isDigit)) {
        int value = 0;
        for (const char c : text) value = value * 10 + (c - '0');
        return value;
    }
    if (!looksLikeNumber(text)) return -1;
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (!(std::fabs(value) < std::numeric_limits<int>::max())) return -1;
    return static_cast<int>(value);
}

// What a byte is to the reader, looked up in a table: it asks for every
// byte of a file.
enum CharClass : std::uint8_t { plain, space, semicolon, comma, backslash, dollarSign };
constexpr auto kCharClasses = [] {
    std::array<CharClass, 256> classes{};
    for (const unsigned char c : {' ', '\n', '\r', '\t'}) classes[c] = space;
    classes[';'] = semicolon;
    classes[','] = comma;
    classes['\\'] = backslash;
    classes['$'] = dollarSign;
    return classes;
}();
CharClass classOf(char c) { return kCharClasses[static_cast<unsigned char>(c)]; }

}  // namespace

class Reader {
public:
    explicit Reader(Patch& patch) : patch_(patch) {}

    void read(std::string_view content) {
        const std::size_t end = std::min(content.size(), kLongestPatch);
        // The text is kept whole: an atom without escapes is a view into it,
        // and only escaped atoms get characters of their own, after it.
        patch_.text_.assign(content.substr(0, end));
        patch_.atoms_.reserve(end / 4);
        // Read from the caller's copy, which stays put while text_ grows.
        const std::string_view text = content.substr(0, end);
        std::uint32_t line = 1;
        std::size_t at = 0;
        std::uint32_t recordLine = 0;
        bool inRecord = false;
        std::uint32_t start = 0;  // the first atom of the record being read
        while (at < end) {
            const CharClass kind = classOf(text[at]);
            if (kind == space) {
                line += text[at] == '\n';
                ++at;
                continue;
            }
            if (!inRecord) {
                recordLine = line;
                inRecord = true;
            }
            if (kind == semicolon) {
                endRecord(start, recordLine);
                start = static_cast<std::uint32_t>(patch_.atoms_.size());
                inRecord = false;
                ++at;
            } else if (kind == comma) {
                patch_.atoms_.push_back({static_cast<std::uint32_t>(at), 1, AtomKind::separator});
                ++at;
            } else {
                at = readAtom(text, at, line);
            }
        }
        // A last record without its ";" counts, as it does for Pd.
        if (patch_.atoms_.size() > start) endRecord(start, recordLine);
    }

private:
    // Reads the atom that begins at `at` in `text` (the file's, which text_
    // begins with); returns where it ends.
    std::size_t readAtom(std::string_view text, std::size_t at, std::uint32_t& line) {
        const std::size_t begin = at;
        bool dollar = false;
        at = plainRun(text, at, dollar);
        if (at == text.size() || classOf(text[at]) != backslash) {
            patch_.atoms_.push_back({static_cast<std::uint32_t>(begin),
                                     static_cast<std::uint32_t>(at - begin),
                                     dollar ? AtomKind::dollar : AtomKind::text});
            return at;
        }
        return readEscapedAtom(text, begin, line);
    }

    // Where the run of an atom's plain characters from `at` ends; `dollar`
    // is set when it holds a "$" before a digit.
    static std::size_t plainRun(std::string_view text, std::size_t at, bool& dollar) {
        for (; at < text.size(); ++at) {
            const CharClass kind = classOf(text[at]);
            if (kind == plain) continue;
            if (kind != dollarSign) break;
            dollar = dollar || (at + 1 < text.size() && isDigit(text[at + 1]));
        }
        return at;
    }

    // An atom with a backslash in it: its characters, each escaped one taken
    // as it is, go after the file's text.
    std::size_t readEscapedAtom(std::string_view text, std::size_t at, std::uint32_t& line) {
        const std::size_t offset = patch_.text_.size();
        bool dollar = false;
        while (at < text.size()) {
            const std::size_t run = at;
            at = plainRun(text, at, dollar);
            patch_.text_.append(text.substr(run, at - run));
            if (at == text.size() || classOf(text[at]) != backslash) break;
            if (++at == text.size()) break;
            line += text[at] == '\n';
            patch_.text_.push_back(text[at++]);
        }
        const std::size_t size = patch_.text_.size() - offset;
        if (size == 0) return at;  // a lone backslash at the very end
        patch_.atoms_.push_back({static_cast<std::uint32_t>(offset),
                                 static_cast<std::uint32_t>(size),
                                 dollar ? AtomKind::dollar : AtomKind::text, true});
        return at;
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
        if (!kept) patch_.atoms_.resize(start);
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

AtomKind Patch::kind(std::uint32_t index) const {
    const Span& span = atoms_[index];
    if (span.kind == AtomKind::text && !span.escaped && looksLikeNumber(atom(index)))
        return AtomKind::number;
    return span.kind;
}

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
    // Room for the whole file and one byte more, so that one read finds its
    // end; a file that grows meanwhile gets a block more at a time.
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
        // A regular file reads short only at its end.
        if (got <= 0 || static_cast<std::size_t>(got) < room) return got >= 0;
        room = kReadBlockBytes;
    }
}

}  // namespace pdpatch
