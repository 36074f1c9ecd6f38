#include "main/SearchPane.h"

#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <limits>

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

// Three lines of text and a separating line across the top, then the search box and its
// button at fixed places that stretch with the tab's width.
SearchPane::SearchPane(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("searchTab"));
    auto *top = new QVBoxLayout(this);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    m_spaceAbove = new QLabel(this);
    m_spaceAbove->setObjectName(QStringLiteral("searchSpaceAbove"));
    m_promptLabel = new QLabel(tr("查询内容："), this);
    m_promptLabel->setObjectName(QStringLiteral("searchPromptLabel"));
    m_spaceBelow = new QLabel(this);
    m_spaceBelow->setObjectName(QStringLiteral("searchSpaceBelow"));
    for (QLabel *label : {m_spaceAbove, m_promptLabel, m_spaceBelow}) {
        label->setFixedHeight(13);
        top->addWidget(label);
    }
    m_rule = new QFrame(this);
    m_rule->setObjectName(QStringLiteral("searchRule"));
    m_rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    m_rule->setFixedHeight(3);
    top->addWidget(m_rule);
    top->addStretch(1);

    m_searchBox = new QComboBox(this);
    m_searchBox->setObjectName(QStringLiteral("searchBox"));
    m_searchBox->setEditable(true);
    m_searchBox->setInsertPolicy(QComboBox::NoInsert);
    // What is typed is what is searched: no inline completion from the history (Enter
    // would search the completed text). The drop-down still lists the history.
    m_searchBox->setCompleter(nullptr);
    // A line edit cuts at 32,767 characters by default; a pasted text is taken whole.
    m_searchBox->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
    m_searchBox->setMaxVisibleItems(20);
    m_searchBox->setFrame(false);
    m_searchButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), tr("开始查询"), this);
    m_searchButton->setObjectName(QStringLiteral("searchButton"));
    arrange();

    // Insert policy NoInsert: the box never takes the typed text as an item of its own.
    connect(m_searchButton, &QPushButton::clicked, this,
            [this] { Q_EMIT searchRequested(m_searchBox->currentText()); });
    auto *enter = new EnterPressesButton(m_searchButton, this);
    installEventFilter(enter);
    m_searchBox->installEventFilter(enter);
}

void SearchPane::showHistory(const QStringList &entries)
{
    const QString typed = m_searchBox->currentText();
    m_searchBox->clear();
    m_searchBox->addItems(entries);
    m_searchBox->setEditText(typed);
    m_searchBox->setFocus();
}

void SearchPane::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    arrange();
}

void SearchPane::arrange()
{
    // Design places: the box at (0, 43), 147 × 22, and the button at (2, 71), 144 × 25, in a
    // tab 151 pixels wide; both keep their right margins when the tab changes width.
    constexpr int designTabWidth = 151;
    const int tabWidth = width() > 1 ? width() : designTabWidth;
    m_searchBox->setGeometry(0, 43, qMax(0, 147 + tabWidth - designTabWidth), 22);
    m_searchButton->setGeometry(2, 71, qMax(0, 144 + tabWidth - designTabWidth), 25);
}
