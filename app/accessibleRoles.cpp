#include "app/accessibleRoles.h"

#include <QAccessibleWidget>
#include <QWidget>

void setAccessibleRole(QWidget& widget, QAccessible::Role role) {
    // Registered before anyone asks, it is what Qt answers for the widget
    // (and deletes with it), ahead of what Qt's own factory would make.
    QAccessible::registerAccessibleInterface(new QAccessibleWidget(&widget, role));
}

void announceStatus(QWidget& widget, const QString& status) {
    // Qt tells screen readers of the new name itself; a status line already
    // shown is told as shown again, which screen readers read out.
    widget.setAccessibleName(status);
    QAccessibleEvent shown(&widget, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}
