// The tree's "导出网址…": what each node exports, and the boxes that say how it went.
#include "MainTestSupport.h"
#include "TestEnv.h"

#include "main/AddressExport.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTreeWidget>

class TestMainExport : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainFixture> m_fixture;

    QByteArray exported(const QTreeWidgetItem *node)
    {
        const QString file = QDir::home().filePath(QStringLiteral("out.html"));
        QFile::remove(file);
        m_fixture->window->addressExport().exportNode(node, file);
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

private Q_SLOTS:
    void initTestCase() { m_fixture = std::make_unique<MainFixture>(); }

    void eachNodeExportsItsScope()
    {
        m_fixture->reset();
        m_fixture->add(QStringLiteral("www.a.com"), QStringLiteral("A"), QStringLiteral("一组"));
        m_fixture->add(QStringLiteral("https://b.com/"), QStringLiteral("B"), QStringLiteral("二组"), 0,
                       QStringLiteral("2024-03-05"), true);
        MainWindow &window = m_fixture->open();
        QTreeWidgetItem *root = window.groupTreePane()->tree()->topLevelItem(0);

        const QByteArray all = exported(root);
        QCOMPARE(all.count("<DT><H3>"), 2);
        QVERIFY(all.contains("<DT><A HREF=\"http://www.a.com\" ADD_DATE="));
        MainFixture::expectOnlyBox(QStringLiteral("成功导出 2 个网址！"), Dialogs::applicationTitle());

        const QByteArray group = exported(root->child(1));
        QCOMPARE(group.count("<DT><A "), 1);
        QVERIFY(group.contains("<DT><H3>二组</H3>"));
        Dialogs::clearRecorded();

        const QByteArray favourites = exported(window.groupTreePane()->favouritesNode());
        QVERIFY(favourites.contains("<DT><H3>收藏夹</H3>"));
        QVERIFY(favourites.contains("HREF=\"https://b.com/\""));
        Dialogs::clearRecorded();

        window.addressExport().exportNode(root, QDir::home().filePath(QStringLiteral("missing/dir/out.html")));
        QCOMPARE(Dialogs::recorded().size(), 1);
        QVERIFY(Dialogs::recorded().first().text.contains(QStringLiteral("无法写入文件")));
    }

    void menuOffersExportOnFavouritesToo()
    {
        m_fixture->reset();
        MainWindow &window = m_fixture->open();
        window.groupTreePane()->tree()->setCurrentItem(window.groupTreePane()->favouritesNode());
        window.updateMenus();
        QVERIFY(window.groupTreePane()->exportAction()->isVisible());
        QVERIFY(!window.groupTreePane()->addAddressAction()->isVisible());
        QCOMPARE(window.groupTreePane()->exportAction()->text(), QStringLiteral("导出网址…"));
    }
};

VESTRANE_TEST_MAIN(TestMainExport)
#include "tst_mainexport.moc"
