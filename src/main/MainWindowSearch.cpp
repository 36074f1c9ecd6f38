// The search tab: finding addresses and names that contain a text, and the history of
// search texts offered in the drop-down.
#include "main/MainWindow.h"

#include "data/SharedConnection.h"
#include "services/SearchService.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>

namespace {

// "开始查询" is the search tab's default button: Enter presses it wherever the focus is on
// the tab, the button itself included. The window is no dialog, so QPushButton's own
// default handling does not apply. Installed on the tab, the filter sees the Enter keys
// that the focused widget passed on (a line edit, a label, a button that is not a
// default button all do); the search box is watched itself, since it would take them.
class EnterPressesButton : public QObject
{
public:
    EnterPressesButton(QPushButton *button, QObject *parent) : QObject(parent), m_button(button) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        Q_UNUSED(watched);
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        if (key->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier))
            return false;
        m_button->click();
        return true;
    }

private:
    QPushButton *m_button;
};

} // namespace

void MainWindow::connectSearchTab()
{
    connect(searchButton, &QPushButton::clicked, this, &MainWindow::searchFromBox);
    // Insert policy NoInsert: the box never takes the typed text as an item of its own.
    auto *enter = new EnterPressesButton(searchButton, searchTab);
    searchTab->installEventFilter(enter);
    searchBox->installEventFilter(enter);
}

void MainWindow::searchFromBox()
{
    runSearch(searchBox->currentText());
    loadSearchHistory();
}

void MainWindow::onTabChanged(int index)
{
    if (index == 1)
        loadSearchHistory();
}

// The result replaces the list; the current group, the current address and the tree's
// selection stay as they were. A failed search remembers nothing; a text that cannot be
// remembered leaves the result as it is and says nothing.
void MainWindow::runSearch(const QString &text)
{
    showOutcome(SearchService::searchListed(m_sharedConnection.connection(), text,
                                            [this](const AddressFilter &filter) { return loadRows(filter); }));
}

// Newest first. A failure is not reported; the typed text is put back in any case.
void MainWindow::loadSearchHistory()
{
    const QString typed = searchBox->currentText();
    searchBox->clear();
    searchBox->addItems(SearchService::loadHistory(m_sharedConnection.connection()).entries);
    searchBox->setEditText(typed);
    searchBox->setFocus();
}
