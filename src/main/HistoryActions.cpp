#include "main/HistoryActions.h"

#include "data/SharedConnection.h"
#include "services/HistoryCommands.h"
#include "services/Outcome.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

namespace {

// The menu's history items; shown only while the menu is open, so that a menu with no
// other item visible (the favourites node's) still does not open.
struct HistoryItems
{
    QAction *separator;
    QAction *undo;
    QAction *redo;

    void show(bool shown) const
    {
        for (QAction *item : {separator, undo, redo})
            item->setVisible(shown);
    }
};

QString itemText(const QString &verb, const QString &label)
{
    return label.isEmpty() ? verb : verb + QLatin1Char(' ') + label;
}

} // namespace

HistoryActions::HistoryActions(SharedConnection &sharedConnection, QWidget *window, const QList<QMenu *> &menus,
                               std::function<bool(const Outcome &)> showOutcome, std::function<void()> reload)
    : QObject(window), m_sharedConnection(sharedConnection), m_showOutcome(std::move(showOutcome)),
      m_reload(std::move(reload))
{
    auto *undo = new QAction(tr("撤销"), window);
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    auto *redo = new QAction(tr("重做"), window);
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    for (QAction *action : {undo, redo}) {
        action->setShortcutContext(Qt::WindowShortcut);
        window->addAction(action);
    }
    connect(undo, &QAction::triggered, this, &HistoryActions::undoLastStep);
    connect(redo, &QAction::triggered, this, &HistoryActions::redoLastStep);
    for (QMenu *menu : menus)
        addItemsTo(menu);
}

void HistoryActions::addItemsTo(QMenu *menu)
{
    const HistoryItems items{menu->addSeparator(), menu->addAction(tr("撤销")), menu->addAction(tr("重做"))};
    items.undo->setObjectName(QStringLiteral("%1Undo").arg(menu->objectName()));
    items.redo->setObjectName(QStringLiteral("%1Redo").arg(menu->objectName()));
    items.show(false);
    connect(items.undo, &QAction::triggered, this, &HistoryActions::undoLastStep);
    connect(items.redo, &QAction::triggered, this, &HistoryActions::redoLastStep);
    connect(menu, &QMenu::aboutToShow, this, [this, items] {
        const LibraryHistory &history = m_sharedConnection.history();
        items.undo->setText(itemText(tr("撤销"), history.undoLabel()));
        items.undo->setEnabled(history.canUndo());
        items.redo->setText(itemText(tr("重做"), history.redoLabel()));
        items.redo->setEnabled(history.canRedo());
        items.show(true);
    });
    // Hidden after the chosen item has done its work.
    connect(menu, &QMenu::aboutToHide, this,
            [this, items] { QTimer::singleShot(0, this, [items] { items.show(false); }); });
}

void HistoryActions::afterStep(const Outcome &outcome)
{
    if (m_showOutcome(outcome))
        m_reload();
}

void HistoryActions::undoLastStep()
{
    if (m_sharedConnection.history().canUndo())
        afterStep(HistoryCommands::undo(m_sharedConnection.history(), m_sharedConnection.connection()));
}

void HistoryActions::redoLastStep()
{
    if (m_sharedConnection.history().canRedo())
        afterStep(HistoryCommands::redo(m_sharedConnection.history(), m_sharedConnection.connection()));
}
