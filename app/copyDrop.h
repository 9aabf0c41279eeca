#pragma once

// The importer copies what is dropped, so it answers every drag as a copy: a
// drag answered as a move lets its source delete the originals, even when
// the install failed. A source that allows no copy is refused.

#include <QDropEvent>

inline bool answersAsCopy(QDropEvent* event) {
    if (!(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    return true;
}

// Patches dragged out of the list and dropped back on the window would only
// be installed over themselves: a drag that started in this program is refused.
inline bool refusedAsOwn(QDropEvent* event) {
    if (!event->source()) return false;
    event->ignore();
    return true;
}
