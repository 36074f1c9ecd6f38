#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QTest>

// Input as the user gives it, for tests of the windows: commands are chosen by clicks on
// what the window shows, never by calling their handlers.

// Chooses an item of an open popup menu the way the user does: a left click on the
// item's place in the menu. Gives false, with the reason as a warning, when the user could
// not choose it (the menu is closed, the item hidden or disabled); then nothing ran.
// An item whose command opens a modal window returns when that window has closed: start
// what works in the window from a single-shot timer before choosing.
[[nodiscard]] inline bool chooseMenuItem(QMenu *menu, QAction *item)
{
    if (!menu->isVisible()) {
        qWarning("the menu is not open");
        return false;
    }
    const QRect place = menu->actionGeometry(item);
    if (!item->isVisible() || !item->isEnabled() || !menu->actions().contains(item) || place.isEmpty()) {
        qWarning("the menu does not offer \"%s\"", qPrintable(item->text()));
        return false;
    }
    // No move first: QTest::mouseMove runs pending events, and with them the timer meant
    // for a window that the item opens.
    QTest::mouseClick(menu, Qt::LeftButton, {}, place.center());
    return true;
}

// A left click on a button of a shown window. Gives false, with the reason as a warning,
// when the user could not click it (hidden or disabled); then nothing ran.
[[nodiscard]] inline bool clickButton(QAbstractButton *button)
{
    if (!button->isVisible() || !button->isEnabled()) {
        qWarning("\"%s\" can't be clicked", qPrintable(button->objectName()));
        return false;
    }
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}
