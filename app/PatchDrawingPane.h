#pragma once

// The pane that draws the selected patch: the path of the canvas shown
// ("Echo › pd delay", each step above a link back up), then the drawing, or
// the check's sentence when the patch cannot be read. The drawing is laid
// out by the patch reader's thread; the pane only paints, and drops a
// layout asked for before the latest.

#include <QWidget>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/workers.h"
#include "pdpatch/patchGeometry.h"

class QLabel;
class QScrollArea;
class QStackedWidget;
class PatchCanvasView;

class PatchDrawingPane : public QWidget {
    Q_OBJECT
public:
    explicit PatchDrawingPane(QWidget* parent = nullptr);
    ~PatchDrawingPane() override;

    // Where layouts are made; without one they are made at once.
    void setReader(workers::PatchReader* reader) { reader_ = reader; }
    // Draws the patch folder's main patch; an empty path draws nothing. The
    // same folder again is laid out anew and keeps the canvas and zoom shown.
    void showPatch(const std::string& folder);
    // Shows canvas `index` of the patch shown (0: the top one).
    void showCanvas(int index);
    int shownCanvas() const { return shown_; }
    // The path above the drawing, as text.
    QString pathText() const;

    // What a layout of a patch folder holds: the canvases, or why there are none.
    struct Drawing {
        std::vector<pdpatch::CanvasLayout> canvases;
        std::string problem;
    };
    // Lays out the folder's main patch (off the main thread).
    static Drawing layOut(const std::string& folder);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void present(std::string folder, std::shared_ptr<Drawing> drawing);
    void zoomBy(int steps);
    void showPath();

    workers::PatchReader* reader_ = nullptr;
    QLabel* path_;
    QStackedWidget* pages_;
    QScrollArea* scroller_;
    PatchCanvasView* view_;
    QLabel* message_;
    QString placeholder_;
    // The drawing shown, of `folder_`, and its canvas shown.
    std::shared_ptr<Drawing> drawing_;
    std::string folder_;
    int shown_ = 0;
    // The latest layout asked for; the reader's thread reads it to skip
    // layouts overtaken before they began.
    std::shared_ptr<std::atomic<std::uint64_t>> latest_;
};
