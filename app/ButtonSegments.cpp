#include "app/ButtonSegments.h"

ButtonSegments::ButtonSegments(QButtonGroup& group, const std::vector<QAbstractButton*>& segments)
    : group_(group) {
    group_.setExclusive(true);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        group_.removeButton(segments[i]);
        group_.addButton(segments[i], static_cast<int>(i));
    }
}

int ButtonSegments::selectedSegment() const {
    return group_.checkedId();
}

void ButtonSegments::setSelectedSegment(int segment) {
    if (QAbstractButton* button = group_.button(segment)) button->setChecked(true);
}
