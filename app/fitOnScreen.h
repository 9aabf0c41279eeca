#pragma once

// A window laid out for an ordinary screen can be larger than a small one,
// or than any screen at a large scale factor (QT_SCALE_FACTOR=2 halves the
// room): fitted, it is no larger than its screen's free area, title bar and
// all, and its minimum size is no larger either.

class QWidget;

void fitOnScreen(QWidget& window);
