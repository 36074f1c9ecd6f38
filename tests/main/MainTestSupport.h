#pragma once

#include "controls/ReportRows.h"
#include "controls/AddressListView.h"
#include "data/AddressStore.h"
#include "data/SharedConnection.h"
#include "data/GroupStore.h"
#include "editor/AddressEditor.h"
#include "main/MainWindow.h"
#include "platform/Dialogs.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QSqlQuery>
#include <QTest>
#include <QVariant>

#include <memory>

// A real database in the test's temporary data folder, emptied before each test, and a
// main window opened over it. Message boxes are recorded instead of shown, and closing
// the window does not end the test program.
class MainFixture
{
public:
    MainFixture()
    {
        Dialogs::startRecording();
        QApplication::setQuitOnLastWindowClosed(false);
        sharedConnection.init();
    }

    void reset()
    {
        window.reset();
        other().execute(QStringLiteral("DROP TRIGGER IF EXISTS refuse"));
        db().execute(QStringLiteral("DELETE FROM address"));
        db().execute(QStringLiteral("DELETE FROM BaseGroup"));
        db().execute(QStringLiteral("DELETE FROM LinkCheck"));
        db().execute(QStringLiteral("DELETE FROM SiteIcon"));
        db().execute(QStringLiteral("DELETE FROM RecycleBin"));
        Dialogs::clearRecorded();
    }

    DbConnection &db() { return sharedConnection.connection(); }

    int group(const QString &name)
    {
        if (const auto number = GroupStore::groupNoOf(db(), name))
            return *number;
        const int number = GroupStore::nextGroupNo(db());
        db().execute(QStringLiteral("INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (?, ?)"), {number, name});
        return number;
    }

    void add(const QString &address, const QString &name, const QString &groupName, int times = 0,
             const QString &viewTime = QStringLiteral("2024-03-05"), bool favourite = false)
    {
        db().execute(QStringLiteral("INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, MyAddress, "
                                    "AddressFolded, AddressNameFolded) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                     {address, name, times, viewTime, group(groupName), favourite ? 1 : 0,
                      AddressStore::folded(address), AddressStore::folded(name)});
    }

    int timesOf(const QString &address, const QString &groupName)
    {
        QSqlQuery query = db().query(QStringLiteral("SELECT Times FROM address WHERE Address = ? AND GroupNo = ?"),
                                     {address, group(groupName)});
        return query.next() ? query.value(0).toInt() : -1;
    }

    MainWindow &open()
    {
        window = std::make_unique<MainWindow>(sharedConnection);
        return *window;
    }

    MainWindow &openShown()
    {
        MainWindow &w = open();
        w.show();
        if (!QTest::qWaitForWindowExposed(&w))
            qFatal("main window not shown");
        return w;
    }

    // A second connection to the same file, as another program would have; the tests
    // make statements fail through it with a trigger named "refuse".
    DbConnection &other()
    {
        if (!m_other) {
            m_other = std::make_unique<DbConnection>(QStringLiteral("other"));
            configureConnection(*m_other);
        }
        return *m_other;
    }

    // Exactly one message box was shown, with this text and caption and an OK button.
    static void expectOnlyBox(const QString &text, const QString &caption)
    {
        QCOMPARE(Dialogs::recorded().size(), 1);
        QCOMPARE(Dialogs::recorded().first().text, text);
        QCOMPARE(Dialogs::recorded().first().caption, caption);
        QCOMPARE(Dialogs::recorded().first().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        Dialogs::clearRecorded();
    }

    // Column 0 of every row, top to bottom.
    QStringList captions() const { return column(0); }
    QStringList column(int index) const { return columnOf(*window, index); }
    static QStringList columnOf(MainWindow &w, int index)
    {
        QStringList texts;
        const QAbstractItemModel *rows = w.addressListPane()->view()->model();
        for (int row = 0; row < rows->rowCount(); ++row)
            texts << rows->index(row, index).data().toString();
        return texts;
    }
    // A listed row's text in one column, and the index of its picture.
    static QString cellText(MainWindow &w, int row, int column)
    {
        return w.addressListPane()->view()->model()->index(row, column).data().toString();
    }
    static int imageOf(MainWindow &w, int row)
    {
        const QVariant image = w.addressListPane()->view()->model()->index(row, 0).data(ReportRows::ImageIndexRole);
        return image.isValid() ? image.toInt() : -1;
    }

    SharedConnection sharedConnection;
    std::unique_ptr<MainWindow> window;

private:
    std::unique_ptr<DbConnection> m_other;
};
