#include "app/MimeDraggingInfo.h"

#include <QUrl>

#include "app/percentDecode.h"

std::vector<std::string> PathPasteboardItem::types() const {
    return {views::kFilenamesPboardType};
}

std::string PathPasteboardItem::stringForType(const std::string& type) const {
    if (type != views::kFilenamesPboardType) return "";
    return path_;
}

MimeDraggingInfo::MimeDraggingInfo(const QMimeData* mimeData) : hasItemList_(mimeData != nullptr) {
    if (!mimeData) return;
    // Encoded, every byte of a name survives as an escape.
    for (const QUrl& url : mimeData->urls())
        items_.emplace_back(localPathOf(url.toEncoded().toStdString()));
}

std::optional<std::vector<const views::PasteboardItem*>> MimeDraggingInfo::pasteboardItems() const {
    if (!hasItemList_) return std::nullopt;
    std::vector<const views::PasteboardItem*> items;
    for (const PathPasteboardItem& item : items_) items.push_back(&item);
    return items;
}
