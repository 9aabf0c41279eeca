#pragma once

// One segment of the type selector: drawn as a push button of a row of them,
// but a radio button to the keyboard and to screen readers, so that the
// selector is one choice among its segments (one Tab stop; the arrow keys
// choose).

#include <QRadioButton>
#include <QStyleOptionButton>

class SegmentButton : public QRadioButton {
    Q_OBJECT
public:
    explicit SegmentButton(QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    // The whole segment takes clicks, not only a radio button's mark and text.
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    QStyleOptionButton pushButtonOption() const;
};
