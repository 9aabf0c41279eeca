// Pictures the importer's windows as PNG files, for looking at the layout
// without a display: the effects with a patch's parameters and drawing, a
// subpatch of it, a patch marked by the patch check with its findings, the
// instruments,
// a search in use, a drag over the patches table, the bad-drop alert, an
// open menu, an install in progress with requests waiting, the line after a
// delete, the line after an export, an empty list, the help panel, and the
// main window in German. It works on the test build's own
// library folder and trash, never on the real ones.
//
//   veltrano-screenshots OUTPUT_FOLDER

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDragEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QUrl>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "app/ControllerTableView.h"
#include "app/LibraryQueue.h"
#include "app/PatchCheckQueue.h"
#include "app/PatchDrawingPane.h"
#include "app/PatchListQueue.h"
#include "app/PatchReadQueue.h"
#include "app/VQ_ImporterAppDelegate.h"
#include "app/appTranslations.h"
#include "app/openMainWindow.h"
#include "library/VQAUUtils.h"
#include "testing/HeadlessEnvironment.h"
#include "testing/ScratchDir.h"
#include "testing/ScratchLibrary.h"
#include "testing/StandInCp.h"

namespace {

void addPatch(const char* typeDir, const std::string& name, const std::string& declarations,
              bool instrument) {
    const std::string folder = std::string(typeDir) + "/" + name;
    std::filesystem::create_directories(folder);
    const std::string input = instrument ? "#X obj 20 20 notein;\n" : "#X obj 20 20 adc~;\n";
    testing_support::writeFile(folder + "/" + name + ".pd", "#N canvas 0 0 640 480 10;\n" + input +
                                                                declarations +
                                                                "#X obj 20 200 dac~;\n");
}

// A patch with every kind of box the drawing knows, a subpatch and a
// graph-on-parent.
const char* const kTapeEcho =
    "#N canvas 0 0 640 420 10;\n"
    "#X obj 30 20 adc~;\n"
    "#X obj 30 60 *~ 0.5;\n"
    "#N canvas 0 0 400 300 delay 0;\n"
    "#X obj 20 20 inlet~;\n"
    "#X obj 20 60 delwrite~ echo 2000;\n"
    "#X obj 150 20 inlet;\n"
    "#X obj 150 60 delread4~ echo;\n"
    "#X obj 150 100 outlet~;\n"
    "#X connect 0 0 1 0;\n"
    "#X connect 2 0 3 0;\n"
    "#X connect 3 0 4 0;\n"
    "#X restore 30 110 pd delay;\n"
    "#X obj 30 160 dac~;\n"
    "#X floatatom 160 60 5 0 0 0 - - -;\n"
    "#X msg 160 20 250;\n"
    "#X obj 250 20 hsl 128 15 1 2000 0 0 empty empty time 0 -9 0 10 #fcfcfc #000000 #000000 0 1;\n"
    "#X obj 250 60 tgl 15 0 empty empty wow 17 7 0 10 #fcfcfc #000000 #000000 0 1;\n"
    "#X obj 250 90 bng 15 250 50 0 empty empty tap 17 7 0 10 #fcfcfc #000000 #000000;\n"
    "#X obj 250 120 vradio 15 1 0 4 empty empty empty 0 -8 0 10 #fcfcfc #000000 #000000 0;\n"
    "#X obj 300 140 nbx 5 14 -1e+37 1e+37 0 0 empty empty mix 0 -8 0 10 #fcfcfc #000000 "
    "#000000 0 256;\n"
    "#X obj 420 20 cnv 15 180 60 empty empty Tape\\ Echo 10 12 0 14 #dce4fc #404040 0;\n"
    "#X obj 440 100 vu 15 120 empty empty -1 -8 0 10 #404040 #000000 1 0;\n"
    "#X text 30 230 param time slider 1 2000 250 ms;\n"
    "#X text 30 250 param feedback float 0 0.95 0.4;\n"
    "#X text 30 270 param wow float 0 1 0.15;\n"
    "#X text 30 290 param mix float 0 1 0.5;\n"
    "#N canvas 0 0 300 200 knobs 0;\n"
    "#X obj 10 10 inlet;\n"
    "#X obj 20 30 hsl 100 15 0 1 0 0 empty empty feedback 0 -9 0 10 #fcfcfc #000000 #000000 0 "
    "1;\n"
    "#X coords 0 -1 1 1 130 60 1 10 10;\n"
    "#X restore 250 200 pd knobs;\n"
    "#X connect 0 0 1 0;\n"
    "#X connect 1 0 2 0;\n"
    "#X connect 2 0 3 0;\n"
    "#X connect 2 0 3 1;\n"
    "#X connect 5 0 4 0;\n"
    "#X connect 4 0 2 1;\n";

void fillLibrary() {
    std::filesystem::create_directories(std::string(EFFECTS_DIR) + "/Tape Echo");
    testing_support::writeFile(std::string(EFFECTS_DIR) + "/Tape Echo/Tape Echo.pd", kTapeEcho);
    // Two warnings of the patch check: an external it does not bring, and a
    // default outside its range.
    addPatch(EFFECTS_DIR, "Shimmer Reverb",
             "#X text 12 40 param size float 0 1 1.8;\n#X obj 20 100 freeverb~;\n", false);
    addPatch(EFFECTS_DIR, "Granulator", "#X text 12 40 param grain int 5 500 80 ms;\n", false);
    addPatch(EFFECTS_DIR, "Bit Crusher", "", false);
    addPatch(EFFECTS_DIR, "Écho Chamber", "#X text 12 40 param decay float 0 1 0.6;\n", false);
    addPatch(EFFECTS_DIR, "Ping Pong Echo", "#X text 12 40 param time slider 1 2000 375 ms;\n",
             false);
    addPatch(EFFECTS_DIR, "Chorus 2", "", false);
    addPatch(EFFECTS_DIR, "Chorus 10", "", false);
    addPatch(INSTRUMENTS_DIR, "Acid Bass",
             "#X text 12 40 param cutoff slider 20 8000 800 Hz;\n"
             "#X text 12 60 param resonance float 0 1 0.3;\n"
             "#X text 12 80 param detune int -12 12 0;\n",
             true);
    addPatch(INSTRUMENTS_DIR, "Glass Pad", "#X text 12 40 param attack float 0 4 1.2;\n", true);
    addPatch(INSTRUMENTS_DIR, "FM Bell", "", true);
}

// Lets the window run until the condition holds, or ten seconds have passed.
bool runUntil(const std::function<bool()>& condition) {
    const QDeadlineTimer deadline(10000);
    while (!condition() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

// Selects the patch and waits until its parameters and findings show.
void selectPatch(ControllerTableView& patches, const QString& name, MainWindow& window) {
    runUntil([&] { return !window.patchLister().listing() && !window.patchChecker().checking(); });
    for (int row = 0; row < patches.model()->rowCount(); ++row) {
        if (patches.model()->index(row, 0).data().toString() == name) patches.selectRow(row);
    }
    runUntil([&] { return !window.patchReader().reading(); });
}

// The window with one of its menus open below its title in the menu bar.
QPixmap withMenu(QMainWindow& window, QMenu& menu) {
    QMenuBar& bar = *window.menuBar();
    const QPoint below = bar.mapTo(&window, bar.actionGeometry(menu.menuAction()).bottomLeft());
    menu.popup(window.mapToGlobal(below));
    QApplication::processEvents();
    QPixmap picture = window.grab();
    QPainter painter(&picture);
    painter.drawPixmap(below, menu.grab());
    menu.hide();
    return picture;
}

// Lets pending layout and paint events run first, so the picture is current.
bool save(const std::function<QPixmap()>& picture, const QDir& folder, const QString& name) {
    QApplication::processEvents();
    const QString path = folder.filePath(name);
    if (!picture().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// The window with a dialog over it, placed the way a sheet sits on it.
QPixmap withSheet(QWidget& window, QWidget& sheet) {
    QPixmap picture = window.grab();
    QPainter painter(&picture);
    painter.fillRect(picture.rect(), QColor(0, 0, 0, 60));
    const QPixmap sheetPicture = sheet.grab();
    painter.drawPixmap((picture.width() - sheetPicture.width()) / 2, 40, sheetPicture);
    return picture;
}

// A patch folder whose install copies a part of its sample and then stops
// there: the cp it runs is a stand-in that copies 12 of its 30 MiB and waits
// until it is killed (by Cancel), never reaching the real cp.
std::string slowPatch(const testing_support::ScratchDir& scratch) {
    const std::string folder = scratch.makeDir("Field Recordings");
    scratch.writeFile("Field Recordings/Field Recordings.pd", "#X obj 20 200 dac~;\n");
    std::filesystem::resize_file(scratch.writeFile("Field Recordings/Rain.wav", ""), 30 << 20);
    const std::string path = testing_support::writeStandInCp(
        scratch,
        "mkdir \"$DESTINATION\" && head -c 12582912 \"$SOURCE/Rain.wav\" "
        ">\"$DESTINATION/Rain.wav\"\nexec sleep 60");
    setenv("PATH", path.c_str(), 1);
    return folder;
}

// The main window as a German user sees it: a patch's parameters, and the
// line after a delete.
bool saveGerman(const QDir& folder) {
    installTranslations(*QCoreApplication::instance(), QLocale(QLocale::German));
    VQ_ImporterAppDelegate controller;
    const std::unique_ptr<MainWindow> window = openMainWindow(controller);
    auto& patches = *window->findChild<ControllerTableView*>("patches");
    selectPatch(patches, "Chorus 10", *window);
    controller.deletePressed();
    runUntil([&] { return !window->libraryQueue().busy() && !window->patchLister().listing(); });
    selectPatch(patches, "Tape Echo", *window);
    return save([&] { return window->grab(); }, folder, "main-effects-de.png");
}

}  // namespace

int main(int argc, char** argv) {
    testing_support::HeadlessEnvironment headless;
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    testing_support::ScratchLibrary library;
    fillLibrary();

    VQ_ImporterAppDelegate controller;
    const std::unique_ptr<MainWindow> windowOwner = openMainWindow(controller);
    MainWindow& window = *windowOwner;
    auto& patches = *window.findChild<ControllerTableView*>("patches");

    bool saved = true;
    selectPatch(patches, "Tape Echo", window);
    const auto drawn = [](const PatchDrawingPane& pane) {
        return runUntil([&] { return pane.pathText() == "Tape Echo"; });
    };
    drawn(*window.findChild<PatchDrawingPane*>("patchDrawing"));
    saved &= save([&] { return window.grab(); }, folder, "main-effects.png");
    // The drawing at the size of a larger window, and a subpatch of it.
    PatchDrawingPane drawing;
    drawing.resize(660, 440);
    drawing.show();
    drawing.showPatch(std::string(EFFECTS_DIR) + "/Tape Echo");
    drawn(drawing);
    saved &= save([&] { return drawing.grab(); }, folder, "patch-drawing.png");
    drawing.showCanvas(1);
    saved &= save([&] { return drawing.grab(); }, folder, "patch-drawing-subpatch.png");
    drawing.hide();

    selectPatch(patches, "Shimmer Reverb", window);
    saved &= save([&] { return window.grab(); }, folder, "findings.png");

    auto& search = *window.findChild<QLineEdit*>("searchField");
    search.setText("echo");
    selectPatch(patches, "Ping Pong Echo", window);
    saved &= save([&] { return window.grab(); }, folder, "search.png");
    search.setText("flanger");
    saved &= save([&] { return window.grab(); }, folder, "search-nothing-found.png");
    search.clear();

    saved &= save([&] { return withMenu(window, *window.findChild<QMenu*>("fileMenu")); }, folder,
                  "menu-file.png");

    window.findChild<QAbstractButton*>("instrumentsSegment")->click();
    selectPatch(patches, "Acid Bass", window);
    saved &= save([&] { return window.grab(); }, folder, "instruments.png");

    QMimeData dragged;
    dragged.setUrls({QUrl::fromLocalFile("/tmp/My Patch.pd")});
    QDragEnterEvent enter(QPoint(40, 40), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(patches.viewport(), &enter);
    saved &= save([&] { return window.grab(); }, folder, "drag-over.png");
    QDragLeaveEvent leave;
    QApplication::sendEvent(patches.viewport(), &leave);

    controller.alertBadDrop();
    QApplication::processEvents();
    if (auto* alert = window.findChild<QMessageBox*>()) {
        saved &= save([&] { return withSheet(window, *alert); }, folder, "alert.png");
        alert->close();
    }

    window.findChild<QAbstractButton*>("effectsSegment")->click();
    selectPatch(patches, "Bit Crusher", window);
    controller.deletePressed();
    runUntil([&] { return !window.libraryQueue().busy() && !window.patchLister().listing(); });
    saved &= save([&] { return window.grab(); }, folder, "deleted.png");
    controller.undoPressed();
    runUntil([&] { return !window.libraryQueue().busy() && !window.patchLister().listing(); });

    testing_support::ScratchDir scratch;
    selectPatch(patches, "Bit Crusher", window);
    controller.exportSelectedPatches(scratch.path("Bit Crusher.zip"));
    runUntil([&] { return !window.libraryQueue().busy(); });
    saved &= save([&] { return window.grab(); }, folder, "exported.png");

    const std::string path = std::getenv("PATH");
    window.installPaths({QString::fromStdString(slowPatch(scratch))});
    window.installPaths({QString::fromStdString(scratch.writeFile("Lead.pd", "notein\n")),
                         QString::fromStdString(scratch.writeFile("Pluck.pd", "notein\n"))});
    window.installPaths({QString::fromStdString(scratch.writeFile("Sub Bass.pd", "notein\n"))});
    auto& bytes = *window.findChild<QLabel*>("progressBytes");
    if (runUntil([&] { return bytes.isVisible() && !bytes.text().startsWith("0 "); }))
        saved &= save([&] { return window.grab(); }, folder, "install-progress.png");
    window.findChild<QPushButton*>("cancelButton")->click();
    runUntil([&] { return !window.libraryQueue().busy() && !window.patchLister().listing(); });
    setenv("PATH", path.c_str(), 1);

    std::filesystem::remove_all(INSTRUMENTS_DIR);
    std::filesystem::create_directory(INSTRUMENTS_DIR);
    controller.libraryChanged();
    saved &= save([&] { return window.grab(); }, folder, "empty.png");

    controller.helpPressed();
    saved &= save([&] { return window.helpPanel().grab(); }, folder, "help.png");
    saved &= saveGerman(folder);
    return saved ? 0 : 1;
}
