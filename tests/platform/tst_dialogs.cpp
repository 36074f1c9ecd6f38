// Message boxes keep their captions readable; the help page opens with the browser
// command, and says when it cannot.
#include "TestEnv.h"

#include "platform/Browser.h"
#include "platform/DesktopHelp.h"
#include "platform/Dialogs.h"
#include "platform/Language.h"
#include "platform/QtTranslations.h"
#include "services/Outcome.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>

namespace {

// One message of a catalogue: its context, source text and disambiguation, and whether
// each of its translations (one per plural form) is filled in.
struct CatalogueEntry
{
    QString key;
    bool finished = false;
};

QList<CatalogueEntry> readCatalogue(const QString &file)
{
    QFile ts(file);
    if (!ts.open(QIODevice::ReadOnly))
        return {};
    QList<CatalogueEntry> entries;
    QXmlStreamReader xml(&ts);
    QString context, source, comment;
    bool finished = true;
    while (!xml.atEnd()) {
        xml.readNext();
        const auto name = xml.name();
        if (xml.isStartElement() && name == QLatin1String("name"))
            context = xml.readElementText();
        else if (xml.isStartElement() && name == QLatin1String("message")) {
            source.clear();
            comment.clear();
            finished = true;
        } else if (xml.isStartElement() && name == QLatin1String("source"))
            source = xml.readElementText();
        else if (xml.isStartElement() && name == QLatin1String("comment"))
            comment = xml.readElementText();
        else if (xml.isStartElement() && name == QLatin1String("translation")) {
            // An attribute type marks it unfinished, obsolete or vanished.
            finished = !xml.attributes().hasAttribute(QLatin1String("type"));
            if (!xml.attributes().hasAttribute(QLatin1String("numerus")))
                finished = finished && !xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed().isEmpty();
        } else if (xml.isStartElement() && name == QLatin1String("numerusform"))
            finished = finished && !xml.readElementText().isEmpty();
        else if (xml.isEndElement() && name == QLatin1String("message"))
            entries.append({context + QLatin1Char('|') + source + QLatin1Char('|') + comment, finished});
    }
    return entries;
}

QStringList translatedFolders()
{
    return QStringLiteral(VESTRANE_TRANSLATED_FOLDERS).split(QLatin1Char(','));
}

// The string literals of C++ source code, each with the code just before it (comments
// left out, each literal in it written as "").
QList<QPair<QString, QString>> stringLiterals(const QString &code)
{
    QList<QPair<QString, QString>> literals;
    QString before;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (code.mid(i, 2) == QLatin1String("//")) {
            i = code.indexOf(QLatin1Char('\n'), i);
            if (i < 0)
                break;
        } else if (code.mid(i, 2) == QLatin1String("/*")) {
            i = code.indexOf(QLatin1String("*/"), i + 2) + 1;
            if (i <= 0)
                break;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            qsizetype end = i + 1;
            while (end < code.size() && code.at(end) != c)
                end += code.at(end) == QLatin1Char('\\') ? 2 : 1;
            if (c == QLatin1Char('"'))
                literals.append({code.mid(i + 1, end - i - 1), before.right(60)});
            before += QStringLiteral("\"\"");
            i = end;
        } else if (!c.isSpace() || !before.endsWith(QLatin1Char(' ')))
            before += c.isSpace() ? QLatin1Char(' ') : c; // a call's arguments may be indented far
    }
    return literals;
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // As the program does at start.
    void initTestCase() { QVERIFY2(Language::install(QStringLiteral("zh_CN.UTF-8")), QtTranslations::Catalogue); }

    // Qt's own texts read as Qt's Chinese catalogue gives them: the standard buttons of a
    // box (`button`), and the labels (`child`) and the Open button of the file dialog.
    void qtTextsComeFromItsCatalogue_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("child");
        QTest::newRow("OK") << "QPlatformTheme"
                            << "OK" << int(QMessageBox::Ok) << QString();
        QTest::newRow("Yes") << "QPlatformTheme"
                             << "&Yes" << int(QMessageBox::Yes) << QString();
        QTest::newRow("No") << "QPlatformTheme"
                            << "&No" << int(QMessageBox::No) << QString();
        QTest::newRow("Cancel") << "QPlatformTheme"
                                << "Cancel" << int(QMessageBox::Cancel) << QString();
        QTest::newRow("Look in") << "QFileDialog"
                                 << "Look in:" << 0 << QStringLiteral("lookInLabel");
        QTest::newRow("File name") << "QFileDialog"
                                   << "File &name:" << 0 << QStringLiteral("fileNameLabel");
        QTest::newRow("Open") << "QFileDialog"
                              << "&Open" << 0 << QString();
    }
    void qtTextsComeFromItsCatalogue()
    {
        QFETCH(QString, context);
        QFETCH(QString, source);
        QFETCH(int, button);
        QFETCH(QString, child);
        QTranslator catalogue;
        QVERIFY(catalogue.load(QLatin1String(QtTranslations::Catalogue), QtTranslations::folder()));
        const QString expected = catalogue.translate(context.toLatin1().constData(), source.toLatin1().constData());
        QVERIFY2(!expected.isEmpty() && expected != source, qPrintable(expected));
        QString shown;
        if (button) {
            const auto box =
                Dialogs::makeBox(nullptr, QStringLiteral("x"), QStringLiteral("提示"),
                                 QMessageBox::Ok | QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            shown = box->button(QMessageBox::StandardButton(button))->text();
        } else {
            QFileDialog dialog;
            dialog.setOption(QFileDialog::DontUseNativeDialog);
            if (!child.isEmpty())
                shown = dialog.findChild<QLabel *>(child)->text();
            else
                shown = dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Open)->text();
        }
        QCOMPARE(shown, expected);
    }

    // The locale of messages is read as the C library reads it, and only a Chinese or
    // a plain locale keeps the Chinese texts.
    void languageFollowsTheLocale_data()
    {
        QTest::addColumn<QStringList>("variables"); // LC_ALL, LC_MESSAGES, LANG, LANGUAGE
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("chinese");
        QTest::newRow("none set") << QStringList{"", "", "", ""} << "" << true;
        QTest::newRow("LANG English") << QStringList{"", "", "en_US.UTF-8", ""} << "en_US.UTF-8" << false;
        QTest::newRow("LANG Chinese") << QStringList{"", "", "zh_CN.UTF-8", ""} << "zh_CN.UTF-8" << true;
        QTest::newRow("LANG Taiwan") << QStringList{"", "", "zh_TW.Big5", ""} << "zh_TW.Big5" << true;
        QTest::newRow("LANG German") << QStringList{"", "", "de_DE@euro", ""} << "de_DE@euro" << false;
        QTest::newRow("LC_MESSAGES over LANG")
            << QStringList{"", "en_GB.UTF-8", "zh_CN.UTF-8", ""} << "en_GB.UTF-8" << false;
        QTest::newRow("LC_ALL over all") << QStringList{"C.UTF-8", "en_GB.UTF-8", "en_US.UTF-8", ""} << "C.UTF-8"
                                         << true;
        QTest::newRow("POSIX") << QStringList{"POSIX", "", "", ""} << "POSIX" << true;
        QTest::newRow("LANGUAGE over LANG") << QStringList{"", "", "zh_CN.UTF-8", "en:zh"} << "en" << false;
        QTest::newRow("LANGUAGE not under C") << QStringList{"C", "", "", "en"} << "C" << true;
    }
    void languageFollowsTheLocale()
    {
        QFETCH(QStringList, variables);
        QFETCH(QString, locale);
        QFETCH(bool, chinese);
        const QList<QByteArray> names{"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"};
        QList<QByteArray> saved;
        for (qsizetype i = 0; i < names.size(); ++i) {
            saved << qgetenv(names[i]);
            qputenv(names[i], variables[i].toUtf8());
        }
        const auto restore = qScopeGuard([&] {
            for (qsizetype i = 0; i < names.size(); ++i)
                qputenv(names[i], saved[i]);
        });
        QCOMPARE(Language::messagesLocaleName(), locale);
        QCOMPARE(Language::showsChineseTexts(locale), chinese);
    }

    // Every text that lupdate finds in the translated folders is in the committed catalogue
    // and translated, and the catalogue holds nothing else.
    void catalogueHoldsEveryText()
    {
        QTemporaryDir dir;
        const QString found = dir.filePath(QStringLiteral("found.ts"));
        QStringList arguments{QStringLiteral("-I"), QStringLiteral(VESTRANE_SOURCE_DIR "/src"),
                              QStringLiteral("-locations"), QStringLiteral("none")};
        for (const QString &folder : translatedFolders())
            arguments << QStringLiteral(VESTRANE_SOURCE_DIR "/src/") + folder;
        arguments << QStringLiteral("-ts") << found;
        QProcess lupdate;
        lupdate.start(QStringLiteral(VESTRANE_LUPDATE), arguments);
        QVERIFY(lupdate.waitForFinished(60000));
        QCOMPARE(lupdate.exitCode(), 0);

        QSet<QString> foundKeys;
        for (const CatalogueEntry &entry : readCatalogue(found))
            foundKeys.insert(entry.key);
        QVERIFY(foundKeys.size() > 50);
        QStringList problems;
        QSet<QString> committedKeys;
        for (const CatalogueEntry &entry :
             readCatalogue(QStringLiteral(VESTRANE_SOURCE_DIR "/translations/vestrane_en.ts"))) {
            committedKeys.insert(entry.key);
            if (!foundKeys.contains(entry.key))
                problems << QStringLiteral("no longer in the code: ") + entry.key;
            else if (!entry.finished)
                problems << QStringLiteral("not translated: ") + entry.key;
        }
        for (const QString &key : std::as_const(foundKeys)) {
            if (!committedKeys.contains(key))
                problems << QStringLiteral("missing: ") + key;
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    // No Chinese text in the code of a translated folder escapes translation: each is the
    // text of a tr() or translate() call, or kept as written on purpose (the list below).
    void chineseTextsGoThroughTranslation_data()
    {
        QTest::addColumn<QString>("folder");
        for (const QString &folder : translatedFolders())
            QTest::newRow(qPrintable(folder)) << folder;
    }
    void chineseTextsGoThroughTranslation()
    {
        QFETCH(QString, folder);
        // Texts that are data, not interface: group names stored in the library, and "收藏夹",
        // which the export option accepts and writes as a folder name into exported files.
        static const QStringList keptAsWritten{QStringLiteral("IE收藏夹"), QStringLiteral("未分组"),
                                               QStringLiteral("收藏夹"),   QStringLiteral("书签工具栏"),
                                               QStringLiteral("书签菜单"), QStringLiteral("其他书签"),
                                               QStringLiteral("书签栏"),   QStringLiteral("移动设备书签")};
        static const QRegularExpression chinese(
            QStringLiteral("[\\x{3000}-\\x{303f}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
        static const QRegularExpression translationCall(
            QStringLiteral("(\\btr\\(|\\b(translate|QT_TRANSLATE_NOOP)\\(\\s*\"\"\\s*,|\\bQT_TR_N?OOP\\()\\s*$"));
        QStringList untranslated;
        QDirIterator files(QStringLiteral(VESTRANE_SOURCE_DIR "/src/") + folder,
                           {QStringLiteral("*.cpp"), QStringLiteral("*.h")});
        while (files.hasNext()) {
            QFile file(files.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            for (const auto &[literal, before] : stringLiterals(QString::fromUtf8(file.readAll()))) {
                if (literal.contains(chinese) && !keptAsWritten.contains(literal)
                    && !translationCall.match(before).hasMatch())
                    untranslated << file.fileName().section(QLatin1Char('/'), -1) + QStringLiteral(": ") + literal;
            }
        }
        QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(QLatin1Char('\n'))));
    }

    // The window title is the caption alone, and even a box with a short text is wide
    // enough for the caption beside the window manager's icon and buttons.
    void boxKeepsItsCaption_data()
    {
        QTest::addColumn<QString>("caption");
        for (const char *caption : {"提示", "保存", "删除", "error", "提示信息"})
            QTest::newRow(caption) << QString::fromUtf8(caption);
    }
    void boxKeepsItsCaption()
    {
        QFETCH(QString, caption);
        const auto box = Dialogs::makeBox(nullptr, QStringLiteral("OK!"), caption);
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        QCOMPARE(box->windowTitle(), caption);
        QVERIFY(QGuiApplication::applicationDisplayName() != Dialogs::applicationTitle());
        QFont titleFont = box->font();
        titleFont.setPointSize(12);
        titleFont.setBold(true);
        const int captionText = QFontMetrics(titleFont).horizontalAdvance(caption);
        QVERIFY2(box->width() >= captionText + 80, qPrintable(QString::number(box->width())));
    }

    // The page in the interface's language.
    void helpOpensInTheBrowser_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("page");
        QTest::newRow("Chinese") << "zh_CN.UTF-8"
                                 << "/addresshelp.html";
        QTest::newRow("English") << "en_GB.UTF-8"
                                 << "/addresshelp_en.html";
    }
    void helpOpensInTheBrowser()
    {
        QFETCH(QString, locale);
        QFETCH(QString, page);
        Language::install(locale);
        const auto restore = qScopeGuard([] { Language::install(QStringLiteral("zh_CN.UTF-8")); });
        TestEnv env;
        env.installRecordingBrowser();
        QVERIFY(DesktopHelp::open());
        const QStringList calls = env.waitForBrowserCalls(1);
        QCOMPARE(calls.size(), 1);
        QVERIFY2(calls.first().startsWith(QLatin1String("file:///")), qPrintable(calls.first()));
        QVERIFY2(calls.first().endsWith(page), qPrintable(calls.first()));
        QVERIFY(QFile::exists(DesktopHelp::helpFile()));
    }

    // The browser gets the target as a web address, never as one of its options, and
    // never the server password.
    void browserGetsNoOption_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("argument");
        QTest::newRow("web address") << QStringLiteral("www.x.com/a") << QStringLiteral("www.x.com/a");
        QTest::newRow("with scheme") << QStringLiteral("https://x.com") << QStringLiteral("https://x.com");
        QTest::newRow("option") << QStringLiteral("--remote-debugging-port=9333")
                                << QStringLiteral("http://--remote-debugging-port=9333");
        QTest::newRow("short option") << QStringLiteral("-new-instance") << QStringLiteral("http://-new-instance");
        QTest::newRow("option after blanks") << QStringLiteral(" \t--headless") << QStringLiteral("http://--headless");
    }
    void browserGetsNoOption()
    {
        QFETCH(QString, target);
        QFETCH(QString, argument);
        TestEnv env;
        env.installRecordingBrowser();
        qputenv("PGPASSWORD", "secret");
        const bool opened = Browser::open(target);
        qunsetenv("PGPASSWORD");
        QVERIFY(opened);
        QCOMPARE(env.waitForBrowserCalls(1), QStringList{argument});
    }

    // No $BROWSER and neither x-www-browser nor xdg-open on the path.
    void helpWithoutBrowser()
    {
        TestEnv env;
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", QDir(env.root()).absolutePath().toLocal8Bit());
        const bool opened = DesktopHelp::open();
        qputenv("PATH", oldPath);
        QVERIFY(!opened);
    }

    // A read-only database is explained in its own words; any other failure is the
    // usual "error!!!".
    void failureBoxSaysReadOnlyInItsOwnWords()
    {
        Dialogs::startRecording();
        Dialogs::failure(nullptr, Outcome::readOnly(QStringLiteral("只读")));
        Dialogs::failure(nullptr, Outcome::failed(QStringLiteral("disk I/O error")));
        QCOMPARE(Dialogs::recorded().size(), 2);
        QCOMPARE(Dialogs::recorded().at(0).text, QStringLiteral("只读"));
        QCOMPARE(Dialogs::recorded().at(0).caption, QStringLiteral("提示"));
        QCOMPARE(Dialogs::recorded().at(1).text, QStringLiteral("error!!!"));
        Dialogs::stopRecording();
        Dialogs::clearRecorded();
    }
};

VESTRANE_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
