#include "app/MainWindow.h"

#include <QHeaderView>
#include <QMessageBox>

#include "app/BusyCursor.h"
#include "app/VQ_ImporterAppDelegate.h"
#include "ui_mainwindow.h"

namespace {
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
}  // namespace

MainWindow::MainWindow(VQ_ImporterAppDelegate& controller, QWidget* parent)
    : QMainWindow(parent),
      controller_(controller),
      ui_(std::make_unique<Ui::MainWindow>()),
      helpPanel_(new HelpPanel(this)) {
    ui_->setupUi(this);
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
    QPalette hintPalette = ui_->dropHint->palette();
    hintPalette.setColor(QPalette::WindowText, hintPalette.color(QPalette::PlaceholderText));
    ui_->dropHint->setPalette(hintPalette);

    attachViews();

    connect(ui_->typeSegments, &QButtonGroup::idClicked, this,
            [this](int) { controller_.typeChanged(); });
    connect(ui_->deleteButton, &QPushButton::clicked, this, [this] {
        BusyCursor busy;
        controller_.deletePressed();
    });
    connect(ui_->helpButton, &QPushButton::clicked, this, [this] { controller_.helpPressed(); });
}

MainWindow::~MainWindow() {
    // The controller outlives the window: it must not reach views that are gone.
    controller_.setWindow(nullptr);
    controller_.setHelpWindow(nullptr);
    controller_.setPatches(nullptr);
    controller_.setParameterTable(nullptr);
    controller_.setTypeSelector(nullptr);
}

void MainWindow::attachViews() {
    controller_.setWindow(this);
    controller_.setHelpWindow(helpPanel_);
    controller_.setPatches(ui_->patches);
    controller_.setParameterTable(ui_->parameterTable);
    controller_.setTypeSelector(typeSegments_.get());
    // The patches table's data source is wired here; the controller makes
    // itself the parameters table's data source once launching has finished.
    ui_->patches->setDataSource(&controller_);
    ui_->patches->setDelegate(&controller_);
    ui_->parameterTable->setDelegate(&controller_);
}

void MainWindow::beginSheetModal(const views::Alert& alert) {
    auto* box = new QMessageBox(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->setIcon(iconFor(alert.style));
    box->setWindowTitle(windowTitle());
    box->setText(QString::fromStdString(alert.messageText));
    box->setInformativeText(QString::fromStdString(alert.informativeText));
    // Without a minimum width the explanation wraps into a narrow column.
    box->setStyleSheet("QLabel#qt_msgbox_informativelabel { min-width: 380px; }");
    for (const std::string& title : alert.buttonTitles)
        box->addButton(QString::fromStdString(title), QMessageBox::AcceptRole);
    box->open();
}
