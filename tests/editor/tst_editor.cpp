#include "TestEnv.h"

#include "data/SharedConnection.h"
#include "data/DbConnection.h"
#include "data/GroupStore.h"
#include "data/SettingsStore.h"
#include "editor/AddressEditor.h"
#include "data/TrimUrl.h"
#include "platform/Dialogs.h"

#include <QDate>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <functional>

namespace {

struct StoredRow
{
    QString address;
    QString name;
    int times = -1;
    QString viewTime;
    int groupNo = -1;
};

QString lastText()
{
    return Dialogs::recorded().isEmpty() ? QString() : Dialogs::recorded().last().text;
}

QString lastCaption()
{
    return Dialogs::recorded().isEmpty() ? QString() : Dialogs::recorded().last().caption;
}

// Runs `steps` once the editor's modal loop is running, then closes the editor if the
// steps left it open, so that a failed check never leaves the test waiting.
void whileOpen(AddressEditor &editor, std::function<void()> steps)
{
    QTimer::singleShot(0, &editor, [&editor, steps = std::move(steps)] {
        if (QTest::qWaitForWindowActive(&editor))
            steps();
        else
            QTest::qFail("the editor did not become active", __FILE__, __LINE__);
        if (editor.isVisible())
            editor.close();
    });
}

// Types like a user, one key per character (also for characters outside Latin-1, which
// QTest::keyClicks cannot send).
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

} // namespace

class TestEditor : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DbConnection> m_db;

    void resetTables(const QStringList &groups)
    {
        m_db->execute(QStringLiteral("DELETE FROM address"));
        m_db->execute(QStringLiteral("DELETE FROM BaseGroup"));
        int no = 0;
        for (const QString &name : groups)
            m_db->execute(QStringLiteral("INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (?, ?)"), {++no, name});
    }

    void addRow(const QString &address, const QString &name, int times, const QString &viewTime, int groupNo)
    {
        m_db->execute(QStringLiteral("INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo) "
                                     "VALUES (?, ?, ?, ?, ?)"),
                      {address, name, times, viewTime, groupNo});
    }

    int firstListedGroupNo()
    {
        return GroupStore::groupNoOf(*m_db, GroupStore::groupNames(*m_db).value(0)).value_or(-1);
    }

    QList<StoredRow> rows()
    {
        QList<StoredRow> result;
        QSqlQuery query = m_db->query(
            QStringLiteral("SELECT Address, AddressName, Times, ViewTime, GroupNo FROM address ORDER BY rowid"));
        while (query.next())
            result.append({query.value(0).toString(), query.value(1).toString(), query.value(2).toInt(),
                           query.value(3).toString(), query.value(4).toInt()});
        return result;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<DbConnection>(QStringLiteral("test"));
        configureConnection(*m_db);
        m_db->open();
        Dialogs::startRecording();
    }

    void init()
    {
        Dialogs::clearRecorded();
        resetTables({QStringLiteral("IE收藏夹"), QStringLiteral("新闻"), QStringLiteral("工作")});
    }

    void trimUrl_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("host and path") << "http://www.x.com/a/b/"
                                       << "www.x.com/a/b";
        QTest::newRow("capital prefix") << "HTTP://www.x.com"
                                        << "www.x.com";
        QTest::newRow("secure scheme") << "https://www.x.com/"
                                       << "https://www.x.com";
        QTest::newRow("mixed case kept") << "Http://www.x.com"
                                         << "Http://www.x.com";
        QTest::newRow("scheme only") << "http://"
                                     << "";
        QTest::newRow("shorter than prefix") << "http:/"
                                             << "";
        QTest::newRow("any two after colon") << "http:abwww.x.com"
                                             << "www.x.com";
        QTest::newRow("two final slashes") << "www.x.com//"
                                           << "www.x.com/";
        QTest::newRow("blanks kept") << " http://x.com/ "
                                     << " http://x.com/ ";
        QTest::newRow("plain") << "www.x.com"
                               << "www.x.com";
        QTest::newRow("empty") << ""
                               << "";
        // The prefix stays where the rest would be a script or a browser's option.
        QTest::newRow("script host") << "http://javascript:alert(1)//"
                                     << "http://javascript:alert(1)/";
        QTest::newRow("script, capitals") << "HTTP://JavaScript:alert(1)"
                                          << "HTTP://JavaScript:alert(1)";
        QTest::newRow("script with tab") << "http://java\tscript:x"
                                         << "http://java\tscript:x";
        QTest::newRow("vbscript") << "http:ab vbscript:msgbox"
                                  << "http:ab vbscript:msgbox";
        QTest::newRow("data") << "http://data:text/html,x/"
                              << "http://data:text/html,x";
        QTest::newRow("option host") << "http://--remote-debugging-port=9333/"
                                     << "http://--remote-debugging-port=9333";
        QTest::newRow("option after blank") << "http:// -x"
                                            << "http:// -x";
        QTest::newRow("host with dash inside") << "http://a-b.com/-x"
                                               << "a-b.com/-x";
    }

    void trimUrl()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(trimmedAddress(typed), stored);
    }

    void windowIsAFramelessTool()
    {
        const AddressEditor editor;
        QVERIFY(editor.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(editor.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    }

    void controlsShowWholeAndApart()
    {
        AddressEditor editor;
        editor.show();
        // Every control shows whole and none covers another.
        const AddressEditor::Controls &c = editor.controls();
        const QList<QWidget *> placed{c.addressLabel, c.nameLabel,    c.groupLabel,  c.groupList,
                                      c.saveButton,   c.cancelButton, c.addressEdit, c.nameEdit};
        for (QWidget *control : placed) {
            QVERIFY2(editor.contentArea()->rect().contains(control->geometry()), qPrintable(control->objectName()));
            for (QWidget *other : placed) {
                QVERIFY2(control == other || !control->geometry().intersects(other->geometry()),
                         qPrintable(control->objectName() + QLatin1Char('/') + other->objectName()));
            }
        }
        QCOMPARE(editor.controls().addressLabel->text(), QStringLiteral("网址 HTTP:\\\\"));
        QCOMPARE(editor.controls().saveButton->text(), QStringLiteral("保存"));
        QCOMPARE(editor.controls().cancelButton->text(), QStringLiteral("退出"));
        editor.close();
    }

    void focusStartsOnTheGroupListAndTabsInOrder()
    {
        AddressEditor editor;
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QCOMPARE(QApplication::focusWidget(), editor.controls().groupList);
        QList<QWidget *> order;
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget();
        }
        QCOMPARE(
            order,
            (QList<QWidget *>{editor.controls().saveButton, editor.controls().cancelButton,
                              editor.controls().addressEdit, editor.controls().nameEdit, editor.controls().groupList}));
        editor.close();
    }

    void preselection_data()
    {
        QTest::addColumn<QStringList>("groups");
        QTest::addColumn<QString>("preset");
        QTest::addColumn<int>("selectedRow");
        const QStringList three{QStringLiteral("IE收藏夹"), QStringLiteral("新闻"), QStringLiteral("工作")};
        QTest::newRow("none given") << three << QString() << 0;
        QTest::newRow("not a group") << three << QStringLiteral("网址") << 0;
        QTest::newRow("named group") << three << QStringLiteral("工作") << 2;
        QTest::newRow("case counts") << QStringList{"a", "A"} << QStringLiteral("a") << 0;
        QTest::newRow("later of equal names")
            << QStringList{"x", "同名", "y", "同名", "z"} << QStringLiteral("同名") << 3;
    }

    // The list shows the groups in the order they were stored; the given group is
    // preselected (the later line of two equal names), else the first line.
    void preselection()
    {
        QFETCH(QStringList, groups);
        QFETCH(QString, preset);
        QFETCH(int, selectedRow);
        resetTables(groups);
        AddressEditor editor;
        editor.setPresetGroup(preset);
        QCOMPARE(editor.presetGroup(), preset);
        editor.fillGroups();
        QStringList listed;
        for (int i = 0; i < editor.controls().groupList->count(); ++i)
            listed << editor.controls().groupList->item(i)->text();
        QCOMPARE(listed, groups);
        QCOMPARE(editor.controls().groupList->selectedItems().size(), 1);
        QCOMPARE(editor.controls().groupList->row(editor.controls().groupList->selectedItems().first()), selectedRow);
        QVERIFY(!editor.connection().isOpen());
    }

    void listFollowsTheTable()
    {
        AddressEditor editor;
        whileOpen(editor, [] {});
        editor.showToAdd(QStringLiteral("新闻"));
        m_db->execute(QStringLiteral("UPDATE BaseGroup SET GroupName = '要闻' WHERE GroupName = '新闻'"));
        whileOpen(editor, [&] {
            QCOMPARE(editor.controls().groupList->currentRow(), 0);
            QCOMPARE(editor.controls().groupList->findItems(QStringLiteral("要闻"), Qt::MatchExactly).size(), 1);
            QVERIFY(editor.controls().groupList->findItems(QStringLiteral("新闻"), Qt::MatchExactly).isEmpty());
        });
        editor.showToAdd(QStringLiteral("新闻"));
    }

    void addSavesAsTyped()
    {
        AddressEditor editor;
        editor.controls().addressEdit->setText(QStringLiteral("left over"));
        const QString name = QStringLiteral(" 老王's \"网站\" ");
        whileOpen(editor, [&] {
            QVERIFY(editor.controls().addressEdit->text().isEmpty());
            QCOMPARE(editor.captionText(), QStringLiteral("添加网址"));
            QCOMPARE(editor.controls().groupList->currentItem()->text(), QStringLiteral("工作"));
            typeText(editor.controls().addressEdit, QStringLiteral("http://www.o'hara.com/\"q\"/"));
            typeText(editor.controls().nameEdit, name);
            QTest::mouseClick(editor.controls().saveButton, Qt::LeftButton);
            QVERIFY(!editor.isVisible());
        });
        editor.showToAdd(QStringLiteral("工作"));

        QCOMPARE(lastText(), QStringLiteral("保存成功！!"));
        QCOMPARE(lastCaption(), QStringLiteral("保存"));
        const QList<StoredRow> stored = rows();
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0].address, QStringLiteral("www.o'hara.com/\"q\""));
        QCOMPARE(stored[0].name, name);
        QCOMPARE(stored[0].times, 0);
        QCOMPARE(stored[0].viewTime, QDate::currentDate().toString(Qt::ISODate));
        QCOMPARE(stored[0].groupNo, 3);

        // The same address again is a second row.
        whileOpen(editor, [&] {
            typeText(editor.controls().addressEdit, QStringLiteral("http://www.o'hara.com/\"q\"/"));
            typeText(editor.controls().nameEdit, name);
            QTest::keyClick(editor.controls().nameEdit, Qt::Key_Return);
        });
        editor.showToAdd(QString());
        QCOMPARE(rows().size(), 2);
        QCOMPARE(rows()[1].groupNo, firstListedGroupNo());
    }

    void changeKeepsVisitsAndMovesGroup()
    {
        addRow(QStringLiteral("http://old.cn/"), QStringLiteral("旧"), 7, QStringLiteral("2001-02-03"), 2);
        addRow(QStringLiteral("http://old.cn/"), QStringLiteral("另一个"), 1, QStringLiteral("2001-02-03"), 2);
        AddressEditor editor;
        whileOpen(editor, [&] {
            QCOMPARE(editor.captionText(), QStringLiteral("修改网址"));
            QCOMPARE(editor.controls().addressEdit->text(), QStringLiteral("http://old.cn/"));
            QCOMPARE(editor.controls().nameEdit->text(), QStringLiteral("旧"));
            QCOMPARE(editor.controls().groupList->currentItem()->text(), QStringLiteral("新闻"));
            editor.controls().addressEdit->clear();
            typeText(editor.controls().addressEdit, QStringLiteral("HTTP://new.cn/it's"));
            editor.controls().groupList->setCurrentItem(
                editor.controls().groupList->findItems(QStringLiteral("工作"), Qt::MatchExactly).value(0));
            QTest::keyClick(editor.controls().addressEdit, Qt::Key_Enter);
        });
        editor.showToChange(QStringLiteral("http://old.cn/"), QStringLiteral("旧"), QStringLiteral("新闻"));

        QCOMPARE(lastText(), QStringLiteral("修改保存成功！!"));
        QCOMPARE(lastCaption(), QStringLiteral("保存"));
        QVERIFY(!editor.isVisible());
        const QList<StoredRow> stored = rows();
        QCOMPARE(stored[0].address, QStringLiteral("new.cn/it's"));
        QCOMPARE(stored[0].name, QStringLiteral("旧"));
        QCOMPARE(stored[0].times, 7);
        QCOMPARE(stored[0].viewTime, QStringLiteral("2001-02-03"));
        QCOMPARE(stored[0].groupNo, 3);
        QCOMPARE(stored[1].address, QStringLiteral("http://old.cn/"));
        QCOMPARE(stored[1].groupNo, 2);
    }

    void emptyFieldsAreAskedFor()
    {
        AddressEditor editor;
        whileOpen(editor, [&] {
            QTest::mouseClick(editor.controls().saveButton, Qt::LeftButton);
            QCOMPARE(lastText(), QStringLiteral("请输入网址!"));
            QCOMPARE(lastCaption(), QStringLiteral("提示"));
            QVERIFY(editor.isVisible());
            QTRY_COMPARE(QApplication::focusWidget(), editor.controls().addressEdit);

            typeText(editor.controls().addressEdit, QStringLiteral(" "));
            QTest::keyClick(editor.controls().addressEdit, Qt::Key_Return);
            QCOMPARE(lastText(), QStringLiteral("请输入网址名称!"));
            QCOMPARE(lastCaption(), QStringLiteral("提示"));
            QVERIFY(editor.isVisible());
            QTRY_COMPARE(QApplication::focusWidget(), editor.controls().nameEdit);

            QTest::keyClick(editor.controls().nameEdit, Qt::Key_Escape);
            QVERIFY(!editor.isVisible());
        });
        editor.showToAdd(QString());
        QCOMPARE(Dialogs::recorded().size(), 2);
        QVERIFY(rows().isEmpty());
    }

    void enterOnExitButtonLeaves()
    {
        AddressEditor editor;
        whileOpen(editor, [&] {
            typeText(editor.controls().addressEdit, QStringLiteral("a.com"));
            typeText(editor.controls().nameEdit, QStringLiteral("a"));
            editor.controls().cancelButton->setFocus();
            QTest::keyClick(editor.controls().cancelButton, Qt::Key_Return);
            QVERIFY(!editor.isVisible());
        });
        editor.showToAdd(QString());
        QVERIFY(Dialogs::recorded().isEmpty());
        QVERIFY(rows().isEmpty());
    }

    void changeOfVanishedRowIsReported()
    {
        AddressEditor editor;
        whileOpen(editor, [&] {
            QTest::mouseClick(editor.controls().saveButton, Qt::LeftButton);
            QCOMPARE(lastText(), QStringLiteral("该网址已不存在，未能修改！"));
            QCOMPARE(lastCaption(), QStringLiteral("保存"));
            QVERIFY(editor.isVisible());
            QCOMPARE(editor.controls().addressEdit->text(), QStringLiteral("gone.com"));
            QCOMPARE(editor.controls().nameEdit->text(), QStringLiteral("没了"));
        });
        editor.showToChange(QStringLiteral("gone.com"), QStringLiteral("没了"), QStringLiteral("工作"));
        QVERIFY(rows().isEmpty());
    }

    void noGroupWritesNothing()
    {
        resetTables({});
        AddressEditor editor;
        whileOpen(editor, [&] {
            QCOMPARE(editor.controls().groupList->count(), 0);
            typeText(editor.controls().addressEdit, QStringLiteral("a.com"));
            typeText(editor.controls().nameEdit, QStringLiteral("a"));
            QTest::mouseClick(editor.controls().saveButton, Qt::LeftButton);
            QCOMPARE(lastText(), QStringLiteral("请先添加网址组别！"));
            QCOMPARE(lastCaption(), QStringLiteral("提示"));
            QVERIFY(editor.isVisible());
        });
        editor.showToAdd(QStringLiteral("工作"));
        QVERIFY(rows().isEmpty());
    }

    void failedSaveKeepsInput_data()
    {
        QTest::addColumn<bool>("addMode");
        QTest::addColumn<bool>("onlyGroupGone");
        QTest::newRow("add, table gone") << true << false;
        QTest::newRow("change, table gone") << false << false;
        QTest::newRow("add, group gone") << true << true;
    }

    void failedSaveKeepsInput()
    {
        QFETCH(bool, addMode);
        QFETCH(bool, onlyGroupGone);
        addRow(QStringLiteral("b.com"), QStringLiteral("b"), 0, QStringLiteral("2001-02-03"), 2);
        AddressEditor editor;
        whileOpen(editor, [&] {
            typeText(editor.controls().addressEdit, QStringLiteral("c.com"));
            typeText(editor.controls().nameEdit, QStringLiteral("c"));
            // The group, or the whole group table, disappears behind the editor's back.
            if (onlyGroupGone) {
                m_db->execute(QStringLiteral("DELETE FROM BaseGroup WHERE GroupName = '新闻'"));
                QTest::mouseClick(editor.controls().saveButton, Qt::LeftButton);
            } else {
                m_db->execute(QStringLiteral("ALTER TABLE BaseGroup RENAME TO BaseGroupAway"));
                QTest::mouseClick(editor.controls().saveButton, Qt::LeftButton);
                m_db->execute(QStringLiteral("ALTER TABLE BaseGroupAway RENAME TO BaseGroup"));
            }
            QCOMPARE(lastText(), QStringLiteral("error!!!"));
            QCOMPARE(lastCaption(), QStringLiteral("error"));
            QVERIFY(editor.isVisible());
            QVERIFY(editor.controls().addressEdit->text().endsWith(QStringLiteral("c.com")));
            QVERIFY(editor.controls().nameEdit->text().endsWith(QStringLiteral("c")));
        });
        if (addMode)
            editor.showToAdd(QStringLiteral("新闻"));
        else
            editor.showToChange(QStringLiteral("b.com"), QStringLiteral("b"), QStringLiteral("新闻"));
        QCOMPARE(rows().size(), 1);
        QCOMPARE(rows()[0].address, QStringLiteral("b.com"));
    }

    void automationStyleUse()
    {
        // Two editors at once, each with a connection of its own.
        auto *first = new AddressEditor(nullptr);
        auto *second = new AddressEditor(nullptr);
        QVERIFY(first->connection().connectionName() != second->connection().connectionName());
        int closedCount = 0;
        for (AddressEditor *editor : {first, second}) {
            connect(editor, &CaptionWindow::closed, editor, [&closedCount, editor] {
                ++closedCount;
                editor->deleteLater();
            });
            editor->setEditMode(AddressEditor::EditMode::Add);
            editor->setCaptionText(QStringLiteral("添加网址"));
        }
        first->controls().addressEdit->setText(QStringLiteral("http://one.com"));
        first->controls().nameEdit->setText(QStringLiteral("一"));
        second->controls().addressEdit->setText(QStringLiteral("http://two.com"));
        second->controls().nameEdit->setText(QStringLiteral("二"));
        first->openModal();
        second->openModal();
        QTest::mouseClick(second->controls().saveButton, Qt::LeftButton);
        QTest::mouseClick(first->controls().saveButton, Qt::LeftButton);
        QCOMPARE(closedCount, 2);
        const QList<StoredRow> stored = rows();
        QCOMPARE(stored.size(), 2);
        QCOMPARE(stored[0].address, QStringLiteral("two.com"));
        QCOMPARE(stored[1].address, QStringLiteral("one.com"));
        QCOMPARE(stored[1].groupNo, firstListedGroupNo());
    }

    // An editor that cannot list its groups could only fail at the save: it says why
    // once and does not open.
    void unusableFolder()
    {
        const QString missing = QDir::tempPath() + QStringLiteral("/vestrane-no-such-folder");
        SettingsStore::setPath(missing);
        AddressEditor editor;
        QVERIFY(!editor.showToAdd(QString()));
        SettingsStore::setPath(QString());
        QVERIFY(!editor.isVisible());
        QCOMPARE(Dialogs::recorded().size(), 1);
        QCOMPARE(Dialogs::recorded().first().caption, Dialogs::applicationTitle());
        QVERIFY(Dialogs::recorded().first().text.contains(missing));
        QVERIFY(rows().isEmpty());
    }
};

VESTRANE_TEST_MAIN(TestEditor)
#include "tst_editor.moc"
