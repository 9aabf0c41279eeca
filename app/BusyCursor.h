#pragma once

#include <QApplication>
#include <QCursor>

// Shows the busy cursor over the whole application for as long as it lives;
// installs and deletes run synchronously and freeze the window meanwhile.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
