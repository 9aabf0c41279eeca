#pragma once

// Takes drags of files anywhere on the window, not only over the patches
// table: over the window's other parts, and over a text field that would
// otherwise take the files' names as text. They go to the controller as
// drops on the patches table, which shows its drop frame meanwhile.

#include <QObject>

class ControllerTableView;
class QWidget;
class VQ_ImporterAppDelegate;

class WindowDropTarget : public QObject {
    Q_OBJECT
public:
    WindowDropTarget(VQ_ImporterAppDelegate& controller, ControllerTableView& patches,
                     QObject* parent = nullptr);
    // Takes the drags of files over the widget (and over the children that
    // take no drops themselves).
    void watch(QWidget& widget);

signals:
    // As ControllerTableView's.
    void moveOnlyDragRefused();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    VQ_ImporterAppDelegate& controller_;
    ControllerTableView& patches_;
};
