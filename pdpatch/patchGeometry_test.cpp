#include "pdpatch/patchGeometry.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace pdpatch {
namespace {

// "PATH: SHAPE(X,Y,WxH)INLETS/OUTLETS..." for each canvas, with =CANVAS for a
// subpatch, the wrapped text of comments ("|" a line feed), a GUI object's
// background and the cords as X,Y>X,Y, "~" before a signal's.
std::string described(const std::vector<CanvasLayout>& canvases) {
    static const char* const kShapes[] = {"obj",  "msg", "atom",   "text",   "sub",
                                          "graph", "bng", "tgl",   "hsl",    "vsl",
                                          "hradio", "vradio", "nbx", "vu",   "cnv"};
    std::string out;
    for (const CanvasLayout& canvas : canvases) {
        out += (out.empty() ? "" : "\n") + canvas.path + ":";
        for (const BoxLayout& box : canvas.boxes) {
            const Rect& r = box.rect;
            char background[16] = "";
            if (box.shape >= Shape::bang) std::snprintf(background, sizeof background, "#%06x", box.background);
            out += std::string(" ") + kShapes[static_cast<int>(box.shape)] + "(" +
                   std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.width) +
                   "x" + std::to_string(r.height) + ")" + std::to_string(box.inlets) + "/" +
                   std::to_string(box.outlets) + background;
            if (box.canvas >= 0) out += "=" + std::to_string(box.canvas);
            if (box.shape == Shape::comment) out += "[" + box.text + "]";
        }
        for (const Cord& c : canvas.cords)
            out += std::string(" ") + (c.signal ? "~" : "") + std::to_string(c.fromX) + "," +
                   std::to_string(c.fromY) + ">" + std::to_string(c.toX) + "," + std::to_string(c.toY);
    }
    return out;
}

TEST(PatchGeometry, PlacesBoxesAndCordsAsPd) {
    const struct {
        const char* content;
        const char* expected;
    } cases[] = {
        // Font 10: cells of 6x13, margins of 4 and 5; inlets as connections use.
        {"#N canvas 0 0 450 300 10;\n#X obj 30 40 osc~ 440;\n#X obj 30 90 dac~;\n"
         "#X connect 0 0 1 0;\n#X connect 0 0 1 1;\n#X connect 0 0 7 0;\n",
         "Echo: obj(30,40,52x18)1/1 obj(30,90,28x18)2/0 ~33,58>33,90 ~33,58>54,90"},
        // Font 12 (7x16); widths from ", f N" and atom widths; comments wrap.
        {"#N canvas 0 0 450 300 12;\n#X msg 10 10 1 \\, 2;\n#X text 10 50 hello world, f 20;\n"
         "#X floatatom 10 80 5 0 0 0 - - -;\n#X text 10 120 one two three, f 5;\n"
         "#X obj 100 10 t b b, f 12;\n#X connect 0 0 4 1;\n",
         "Echo: msg(10,10,32x21)1/1 text(10,50,144x21)0/0[hello world] atom(10,80,39x21)1/1 "
         "text(10,120,39x53)0/0[one\ntwo\nthree] obj(100,10,88x21)2/1 13,31>184,10"},
        // GUI objects: sizes from their arguments, colours old and new.
        {"#N canvas 0 0 450 300 10;\n"
         "#X obj 0 0 hradio 15 1 0 4 empty empty empty 0 -8 0 10 -262144 -1 -1 0;\n"
         "#X obj 0 20 cnv 15 100 60 empty empty title 20 12 0 14 #e0e0a0 #404040 0;\n"
         "#X obj 0 90 tgl 25 0 snd empty empty 17 7 0 10 #fcfcfc #000000 #000000 0 1;\n",
         "Echo: hradio(0,0,60x15)1/1#fcfcfc cnv(0,20,100x60)0/0#e0e0a0 tgl(0,90,25x25)1/0#fcfcfc"},
        // A subpatch's inlets and outlets; a graph-on-parent shows its GUI.
        {"#N canvas 0 0 450 300 10;\n#N canvas 0 0 300 200 delay 0;\n#X obj 10 10 inlet~;\n"
         "#X obj 10 50 outlet~;\n#X obj 60 10 inlet;\n#X restore 20 30 pd delay;\n"
         "#N canvas 0 0 300 200 knobs 0;\n"
         "#X obj 100 100 bng 20 250 50 0 empty empty empty 0 -8 0 10 #fcfcfc #000000 #000000;\n"
         "#X obj 5 5 print;\n#X coords 0 -1 1 1 80 60 1 90 90;\n#X restore 20 80 pd knobs;\n",
         "Echo: sub(20,30,52x18)2/1=1 sub(20,80,80x60)0/0=2 bng(30,90,20x20)0/0#fcfcfc\n"
         "Echo \u203a pd delay: obj(10,10,40x18)0/1 obj(10,50,46x18)1/0 obj(60,10,34x18)0/1\n"
         "Echo \u203a pd knobs: bng(100,100,20x20)1/1#fcfcfc obj(5,5,34x18)1/0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(described(layOutPatch(readPatch(c.content), "Echo")), c.expected) << c.content;

    // A comment of megabytes shows its beginning only.
    const std::string huge = "#N canvas 0 0 450 300 10;\n#X text 0 0 " + std::string(1 << 20, 'x');
    const std::string shown = layOutPatch(readPatch(huge + ";\n"), "Echo")[0].boxes[0].text;
    EXPECT_LT(shown.size(), 5000u);
    EXPECT_TRUE(shown.ends_with("\u2026"));
}

}  // namespace
}  // namespace pdpatch
