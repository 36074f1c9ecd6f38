// The search tab: finding addresses and names that contain a text, and the history of
// search texts offered in the drop-down.
#include "main/FrmMain.h"

#include "data/DataModule.h"
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

void TFrmMain::connectSearchTab()
{
    connect(BitBtn1, &QPushButton::clicked, this, &TFrmMain::BitBtn1Click);
    // Insert policy NoInsert: the box never takes the typed text as an item of its own.
    auto *enter = new EnterPressesButton(BitBtn1, TabSheet2);
    TabSheet2->installEventFilter(enter);
    Cbo1->installEventFilter(enter);
}

void TFrmMain::BitBtn1Click()
{
    P_Search(Cbo1->currentText());
    P_LoadHistory();
}

void TFrmMain::PageControl1Change(int index)
{
    if (index == 1)
        P_LoadHistory();
}

// The result replaces the list; the current group, the current address and the tree's
// selection stay as they were. A failed search remembers nothing; a text that cannot be
// remembered leaves the result as it is and says nothing.
void TFrmMain::P_Search(const QString &text)
{
    showOutcome(SearchService::searchListed(m_dm1.connection(), text,
                                            [this](const AddressFilter &filter) { return P_AddRows(filter); }));
}

// Newest first. A failure is not reported; the typed text is put back in any case.
void TFrmMain::P_LoadHistory()
{
    const QString typed = Cbo1->currentText();
    Cbo1->clear();
    Cbo1->addItems(SearchService::loadHistory(m_dm1.connection()).entries);
    Cbo1->setEditText(typed);
    Cbo1->setFocus();
}
