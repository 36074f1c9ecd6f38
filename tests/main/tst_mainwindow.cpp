// The main window at start, its group tree and its toolbar.
#include "MainTestSupport.h"
#include "TestEnv.h"

#include "data/SettingsStore.h"
#include "platform/Language.h"
#include "window/SharedIcons.h"

#include <QComboBox>
#include <QDirIterator>
#include <QtEndian>
#include <QProxyStyle>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainFixture> f;

    void seed()
    {
        f->add(QStringLiteral("www.a.com"), QStringLiteral("甲"), QStringLiteral("新闻"));
        f->add(QStringLiteral("www.b.com"), QStringLiteral("乙"), QStringLiteral("软件"), 0,
               QStringLiteral("2024-03-05"), true);
        f->add(QStringLiteral("www.c.com"), QStringLiteral("丙"), QStringLiteral("软件"));
        f->group(QStringLiteral("空组"));
    }

    static QStringList childLabels(QTreeWidgetItem *node)
    {
        QStringList labels;
        for (int i = 0; i < node->childCount(); ++i)
            labels << node->child(i)->text(0);
        return labels;
    }

    static QPair<int, int> imagesOf(QTreeWidgetItem *node)
    {
        return {node->data(0, GroupTreePane::NodeImageRole).toInt(),
                node->data(0, GroupTreePane::NodeSelectedImageRole).toInt()};
    }

private Q_SLOTS:
    void initTestCase() { f = std::make_unique<MainFixture>(); }

    void init()
    {
        f->reset();
        seed();
    }

    void cleanupTestCase() { f.reset(); }

    void keepsItsDesignSizeOnceShown()
    {
        MainWindow &w = f->open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // No control (the status panels, the tool bar) may force a wider window.
        QCOMPARE(w.size(), QSize(591, 404));
    }

    void stateAtStart()
    {
        MainWindow &w = f->open();
        QCOMPARE(w.captionText(), QStringLiteral("Vestrane V1.1.2"));
        QCOMPARE(w.windowTitle(), QStringLiteral("网址管理软件V1.0"));
        const QSize screen = w.screen()->geometry().size();
        QCOMPARE(w.pos(), CaptionWindow::centredPosition(screen, QSize(591, 404)));
        QVERIFY(w.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(int(w.alphaValue()), 255);
        for (QToolButton *check :
             {w.toolBar()->translucencyButton(), w.toolBar()->stayOnTopButton(), w.toolBar()->visitByIpButton()}) {
            QVERIFY(check->isCheckable());
            QVERIFY(!check->isChecked());
        }
        QCOMPARE(w.leftTabs()->currentIndex(), 0);
        QCOMPARE(w.statusPanelText(0), QStringLiteral("网址"));
        QCOMPARE(w.statusPanelText(1), QString());
        QCOMPARE(w.statusPanelText(2), QStringLiteral("共条3记录"));
        QCOMPARE(w.currentGroup(), QStringLiteral("网址"));
        QCOMPARE(w.currentAddress(), QString());
        QCOMPARE(w.groupTreePane()->tree()->currentItem(), w.groupTreePane()->tree()->topLevelItem(0));
        QCOMPARE(f->captions(), (QStringList{"www.a.com", "www.b.com", "www.c.com"}));
        QVERIFY(Dialogs::recorded().isEmpty());
    }

    void toolbarButtonsInOrder()
    {
        MainWindow &w = f->open();
        const QList<QToolButton *> buttons = {w.toolBar()->translucencyButton(), w.toolBar()->stayOnTopButton(),
                                              w.toolBar()->visitByIpButton(),    w.toolBar()->favouritesButton(),
                                              w.toolBar()->importButton(),       w.toolBar()->helpButton(),
                                              w.toolBar()->exitButton()};
        const QStringList captions = {"透明", "置后", "IP", "收藏夹", "导入", "帮助", "退出"};
        const QStringList hints = {"使窗体变透明",   "把窗体置后",     "以文字方式或以IP地址方式访问网址",
                                   "直接跳到收藏夹", "从IE收藏夹导入", "寻求帮助",
                                   "退出软件"};
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        int lastRight = -1;
        for (int i = 0; i < buttons.size(); ++i) {
            QCOMPARE(buttons[i]->text(), captions[i]);
            QCOMPARE(buttons[i]->toolTip(), hints[i]);
            QVERIFY(!buttons[i]->icon().isNull());
            QVERIFY(buttons[i]->x() > lastRight); // left to right, apart
            lastRight = buttons[i]->x() + buttons[i]->width();
        }
        QCOMPARE(w.statusPanelText(2), QStringLiteral("共条3记录"));

        // Qt's own pictures, read only when first drawn, are those of the style beneath.
        const QProxyStyle plain;
        for (const QStyle::StandardPixmap picture :
             {QStyle::SP_DialogOkButton, QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_DialogCancelButton}) {
            const QImage expected = plain.standardIcon(picture).pixmap(16).toImage();
            QVERIFY(!expected.isNull());
            QCOMPARE(w.style()->standardIcon(picture).pixmap(16).toImage(), expected);
        }
        QCOMPARE(w.searchPane()->searchButton()->icon().pixmap(16).toImage(),
                 plain.standardIcon(QStyle::SP_DialogOkButton).pixmap(16).toImage());
    }

    void creationErrorIsReportedAndWindowStillOpens()
    {
        // A `Path` that names no folder: the database cannot be opened.
        SettingsStore::setPath(QStringLiteral("/nonexistent/folder"));
        SharedConnection sharedConnection;
        sharedConnection.init();
        Dialogs::clearRecorded();
        MainWindow w(sharedConnection);
        SettingsStore::setPath(QString());
        QCOMPARE(Dialogs::recorded().size(), 1);
        QCOMPARE(Dialogs::recorded().first().caption, Dialogs::applicationTitle());
        QVERIFY(Dialogs::recorded().first().text != QStringLiteral("error!!!"));
        QCOMPARE(w.groupTreePane()->tree()->topLevelItemCount(), 0); // later steps skipped
        QCOMPARE(w.statusPanelText(0), QStringLiteral("网址"));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mouseClick(w.toolBar()->favouritesButton(), Qt::LeftButton); // no favourites node: nothing happens
        QCOMPARE(Dialogs::recorded().size(), 1);
    }

    void treeShape()
    {
        MainWindow &w = f->open();
        QCOMPARE(w.groupTreePane()->tree()->topLevelItemCount(), 2);
        QTreeWidgetItem *root = w.groupTreePane()->tree()->topLevelItem(0);
        QTreeWidgetItem *favourites = w.groupTreePane()->tree()->topLevelItem(1);
        QCOMPARE(root->text(0), QStringLiteral("网址"));
        QCOMPARE(favourites->text(0), QStringLiteral("收藏夹"));
        QCOMPARE(w.groupTreePane()->favouritesNode(), favourites);
        QCOMPARE(childLabels(root), (QStringList{"新闻", "软件", "空组"}));
        QCOMPARE(imagesOf(root), qMakePair(0, 0));
        QCOMPARE(imagesOf(root->child(0)), qMakePair(2, 4));
        QCOMPARE(imagesOf(favourites), qMakePair(1, 4));
        QCOMPARE(favourites->childCount(), 0);
        QVERIFY(root->isExpanded());
        QCOMPARE(w.groupTreePane()->tree()->indentation(), 19);
    }

    void leftClickOnEachKindOfNode()
    {
        MainWindow &w = f->open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto click = [&w](QTreeWidgetItem *node) {
            const QRect rect = w.groupTreePane()->tree()->visualItemRect(node);
            QTest::mouseClick(w.groupTreePane()->tree()->viewport(), Qt::LeftButton, {}, rect.center());
        };
        QTreeWidgetItem *root = w.groupTreePane()->tree()->topLevelItem(0);
        click(root->child(1));
        QCOMPARE(w.currentGroup(), QStringLiteral("软件"));
        QCOMPARE(w.statusPanelText(0), QStringLiteral("软件"));
        QCOMPARE(f->captions(), (QStringList{"www.b.com", "www.c.com"}));
        click(w.groupTreePane()->favouritesNode());
        QCOMPARE(w.currentGroup(), QStringLiteral("收藏夹"));
        QCOMPARE(f->captions(), QStringList{"www.b.com"});
        click(root);
        click(root->child(2));
        QCOMPARE(f->captions(), QStringList());
        QCOMPARE(w.statusPanelText(2), QStringLiteral("共条0记录"));
        click(root);
        QCOMPARE(w.currentGroup(), QStringLiteral("网址"));
        QCOMPARE(f->captions().size(), 3);
    }

    void transparentToggle()
    {
        MainWindow &w = f->open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.windowOpacity(), 1.0);
        QTest::mouseClick(w.toolBar()->translucencyButton(), Qt::LeftButton);
        QCOMPARE(qRound(w.windowOpacity() * 255), 200);
        QVERIFY(w.toolBar()->translucencyButton()->isChecked());
        QTest::mouseClick(w.toolBar()->translucencyButton(), Qt::LeftButton);
        QCOMPARE(w.windowOpacity(), 1.0);
        QVERIFY(!w.toolBar()->translucencyButton()->isChecked());
    }

    void putBehindToggle()
    {
        MainWindow &w = f->open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QPoint before = w.pos();
        // Only the stacking changes: the same native window carries the new flag, so
        // its opacity and normal geometry stay.
        QWindow *const native = w.windowHandle();
        QTest::mouseClick(w.toolBar()->stayOnTopButton(), Qt::LeftButton);
        QVERIFY(!(w.windowFlags() & Qt::WindowStaysOnTopHint));
        QCOMPARE(w.windowHandle(), native);
        QVERIFY(!(native->flags() & Qt::WindowStaysOnTopHint));
        QVERIFY(w.isVisible());
        QCOMPARE(w.pos(), before);
        QTest::mouseClick(w.toolBar()->stayOnTopButton(), Qt::LeftButton);
        QVERIFY(w.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(native->flags() & Qt::WindowStaysOnTopHint);
        QVERIFY(w.isVisible());
    }

    void favouritesButtonFromSearchTab()
    {
        MainWindow &w = f->open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.leftTabs()->setCurrentIndex(1);
        QTest::mouseClick(w.toolBar()->favouritesButton(), Qt::LeftButton);
        QCOMPARE(w.leftTabs()->currentIndex(), 0);
        QCOMPARE(w.groupTreePane()->tree()->currentItem(), w.groupTreePane()->favouritesNode());
        QCOMPARE(w.currentGroup(), QStringLiteral("收藏夹"));
        QCOMPARE(f->captions(), QStringList{"www.b.com"});
    }

    void helpMinimisesFirst()
    {
        MainWindow &w = f->open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        bool minimisedWhenOpened = false;
        w.setHelpOpener([&] {
            minimisedWhenOpened = w.isMinimized();
            return true;
        });
        QTest::mouseClick(w.toolBar()->helpButton(), Qt::LeftButton);
        QVERIFY(minimisedWhenOpened);
        QVERIFY(Dialogs::recorded().isEmpty());
    }

    // With no browser to start, the window comes back and a box says why.
    void helpWithoutBrowser()
    {
        MainWindow &w = f->open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.setHelpOpener([] { return false; });
        QTest::mouseClick(w.toolBar()->helpButton(), Qt::LeftButton);
        QVERIFY(!w.isMinimized());
        MainFixture::expectOnlyBox(MainWindow::helpFailureText(), QStringLiteral("提示"));
    }

    void exitShrinksThenCloses()
    {
        MainWindow &w = f->open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        bool allow = false;
        int asked = 0;
        w.setCloseQuestion([&] {
            ++asked;
            return allow;
        });
        QTest::mouseClick(w.toolBar()->exitButton(), Qt::LeftButton);
        QCOMPARE(asked, 1);
        QVERIFY(w.isVisible());
        QVERIFY(!w.isClosing());

        allow = true;
        const QRect start = w.geometry();
        QSignalSpy closed(&w, &CaptionWindow::closed);
        QTest::mouseClick(w.captionControls().closeButton, Qt::LeftButton);
        QVERIFY(w.isClosing());
        QTest::qWait(100);
        QVERIFY(w.isVisible());
        QVERIFY(w.width() < start.width());
        QVERIFY(qAbs(w.geometry().center().x() - start.center().x()) <= 1);
        QVERIFY(closed.wait(1000));
        QVERIFY(!w.isVisible());
        QCOMPARE(asked, 2);
    }

    void reCentredWhenAnotherProgramWindowCloses()
    {
        MainWindow &w = f->open();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const QPoint centred = w.pos();
        w.move(centred + QPoint(40, 30));
        CaptionWindow other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCOMPARE(w.pos(), centred + QPoint(40, 30));
        other.close();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(w.pos(), centred);
    }

    // The interface speaks the locale's language: English under an English locale, the
    // Chinese texts with Qt's Chinese buttons under a Chinese or the plain C locale.
    void speaksTheLocalesLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        // The window title, the help button, the tree menu's first item, the status bar's
        // count, the help failure's caption and the OK button of a box.
        QTest::addColumn<QStringList>("texts");
        const QStringList chinese{"网址管理软件V1.0", "帮助", "添加网址", "共条3记录", "提示", "确定"};
        QTest::newRow("English")
            << "en_US.UTF-8"
            << QStringList{"Web Address Manager V1.0", "Help", "Add Address", "3 addresses", "Notice", "OK"};
        QTest::newRow("Chinese") << "zh_CN.UTF-8" << chinese;
        QTest::newRow("C") << "C.UTF-8" << chinese;
    }
    void speaksTheLocalesLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, texts);
        QVERIFY(Language::install(locale));
        const auto restore = qScopeGuard([] { Language::uninstall(); });
        MainWindow &w = f->open();
        w.setHelpOpener([] { return false; });
        QTest::mouseClick(w.toolBar()->helpButton(), Qt::LeftButton);
        const auto box = Dialogs::makeBox(&w, QStringLiteral("x"), Dialogs::recorded().value(0).caption);
        const QStringList shown{w.windowTitle(),
                                w.toolBar()->helpButton()->text(),
                                w.groupTreePane()->addAddressAction()->text(),
                                w.statusPanelText(2),
                                box->windowTitle(),
                                box->button(QMessageBox::Ok)->text()};
        QCOMPARE(shown, texts);
    }

    // The copies of the pictures drawn at build time show what their drawings show: at the
    // copies' size on screens of scale 1 and 2, in the normal and the disabled mode, and at
    // a scale of 1.5, which no copy holds.
    void drawnPicturesEqualTheirDrawings_data()
    {
        QTest::addColumn<QString>("drawing");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<qreal>("scale");
        QTest::addColumn<int>("mode");
        QDirIterator copies(QStringLiteral(":/drawn"), {QStringLiteral("*.argb")}, QDir::Files,
                            QDirIterator::Subdirectories);
        int pictures = 0;
        while (copies.hasNext()) {
            QFile copy(copies.next());
            if (copy.fileName().endsWith(QLatin1String("@2x.argb")) || !copy.open(QIODevice::ReadOnly))
                continue;
            ++pictures;
            // The copy begins with its width and height.
            const QByteArray head = copy.read(8);
            const QSize size(qFromLittleEndian<quint32>(head.constData()),
                             qFromLittleEndian<quint32>(head.constData() + 4));
            const QString drawing = QLatin1String(":/") + copy.fileName().mid(8).chopped(5) + QLatin1String(".svg");
            for (const qreal scale : {1.0, 2.0, 1.5})
                for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled})
                    QTest::addRow("%s %.1f %d", qPrintable(drawing), scale, int(mode))
                        << drawing << size << scale << int(mode);
        }
        QVERIFY2(pictures >= 19, "the build drew the first screen's pictures");
    }

    void drawnPicturesEqualTheirDrawings()
    {
        QFETCH(QString, drawing);
        QFETCH(QSize, size);
        QFETCH(qreal, scale);
        QFETCH(int, mode);
        QVERIFY(QFile::exists(drawing));
        const QIcon svg(drawing);
        const auto pixels = [&](const QIcon &icon) {
            return icon.pixmap(size, scale, QIcon::Mode(mode))
                .toImage()
                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        };
        const QImage expected = pixels(svg);
        QCOMPARE(expected.size(), (QSizeF(size) * scale).toSize());
        QCOMPARE(pixels(SharedIcons::fromFile(drawing)), expected);
    }

    void splitterFoldsANarrowPane()
    {
        MainWindow &w = f->open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QSplitter *splitter = w.paneSplitter();
        const int total = splitter->sizes()[0] + splitter->sizes()[1];
        splitter->setSizes({31, total - 31});
        Q_EMIT splitter->splitterMoved(31, 1);
        QCOMPARE(splitter->sizes().first(), 31);
        splitter->setSizes({30, total - 30});
        Q_EMIT splitter->splitterMoved(30, 1);
        QCOMPARE(splitter->sizes().first(), 0);
    }
};

VESTRANE_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
