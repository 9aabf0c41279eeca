#include "app/PatchDrawingPane.h"

#include <QEvent>
#include <QKeySequence>
#include <QLabel>
#include <QPointer>
#include <QScrollArea>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <cmath>
#include <utility>

#include "app/PatchCanvasView.h"
#include "library/VQAUUtils.h"
#include "pdpatch/patchCheck.h"
#include "pdpatch/patchReader.h"

namespace {
constexpr double kZoomStep = 1.25;
}  // namespace

PatchDrawingPane::PatchDrawingPane(QWidget* parent)
    : QWidget(parent),
      path_(new QLabel(this)),
      pages_(new QStackedWidget(this)),
      scroller_(new QScrollArea(pages_)),
      view_(new PatchCanvasView),
      message_(new QLabel(pages_)),
      placeholder_(tr("Select a patch to see its drawing.")),
      latest_(std::make_shared<std::atomic<std::uint64_t>>(0)) {
    // The pane takes the focus, for its keys; the drawing inside only paints.
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("Patch drawing"));
    path_->setTextFormat(Qt::RichText);
    path_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    path_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    path_->setAccessibleName(tr("Subpatch path"));
    connect(path_, &QLabel::linkActivated, this,
            [this](const QString& link) { showCanvas(link.toInt()); });
    scroller_->setWidget(view_);
    scroller_->setFocusPolicy(Qt::NoFocus);
    scroller_->setAlignment(Qt::AlignCenter);
    scroller_->viewport()->installEventFilter(this);
    // Pd's canvas is white whatever the desktop's colours.
    scroller_->setBackgroundRole(QPalette::Base);
    message_->setAlignment(Qt::AlignCenter);
    message_->setWordWrap(true);
    message_->setTextFormat(Qt::PlainText);
    message_->setText(placeholder_);
    QPalette quiet = message_->palette();
    quiet.setColor(QPalette::WindowText, quiet.color(QPalette::PlaceholderText));
    message_->setPalette(quiet);
    pages_->addWidget(scroller_);
    pages_->addWidget(message_);
    pages_->setCurrentWidget(message_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(path_);
    layout->addWidget(pages_, 1);
    path_->hide();

    connect(view_, &PatchCanvasView::subpatchClicked, this, &PatchDrawingPane::showCanvas);
    connect(view_, &PatchCanvasView::zoomStep, this, &PatchDrawingPane::zoomBy);
    const auto shortcut = [this](const QKeySequence& keys, auto action) {
        auto* shortcut = new QShortcut(keys, this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    shortcut(QKeySequence::ZoomIn, [this] { zoomBy(1); });
    // Ctrl and the key "+" shares without Shift.
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { zoomBy(1); });
    shortcut(QKeySequence::ZoomOut, [this] { zoomBy(-1); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { view_->setZoom(1); });
    shortcut(QKeySequence(Qt::ALT | Qt::Key_Up), [this] {
        if (drawing_ && shown_ > 0)
            showCanvas(drawing_->canvases[static_cast<std::size_t>(shown_)].parent);
    });
}

PatchDrawingPane::~PatchDrawingPane() = default;

PatchDrawingPane::Drawing PatchDrawingPane::layOut(const std::string& folder) {
    Drawing drawing;
    const std::string name = patchNameFromPath(folder);
    const std::string file = folder + "/" + name + ".pd";
    std::string content;
    if (pdpatch::readPatchText(file, content)) {
        const pdpatch::Patch patch = pdpatch::readPatch(content);
        if (patch.isPatch) {
            drawing.canvases = pdpatch::layOutPatch(patch, name);
            return drawing;
        }
    }
    for (const pdpatch::Finding& finding : pdpatch::checkPatchFile(file))
        if (finding.code == "no-main-patch") drawing.problem = finding.sentence;
    return drawing;
}

void PatchDrawingPane::showPatch(const std::string& folder) {
    const std::uint64_t request = ++*latest_;
    if (folder.empty()) return present({}, nullptr);
    const auto make = [folder, request, latest = latest_]() -> std::shared_ptr<Drawing> {
        // Overtaken before it began: the pane would drop it.
        if (latest->load() != request) return nullptr;
        return std::make_shared<Drawing>(layOut(folder));
    };
    if (!reader_) return present(folder, make());
    QPointer<PatchDrawingPane> pane(this);
    reader_->read([make, pane, folder, request]() -> workers::MainThreadStep {
        return [drawing = make(), pane, folder, request] {
            if (pane && drawing && request == pane->latest_->load()) pane->present(folder, drawing);
        };
    });
}

void PatchDrawingPane::present(std::string folder, std::shared_ptr<Drawing> drawing) {
    const bool same = folder == folder_ && drawing_ && drawing;
    const int keep = same ? shown_ : 0;
    // The view draws from the drawing shown until it is given another: the
    // one replaced lives until this returns.
    const std::shared_ptr<Drawing> replaced = std::exchange(drawing_, std::move(drawing));
    folder_ = std::move(folder);
    if (!drawing_ || drawing_->canvases.empty()) {
        view_->setCanvas(nullptr);
        path_->hide();
        setAccessibleDescription({});
        message_->setText(drawing_ ? QString::fromStdString(drawing_->problem) : placeholder_);
        pages_->setCurrentWidget(message_);
        return;
    }
    if (!same) view_->setZoom(1);
    pages_->setCurrentWidget(scroller_);
    showCanvas(keep < static_cast<int>(drawing_->canvases.size()) ? keep : 0);
}

void PatchDrawingPane::showCanvas(int index) {
    if (!drawing_ || index < 0 || index >= static_cast<int>(drawing_->canvases.size())) return;
    shown_ = index;
    view_->setCanvas(&drawing_->canvases[static_cast<std::size_t>(index)]);
    showPath();
}

void PatchDrawingPane::showPath() {
    // From the canvas shown up to the top one, each step a link but the last.
    QStringList steps;
    std::size_t below = 0;
    for (int at = shown_; at >= 0;) {
        const pdpatch::CanvasLayout& canvas = drawing_->canvases[static_cast<std::size_t>(at)];
        const std::string& above =
            canvas.parent >= 0 ? drawing_->canvases[static_cast<std::size_t>(canvas.parent)].path
                               : std::string();
        const QString step = QString::fromStdString(
                                 canvas.parent >= 0
                                     ? canvas.path.substr(above.size() + pdpatch::kPathStep.size())
                                     : canvas.path)
                                 .toHtmlEscaped();
        steps.prepend(below == 0 ? step : QStringLiteral("<a href=\"%1\">%2</a>").arg(at).arg(step));
        ++below;
        at = canvas.parent;
    }
    path_->setText(steps.join(QString::fromUtf8(pdpatch::kPathStep.data(), static_cast<qsizetype>(pdpatch::kPathStep.size()))));
    path_->setToolTip(pathText());
    setAccessibleDescription(pathText());
    path_->setVisible(true);
}

QString PatchDrawingPane::pathText() const {
    return drawing_ && !drawing_->canvases.empty()
               ? QString::fromStdString(drawing_->canvases[static_cast<std::size_t>(shown_)].path)
               : QString();
}

void PatchDrawingPane::zoomBy(int steps) {
    view_->setZoom(view_->zoom() * std::pow(kZoomStep, steps));
}

bool PatchDrawingPane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroller_->viewport() && event->type() == QEvent::Resize)
        view_->fitIn(scroller_->viewport()->size());
    return QWidget::eventFilter(watched, event);
}
