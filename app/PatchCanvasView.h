#pragma once

// One canvas of a patch drawn the way Pd draws it, black on white, from a
// layout made beforehand: the view only paints. The drawing fits the space
// it is given, keeping its proportions, times a zoom the user sets. A click
// on a subpatch box asks to show that subpatch.

#include <QStaticText>
#include <QWidget>
#include <vector>

#include "pdpatch/patchGeometry.h"

class PatchCanvasView : public QWidget {
    Q_OBJECT
public:
    explicit PatchCanvasView(QWidget* parent = nullptr);

    // The canvas shown; null for none. It must outlive the view's use of it.
    void setCanvas(const pdpatch::CanvasLayout* canvas);
    // Sizes the view to show the canvas in `area` (the space visible),
    // bigger when zoomed in beyond it.
    void fitIn(QSize area);
    double zoom() const { return zoom_; }
    void setZoom(double zoom);

signals:
    void subpatchClicked(int canvas);
    // Ctrl and the wheel: +1 a step in, -1 a step out.
    void zoomStep(int steps);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // The subpatch a point of the view falls on, or -1.
    int subpatchAt(QPointF point) const;

    const pdpatch::CanvasLayout* canvas_ = nullptr;
    double zoom_ = 1.0;
    QSize area_;
    // Patch pixels to view pixels: scale, then offset.
    double scale_ = 1.0;
    QPointF offset_;
    // Each box's lines of text, laid out for canvas `textsOf_` at font size `textsSize_`.
    std::vector<std::vector<QStaticText>> texts_;
    const pdpatch::CanvasLayout* textsOf_ = nullptr;
    int textsSize_ = 0;
};
