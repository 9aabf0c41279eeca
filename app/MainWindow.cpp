#include "app/MainWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QShortcut>
#include <QStandardPaths>

#include "app/AboutBox.h"
#include "app/ActionMenuItem.h"
#include "app/ControllerTableModel.h"
#include "app/DesktopWorkspace.h"
#include "app/FindingsSection.h"
#include "app/InstallProgress.h"
#include "app/ItemListPanel.h"
#include "app/LibraryQueue.h"
#include "app/LibraryWatcher.h"
#include "app/PatchCheckQueue.h"
#include "app/PatchDrawingPane.h"
#include "app/PatchListQueue.h"
#include "app/PatchReadQueue.h"
#include "app/UndoMenuItem.h"
#include "app/VQ_ImporterAppDelegate.h"
#include "app/WindowDropTarget.h"
#include "app/accessibleRoles.h"
#include "app/bidiText.h"
#include "app/fitOnScreen.h"
#include "app/translate.h"
#include "library/VQAUUtils.h"
#include "ui_mainwindow.h"

namespace {
constexpr int kInstrumentsSegment = 1;
const char* const kGeometryKey = "mainWindow/geometry";
constexpr std::size_t kQuitButton = 0;

QMessageBox::Icon iconFor(views::AlertStyle style) {
    switch (style) {
        case views::AlertStyle::informational:
            return QMessageBox::Information;
        case views::AlertStyle::critical:
            return QMessageBox::Critical;
        case views::AlertStyle::warning:
            break;
    }
    return QMessageBox::Warning;
}

std::string translatedByQt(const char* context, const char* sourceText) {
    return QCoreApplication::translate(context, sourceText).toStdString();
}
}  // namespace

MainWindow::MainWindow(std::unique_ptr<PatchListQueue> lister,
                       std::unique_ptr<LibraryWatcher> watcher)
    : QMainWindow(),
      ui_(std::make_unique<Ui::MainWindow>()),
      itemListPanel_(new ItemListPanel(this)),
      libraryQueue_(new LibraryQueue(this)),
      patchReader_(new PatchReadQueue(this)),
      patchLister_(lister.release()),
      libraryWatcher_(watcher.release()),
      patchChecker_(new PatchCheckQueue(this)),
      findingsSection_(new FindingsSection),
      workspace_(new DesktopWorkspace(this)) {
    patchLister_->setParent(this);
    libraryWatcher_->setParent(this);
    ui_->setupUi(this);
    // The findings sit under the parameters, above the drawing.
    ui_->parametersSplitter->insertWidget(1, findingsSection_);
    setTranslator(translatedByQt);
    undoMenuItem_ = std::make_unique<UndoMenuItem>(*ui_->undoAction, *ui_->searchField,
                                                   [this] { controller_->undoPressed(); });
    redoMenuItem_ = std::make_unique<ActionMenuItem>(*ui_->redoAction);
    setAccessibleRole(*ui_->typeSelector, QAccessible::Grouping);
    setAccessibleRole(*ui_->noticeBar, QAccessible::Notification);
    // Owned by the window, as Qt children are.
    new InstallProgress(*libraryQueue_,
                        {ui_->progressPane, ui_->progressText, ui_->progressBytes, ui_->progressBar,
                         ui_->waitingLabel, ui_->cancelButton},
                        this);
    ui_->noticeText->setTextFormat(Qt::PlainText);
    ui_->noticeBar->hide();
    typeSegments_ = std::make_unique<ButtonSegments>(
        *ui_->typeSegments,
        std::vector<QAbstractButton*>{ui_->effectsSegment, ui_->instrumentsSegment});

    ui_->patches->horizontalHeader()->setStretchLastSection(true);
    QHeaderView* parameterHeader = ui_->parameterTable->horizontalHeader();
    parameterHeader->setSectionResizeMode(QHeaderView::ResizeToContents);
    parameterHeader->setSectionResizeMode(0, QHeaderView::Stretch);
    parameterHeader->setMinimumSectionSize(72);
    ui_->splitter->setStretchFactor(0, 2);
    ui_->splitter->setStretchFactor(1, 3);
    // The drawing gets the larger part: a patch declares a few parameters.
    ui_->parametersSplitter->setStretchFactor(0, 2);
    ui_->parametersSplitter->setStretchFactor(1, 0);
    ui_->parametersSplitter->setStretchFactor(2, 3);
    ui_->parametersSplitter->setSizes({200, 80, 300});
    ui_->patchDrawing->setReader(patchReader_);
    for (QLabel* quiet : {ui_->dropHint, ui_->countLabel}) {
        QPalette hintPalette = quiet->palette();
        hintPalette.setColor(QPalette::WindowText, hintPalette.color(QPalette::PlaceholderText));
        quiet->setPalette(hintPalette);
    }
    restoreGeometry(QSettings().value(kGeometryKey).toByteArray());
    fitOnScreen(*this);
    helpPanel_ = new HelpPanel(this);
}

void MainWindow::attach(VQ_ImporterAppDelegate& controller) {
    controller_ = &controller;
    attachViews();
    connectControls();
    connectMenus();
    takeDrops();
    putTextEndsInPlace(*this);
    showListState();
    showSelectionState();
}

MainWindow::~MainWindow() {
    // What the worker would still hand the controller is dropped with it.
    libraryQueue_->stop();
    // The controller outlives the window: it must not reach views that are gone.
    if (controller_) controller_->detach();
}

void MainWindow::attachViews() {
    controller_->attach({.window = this,
                         .helpWindow = helpPanel_,
                         .patches = ui_->patches,
                         .parameterTable = ui_->parameterTable,
                         .typeSelector = typeSegments_.get(),
                         .notice = this,
                         .itemListPanel = itemListPanel_,
                         .undoMenuItem = undoMenuItem_.get(),
                         .redoMenuItem = redoMenuItem_.get(),
                         .workspace = workspace_,
                         .libraryWorker = libraryQueue_,
                         .patchReader = patchReader_,
                         .patchLister = patchLister_,
                         .findingList = findingsSection_,
                         .patchChecker = patchChecker_});
    // The patches table's data source is wired here; the controller makes
    // itself the parameters table's data source once launching has finished.
    ui_->patches->setDataSource(controller_);
    ui_->patches->setDelegate(controller_);
    ui_->parameterTable->setDelegate(controller_);
}

void MainWindow::connectControls() {
    connect(ui_->typeSegments, &QButtonGroup::idClicked, this,
            [this](int) { controller_->typeChanged(); });
    connect(ui_->deleteButton, &QPushButton::clicked, this, &MainWindow::deleteSelectedPatch);
    connect(ui_->helpButton, &QPushButton::clicked, this, [this] { controller_->helpPressed(); });
    connect(ui_->noticeAction, &QPushButton::clicked, this, [this] {
        // The action may replace the notice, and with it this function.
        const std::function<void()> action = noticeAction_;
        if (action) action();
    });
    connect(ui_->noticeClose, &QToolButton::clicked, this,
            [this] { controller_->noticeDismissed(); });

    auto* addMenu = new QMenu(ui_->addButton);
    addMenu->addAction(tr("Patch Files…"), this, [this] { choosePatches(false); });
    addMenu->addAction(tr("Patch Folder…"), this, [this] { choosePatches(true); });
    ui_->addButton->setMenu(addMenu);

    connect(ui_->searchField, &QLineEdit::textChanged, this, [this](const QString& text) {
        ui_->patches->setSearchText(text);
        showListState();
    });
    // Only what the user does to the search counts as a change of the view.
    connect(ui_->searchField, &QLineEdit::textEdited, this,
            [this] { controller_->searchChanged(); });
    auto* clearSearch =
        new QShortcut(Qt::Key_Escape, ui_->searchField, nullptr, nullptr, Qt::WidgetShortcut);
    const auto clearSearchByUser = [this] {
        if (ui_->searchField->text().isEmpty()) return;
        ui_->searchField->clear();
        controller_->searchChanged();
    };
    connect(clearSearch, &QShortcut::activated, this, clearSearchByUser);
    // Esc in the list clears the search too, as in file managers.
    auto* clearSearchFromList =
        new QShortcut(Qt::Key_Escape, ui_->patches, nullptr, nullptr, Qt::WidgetShortcut);
    connect(clearSearchFromList, &QShortcut::activated, this, clearSearchByUser);
    connect(ui_->patches, &ControllerTableView::searchHides, ui_->searchField, &QLineEdit::clear);
    // Down goes from the search to the first patch it found.
    auto* toList =
        new QShortcut(Qt::Key_Down, ui_->searchField, nullptr, nullptr, Qt::WidgetShortcut);
    connect(toList, &QShortcut::activated, this, [this] {
        ui_->patches->setFocus(Qt::ShortcutFocusReason);
        if (ui_->patches->model()->rowCount() > 0)
            ui_->patches->setCurrentIndex(ui_->patches->model()->index(0, 0));
    });
    // Backspace deletes too, as in file managers, but only in the list: in
    // the search field it edits the text.
    auto* backspace =
        new QShortcut(Qt::Key_Backspace, ui_->patches, nullptr, nullptr, Qt::WidgetShortcut);
    connect(backspace, &QShortcut::activated, this, &MainWindow::deleteSelectedPatch);

    connect(ui_->patches->model(), &QAbstractItemModel::modelReset, this,
            &MainWindow::showListState);
    // An empty parameters table says whether a patch is selected at all.
    const QString pickAPatch = ui_->parameterTable->placeholderText();
    const auto showParameterState = [this, pickAPatch] {
        const QString missing = QString::fromStdString(controller_->missingMainPatchFile());
        ui_->parameterTable->setPlaceholderText(
            ui_->patches->selectedRow() < 0 ? pickAPatch
            : missing.isEmpty()
                ? tr("This patch declares no parameters.")
                : tr("No main patch file “%1”: the audio host cannot load this folder")
                      .arg(missing));
    };
    connect(ui_->parameterTable->model(), &QAbstractItemModel::modelReset, this,
            showParameterState);
    // The drawing follows the parameters: the patch read for them is drawn.
    connect(ui_->parameterTable->model(), &QAbstractItemModel::modelReset, this,
            [this] { ui_->patchDrawing->showPatch(controller_->parametersPath()); });
    connect(ui_->patches->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            showParameterState);
    connect(libraryWatcher_, &LibraryWatcher::changed, this,
            [this] { controller_->libraryChanged(); });

    // A long name is cut rather than widening the pane.
    ui_->parametersLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    connect(ui_->patches->model(), &QAbstractItemModel::modelReset, this,
            &MainWindow::showSelectionState);
    connect(ui_->patches->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::showSelectionState);
    // What a file manager offers for a file: on a right click, and for a
    // double click or Enter, opening it.
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    ui_->patches->setContextMenuPolicy(Qt::ActionsContextMenu);
    ui_->patches->addActions({ui_->openInPdAction, ui_->showInFilesAction, ui_->copyPathAction,
                              ui_->exportAction, separator, ui_->deleteAction});
    // Patches dragged out of the list to a file manager or a terminal are
    // offered as their folders, to copy.
    ui_->patches->setDragEnabled(true);
    connect(ui_->patches, &QAbstractItemView::activated, this,
            [this] { controller_->openInPdPressed(); });
}

void MainWindow::takeDrops() {
    auto* drops = new WindowDropTarget(*controller_, *ui_->patches, this);
    drops->watch(*this);
    drops->watch(*ui_->searchField);
    const auto sayWhy = [this] {
        showNotice(tr("These files can only be moved, and the importer copies patches: hold "
                      "Ctrl while dragging to copy them.")
                       .toStdString(),
                   {}, nullptr);
    };
    connect(drops, &WindowDropTarget::moveOnlyDragRefused, this, sayWhy);
    connect(ui_->patches, &ControllerTableView::moveOnlyDragRefused, this, sayWhy);
}

void MainWindow::connectMenus() {
    connect(ui_->addFilesAction, &QAction::triggered, this, [this] { choosePatches(false); });
    connect(ui_->addFolderAction, &QAction::triggered, this, [this] { choosePatches(true); });
    connect(ui_->quitAction, &QAction::triggered, this, &QWidget::close);
    connect(ui_->redoAction, &QAction::triggered, this, [this] { controller_->redoPressed(); });
    connect(ui_->openInPdAction, &QAction::triggered, this,
            [this] { controller_->openInPdPressed(); });
    connect(ui_->showInFilesAction, &QAction::triggered, this,
            [this] { controller_->showInFilesPressed(); });
    connect(ui_->copyPathAction, &QAction::triggered, this,
            [this] { controller_->copyPathPressed(); });
    connect(ui_->exportAction, &QAction::triggered, this, &MainWindow::chooseExportArchive);
    connect(ui_->deleteAction, &QAction::triggered, this, &MainWindow::deleteSelectedPatch);
    connect(ui_->findAction, &QAction::triggered, this, [this] {
        ui_->searchField->setFocus(Qt::ShortcutFocusReason);
        ui_->searchField->selectAll();
    });
    connect(ui_->effectsAction, &QAction::triggered, ui_->effectsSegment, &QAbstractButton::click);
    connect(ui_->instrumentsAction, &QAction::triggered, ui_->instrumentsSegment,
            &QAbstractButton::click);
    connect(ui_->helpAction, &QAction::triggered, this, [this] { controller_->helpPressed(); });
    connect(ui_->aboutAction, &QAction::triggered, this, [this] { openAboutBox(*this); });
}

void MainWindow::choosePatches(bool folder) {
    auto* dialog = new QFileDialog(this, folder ? tr("Add a Patch Folder") : tr("Add Patch Files"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    if (folder) {
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
    } else {
        dialog->setFileMode(QFileDialog::ExistingFiles);
        // The kinds of file offered; the first is chosen at first.
        dialog->setNameFilters({tr("Pd patches and archives (*.pd *.zip *.tar *.tar.gz *.tgz "
                                   "*.tar.bz2 *.tbz2 *.tar.xz *.txz *.tar.zst)"),
                                tr("Pd patches (*.pd)"), tr("All files (*)")});
    }
    connect(dialog, &QFileDialog::filesSelected, this, &MainWindow::installPaths);
    dialog->open();
}

void MainWindow::chooseExportArchive() {
    const std::vector<int> rows = ui_->patches->selectedRowIndexes();
    if (rows.empty()) return;
    // One patch suggests its own name, as a file manager's "Compress…" does.
    const QString name =
        rows.size() == 1
            ? QString::fromStdString(controller_->tableViewObjectValueForTableColumnRow(
                  ui_->patches, "patch", rows.front()))
            : tr("Patches");
    auto* dialog = new QFileDialog(this, tr("Export Patches"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilter(tr("Zip archives (*.zip)"));
    dialog->setDefaultSuffix("zip");
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    dialog->setDirectory(QDir(documents).exists() ? documents : QDir::homePath());
    dialog->selectFile(name + ".zip");
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& path) {
        controller_->exportSelectedPatches(QFile::encodeName(path).toStdString());
    });
    dialog->open();
}

void MainWindow::installPaths(const QStringList& paths) {
    // The dialog gives local paths already: only their bytes are wanted.
    std::vector<std::string> fileNames;
    for (const QString& path : paths) fileNames.push_back(QFile::encodeName(path).toStdString());
    if (fileNames.empty()) return;
    controller_->openChosenFiles(fileNames);
}

void MainWindow::deleteSelectedPatch() {
    controller_->deletePressed();
}

void MainWindow::showListState() {
    if (!controller_->hasPatchList()) {
        ui_->countLabel->clear();
        ui_->patches->setPlaceholderText({});
        return;
    }
    const bool instruments = typeSegments_->selectedSegment() == kInstrumentsSegment;
    const int all = controller_->numberOfRowsInTableView(ui_->patches);
    const int shown = ui_->patches->model()->rowCount();
    const QString search = ui_->searchField->text();
    const QLocale locale;
    // Whole sentences for each kind and number, so that a translation can
    // give each its own grammar.
    const QString count =
        search.isEmpty()
            ? (instruments ? (all == 1 ? tr("%1 instrument") : tr("%1 instruments"))
                           : (all == 1 ? tr("%1 effect") : tr("%1 effects")))
            : (instruments ? (all == 1 ? tr("%1 of %2 instrument") : tr("%1 of %2 instruments"))
                           : (all == 1 ? tr("%1 of %2 effect") : tr("%1 of %2 effects")));
    ui_->countLabel->setText(search.isEmpty()
                                 ? count.arg(locale.toString(all))
                                 : count.arg(locale.toString(shown), locale.toString(all)));
    if (all == 0) {
        ui_->patches->setPlaceholderText(
            instruments ? tr("No instruments installed yet. Drop Pd patches here or choose Add…")
                        : tr("No effects installed yet. Drop Pd patches here or choose Add…"));
    } else {
        const QString shortSearch =
            ui_->countLabel->fontMetrics().elidedText(search, Qt::ElideRight, 240);
        ui_->patches->setPlaceholderText(
            (instruments ? tr("No instruments match “%1”.") : tr("No effects match “%1”."))
                .arg(shortSearch));
    }
}

void MainWindow::showSelectionState() {
    const int row = ui_->patches->selectedRow();
    for (QAction* action : {ui_->deleteAction, ui_->openInPdAction, ui_->showInFilesAction,
                            ui_->copyPathAction, ui_->exportAction})
        action->setEnabled(row >= 0);
    ui_->deleteButton->setEnabled(row >= 0);
    const QString name =
        row < 0
            ? QString()
            : ControllerTableModel::displayText(
                  controller_->tableViewObjectValueForTableColumnRow(ui_->patches, "patch", row));
    ui_->parametersLabel->setText(row < 0 ? tr("Parameters of the selected patch")
                                          : tr("Parameters of “%1”").arg(name));
    ui_->parametersLabel->setToolTip(name);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (libraryQueue_->busy() && !quitting_) {
        event->ignore();
        views::Alert alert;
        const bool exporting = libraryQueue_->exporting();
        alert.buttonTitles = {
            tr("Quit").toStdString(),
            (exporting ? tr("Keep Exporting") : tr("Keep Installing")).toStdString()};
        alert.safeButton = 1;
        alert.messageText = (exporting ? tr("Quit while patches are being exported?")
                                       : tr("Quit while patches are being installed?"))
                                .toStdString();
        alert.informativeText =
            (exporting ? tr("The archive is not written, and the requests waiting are dropped.")
                       : tr("The patch being copied is not installed, and the requests waiting "
                            "are dropped. Patches installed already stay."))
                .toStdString();
        alert.didEnd = [this](std::size_t button) {
            if (button != kQuitButton) return;
            quitting_ = true;
            libraryQueue_->stop();
            close();
        };
        beginSheetModal(alert);
        return;
    }
    QSettings().setValue(kGeometryKey, saveGeometry());
    QMainWindow::closeEvent(event);
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && controller_)
        controller_->windowDidBecomeKey();
    QMainWindow::changeEvent(event);
}

void MainWindow::showNotice(const std::string& text, const std::string& actionTitle,
                            std::function<void()> action) {
    ui_->noticeText->setText(QString::fromStdString(text));
    ui_->noticeText->setToolTip(ui_->noticeText->text());
    ui_->noticeAction->setText(withEndInPlace(QString::fromStdString(actionTitle)));
    ui_->noticeAction->setVisible(!actionTitle.empty());
    noticeAction_ = std::move(action);
    ui_->noticeBar->show();
    announceStatus(*ui_->noticeBar, ui_->noticeText->text());
}

void MainWindow::hideNotice() {
    // The focus on the line's buttons goes to the list, not round the window.
    if (ui_->noticeBar->isAncestorOf(focusWidget())) ui_->patches->setFocus(Qt::OtherFocusReason);
    ui_->noticeBar->hide();
    noticeAction_ = nullptr;
}

void MainWindow::beginSheetModal(const views::Alert& alert) {
    auto* box = new QMessageBox(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->setIcon(iconFor(alert.style));
    box->setWindowTitle(windowTitle());
    box->setText(QString::fromStdString(alert.messageText));
    box->setInformativeText(QString::fromStdString(alert.informativeText));
    box->setDetailedText(QString::fromStdString(alert.detailedText));
    // Without a minimum width the explanation wraps into a narrow column.
    box->setStyleSheet("QLabel#qt_msgbox_informativelabel { min-width: 380px; }");
    for (std::size_t index = 0; index < alert.buttonTitles.size(); ++index) {
        const std::string& title = alert.buttonTitles[index];
        // The safe button answers Esc. It is also the default, so Return
        // never answers a question that destroys.
        const bool cancels = alert.safeButton == index;
        QPushButton* button =
            box->addButton(QString::fromStdString(title),
                           cancels ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
        if (cancels) {
            box->setDefaultButton(button);
            box->setEscapeButton(button);
        }
        if (alert.didEnd)
            connect(button, &QPushButton::clicked, this,
                    [didEnd = alert.didEnd, index] { didEnd(index); });
    }
    box->open();
}
