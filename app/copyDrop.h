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
