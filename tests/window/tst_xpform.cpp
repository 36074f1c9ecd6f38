#include "TestEnv.h"

#include "window/HintTimes.h"
#include "window/WindowLayer.h"
#include "window/XPForm.h"
#include "CaptionControls.h"

#include <QLabel>
#include <QScreen>
#include <QToolButton>
#include <QtTest>

class TestXPForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void captionBarAfterConstruction()
    {
        TXPForm form;
        QCOMPARE(form.AlphaValue(), quint8(255));
        QVERIFY(!form.Maximized());
        QCOMPARE(controls(form).btnClose->toolTip(), QStringLiteral("关闭"));
        QCOMPARE(controls(form).btnMin->toolTip(), QStringLiteral("最小化"));
        QCOMPARE(controls(form).btnMax->toolTip(), QStringLiteral("最大化"));
        QVERIFY(!controls(form).ImgIcon->pixmap().isNull());
    }

    void hiddenButtonsTakeNoSlot()
    {
        TXPForm form;
        form.SetMaxButtonVisible(false);
        QCOMPARE(controls(form).btnMin->x(), 22);
        QCOMPARE(controls(form).btnClose->x(), 43);
        form.SetCloseButtonVisible(false);
        QCOMPARE(controls(form).btnMin->x(), 43);
        QCOMPARE(controls(form).btnMax->x(), 22); // a hidden button keeps its old place
        form.SetMaxButtonVisible(true);
        form.SetCloseButtonVisible(true);
        QCOMPARE(controls(form).btnMin->x(), 1);
    }

    void maximiseToggleAndItsHint()
    {
        TXPForm form;
        form.resize(300, 200);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::mouseDClick(controls(form).pnlCaption, Qt::LeftButton);
        QVERIFY(form.Maximized());
        QTRY_VERIFY(form.windowState() & Qt::WindowMaximized);
        QCOMPARE(controls(form).btnMax->toolTip(), QStringLiteral("还原"));

        // Changing a button's visibility resets the hint while the window stays maximised.
        form.SetMinButtonVisible(false);
        QCOMPARE(controls(form).btnMax->toolTip(), QStringLiteral("最大化"));
        QVERIFY(form.Maximized());
        form.SetMinButtonVisible(true);

        QTest::mouseClick(controls(form).btnMax, Qt::LeftButton);
        QVERIFY(!form.Maximized());
        QTRY_VERIFY(!(form.windowState() & Qt::WindowMaximized));
        QCOMPARE(controls(form).btnMax->toolTip(), QStringLiteral("最大化"));

        form.SetMaxButtonVisible(false);
        QTest::mouseDClick(controls(form).pnlCaption, Qt::LeftButton);
        QVERIFY(!form.Maximized());
    }

    // On top, the window fills only the screen's available area, and restoring gives
    // back the geometry from before.
    void maximiseWhileOnTopUsesTheAvailableArea()
    {
        TXPForm form;
        SetWindowStaysOnTop(&form, true);
        form.setGeometry(40, 50, 300, 200);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRect before = form.geometry();
        QTest::mouseClick(controls(form).btnMax, Qt::LeftButton);
        QVERIFY(form.Maximized());
        QCOMPARE(form.geometry(), form.screen()->availableGeometry());
        QTest::mouseClick(controls(form).btnMax, Qt::LeftButton);
        QVERIFY(!form.Maximized());
        QCOMPARE(form.geometry(), before);
    }

    // A modal window is tied to its owner and shares its stacking; a minimised owner
    // comes back first; once the window closes, the owner is active again.
    void modalWindowAboveItsOwner()
    {
        TXPForm owner;
        SetWindowStaysOnTop(&owner, true);
        owner.show();
        QVERIFY(QTest::qWaitForWindowActive(&owner));
        owner.showMinimized();
        QTRY_VERIFY(owner.isMinimized());

        auto *modal = new TXPForm(&owner);
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
        TXPForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy closed(&form, &TXPForm::closed);
        QTest::mouseClick(controls(form).ImgIcon, Qt::LeftButton);
        QVERIFY(form.isVisible());
        form.SetCloseButtonVisible(false);
        QTest::mouseDClick(controls(form).ImgIcon, Qt::LeftButton);
        QVERIFY(form.isVisible());
        form.SetCloseButtonVisible(true);
        QTest::mouseDClick(controls(form).ImgIcon, Qt::LeftButton);
        QVERIFY(!form.isVisible());
        QCOMPARE(closed.count(), 1);
    }

    void minimiseOnlyThisWindowUnlessMain()
    {
        TXPForm main;
        main.setApplicationMainWindow(true);
        TXPForm other;
        main.show();
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QTest::mouseClick(controls(other).btnMin, Qt::LeftButton);
        QTRY_VERIFY(other.windowState() & Qt::WindowMinimized);
        QVERIFY(!(main.windowState() & Qt::WindowMinimized));
        other.showNormal();
        QTest::mouseClick(controls(main).btnMin, Qt::LeftButton);
        QTRY_VERIFY(main.windowState() & Qt::WindowMinimized);
        QTRY_VERIFY(other.windowState() & Qt::WindowMinimized);
    }

    // The window takes a new value; the value it already has is not applied again, so an
    // opacity set in between stays.
    void setAlphaWithStoredValueDoesNothing()
    {
        TXPForm form;
        form.SetAlpha(200);
        QCOMPARE(form.AlphaValue(), quint8(200));
        QCOMPARE(qRound(form.windowOpacity() * 255), 200);
        form.setWindowOpacity(0.5);
        const qreal between = form.windowOpacity();
        form.SetAlpha(200);
        QCOMPARE(form.windowOpacity(), between);
        form.SetAlpha(255);
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
        QCOMPARE(TXPForm::centredPosition(screen, window), expected);
    }

    void standardSetupSetsTheHintTimes()
    {
        TXPForm form;
        form.standardSetup();
        QCOMPARE(HintTimes::delay(), 0);
        QCOMPARE(HintTimes::displayTime(), 60000);
    }
};

VESTRANE_TEST_MAIN(TestXPForm)
#include "tst_xpform.moc"
