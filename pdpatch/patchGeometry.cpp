#include "pdpatch/patchGeometry.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>

namespace pdpatch {

namespace {

// Pd's margins around a box's text, and the line length it wraps text at
// when the file gives no width.
constexpr int kLeftMargin = 2;
constexpr int kRightMargin = 2;
constexpr int kTopMargin = 3;
constexpr int kBottomMargin = 2;
constexpr int kWrapAt = 60;
// A box shows at most this many bytes of its text: a comment of megabytes
// would cost the drawing seconds, and no one reads it in a preview.
constexpr std::size_t kLongestText = 4000;
// Boxes with a border are at least this many characters wide, so that two
// inlets stay apart.
constexpr int kNarrowest = 3;

// Classes that show no inlet, and classes that show no outlet, without a
// connection that says otherwise.
constexpr std::array<std::string_view, 13> kNoInlet = {
    "inlet", "inlet~", "r", "receive", "r~", "receive~", "catch~", "loadbang", "notein",
    "ctlin", "bendin", "pgmin", "adc~"};
constexpr std::array<std::string_view, 13> kNoOutlet = {
    "outlet", "outlet~", "s", "send", "s~", "send~", "throw~", "dac~", "print", "noteout",
    "ctlout", "tabwrite~", "delwrite~"};

// Pd's GUI objects: their look, where their label begins among their
// arguments (send and receive names come just before it, then the label's
// offsets, font, size and the background colour), and their background.
struct Gui {
    std::string_view name;
    Shape shape;
    int label;
    std::uint32_t background;
};
constexpr std::array<Gui, 16> kGuis = {{
    {"bng", Shape::bang, 6, 0xfcfcfc},        {"tgl", Shape::toggle, 4, 0xfcfcfc},
    {"toggle", Shape::toggle, 4, 0xfcfcfc},   {"hsl", Shape::hslider, 8, 0xfcfcfc},
    {"hslider", Shape::hslider, 8, 0xfcfcfc}, {"vsl", Shape::vslider, 8, 0xfcfcfc},
    {"vslider", Shape::vslider, 8, 0xfcfcfc}, {"hradio", Shape::hradio, 6, 0xfcfcfc},
    {"hdl", Shape::hradio, 6, 0xfcfcfc},      {"vradio", Shape::vradio, 6, 0xfcfcfc},
    {"vdl", Shape::vradio, 6, 0xfcfcfc},      {"nbx", Shape::numberBox, 8, 0xfcfcfc},
    {"my_numbox", Shape::numberBox, 8, 0xfcfcfc}, {"vu", Shape::vu, 3, 0x404040},
    {"cnv", Shape::canvas, 5, 0xe0e0e0},      {"my_canvas", Shape::canvas, 5, 0xe0e0e0},
}};

bool contains(const auto& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

Rect united(const Rect& a, const Rect& b) {
    if (a.width <= 0 && a.height <= 0) return b;
    const int x = std::min(a.x, b.x);
    const int y = std::min(a.y, b.y);
    return {x, y, std::max(a.right(), b.right()) - x, std::max(a.bottom(), b.bottom()) - y};
}

// The atoms of a range, read the way its box's constructor reads them.
class Args {
public:
    Args(const Patch& patch, AtomRange range) : patch_(patch), range_(range) {}
    std::uint32_t count() const { return range_.count; }
    std::string_view text(std::uint32_t i) const {
        return i < range_.count ? patch_.atom(range_.first + i) : std::string_view();
    }
    double number(std::uint32_t i, double fallback) const {
        const std::string_view atom = text(i);
        double value = fallback;
        const auto [end, error] = std::from_chars(atom.data(), atom.data() + atom.size(), value);
        return error == std::errc() && end == atom.data() + atom.size() ? value : fallback;
    }
    int integer(std::uint32_t i, int fallback) const {
        const double value = number(i, fallback);
        return value > -1e6 && value < 1e6 ? static_cast<int>(value) : fallback;
    }
    // A send or receive name: "empty" and "-" stand for none.
    bool named(std::uint32_t i) const {
        const std::string_view atom = text(i);
        return !atom.empty() && atom != "empty" && atom != "-";
    }
    // Pd's colours: "#rrggbb", or a negative number packing 6 bits a channel.
    std::uint32_t colour(std::uint32_t i, std::uint32_t fallback) const {
        const std::string_view atom = text(i);
        if (atom.size() == 7 && atom[0] == '#') {
            std::uint32_t rgb = 0;
            const auto [end, error] = std::from_chars(atom.data() + 1, atom.data() + 7, rgb, 16);
            return error == std::errc() && end == atom.data() + 7 ? rgb : fallback;
        }
        const int packed = integer(i, 0);
        if (packed >= 0) return fallback;
        const auto bits = static_cast<std::uint32_t>(-1 - packed);
        return ((bits >> 12 & 0x3f) << 18) | ((bits >> 6 & 0x3f) << 10) | ((bits & 0x3f) << 2);
    }
    // The atoms from `from` on, as Pd shows them: separated by spaces, with
    // commas and semicolons after the atom before them, a line feed after a
    // semicolon.
    std::string joined(std::uint32_t from = 0) const {
        std::string out;
        for (std::uint32_t i = from; i < range_.count; ++i) {
            const std::string_view atom = text(i);
            const bool mark = atom == "," || atom == ";";
            if (!out.empty() && !mark && out.back() != '\n') out += ' ';
            out += atom;
            if (atom == ";") out += '\n';
        }
        while (!out.empty() && out.back() == '\n') out.pop_back();
        return out;
    }

private:
    const Patch& patch_;
    AtomRange range_;
};

// Characters in bytes [from, to) of UTF-8 text: a sequence counts once.
int characters(const std::string& text, std::size_t from, std::size_t to) {
    int count = 0;
    for (std::size_t i = from; i < to; ++i)
        count += (static_cast<unsigned char>(text[i]) & 0xc0) != 0x80;
    return count;
}

// Breaks text into lines of at most `columns` characters, at the last space
// where the line has one, as Pd wraps a box's text; returns the longest
// line's length.
int wrap(const std::string& text, int columns, std::string& wrapped) {
    wrapped.clear();
    std::size_t lineStart = 0;
    std::size_t lastSpace = std::string::npos;
    int lineLength = 0;
    for (const char c : text) {
        const bool continuation = (static_cast<unsigned char>(c) & 0xc0) == 0x80;
        if (!continuation && c != '\n' && lineLength == columns) {
            if (c != ' ' && lastSpace != std::string::npos) {
                wrapped[lastSpace] = '\n';
                lineStart = lastSpace + 1;
            } else {
                wrapped += '\n';
                lineStart = wrapped.size();
            }
            lastSpace = std::string::npos;
            lineLength = characters(wrapped, lineStart, wrapped.size());
            if (c == ' ') continue;
        }
        if (c == '\n') {
            lineStart = wrapped.size() + 1;
            lastSpace = std::string::npos;
            lineLength = -1;
        } else if (c == ' ') {
            lastSpace = wrapped.size();
        }
        wrapped += c;
        lineLength += !continuation;
    }
    int longest = 0;
    for (std::size_t from = 0; from <= wrapped.size();) {
        const std::size_t end = std::min(wrapped.find('\n', from), wrapped.size());
        longest = std::max(longest, characters(wrapped, from, end));
        from = end + 1;
    }
    return longest;
}

class Layout {
public:
    Layout(const Patch& patch, std::string_view name) : patch_(patch) {
        const Args header(patch, patch.canvases.empty() ? AtomRange{} : patch.canvases[0].header);
        font_ = fontMetrics(header.integer(4, 10));
        canvases_.resize(patch.canvases.size());
        if (!canvases_.empty()) canvases_[0].path = std::string(name);
    }

    std::vector<CanvasLayout> take() {
        for (std::size_t c = 0; c < canvases_.size(); ++c) layOutCanvas(static_cast<int>(c));
        // Children come after their parents in the file: from the last canvas
        // back, what shows through a graph-on-parent is complete when its
        // parent takes it.
        for (std::size_t c = canvases_.size(); c-- > 0;) addWhatShowsThrough(canvases_[c]);
        for (CanvasLayout& canvas : canvases_) {
            for (const BoxLayout& box : canvas.boxes) {
                canvas.bounds = united(canvas.bounds, box.rect);
                const FontMetrics label = fontMetrics(box.labelSize);
                if (!box.label.empty())
                    canvas.bounds = united(canvas.bounds,
                                           {box.labelX, box.labelY,
                                            static_cast<int>(box.label.size()) * label.width,
                                            label.height});
            }
            for (const Cord& cord : canvas.cords)
                canvas.bounds = united(canvas.bounds, {std::min(cord.fromX, cord.toX),
                                                       std::min(cord.fromY, cord.toY),
                                                       std::abs(cord.toX - cord.fromX) + 1,
                                                       std::abs(cord.toY - cord.fromY) + 1});
        }
        return std::move(canvases_);
    }

private:
    void layOutCanvas(int index) {
        const Canvas& canvas = patch_.canvases[static_cast<std::size_t>(index)];
        CanvasLayout& layout = canvases_[static_cast<std::size_t>(index)];
        layout.parent = canvas.parent;
        layout.fontSize = font_.size;
        // Box numbers as connections give them, to the boxes laid out.
        std::vector<int> laid(canvas.boxes.size(), -1);
        std::vector<bool> signal(canvas.boxes.size(), false);
        for (std::size_t b = 0; b < canvas.boxes.size(); ++b) {
            const Box& box = canvas.boxes[b];
            if (box.kind == BoxKind::array || box.kind == BoxKind::scalar) continue;
            const Args args(patch_, box.atoms);
            signal[b] = box.kind == BoxKind::object && args.text(0).ends_with('~');
            laid[b] = static_cast<int>(layout.boxes.size());
            layout.boxes.push_back(boxLayout(box, args));
            if (box.canvas >= 0 && static_cast<std::size_t>(box.canvas) < canvases_.size())
                canvases_[static_cast<std::size_t>(box.canvas)].path =
                    layout.path + std::string(kPathStep) + args.joined();
        }
        const auto boxAt = [&](int number) -> BoxLayout* {
            if (number < 0 || static_cast<std::size_t>(number) >= laid.size()) return nullptr;
            const int at = laid[static_cast<std::size_t>(number)];
            return at < 0 ? nullptr : &layout.boxes[static_cast<std::size_t>(at)];
        };
        for (const Connection& connection : canvas.connections) {
            BoxLayout* from = boxAt(connection.from);
            BoxLayout* to = boxAt(connection.to);
            if (!from || !to || connection.outlet < 0 || connection.inlet < 0) continue;
            from->outlets = std::max(from->outlets, connection.outlet + 1);
            to->inlets = std::max(to->inlets, connection.inlet + 1);
        }
        for (const Connection& connection : canvas.connections) {
            const BoxLayout* from = boxAt(connection.from);
            const BoxLayout* to = boxAt(connection.to);
            if (!from || !to || connection.outlet < 0 || connection.inlet < 0) continue;
            layout.cords.push_back({ioX(*from, connection.outlet, from->outlets),
                                    from->rect.bottom(), ioX(*to, connection.inlet, to->inlets),
                                    to->rect.y,
                                    signal[static_cast<std::size_t>(connection.from)]});
        }
    }

    static int ioX(const BoxLayout& box, int io, int ios) {
        const int spread = ios > 1 ? (box.rect.width - kIoWidth) * io / (ios - 1) : 0;
        return box.rect.x + spread + kIoWidth / 2;
    }

    // A box of text: its rectangle from its wrapped lines, or from the width
    // the file gives in characters.
    BoxLayout textBox(Shape shape, const Box& box, const std::string& text, int narrowest) const {
        BoxLayout out;
        out.shape = shape;
        std::string shown = text;
        if (shown.size() > kLongestText) {
            std::size_t end = kLongestText;
            while (end > 0 && (static_cast<unsigned char>(shown[end]) & 0xc0) == 0x80) --end;
            shown.resize(end);
            shown += "\u2026";
        }
        const int longest = wrap(shown, box.width > 0 ? box.width : kWrapAt, out.text);
        const int lines = 1 + static_cast<int>(std::count(out.text.begin(), out.text.end(), '\n'));
        const int columns = box.width > 0 ? box.width : std::max(longest, narrowest);
        out.rect = {box.x, box.y, columns * font_.width + kLeftMargin + kRightMargin,
                    lines * font_.height + kTopMargin + kBottomMargin};
        return out;
    }

    BoxLayout boxLayout(const Box& box, const Args& args) const {
        switch (box.kind) {
            case BoxKind::message: {
                BoxLayout out = textBox(Shape::message, box, args.joined(), kNarrowest);
                out.inlets = out.outlets = 1;
                return out;
            }
            case BoxKind::comment:
                return textBox(Shape::comment, box, args.joined(), 0);
            case BoxKind::floatAtom:
            case BoxKind::symbolAtom:
            case BoxKind::listBox:
                return atomBox(box, args);
            case BoxKind::subpatch:
            case BoxKind::graph:
                return subpatchBox(box, args);
            default:
                break;
        }
        for (const Gui& gui : kGuis)
            if (args.text(0) == gui.name) return guiBox(box, Args(patch_, rest(box.atoms)), gui);
        BoxLayout out = textBox(Shape::object, box, args.joined(), kNarrowest);
        out.inlets = contains(kNoInlet, args.text(0)) ? 0 : 1;
        out.outlets = contains(kNoOutlet, args.text(0)) ? 0 : 1;
        return out;
    }

    static AtomRange rest(AtomRange range) {
        return range.count == 0 ? range : AtomRange{range.first + 1, range.count - 1};
    }

    // floatatom, symbolatom, listbox: WIDTH MIN MAX FLAG LABEL RECEIVE SEND.
    BoxLayout atomBox(const Box& box, const Args& args) const {
        static constexpr int kAutoWidth[] = {5, 10, 20};
        const int kind = static_cast<int>(box.kind) - static_cast<int>(BoxKind::floatAtom);
        Box sized = box;
        sized.width = args.integer(0, 0) > 0 ? args.integer(0, 0) : kAutoWidth[kind];
        BoxLayout out = textBox(Shape::atom, sized, kind == 0 ? "0" : kind == 1 ? "symbol" : "",
                                0);
        out.inlets = args.named(5) ? 0 : 1;
        out.outlets = args.named(6) ? 0 : 1;
        if (args.named(4)) {
            out.label = std::string(args.text(4));
            out.labelSize = font_.size;
            const int length = static_cast<int>(out.label.size()) * font_.width;
            switch (args.integer(3, 0)) {
                case 1:  // right
                    out.labelX = out.rect.right() + font_.width / 2;
                    out.labelY = out.rect.y + kTopMargin;
                    break;
                case 2:  // above
                    out.labelX = out.rect.x;
                    out.labelY = out.rect.y - font_.height - 1;
                    break;
                case 3:  // below
                    out.labelX = out.rect.x;
                    out.labelY = out.rect.bottom() + 1;
                    break;
                default:  // left
                    out.labelX = out.rect.x - length - font_.width / 2;
                    out.labelY = out.rect.y + kTopMargin;
            }
        }
        return out;
    }

    BoxLayout guiBox(const Box& box, const Args& args, const Gui& gui) const {
        BoxLayout out;
        out.shape = gui.shape;
        int width = 15;
        int height = 15;
        switch (gui.shape) {
            case Shape::bang:
            case Shape::toggle:
                width = height = args.integer(0, 15);
                break;
            case Shape::hslider:
                width = args.integer(0, 128);
                height = args.integer(1, 15);
                break;
            case Shape::vslider:
                width = args.integer(0, 15);
                height = args.integer(1, 128);
                break;
            case Shape::hradio:
            case Shape::vradio: {
                const int size = args.integer(0, 15);
                out.cells = std::clamp(args.integer(3, 8), 1, 128);
                width = gui.shape == Shape::hradio ? size * out.cells : size;
                height = gui.shape == Shape::vradio ? size * out.cells : size;
                break;
            }
            case Shape::numberBox:
                height = args.integer(1, 14);
                width = std::clamp(args.integer(0, 5), 1, 64) *
                            fontMetrics(args.integer(static_cast<std::uint32_t>(gui.label + 4), 10))
                                .width +
                        height / 2 + 4;
                out.text = "0";
                break;
            case Shape::vu:
                width = args.integer(0, 15);
                height = args.integer(1, 120);
                break;
            default:  // cnv: the size of its visible area
                width = args.integer(1, 100);
                height = args.integer(2, 60);
        }
        out.rect = {box.x, box.y, std::max(width, 1), std::max(height, 1)};
        const auto label = static_cast<std::uint32_t>(gui.label);
        if (gui.shape == Shape::vu) {
            out.inlets = args.named(label - 1) ? 0 : 2;
            out.outlets = 2;
        } else if (gui.shape != Shape::canvas) {
            out.inlets = args.named(label - 1) ? 0 : 1;
            out.outlets = args.named(label - 2) ? 0 : 1;
        }
        out.background = args.colour(label + 5, gui.background);
        if (args.named(label)) {
            out.label = std::string(args.text(label));
            out.labelSize = fontMetrics(args.integer(label + 4, 10)).size;
            // Pd centres the label's line on its offset.
            out.labelX = box.x + args.integer(label + 1, 0);
            out.labelY = box.y + args.integer(label + 2, 0) - fontMetrics(out.labelSize).height / 2;
        }
        return out;
    }

    // "pd NAME": a box of text, or its graph-on-parent rectangle; "graph":
    // the rectangle of its arrays.
    BoxLayout subpatchBox(const Box& box, const Args& args) const {
        const Canvas* inner = box.canvas >= 0 && static_cast<std::size_t>(box.canvas) <
                                                     patch_.canvases.size()
                                  ? &patch_.canvases[static_cast<std::size_t>(box.canvas)]
                                  : nullptr;
        const Args coords(patch_, inner ? inner->coords : AtomRange{});
        const bool graph = box.kind == BoxKind::graph;
        const int onParent = coords.integer(6, 0);
        BoxLayout out;
        if (graph || (coords.count() >= 7 && (onParent & 1))) {
            out.shape = graph ? Shape::graph : Shape::subpatch;
            out.onParent = true;
            out.rect = {box.x, box.y, std::max(coords.integer(4, 200), 1),
                        std::max(coords.integer(5, 140), 1)};
            if (!graph && !(onParent & 2)) out.text = args.joined();
            if (graph && inner) addCurves(*inner, coords, out);
        } else {
            out = textBox(Shape::subpatch, box, args.joined(), kNarrowest);
        }
        out.canvas = graph ? -1 : box.canvas;
        if (!inner) return out;
        for (const Box& child : inner->boxes) {
            const std::string_view name = Args(patch_, child.atoms).text(0);
            if (child.kind != BoxKind::object) continue;
            out.inlets += name == "inlet" || name == "inlet~";
            out.outlets += name == "outlet" || name == "outlet~";
        }
        return out;
    }

    // A graph's arrays: NAME SIZE TYPE FLAGS, then values "#A FROM V...",
    // drawn in the graph's range X1 Y1 X2 Y2 over its pixels.
    void addCurves(const Canvas& graph, const Args& coords, BoxLayout& out) const {
        const double x1 = coords.number(0, 0);
        const double y1 = coords.number(1, 1);
        const double x2 = coords.number(2, 100);
        const double y2 = coords.number(3, -1);
        if (x1 == x2 || y1 == y2) return;
        for (const Box& array : graph.boxes) {
            if (array.kind != BoxKind::array) continue;
            const Args head(patch_, array.atoms);
            if (!out.text.empty()) out.text += '\n';
            out.text += head.text(0);
            const int size = std::clamp(head.integer(1, 0), 0, 1 << 20);
            std::vector<double> values(static_cast<std::size_t>(size), 0.0);
            for (const AtomRange& record : array.values) {
                const Args run(patch_, record);
                const int from = run.integer(0, 0);
                for (std::uint32_t i = 1; i < run.count(); ++i) {
                    const long at = from + static_cast<long>(i) - 1;
                    if (at >= 0 && at < size) values[static_cast<std::size_t>(at)] = run.number(i, 0);
                }
            }
            // Some thousand points draw any array a pane can show.
            const int step = std::max(1, size / 1000);
            std::vector<Point> curve;
            for (int i = 0; i < size; i += step) {
                const double y = std::clamp((values[static_cast<std::size_t>(i)] - y1) / (y2 - y1),
                                            0.0, 1.0);
                curve.push_back({static_cast<float>(out.rect.x + (i - x1) / (x2 - x1) * out.rect.width),
                                 static_cast<float>(out.rect.y + y * out.rect.height)});
            }
            out.curves.push_back(std::move(curve));
        }
    }

    // Pd shows through a graph-on-parent what is no plain box of text: GUI
    // objects, atoms, comments, graphs and other graphs-on-parent, where
    // they lie wholly inside the area it shows.
    void addWhatShowsThrough(CanvasLayout& layout) const {
        std::vector<BoxLayout> shown;
        for (const BoxLayout& box : layout.boxes) {
            shown.push_back(box);
            if (box.shape != Shape::subpatch || !box.onParent || box.canvas < 0) continue;
            const auto inner = static_cast<std::size_t>(box.canvas);
            if (inner >= canvases_.size()) continue;
            const Args coords(patch_, patch_.canvases[inner].coords);
            const Rect area{coords.integer(7, 0), coords.integer(8, 0), box.rect.width,
                            box.rect.height};
            const int dx = box.rect.x - area.x;
            const int dy = box.rect.y - area.y;
            for (const BoxLayout& child : canvases_[inner].boxes) {
                const bool text = child.shape == Shape::object || child.shape == Shape::message ||
                                  (child.shape == Shape::subpatch && !child.onParent);
                if (text || child.rect.x < area.x || child.rect.y < area.y ||
                    child.rect.right() > area.right() || child.rect.bottom() > area.bottom())
                    continue;
                BoxLayout moved = child;
                moved.rect.x += dx;
                moved.rect.y += dy;
                moved.labelX += dx;
                moved.labelY += dy;
                moved.inlets = moved.outlets = 0;
                for (auto& curve : moved.curves)
                    for (Point& point : curve) point = {point.x + static_cast<float>(dx),
                                                        point.y + static_cast<float>(dy)};
                shown.push_back(std::move(moved));
            }
        }
        layout.boxes = std::move(shown);
    }

    const Patch& patch_;
    FontMetrics font_;
    std::vector<CanvasLayout> canvases_;
};

}  // namespace

FontMetrics fontMetrics(int size) {
    // Pd's table of sizes and their character cells, in pixels.
    static constexpr FontMetrics kSizes[] = {{8, 5, 11},   {10, 6, 13},  {12, 7, 16},
                                             {16, 10, 19}, {24, 14, 29}, {36, 22, 44}};
    FontMetrics found = kSizes[0];
    for (const FontMetrics& metrics : kSizes)
        if (metrics.size <= size) found = metrics;
    return found;
}

std::vector<CanvasLayout> layOutPatch(const Patch& patch, std::string_view name) {
    return Layout(patch, name).take();
}

}  // namespace pdpatch
