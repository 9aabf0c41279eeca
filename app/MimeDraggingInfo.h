#pragma once

// What a Qt drag carries, seen as the controller's drag info: one pasteboard
// item per dragged URL, offering the URL in its encoded form as a file name.

#include <QByteArray>
#include <QMimeData>
#include <vector>

#include "app/views.h"

class UrlPasteboardItem : public views::PasteboardItem {
public:
    explicit UrlPasteboardItem(QByteArray encodedUrl) : encodedUrl_(std::move(encodedUrl)) {}
    std::vector<std::string> types() const override;
    std::string stringForType(const std::string& type) const override;

private:
    QByteArray encodedUrl_;
};

class MimeDraggingInfo : public views::DraggingInfo {
public:
    // A null mime data stands for a drag without an item list.
    explicit MimeDraggingInfo(const QMimeData* mimeData);
    std::optional<std::vector<const views::PasteboardItem*>> pasteboardItems() const override;

private:
    bool hasItemList_;
    std::vector<UrlPasteboardItem> items_;
};
