#include "app/WindowDropTarget.h"

#include <QDropEvent>
#include <QWidget>

#include "app/ControllerTableView.h"
#include "app/MimeDraggingInfo.h"
#include "app/VQ_ImporterAppDelegate.h"
#include "app/copyDrop.h"

WindowDropTarget::WindowDropTarget(VQ_ImporterAppDelegate& controller, ControllerTableView& patches,
                                   QObject* parent)
    : QObject(parent), controller_(controller), patches_(patches) {}

void WindowDropTarget::watch(QWidget& widget) {
    widget.setAcceptDrops(true);
    widget.installEventFilter(this);
}

bool WindowDropTarget::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::DragLeave) {
        patches_.showDropTarget(false);
        return false;
    }
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto* drag = static_cast<QDropEvent*>(event);
    // Text dragged into a text field stays the field's.
    if (!drag->mimeData()->hasUrls()) return false;
    if (refusedAsOwn(drag)) return true;
    if (!answersAsCopy(drag)) {
        if (type == QEvent::DragEnter) emit moveOnlyDragRefused();
        return true;
    }
    const MimeDraggingInfo info(drag->mimeData());
    // No row is proposed: the drop lands on the table as a whole.
    if (type == QEvent::Drop) {
        patches_.showDropTarget(false);
        drag->setAccepted(controller_.tableViewAcceptDropRowDropOperation(
            &patches_, info, -1, views::DropOperation::on));
        return true;
    }
    const bool accepted =
        controller_.tableViewValidateDropProposedRowProposedDropOperation(
            &patches_, info, -1, views::DropOperation::on) != views::DragOperation::none;
    drag->setAccepted(accepted);
    patches_.showDropTarget(accepted);
    return true;
}
