#include "pdpatch/patchReader.h"

#include <gtest/gtest.h>

namespace pdpatch {
namespace {

// One line per canvas: "N<PARENT: BOX... CONNECTION...". A box is
// KIND@LINE(X,Y,WIDTH)[ATOMS] with numbers marked #, then =CANVAS for a
// subpatch or graph and +VALUES for an array's #A records.
std::string described(const Patch& patch) {
    static const char* const kKinds[] = {"obj", "msg", "float", "symbol", "list", "text",
                                         "sub", "graph", "array", "scalar"};
    auto atoms = [&patch](AtomRange range) {
        std::string out;
        for (std::uint32_t i = range.first; i < range.first + range.count; ++i)
            out += std::string(i > range.first ? " " : "") +
                   (patch.kind(i) == AtomKind::number ? "#" : "") + std::string(patch.atom(i));
        return out;
    };
    std::string out = patch.isPatch ? "patch" : "text";
    for (std::size_t c = 0; c < patch.canvases.size(); ++c) {
        const Canvas& canvas = patch.canvases[c];
        out += "\n" + std::to_string(c) + "<" + std::to_string(canvas.parent) + ":";
        for (const Box& box : canvas.boxes) {
            out += std::string(" ") + kKinds[static_cast<int>(box.kind)] + "@" +
                   std::to_string(box.line) + "(" + std::to_string(box.x) + "," +
                   std::to_string(box.y) + "," + std::to_string(box.width) + ")[" +
                   atoms(box.atoms) + "]";
            if (box.canvas >= 0) out += "=" + std::to_string(box.canvas);
            for (const AtomRange& values : box.values) out += "+" + atoms(values);
        }
        for (const Connection& c : canvas.connections)
            out += " " + std::to_string(c.from) + "." + std::to_string(c.outlet) + ">" +
                   std::to_string(c.to) + "." + std::to_string(c.inlet);
        if (canvas.coords.count > 0) out += " coords[" + atoms(canvas.coords) + "]";
    }
    for (const Declaration& declaration : patch.declarations)
        out += "\ndeclare@" + std::to_string(declaration.line) + "[" + atoms(declaration.atoms) +
               "]";
    return out;
}

TEST(PatchReader, ReadsRecordsAsPd) {
    const struct {
        const char* content;
        const char* expected;
    } cases[] = {
        {"#N canvas 0 0 450 300 12;\n#X obj 10 20 osc~ 440;\n#X obj 10 60 dac~, f 9;\n"
         "#X connect 0 0 1 0;\n#X connect 0 0 7 x;\n",
         "patch\n0<-1: obj@2(10,20,0)[osc~ #440] obj@3(10,60,9)[dac~] 0.0>1.0 0.0>7.-1"},
        // Escapes belong to the atom; an unescaped comma is one of its own;
        // records span lines and a line's first atom gives its number.
        {"#N canvas 0 0 1 1 10;\n#X msg 1 2 a\\; b\\, \\$1 $1 c\\\\d e\\ f 2, 3\n;\n"
         "#X text 3\n4 semi\\;colon\\\nend \\5 -.5e3 1e 5-;",
         "patch\n0<-1: msg@2(1,2,0)[a; b, $1 $1 c\\d e f #2 , #3] "
         "text@4(3,4,0)[semi;colon\nend 5 #-.5e3 1e 5-]"},
        // Subpatches and graphs become boxes where they are restored; #A
        // fills the array before it; declarations and coords are kept.
        {"#N canvas 0 0 1 1 10;\n#X declare -path lib;\n#X obj 1 1 f;\n"
         "#N canvas 5 5 2 2 sub 0;\n#X obj 1 1 dac~;\n#X restore 9 9 pd sub;\n"
         "#N canvas 0 0 3 3 (subpatch) 0;\n#X array tab 3 float 0;\n#A 0 1 2 3;\n"
         "#X coords 0 1 3 -1 200 140 1;\n#X restore 7 7 graph;\n#X scalar s 1;\n"
         "#X connect 0 0 1 0;",
         "patch\n0<-1: obj@3(1,1,0)[f] sub@6(9,9,0)[pd sub]=1 graph@11(7,7,0)[graph]=2 "
         "scalar@12(0,0,0)[s #1] 0.0>1.0\n1<0: obj@5(1,1,0)[dac~]\n"
         "2<0: array@8(0,0,0)[tab #3 float #0]+#0 #1 #2 #3 coords[#0 #1 #3 #-1 #200 #140 #1]\n"
         "declare@2[-path lib]"},
        // A file that does not begin with a canvas is no patch; a restore
        // cannot close the top canvas; unknown records and a last record
        // without its ";" are read as Pd reads them.
        {"hello;\n#N canvas 0 0 1 1 10;\n#X restore 1 1 pd x;\n#X foo 1;\n#X obj 1 1 print",
         "text\n0<-1: obj@5(1,1,0)[print]"},
        {"", "text"},
        {";;#N canvas;;\n#X obj\\", "patch\n0<-1: obj@2(0,0,0)[]"},
    };
    for (const auto& c : cases) EXPECT_EQ(described(readPatch(c.content)), c.expected) << c.content;
}

}  // namespace
}  // namespace pdpatch
