#include "app/SegmentButton.h"

#include <QStylePainter>

SegmentButton::SegmentButton(QWidget* parent) : QRadioButton(parent) {}

QStyleOptionButton SegmentButton::pushButtonOption() const {
    QStyleOptionButton option;
    option.initFrom(this);
    option.text = text();
    option.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    if (isChecked()) option.state |= QStyle::State_On;
    return option;
}

QSize SegmentButton::sizeHint() const {
    const QStyleOptionButton option = pushButtonOption();
    const QSize textSize = fontMetrics().size(Qt::TextShowMnemonic, text());
    return style()->sizeFromContents(QStyle::CT_PushButton, &option, textSize, this);
}

void SegmentButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    painter.drawControl(QStyle::CE_PushButton, pushButtonOption());
}
