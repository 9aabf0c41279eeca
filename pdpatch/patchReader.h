#pragma once

// A reader of Pd's patch format, as Pd itself reads it.
//
// A file is a sequence of records, each ending at an unescaped ";". Atoms are
// separated by white space (space, tab, line feed, carriage return); an
// unescaped "," is an atom of its own (a separator); a backslash makes the
// next character part of the atom ("\;" "\," "\$" "\\" and an escaped space).
// The records kept are those that build canvases and their boxes:
//   #N canvas ...                 a canvas: the top one, or a subpatch
//   #X restore X Y pd NAME ...    closes a subpatch: its box in the parent
//   #X restore X Y graph ...      the same for a graph (arrays)
//   #X obj|msg|floatatom|symbolatom|listbox|text|scalar X Y ...
//   #X array NAME SIZE TYPE FLAGS and the #A records of its values
//   #X connect FROM OUTLET TO INLET, #X coords ..., #X declare ...
// Anything else is passed over, as Pd passes over what it does not know.
// Boxes are kept per canvas in file order, the numbering #X connect uses.
//
// Atoms live in one text buffer per patch (the file's text, mostly) and
// boxes refer to them by index, so reading costs a few allocations per file,
// not per box.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pdpatch {

// A run of atoms of a patch: [first, first + count).
struct AtomRange {
    std::uint32_t first = 0;
    std::uint32_t count = 0;
};

enum class BoxKind { object, message, floatAtom, symbolAtom, listBox, comment, subpatch, graph,
                     array, scalar };

struct Box {
    BoxKind kind = BoxKind::object;
    int x = 0;
    int y = 0;
    int width = 0;           // from a trailing ", f N"; 0: as wide as the text
    std::uint32_t line = 0;  // where the record begins, from 1
    // Objects: the class and its arguments. Messages and comments: their
    // text. Atom boxes: their fields. Subpatches: "pd NAME ..."; graphs:
    // "graph ...". Arrays: NAME SIZE TYPE FLAGS.
    AtomRange atoms;
    int canvas = -1;                 // subpatches and graphs: the canvas they hold
    std::vector<AtomRange> values;   // arrays: each #A record after the "#A"
};

struct Connection {
    // As the file gives them; a negative or missing number reads as -1.
    int from = -1;
    int outlet = -1;
    int to = -1;
    int inlet = -1;
    std::uint32_t line = 0;
};

struct Canvas {
    int parent = -1;  // -1 for the top canvas
    std::uint32_t line = 0;
    AtomRange header;  // the atoms after "#N canvas"
    AtomRange coords;  // the atoms after "#X coords", if any
    std::vector<Box> boxes;
    std::vector<Connection> connections;
};

struct Declaration {
    AtomRange atoms;  // after "#X declare": -path DIR, -lib NAME, ...
    std::uint32_t line = 0;
};

// How Pd takes an atom: a number, a separating "," (an escaped one is
// text), text holding "$" and a digit (filled in from the canvas's
// arguments when Pd creates the box), or plain text.
enum class AtomKind : std::uint8_t { text, number, separator, dollar };

struct Patch {
    // canvases[0] is the top canvas when the file begins like a patch.
    std::vector<Canvas> canvases;
    std::vector<Declaration> declarations;
    // True when the first record is "#N canvas": the file is a Pd patch.
    bool isPatch = false;

    std::string_view atom(std::uint32_t index) const {
        const Span& span = atoms_[index];
        return std::string_view(text_).substr(span.offset, span.size);
    }
    AtomKind kind(std::uint32_t index) const;
    std::size_t atomCount() const { return atoms_.size(); }

private:
    friend class Reader;
    struct Span {
        std::uint32_t offset = 0;
        std::uint32_t size = 0;
        AtomKind kind = AtomKind::text;  // numbers are told apart when asked
        bool escaped = false;             // an escaped character makes no number
    };
    // The file's text, then the characters of its escaped atoms, escapes
    // removed; atoms without escapes are read from the file's text.
    std::string text_;
    std::vector<Span> atoms_;  // the atoms kept
};

// Files longer than this are read only this far, so that memory stays
// bounded whatever a file holds; a patch is a few kilobytes.
inline constexpr std::size_t kLongestPatch = 32 * 1024 * 1024;

// Reads patch text. Any bytes are accepted; a damaged record reads as far as
// it makes sense and the rest is passed over.
Patch readPatch(std::string_view content);

// The first kLongestPatch bytes of a regular file; false when it cannot be
// opened or read, or is no regular file (a pipe would wait for a writer).
bool readPatchText(const std::string& path, std::string& content);

}  // namespace pdpatch
