#pragma once

// A segmented control made of checkable buttons in an exclusive group: the
// segments are numbered in the order the buttons are given.

#include <QAbstractButton>
#include <QButtonGroup>
#include <vector>

#include "app/views.h"

class ButtonSegments : public views::SegmentedControl {
public:
    ButtonSegments(QButtonGroup& group, const std::vector<QAbstractButton*>& segments);

    // -1 while no segment is selected.
    int selectedSegment() const override;
    // Checks the segment's button; only a click by the user sends the action.
    void setSelectedSegment(int segment) override;

private:
    QButtonGroup& group_;
};
