#pragma once

// A text that ends in a neutral character, such as "Add…", takes the
// layout's direction at its end: a right-to-left layout shows it as "…Add".
// In a right-to-left layout a left-to-right mark after a left-to-right text
// keeps its end where it belongs; anywhere else nothing changes.

#include <QString>

class QWidget;

QString withEndInPlace(const QString& text);
// The same for the texts of the window's buttons and menu items.
void putTextEndsInPlace(QWidget& window);
