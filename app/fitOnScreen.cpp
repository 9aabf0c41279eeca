#include "app/fitOnScreen.h"

#include <QScreen>
#include <QWidget>

namespace {
// Room for the frame the window manager adds, unknown until the window shows.
const QSize kFrameAllowance(16, 48);
}  // namespace

void fitOnScreen(QWidget& window) {
    // A place restored from another screen Qt moves onto this one itself.
    const QSize room = window.screen()->availableGeometry().size() - kFrameAllowance;
    window.setMinimumSize(window.minimumSize().boundedTo(room));
    window.resize(window.size().boundedTo(room));
}
