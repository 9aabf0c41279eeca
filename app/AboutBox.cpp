#include "app/AboutBox.h"

#include <QCoreApplication>
#include <QFile>
#include <QMessageBox>

#include "fsutil/trash.h"
#include "library/VQAUUtils.h"

namespace {
QString escaped(const std::string& path) {
    return QString::fromUtf8(path).toHtmlEscaped();
}
}  // namespace

void openAboutBox(QWidget& window) {
    auto* box = new QMessageBox(&window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->setObjectName("aboutBox");
    box->setWindowTitle(QCoreApplication::translate("AboutBox", "About Veltrano Importer"));
    box->setIconPixmap(window.windowIcon().pixmap(64));
    const std::string trash = trashFolderFor(BASE_DIR);
    box->setText(
        QCoreApplication::translate("AboutBox",
                                    "<h3>Veltrano Importer %1</h3>"
                                    "<p>Installs Pure Data patches for the audio host.</p>")
            .arg(VELTRANO_VERSION));
    box->setInformativeText(
        QCoreApplication::translate(
            "AboutBox",
            "<p>Free software under the MIT License.</p>"
            "<p>Library folder:<br><tt>%1</tt></p><p>Trash:<br><tt>%2</tt></p>")
            .arg(escaped(BASE_DIR), trash.empty()
                                        ? QCoreApplication::translate("AboutBox", "none found")
                                        : escaped(trash)));
    QFile license(":/about/LICENSE");
    if (license.open(QIODevice::ReadOnly))
        box->setDetailedText(QString::fromUtf8(license.readAll()));
    box->setStandardButtons(QMessageBox::Close);
    box->open();
}
