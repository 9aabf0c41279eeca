#pragma once

// Where Pd draws the boxes and cords of a patch, worked out from the patch
// file alone, in the canvas's pixels at zoom 1. Pd sizes text with fixed
// metrics per font size (its monospaced font), so every rectangle follows
// from character counts; a view only has to paint the shapes.
//
// A box gets as many inlets and outlets as its connections use, and at least
// the ones it shows without connections: one of each for most boxes, none
// above a receiver or below a sender, the subpatch's inlet and outlet boxes.
// A graph-on-parent subpatch is drawn as its parent sees it: its rectangle,
// its name, and the boxes of the subpatch that show through it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pdpatch/patchReader.h"

namespace pdpatch {

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int right() const { return x + width; }
    int bottom() const { return y + height; }
    bool contains(int px, int py) const { return px >= x && px < right() && py >= y && py < bottom(); }
};

enum class Shape { object, message, atom, comment, subpatch, graph, bang, toggle, hslider,
                   vslider, hradio, vradio, numberBox, vu, canvas };

struct Point {
    float x = 0;
    float y = 0;
};

struct BoxLayout {
    Shape shape = Shape::object;
    Rect rect;
    std::string text;  // wrapped lines, separated by line feeds
    int inlets = 0;
    int outlets = 0;
    int cells = 0;                       // radios: their buttons
    std::uint32_t background = 0xffffff;  // GUI objects: 0xRRGGBB
    // GUI objects and atoms: a label at (labelX, labelY), its top left.
    std::string label;
    int labelX = 0;
    int labelY = 0;
    int labelSize = 0;
    // Subpatches: the canvas they hold, which a click opens; else -1.
    int canvas = -1;
    // A graph-on-parent subpatch or a graph: what shows through it.
    bool onParent = false;
    // Graphs: their arrays' values, in the canvas's pixels.
    std::vector<std::vector<Point>> curves;
};

struct Cord {
    int fromX = 0;
    int fromY = 0;
    int toX = 0;
    int toY = 0;
    bool signal = false;  // from a class whose name ends in "~"
};

// What separates the steps of a canvas's path.
inline constexpr std::string_view kPathStep = " \u203a ";

struct CanvasLayout {
    int parent = -1;
    // "Echo › pd delay": the patch's name, then each subpatch box on the way.
    std::string path;
    int fontSize = 10;  // one of Pd's sizes
    std::vector<BoxLayout> boxes;
    std::vector<Cord> cords;
    Rect bounds;  // of all boxes and cords
};

// Pd's metrics of a font size: its character cell.
struct FontMetrics {
    int size = 10;
    int width = 6;
    int height = 13;
};
// The largest of Pd's sizes not above `size` (the smallest for less).
FontMetrics fontMetrics(int size);

// The width and height of Pd's inlets and outlets.
inline constexpr int kIoWidth = 7;
inline constexpr int kIoHeight = 3;

// One layout per canvas of the patch, in the same order: canvases[0] is the
// top one, named `name`.
std::vector<CanvasLayout> layOutPatch(const Patch& patch, std::string_view name);

}  // namespace pdpatch
