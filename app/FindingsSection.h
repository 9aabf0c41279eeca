#pragma once

// The section of the parameters pane that lists what the patch check found
// in the selected patch: each finding's severity as the style's message
// icon, its sentence, and where it was found in its tooltip. Hidden while it
// lists nothing; a long list scrolls rather than crowding the parameters.

#include <QWidget>

#include "app/views.h"

class QScrollArea;
class QVBoxLayout;

class FindingsSection : public QWidget, public views::FindingList {
    Q_OBJECT
public:
    explicit FindingsSection(QWidget* parent = nullptr);

    void showFindings(const std::vector<views::ListedFinding>& findings) override;

private:
    QScrollArea* scrollArea_;
    QWidget* rows_;
    QVBoxLayout* rowsLayout_;
};
