// The search tab of the main window's left pane: three lines of text, a rule, the search
// box (its drop-down holds the search history) and "开始查询". Enter anywhere on the tab
// presses the button; the pane asks for the search, the window runs it.
#pragma once

#include <QWidget>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

class SearchPane : public QWidget
{
    Q_OBJECT

public:
    explicit SearchPane(QWidget *parent = nullptr);

    QLabel *promptLabel() const { return m_promptLabel; }
    QComboBox *searchBox() const { return m_searchBox; }
    QPushButton *searchButton() const { return m_searchButton; }

    // The drop-down's entries anew, newest first; the typed text stays and the box takes
    // the keyboard.
    void showHistory(const QStringList &entries);

Q_SIGNALS:
    // "开始查询" was pressed with the box's text.
    void searchRequested(const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void arrange();

    QLabel *m_spaceAbove = nullptr;
    QLabel *m_promptLabel = nullptr;
    QLabel *m_spaceBelow = nullptr;
    QFrame *m_rule = nullptr;
    QComboBox *m_searchBox = nullptr;
    QPushButton *m_searchButton = nullptr;
};
