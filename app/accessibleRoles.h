#pragma once

// What a screen reader is told about widgets whose Qt class says too little:
// a plain widget that groups controls, the line under the list that says
// what just happened.

#include <QAccessible>
#include <QString>

class QWidget;

// Presents the widget with that role from now on; call it before anything
// asked about the widget, such as showing it.
void setAccessibleRole(QWidget& widget, QAccessible::Role role);

// Names the widget after the status it shows and tells screen readers that
// it shows it, also when it was shown already with another status.
void announceStatus(QWidget& widget, const QString& status);
