// Undo and redo of the session's commands in the main window: Ctrl+Z; Ctrl+Y or
// Ctrl+Shift+Z; and the items "撤销 …" and "重做 …" at the end of the popup menus, named
// after the step they take back or do again.
#pragma once

#include <QObject>

#include <functional>

class QMenu;
class QWidget;
class SharedConnection;
struct Outcome;

class HistoryActions : public QObject
{
    Q_OBJECT

public:
    // The keys are taken in `window`; each menu gets the two items. showOutcome tells the
    // user why a step was not taken and gives true when it was; reload shows the library
    // anew after it.
    HistoryActions(SharedConnection &sharedConnection, QWidget *window, const QList<QMenu *> &menus,
                   std::function<bool(const Outcome &)> showOutcome, std::function<void()> reload);

    // The session's newest step taken back or done again, then every view reloaded.
    void undoLastStep();
    void redoLastStep();

private:
    void addItemsTo(QMenu *menu);
    void afterStep(const Outcome &outcome);

    SharedConnection &m_sharedConnection;
    std::function<bool(const Outcome &)> m_showOutcome;
    std::function<void()> m_reload;
};
