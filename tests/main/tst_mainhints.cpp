// Long texts in the main window: hints keep their lines whole, the status panels stay
// apart, and a group name cut short in the tree shows whole as the node's hint.
#include "MainTestSupport.h"
#include "TestEnv.h"

#include <QLabel>
#include <QScreen>
#include <QTextDocument>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>

class TestMainHints : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainFixture> f;

    const QString longAddress = QStringLiteral("http://www.example.com/a/very/long/path/that/goes/on/index.html");
    const QString longGroup = QStringLiteral("一个非常非常长的网址组别名称用来看省略号");

    // Asks the widget for its hint at the point, as resting the mouse there does.
    static void restMouse(QWidget *widget, const QPoint &at)
    {
        // Hidden again as often as needed: the last mouse move may still wake a hint.
        QTRY_VERIFY((QToolTip::hideText(), !QToolTip::isVisible()));
        QHelpEvent tip(QEvent::ToolTip, at, widget->mapToGlobal(at));
        QApplication::sendEvent(widget, &tip);
    }

    static QLabel *shownHint()
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QLatin1String("qtooltip_label") && widget->isVisible())
                return qobject_cast<QLabel *>(widget);
        }
        return nullptr;
    }

    // The shown hint reads as the plain text, and each of its lines is drawn on one row.
    static void expectHintInWholeLines(const QString &plain)
    {
        QTRY_VERIFY(shownHint());
        QLabel *hint = shownHint();
        QTextDocument document;
        document.setHtml(hint->text());
        QCOMPARE(document.toPlainText(), plain);

        const QStringList lines = plain.split(QLatin1Char('\n'));
        const QFontMetrics metrics(hint->font());
        int widest = 0;
        for (const QString &line : lines)
            widest = qMax(widest, metrics.horizontalAdvance(line));
        QVERIFY2(hint->contentsRect().width() >= widest,
                 qPrintable(QStringLiteral("%1 < %2").arg(hint->contentsRect().width()).arg(widest)));
        QVERIFY2(hint->height() < (lines.size() + 1) * metrics.lineSpacing(),
                 qPrintable(QStringLiteral("height %1 for %2 lines").arg(hint->height()).arg(lines.size())));
    }

    QTreeWidgetItem *node(MainWindow &w, const QString &label)
    {
        return w.groupTreePane()->tree()->findItems(label, Qt::MatchExactly | Qt::MatchRecursive).value(0);
    }

private Q_SLOTS:
    void initTestCase() { f = std::make_unique<MainFixture>(); }

    void init()
    {
        f->reset();
        f->add(longAddress, QStringLiteral("很长的地址 <b>粗</b>"), QStringLiteral("新闻"), 12);
        f->add(QStringLiteral("www.a.com"), QStringLiteral("甲"), longGroup);
    }

    void cleanupTestCase() { f.reset(); }

    void toolbarHintIsOneLine()
    {
        MainWindow &w = f->openShown();
        restMouse(w.toolBar()->visitByIpButton(), w.toolBar()->visitByIpButton()->rect().center());
        expectHintInWholeLines(QStringLiteral("以文字方式或以IP地址方式访问网址"));
    }

    // Each line of the hover text shows on one row, except a line wider than the screen:
    // only it is broken, and every character shows within the screen.
    void listHoverTextBreaksOnlyBetweenItsLinesOrToFitTheScreen()
    {
        const QString huge = QStringLiteral("www.huge.com/") + QStringLiteral("ab/").repeated(600);
        f->add(huge, QStringLiteral("巨长"), QStringLiteral("新闻"));
        MainWindow &w = f->openShown();
        AddressListView *list = w.addressListPane()->view();
        const QPoint onRow = list->visualRect(list->model()->index(0, 1)).center();
        QTest::mouseMove(list->viewport(), onRow);
        QCOMPARE(w.hoverText().section(QLatin1Char('\n'), 1, 1), QStringLiteral("网        址：") + longAddress);
        restMouse(list->viewport(), onRow);
        expectHintInWholeLines(w.hoverText());

        const QPoint onHugeRow = list->visualRect(list->model()->index(2, 1)).center();
        QTest::mouseMove(list->viewport(), onHugeRow);
        restMouse(list->viewport(), onHugeRow);
        QTRY_VERIFY(shownHint());
        QTextDocument document;
        document.setHtml(shownHint()->text());
        const QStringList shownLines = document.toPlainText().split(QLatin1Char('\n'));
        QVERIFY(shownLines.size() > 6);
        QCOMPARE(shownLines.last(), w.hoverText().section(QLatin1Char('\n'), 4, 4));
        QCOMPARE(document.toPlainText().remove(QLatin1Char('\n')), QString(w.hoverText()).remove(QLatin1Char('\n')));
        QVERIFY(shownHint()->width() <= list->screen()->availableGeometry().width());
    }

    // The current address is cut short inside its panel; the row count beside it shows
    // the same whatever the address.
    void longCurrentAddressStaysInItsPanel()
    {
        MainWindow &w = f->openShown();
        auto panels = w.statusBar()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
        QCOMPARE(panels.size(), 3);
        std::sort(panels.begin(), panels.end(), [](QLabel *a, QLabel *b) { return a->x() < b->x(); });
        QVERIFY(panels[0]->geometry().right() < panels[1]->x());
        QVERIFY(panels[1]->geometry().right() < panels[2]->x());

        const QRect countArea = panels[2]->geometry().intersected(w.statusBar()->rect());
        QVERIFY(!countArea.isEmpty());
        const QImage withoutAddress = w.statusBar()->grab(countArea).toImage();
        w.setCurrentAddress(longAddress + longAddress);
        QCOMPARE(w.statusPanelText(1), longAddress + longAddress);
        QCOMPARE(w.statusBar()->grab(countArea).toImage(), withoutAddress);
        const QImage addressShown = panels[1]->grab().toImage();
        w.setCurrentAddress(QString());
        QVERIFY(panels[1]->grab().toImage() != addressShown);
    }

    void cutGroupNameShowsWholeAsHint()
    {
        MainWindow &w = f->openShown();
        QTreeWidgetItem *cut = node(w, longGroup);
        QVERIFY(cut);
        const QRect cutRect = w.groupTreePane()->tree()->visualItemRect(cut);
        QVERIFY(QFontMetrics(w.groupTreePane()->tree()->font()).horizontalAdvance(longGroup) > cutRect.width());
        restMouse(w.groupTreePane()->tree()->viewport(), cutRect.center());
        expectHintInWholeLines(longGroup);

        // A name shown whole needs no hint.
        restMouse(w.groupTreePane()->tree()->viewport(),
                  w.groupTreePane()->tree()->visualItemRect(node(w, QStringLiteral("新闻"))).center());
        QTest::qWait(100);
        QVERIFY(!shownHint());
    }
};

VESTRANE_TEST_MAIN(TestMainHints)
#include "tst_mainhints.moc"
