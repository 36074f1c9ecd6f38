#include "TestEnv.h"

#include "window/WindowLayer.h"
#include "window/CaptionWindow.h"

#include <QLabel>
#include <QScreen>
#include <QToolButton>
#include <QtTest>

class TestCaptionWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void captionBarAfterConstruction()
    {
        CaptionWindow form;
        QCOMPARE(form.alphaValue(), quint8(255));
        QVERIFY(!form.maximizedByButton());
        QCOMPARE(form.captionControls().closeButton->toolTip(), QStringLiteral("关闭"));
        QCOMPARE(form.captionControls().minimiseButton->toolTip(), QStringLiteral("最小化"));
        QCOMPARE(form.captionControls().maximiseButton->toolTip(), QStringLiteral("最大化"));
        QVERIFY(!form.captionControls().captionIcon->pixmap().isNull());
    }

    void hiddenButtonsTakeNoSlot()
    {
        CaptionWindow form;
        form.setMaximiseButtonVisible(false);
        QCOMPARE(form.captionControls().minimiseButton->x(), 22);
        QCOMPARE(form.captionControls().closeButton->x(), 43);
        form.setCloseButtonVisible(false);
        QCOMPARE(form.captionControls().minimiseButton->x(), 43);
        QCOMPARE(form.captionControls().maximiseButton->x(), 22); // a hidden button keeps its old place
        form.setMaximiseButtonVisible(true);
        form.setCloseButtonVisible(true);
        QCOMPARE(form.captionControls().minimiseButton->x(), 1);
    }

    void maximiseToggleAndItsHint()
    {
        CaptionWindow form;
        form.resize(300, 200);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::mouseDClick(form.captionControls().captionLabel, Qt::LeftButton);
        QVERIFY(form.maximizedByButton());
        QTRY_VERIFY(form.windowState() & Qt::WindowMaximized);
        QCOMPARE(form.captionControls().maximiseButton->toolTip(), QStringLiteral("还原"));

        // Changing a button's visibility resets the hint while the window stays maximised.
        form.setMinimiseButtonVisible(false);
        QCOMPARE(form.captionControls().maximiseButton->toolTip(), QStringLiteral("最大化"));
        QVERIFY(form.maximizedByButton());
        form.setMinimiseButtonVisible(true);

        QTest::mouseClick(form.captionControls().maximiseButton, Qt::LeftButton);
        QVERIFY(!form.maximizedByButton());
        QTRY_VERIFY(!(form.windowState() & Qt::WindowMaximized));
        QCOMPARE(form.captionControls().maximiseButton->toolTip(), QStringLiteral("最大化"));

        form.setMaximiseButtonVisible(false);
        QTest::mouseDClick(form.captionControls().captionLabel, Qt::LeftButton);
        QVERIFY(!form.maximizedByButton());
    }

    // On top, the window fills only the screen's available area, and restoring gives
    // back the geometry from before.
    void maximiseWhileOnTopUsesTheAvailableArea()
    {
        CaptionWindow form;
        SetWindowStaysOnTop(&form, true);
        form.setGeometry(40, 50, 300, 200);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRect before = form.geometry();
        QTest::mouseClick(form.captionControls().maximiseButton, Qt::LeftButton);
        QVERIFY(form.maximizedByButton());
        QCOMPARE(form.geometry(), form.screen()->availableGeometry());
        QTest::mouseClick(form.captionControls().maximiseButton, Qt::LeftButton);
        QVERIFY(!form.maximizedByButton());
        QCOMPARE(form.geometry(), before);
    }

    // A modal window is tied to its owner and shares its stacking; a minimised owner
    // comes back first; once the window closes, the owner is active again.
    void modalWindowAboveItsOwner()
    {
        CaptionWindow owner;
        SetWindowStaysOnTop(&owner, true);
        owner.show();
        QVERIFY(QTest::qWaitForWindowActive(&owner));
        owner.showMinimized();
        QTRY_VERIFY(owner.isMinimized());

        auto *modal = new CaptionWindow(&owner);
        modal->setAttribute(Qt::WA_DeleteOnClose);
        modal->openModal();
        QCOMPARE(modal->windowType(), Qt::Dialog);
        QVERIFY(WindowStaysOnTop(modal));
        QVERIFY(!owner.isMinimized());
        QVERIFY(QTest::qWaitForWindowActive(modal));
        QCOMPARE(QApplication::activeModalWidget(), modal);

        modal->close();
        QTRY_COMPARE(QApplication::activeWindow(), &owner);
    }

    void iconDoubleClickClosesAndSingleClickDoesNothing()
    {
        CaptionWindow form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy closed(&form, &CaptionWindow::closed);
        QTest::mouseClick(form.captionControls().captionIcon, Qt::LeftButton);
        QVERIFY(form.isVisible());
        form.setCloseButtonVisible(false);
        QTest::mouseDClick(form.captionControls().captionIcon, Qt::LeftButton);
        QVERIFY(form.isVisible());
        form.setCloseButtonVisible(true);
        QTest::mouseDClick(form.captionControls().captionIcon, Qt::LeftButton);
        QVERIFY(!form.isVisible());
        QCOMPARE(closed.count(), 1);
    }

    void minimiseOnlyThisWindowUnlessMain()
    {
        CaptionWindow main;
        main.setApplicationMainWindow(true);
        CaptionWindow other;
        main.show();
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QTest::mouseClick(other.captionControls().minimiseButton, Qt::LeftButton);
        QTRY_VERIFY(other.windowState() & Qt::WindowMinimized);
        QVERIFY(!(main.windowState() & Qt::WindowMinimized));
        other.showNormal();
        QTest::mouseClick(main.captionControls().minimiseButton, Qt::LeftButton);
        QTRY_VERIFY(main.windowState() & Qt::WindowMinimized);
        QTRY_VERIFY(other.windowState() & Qt::WindowMinimized);
    }

    // The window takes a new value; the value it already has is not applied again, so an
    // opacity set in between stays.
    void setAlphaWithStoredValueDoesNothing()
    {
        CaptionWindow form;
        form.setAlpha(200);
        QCOMPARE(form.alphaValue(), quint8(200));
        QCOMPARE(qRound(form.windowOpacity() * 255), 200);
        form.setWindowOpacity(0.5);
        const qreal between = form.windowOpacity();
        form.setAlpha(200);
        QCOMPARE(form.windowOpacity(), between);
        form.setAlpha(255);
        QCOMPARE(form.windowOpacity(), 1.0);
    }

    void centringFormula_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("design size") << QSize(1024, 768) << QSize(591, 404) << QPoint(211, 127);
        QTest::newRow("negative odd") << QSize(800, 600) << QSize(811, 500) << QPoint(-10, -5);
        QTest::newRow("window larger than screen") << QSize(640, 480) << QSize(700, 700) << QPoint(-35, -165);
    }

    void centringFormula()
    {
        QFETCH(QSize, screen);
        QFETCH(QSize, window);
        QFETCH(QPoint, expected);
        QCOMPARE(CaptionWindow::centredPosition(screen, window), expected);
    }
};

VESTRANE_TEST_MAIN(TestCaptionWindow)
#include "tst_captionwindow.moc"
