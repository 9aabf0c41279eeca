#include "app/PatchCanvasView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

using pdpatch::BoxLayout;
using pdpatch::Shape;

namespace {

// Space around the drawing, in view pixels, and the most a small patch is
// enlarged to fit.
constexpr int kMargin = 8;
constexpr double kLargestFit = 2.0;

// Pd's monospaced font, bold as Pd sets it, at a pixel size of Pd's.
QFont pdFont(int size) {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setBold(true);
    font.setPixelSize(std::max(size, 1));
    return font;
}

QRectF rectOf(const pdpatch::Rect& r) {
    return QRectF(r.x, r.y, r.width, r.height);
}

QColor colourOf(std::uint32_t rgb) {
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}

// Paints one canvas: shapes in patch pixels through the painter's transform,
// text in view pixels, with the font at its scaled size, because the raster
// engine draws transformed text as outlines, many times slower. Pens are one
// view pixel wide (two for signals) times the zoom, as Pd's.
class CanvasPainter {
public:
    CanvasPainter(QPainter& painter, const pdpatch::CanvasLayout& canvas, double scale,
                  const std::vector<std::vector<QStaticText>>& texts)
        : p_(painter),
          canvas_(canvas),
          laidTexts_(texts),
          toView_(painter.worldTransform()),
          scale_(scale),
          font_(pdFont(static_cast<int>(std::lround(canvas.fontSize * scale)))),
          metrics_(pdpatch::fontMetrics(canvas.fontSize)),
          line_(cosmetic(std::max(1.0, std::round(scale)))),
          signal_(cosmetic(std::max(2.0, std::round(2 * scale)))) {}

    void paint(const QRectF& visible) {
        for (std::size_t i = 0; i < canvas_.boxes.size(); ++i) {
            const BoxLayout& box = canvas_.boxes[i];
            if (!rectOf(box.rect).adjusted(-200, -50, 200, 50).intersects(visible)) continue;
            lines_ = &laidTexts_[i];
            paintBox(box);
        }
        for (const pdpatch::Cord& cord : canvas_.cords) {
            p_.setPen(cord.signal ? signal_ : line_);
            p_.drawLine(QPointF(cord.fromX, cord.fromY), QPointF(cord.toX, cord.toY));
        }
        paintTexts();
    }

private:
    void paintBox(const BoxLayout& box) {
        const QRectF r = rectOf(box.rect);
        p_.setPen(line_);
        p_.setBrush(Qt::NoBrush);
        switch (box.shape) {
            case Shape::object:
            case Shape::subpatch:
                p_.drawRect(r);
                text(r.topLeft());
                break;
            case Shape::message: {
                const double corner = std::min(r.height() / 4, 5.0);
                p_.drawPolygon(QPolygonF({r.topLeft(), {r.right() + corner, r.top()},
                                          {r.right(), r.top() + corner},
                                          {r.right(), r.bottom() - corner},
                                          {r.right() + corner, r.bottom()}, r.bottomLeft()}));
                text(r.topLeft());
                break;
            }
            case Shape::atom:
                p_.drawPolygon(notched(r));
                text(r.topLeft());
                break;
            case Shape::comment:
                text(r.topLeft());
                break;
            case Shape::graph:
                p_.drawRect(r);
                for (const auto& curve : box.curves) {
                    QPolygonF points;
                    points.reserve(static_cast<qsizetype>(curve.size()));
                    for (const pdpatch::Point& point : curve) points.append({point.x, point.y});
                    p_.drawPolyline(points);
                }
                text(r.topLeft());
                break;
            default:
                paintGui(box, r);
        }
        if (!box.label.empty()) labels_.push_back(&box);
        ios(box, r);
    }

    void paintGui(const BoxLayout& box, const QRectF& r) {
        const QColor background = colourOf(box.background);
        if (box.shape == Shape::canvas) {
            p_.fillRect(r, background);
            return;
        }
        p_.setBrush(background);
        if (box.shape == Shape::numberBox) {
            p_.drawPolygon(notched(r));
            const double half = r.height() / 2;
            p_.drawPolyline(QPolygonF({r.topLeft(), {r.left() + half, r.top() + half},
                                       r.bottomLeft()}));
            text({r.left() + half, r.top() + (r.height() - metrics_.height) / 2 - 3});
            return;
        }
        p_.drawRect(r);
        p_.setBrush(Qt::NoBrush);
        const double knob = 3;
        switch (box.shape) {
            case Shape::bang:
                p_.drawEllipse(r.adjusted(1, 1, -1, -1));
                break;
            case Shape::hslider:
                p_.fillRect(QRectF(r.left() + 1, r.top() + 1, knob, r.height() - 2), Qt::black);
                break;
            case Shape::vslider:
                p_.fillRect(QRectF(r.left() + 1, r.bottom() - 1 - knob, r.width() - 2, knob),
                            Qt::black);
                break;
            case Shape::hradio:
            case Shape::vradio: {
                const bool across = box.shape == Shape::hradio;
                const double cell = across ? r.width() / box.cells : r.height() / box.cells;
                for (int i = 1; i < box.cells; ++i) {
                    if (across)
                        p_.drawLine(QPointF(r.left() + i * cell, r.top()),
                                    QPointF(r.left() + i * cell, r.bottom()));
                    else
                        p_.drawLine(QPointF(r.left(), r.top() + i * cell),
                                    QPointF(r.right(), r.top() + i * cell));
                }
                const double inset = cell / 4;
                const QRectF first(r.left(), r.top(), across ? cell : r.width(),
                                   across ? r.height() : cell);
                p_.fillRect(first.adjusted(inset, inset, -inset, -inset), Qt::black);
                break;
            }
            default:  // a toggle off, a VU at rest
                break;
        }
    }

    static QPolygonF notched(const QRectF& r) {
        const double corner = std::min(r.height() / 4, 5.0);
        return QPolygonF({r.topLeft(), {r.right() - corner, r.top()}, {r.right(), r.top() + corner},
                          r.bottomRight(), r.bottomLeft()});
    }

    static QPen cosmetic(double width) {
        QPen pen(Qt::black, width);
        pen.setCosmetic(true);
        return pen;
    }

    // Runs `draw` with no transform and `font`.
    template <typename Draw>
    void inViewPixels(const QFont& font, Draw draw) {
        p_.setWorldTransform(QTransform());
        p_.setFont(font);
        p_.setPen(Qt::black);
        draw();
        p_.setWorldTransform(toView_);
        p_.setPen(line_);
    }

    // The box's text from its top left, one line per cell height, as Pd
    // sets it; drawn once the shapes are, with one change of transform.
    void text(QPointF topLeft) {
        if (!lines_->empty()) texts_.push_back({topLeft, lines_});
    }

    void paintTexts() {
        inViewPixels(font_, [&] {
            for (const auto& [topLeft, lines] : texts_) {
                for (std::size_t line = 0; line < lines->size(); ++line)
                    p_.drawStaticText(
                        toView_.map(QPointF(topLeft.x() + 2, topLeft.y() + 2 + static_cast<double>(line) *
                                                                                   metrics_.height)),
                        (*lines)[line]);
            }
        });
        for (const BoxLayout* box : labels_) {
            const pdpatch::FontMetrics label = pdpatch::fontMetrics(box->labelSize);
            inViewPixels(pdFont(static_cast<int>(std::lround(label.size * scale_))), [&] {
                p_.drawText(toView_.map(QPointF(box->labelX, box->labelY + label.height - 3)),
                            QString::fromStdString(box->label));
            });
        }
    }

    void ios(const BoxLayout& box, const QRectF& r) {
        const auto row = [&](int count, double y) {
            for (int i = 0; i < count; ++i) {
                const double spread = count > 1 ? (r.width() - pdpatch::kIoWidth) * i / (count - 1) : 0;
                p_.fillRect(QRectF(r.left() + spread, y, pdpatch::kIoWidth, pdpatch::kIoHeight - 1),
                            Qt::black);
            }
        };
        row(box.inlets, r.top());
        row(box.outlets, r.bottom() - pdpatch::kIoHeight + 1);
    }

    QPainter& p_;
    const pdpatch::CanvasLayout& canvas_;
    const std::vector<std::vector<QStaticText>>& laidTexts_;
    // The lines of the box being painted.
    const std::vector<QStaticText>* lines_ = nullptr;
    // What is drawn after the shapes: texts at their top left, labels.
    std::vector<std::pair<QPointF, const std::vector<QStaticText>*>> texts_;
    std::vector<const BoxLayout*> labels_;
    QTransform toView_;
    double scale_;
    QFont font_;
    pdpatch::FontMetrics metrics_;
    QPen line_;
    QPen signal_;
};

}  // namespace

PatchCanvasView::PatchCanvasView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
}

void PatchCanvasView::setCanvas(const pdpatch::CanvasLayout* canvas) {
    canvas_ = canvas;
    // A new layout may come at the address of the one gone.
    textsOf_ = nullptr;
    fitIn(area_);
}

void PatchCanvasView::setZoom(double zoom) {
    zoom_ = std::clamp(zoom, 0.25, 8.0);
    fitIn(area_);
}

void PatchCanvasView::fitIn(QSize area) {
    area_ = area;
    const pdpatch::Rect bounds = canvas_ ? canvas_->bounds : pdpatch::Rect{};
    const double fit =
        bounds.width > 0 && bounds.height > 0
            ? std::min({(area.width() - 2.0 * kMargin) / bounds.width,
                        (area.height() - 2.0 * kMargin) / bounds.height, kLargestFit})
            : 1.0;
    scale_ = std::max(fit, 0.02) * zoom_;
    const QSize drawn(static_cast<int>(bounds.width * scale_) + 2 * kMargin,
                      static_cast<int>(bounds.height * scale_) + 2 * kMargin);
    const QSize size = drawn.expandedTo(area);
    // Centred where the view is larger than the drawing.
    offset_ = QPointF((size.width() - bounds.width * scale_) / 2 - bounds.x * scale_,
                      (size.height() - bounds.height * scale_) / 2 - bounds.y * scale_);
    resize(size);
    update();
}

void PatchCanvasView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    if (!canvas_) return;
    // Pd draws its lines without smoothing; so does the drawing, faster too.
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(offset_);
    painter.scale(scale_, scale_);
    const QRectF visible = painter.transform().inverted().mapRect(QRectF(event->rect()));
    // Text laid out once per canvas and size, not for every frame.
    const int pixels = std::max(1, static_cast<int>(std::lround(canvas_->fontSize * scale_)));
    if (textsOf_ != canvas_ || textsSize_ != pixels) {
        const QFont font = pdFont(pixels);
        texts_.assign(canvas_->boxes.size(), {});
        for (std::size_t i = 0; i < canvas_->boxes.size(); ++i) {
            const std::string& text = canvas_->boxes[i].text;
            if (text.empty()) continue;
            for (const QString& line : QString::fromStdString(text).split('\n')) {
                QStaticText& laid = texts_[i].emplace_back(line);
                laid.setTextFormat(Qt::PlainText);
                laid.prepare(QTransform(), font);
            }
        }
        textsOf_ = canvas_;
        textsSize_ = pixels;
    }
    CanvasPainter(painter, *canvas_, scale_, texts_).paint(visible);
}

int PatchCanvasView::subpatchAt(QPointF point) const {
    if (!canvas_) return -1;
    const QPointF at = (point - offset_) / scale_;
    for (auto box = canvas_->boxes.rbegin(); box != canvas_->boxes.rend(); ++box) {
        if (rectOf(box->rect).contains(at)) return box->canvas;
    }
    return -1;
}

void PatchCanvasView::mousePressEvent(QMouseEvent* event) {
    const int canvas = subpatchAt(event->position());
    if (event->button() == Qt::LeftButton && canvas >= 0) {
        emit subpatchClicked(canvas);
        return;
    }
    QWidget::mousePressEvent(event);
}

void PatchCanvasView::mouseMoveEvent(QMouseEvent* event) {
    setCursor(subpatchAt(event->position()) >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    QWidget::mouseMoveEvent(event);
}

void PatchCanvasView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) return QWidget::wheelEvent(event);
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0) emit zoomStep(steps);
    event->accept();
}
