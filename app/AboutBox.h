#pragma once

// Help > About: the program's version and license, the library folder it
// installs into and the trash its deletes go to.

class QWidget;

// Opens the box over the window without waiting for it.
void openAboutBox(QWidget& window);
