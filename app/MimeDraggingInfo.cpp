#include "app/MimeDraggingInfo.h"

#include <QUrl>

std::vector<std::string> UrlPasteboardItem::types() const {
    return {views::kFilenamesPboardType};
}

std::string UrlPasteboardItem::stringForType(const std::string& type) const {
    if (type != views::kFilenamesPboardType) return "";
    return encodedUrl_.toStdString();
}

MimeDraggingInfo::MimeDraggingInfo(const QMimeData* mimeData) : hasItemList_(mimeData != nullptr) {
    if (!mimeData) return;
    for (const QUrl& url : mimeData->urls()) items_.emplace_back(url.toEncoded());
}

std::optional<std::vector<const views::PasteboardItem*>> MimeDraggingInfo::pasteboardItems() const {
    if (!hasItemList_) return std::nullopt;
    std::vector<const views::PasteboardItem*> items;
    for (const UrlPasteboardItem& item : items_) items.push_back(&item);
    return items;
}
