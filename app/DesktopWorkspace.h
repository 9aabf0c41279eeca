#pragma once

// The desktop as the controller sees it: files open with the program the
// desktop has for their type (Pd for patches, through xdg-open), the file
// manager shows folders through its freedesktop.org D-Bus interface, and
// text goes on the clipboard.

#include <QObject>

#include "app/views.h"

class DesktopWorkspace : public QObject, public views::Workspace {
    Q_OBJECT
public:
    explicit DesktopWorkspace(QObject* parent = nullptr);

    std::string openFile(const std::string& path) override;
    // Asks the file manager to show them selected; where no file manager
    // answers, the folder that holds the first opens instead.
    void selectFiles(const std::vector<std::string>& paths) override;
    void copyText(const std::string& text) override;
};
