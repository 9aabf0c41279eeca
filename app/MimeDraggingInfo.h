#pragma once

// What a Qt drag carries, seen as the controller's drag info: one pasteboard
// item per dragged URL, offering the local path it stands for.

#include <QMimeData>
#include <string>
#include <vector>

#include "app/views.h"

class PathPasteboardItem : public views::PasteboardItem {
public:
    explicit PathPasteboardItem(std::string path) : path_(std::move(path)) {}
    std::vector<std::string> types() const override;
    std::string stringForType(const std::string& type) const override;

private:
    std::string path_;
};

class MimeDraggingInfo : public views::DraggingInfo {
public:
    // A null mime data stands for a drag without an item list.
    explicit MimeDraggingInfo(const QMimeData* mimeData);
    std::optional<std::vector<const views::PasteboardItem*>> pasteboardItems() const override;

private:
    bool hasItemList_;
    std::vector<PathPasteboardItem> items_;
};
