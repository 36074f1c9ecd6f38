#include "LoopbackWebServer.h"
#include "ProgramRun.h"
#include "TestEngine.h"
#include "TestEnv.h"

#include "data/SharedConnection.h"
#include "data/AddressStore.h"
#include "data/GroupStore.h"
#include "data/Schema.h"
#include "services/AddressEditing.h"
#include "links/LinkChecker.h"
#include "links/LinkFailureHints.h"
#include "links/LinkFixes.h"
#include "links/LinkStore.h"

#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtTest>

namespace {

const QByteArray iconBytes = QByteArray::fromHex("89504e470d0a1a0a0000000d49484452") + QByteArray(40, '\x01');

// The sites of the test: every answer the check must tell apart, on 127.0.0.1 only.
LoopbackWebServer::Answer answerFor(const LoopbackWebServer::Request &request)
{
    using Answer = LoopbackWebServer::Answer;
    const QByteArray path = request.path;
    const bool head = request.method == "HEAD";
    const auto redirect = [](int status, const QByteArray &to) { return Answer{status, {{"Location", to}}, {}}; };
    static QAtomicInt busyAnswers;
    if (path == "/ok" || path == "/new" || path == "/cli-ok" || path == "/cli-titled")
        return {200, {{"Content-Type", "text/html"}}, "<title>fine</title>"};
    if (path == "/gone404" || path == "/cli-404")
        return {404, {}, {}};
    if (path == "/gone410")
        return {410, {}, {}};
    if (path == "/error500")
        return {500, {}, {}};
    if (path.startsWith("/moved301?to="))
        return redirect(301, path.mid(13));
    if (path == "/moved308")
        return redirect(308, "/new");
    if (path == "/cli-slash")
        return redirect(301, "/cli-slash/");
    if (path == "/cli-slash/")
        return {200, {}, {}};
    if (path == "/temp302")
        return redirect(302, "/ok");
    if (path == "/loop")
        return redirect(301, "/loop-back");
    if (path == "/loop-back")
        return redirect(301, "/loop");
    if (path.startsWith("/chain/")) { // /chain/N takes N redirects to reach a page
        const int left = path.mid(7).toInt();
        return left == 0 ? Answer{200, {}, {}} : redirect(302, "/chain/" + QByteArray::number(left - 1));
    }
    if (path == "/nohead")
        return head ? Answer{405, {}, {}} : Answer{200, {}, {}};
    if (path == "/hang-up-on-head")
        return head ? Answer{200, {}, {}, 0, false, true} : Answer{200, {}, {}};
    if (path == "/slow")
        return {200, {}, {}, 0, true};
    if (path == "/busy") // every other request is turned away for a second
        return busyAnswers.fetchAndAddRelaxed(1) % 2 == 0 ? Answer{429, {{"Retry-After", "1"}}, {}}
                                                          : Answer{200, {}, {}};
    if (path == "/gbk") {
        QStringEncoder gbk("GB18030");
        const QByteArray page = "<html><head><meta charset=\"gbk\"><link rel=\"shortcut icon\" href=\"/gbk-icon.png\">"
                                "<title>"
            + QByteArray(gbk.encode(QStringLiteral("中文标题 &amp; 更多"))) + "</title></head></html>";
        return {200, {{"Content-Type", "text/html"}}, page};
    }
    if (path == "/gbk-icon.png")
        return {200, {{"Content-Type", "image/png"}}, iconBytes};
    return {404, {}, {}};
}

} // namespace

class TestLinkCheck : public QObject
{
    Q_OBJECT

    LoopbackWebServer server{answerFor};
    quint16 site = 0;
    quint16 otherSite = 0;
    quint16 tlsSite = 0;
    quint16 closedSite = 0;

    QString on(quint16 port, const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path);
    }

private Q_SLOTS:
    void initTestCase()
    {
        site = server.listen();
        otherSite = server.listen();
        closedSite = LoopbackWebServer::closedPort();
        QVERIFY(site && otherSite && closedSite);
        // A certificate no one vouches for, made for this run.
        const QString key =
            QDir::temp().filePath(QStringLiteral("vestrane-link-test-%1.key").arg(QCoreApplication::applicationPid()));
        const QString certificate = key + QStringLiteral(".crt");
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
                      {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                       QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                       QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                       QStringLiteral("-keyout"), key, QStringLiteral("-out"), certificate});
        QVERIFY(openssl.waitForFinished(60000) && openssl.exitCode() == 0);
        QFile keyFile(key), certificateFile(certificate);
        QVERIFY(keyFile.open(QIODevice::ReadOnly) && certificateFile.open(QIODevice::ReadOnly));
        tlsSite = server.listenTls(QSslCertificate(&certificateFile), QSslKey(&keyFile, QSsl::Rsa));
        keyFile.remove();
        certificateFile.remove();
        QVERIFY(tlsSite);
    }

    void eachAnswerGetsItsStatus_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("wantTitle");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("finalAddress");
        QTest::addColumn<QString>("said"); // in the title, or else in the reason
        QTest::addColumn<QByteArray>("path"); // requests to it counted
        QTest::addColumn<int>("requests");
        QTest::addColumn<QByteArray>("icon"); // the site icon that must come; empty: none

        const QString moveTarget = on(otherSite, QStringLiteral("/new"));
        const auto row = [](const char *name) -> QTestData & { return QTest::newRow(name); };
        row("200, HEAD only") << on(site, "/ok") << false << "ok" << 200 << on(site, "/ok") << "" << QByteArray("/ok")
                              << 1 << QByteArray();
        row("no scheme is http") << QStringLiteral("127.0.0.1:%1/ok").arg(site) << false << "ok" << 200
                                 << on(site, "/ok") << "" << QByteArray("/ok") << 1 << QByteArray();
        row("404 at once") << on(site, "/gone404") << false << "broken" << 404 << on(site, "/gone404") << "404"
                           << QByteArray("/gone404") << 1 << QByteArray();
        row("410") << on(site, "/gone410") << false << "broken" << 410 << on(site, "/gone410") << "410"
                   << QByteArray("/gone410") << 1 << QByteArray();
        row("500 asked twice") << on(site, "/error500") << false << "broken" << 500 << on(site, "/error500") << "500"
                               << QByteArray("/error500") << 2 << QByteArray();
        row("301 to another site") << on(site, "/moved301?to=" + moveTarget) << false << "moved" << 200 << moveTarget
                                   << "" << QByteArray("/new") << 1 << QByteArray();
        row("308 on the site") << on(site, "/moved308") << false << "moved" << 200 << on(site, "/new") << ""
                               << QByteArray("/moved308") << 1 << QByteArray();
        row("302 is ok") << on(site, "/temp302") << false << "ok" << 200 << on(site, "/ok") << ""
                         << QByteArray("/temp302") << 1 << QByteArray();
        row("redirect loop") << on(site, "/loop") << false << "broken" << 301 << on(site, "/loop-back") << "循环"
                             << QByteArray("/loop") << 1 << QByteArray();
        row("10 hops") << on(site, "/chain/10") << false << "ok" << 200 << on(site, "/chain/0") << ""
                       << QByteArray("/chain/0") << 1 << QByteArray();
        row("11 hops") << on(site, "/chain/11") << false << "broken" << 302 << on(site, "/chain/1") << "10"
                       << QByteArray("/chain/0") << 0 << QByteArray();
        row("HEAD refused") << on(site, "/nohead") << false << "ok" << 200 << on(site, "/nohead") << ""
                            << QByteArray("/nohead") << 2 << QByteArray();
        row("HEAD hung up") << on(site, "/hang-up-on-head") << false << "ok" << 200 << on(site, "/hang-up-on-head")
                            << "" << QByteArray() << 0 << QByteArray();
        row("slow page") << on(site, "/slow") << false << "unreachable" << 0 << on(site, "/slow") << "超时"
                         << QByteArray("/slow") << 1 << QByteArray();
        row("closed port") << on(closedSite, "/") << false << "unreachable" << 0 << on(closedSite, "/") << "refused"
                           << QByteArray() << 0 << QByteArray();
        row("429 waits") << on(site, "/busy") << false << "ok" << 200 << on(site, "/busy") << "" << QByteArray("/busy")
                         << 2 << QByteArray();
        row("GBK title, icon") << on(otherSite, "/gbk") << true << "ok" << 200 << on(otherSite, "/gbk")
                               << "中文标题 & 更多" << QByteArray("/gbk-icon.png") << 1 << iconBytes;
        row("self-signed TLS") << QStringLiteral("https://127.0.0.1:%1/").arg(tlsSite) << false << "unreachable" << 0
                               << QStringLiteral("https://127.0.0.1:%1/").arg(tlsSite) << "self-signed" << QByteArray()
                               << 0 << QByteArray();
        row("javascript") << "javascript:void(0)" << false << "not checked" << 0 << ""
                          << "" << QByteArray() << 0 << QByteArray();
        row("ftp") << "ftp://127.0.0.1/x" << false << "not checked" << 0 << ""
                   << "" << QByteArray() << 0 << QByteArray();
    }
    void eachAnswerGetsItsStatus()
    {
        QFETCH(QString, address);
        QFETCH(bool, wantTitle);
        QFETCH(QString, status);
        QFETCH(int, code);
        QFETCH(QString, finalAddress);
        QFETCH(QString, said);
        QFETCH(QByteArray, path);
        QFETCH(int, requests);
        QFETCH(QByteArray, icon);
        if (TestEngine::isPostgres())
            QSKIP("no database takes part");

        LinkCheckSettings settings;
        settings.timeoutMs = 1000;
        LinkChecker checker(settings);
        QList<LinkResult> results;
        QList<QPair<QString, QByteArray>> icons;
        connect(&checker, &LinkChecker::checked, this, [&](int, const LinkResult &result) { results << result; });
        connect(&checker, &LinkChecker::iconFetched, this,
                [&](const QString &site, const QByteArray &bytes) { icons << qMakePair(site, bytes); });
        QSignalSpy finished(&checker, &LinkChecker::finished);
        const int requestsBefore = server.requestsFor(path);
        checker.start({{address, wantTitle}});
        QVERIFY(finished.wait(20000));

        QCOMPARE(results.size(), 1);
        const LinkResult &result = results.first();
        QCOMPARE(result.address, address);
        QCOMPARE(linkStatusName(result.status), status);
        QCOMPARE(result.httpCode, code);
        QCOMPARE(result.finalAddress, finalAddress);
        if (wantTitle)
            QCOMPARE(result.title, said);
        else
            QVERIFY2(result.reason.contains(said), qPrintable(result.reason));
        if (!path.isEmpty())
            QCOMPARE(server.requestsFor(path) - requestsBefore, requests);
        if (icon.isEmpty()) {
            QVERIFY(icons.isEmpty());
        } else {
            QCOMPARE(icons.size(), 1);
            QCOMPARE(icons.first().first, QStringLiteral("127.0.0.1:%1").arg(otherSite));
            QCOMPARE(icons.first().second, icon);
        }
    }

    // The command line checks each address text once, prints what is not ok in the
    // order of the list, and keeps the results: failures in a row count on.
    void commandLineChecksAndKeepsTheResults()
    {
        TestEnv env;
        {
            QSettings settings(env.settingsFile(), QSettings::IniFormat);
            settings.setValue(QStringLiteral("LinkCheck/Timeout"), 1);
        }
        const QString ok = on(site, "/cli-ok"), gone = on(site, "/cli-404"), closed = on(closedSite, "/");
        const QString moved = on(site, "/moved301?to=" + on(otherSite, "/new"));
        const QString titled = on(site, "/cli-titled");
        const QString slash = on(site, "/cli-slash"); // moved where the editor stores the same address
        {
            DbConnection db(QStringLiteral("fill"));
            configureConnection(db);
            QCOMPARE(GroupStore::addGroup(db, QStringLiteral("链接")), GroupStore::GroupChange::Done);
            const int group = *GroupStore::groupNoOf(db, QStringLiteral("链接"));
            AddressStore::insert(db, ok, QStringLiteral("好"), group);
            AddressStore::insert(db, gone, QString(), group);
            AddressStore::insert(db, moved, QStringLiteral("搬走了"), 1);
            AddressStore::insert(db, titled, titled, 1);
            AddressStore::insert(db, closed, closed, 1);
            AddressStore::insert(db, QStringLiteral("javascript:void(0)"), QString(), 1);
            AddressStore::insert(db, ok, QStringLiteral("又一个"), 1);
            AddressStore::insert(db, slash, QStringLiteral("斜线"), 1);
        }
        const QString summary = QStringLiteral("checked 7: ok 2, moved 2, broken 1, unreachable 1, not checked 1\n");
        const QString lines =
            QStringLiteral("broken\t404\t%1\t\nmoved\t200\t%2\t%3\nunreachable\t0\t%4\t\nmoved\t200\t%5\t%5/\n")
                .arg(gone, moved, on(otherSite, "/new"), closed, slash);
        // The fixes offered, as the rows would take them.
        const QString fixes = QStringLiteral("fix\tnew-address\t%1\t127.0.0.1:%2/new\nfix\tpage-title\t%3\tfine\n")
                                  .arg(moved)
                                  .arg(otherSite)
                                  .arg(titled);
        const ProgramRun first = runProgram({QStringLiteral("--check-links")});
        QCOMPARE(first.exitCode, 0);
        QCOMPARE(first.out, lines + summary + fixes);
        QCOMPARE(first.err, QString()); // progress only on a terminal
        QCOMPARE(server.requestsFor("/cli-ok"), 1);

        DbConnection db(QStringLiteral("read"));
        configureConnection(db);
        const LinkStore::StoredCheck gotOnce = *LinkStore::checkOf(db, gone);
        QCOMPARE(gotOnce.failuresInRow, 1);
        QCOMPARE(gotOnce.firstFailure, gotOnce.checkedAt);
        QCOMPARE(LinkStore::checkOf(db, moved)->finalAddress, on(otherSite, "/new"));
        QCOMPARE(LinkStore::checkOf(db, ok)->titleSeen, QString()); // named rows need no title
        QVERIFY(!LinkStore::checkOf(db, QStringLiteral("javascript:void(0)")));

        // The failing addresses, each row's hint saying why.
        QStringList failing;
        for (const AddressRecord &record : AddressStore::list(db, AddressFilter::failing()))
            failing << record.address;
        failing.sort();
        QStringList expectedFailing{gone, closed};
        expectedFailing.sort();
        QCOMPARE(failing, expectedFailing);
        QCOMPARE(LinkFailureHints().hintFor(db, gone),
                 QStringLiteral("检查结果：失效（HTTP 404 Not Found）\n失效起始：%1\n连续失效：1 次（最近检查 %1）")
                     .arg(gotOnce.checkedAt));
        QVERIFY(LinkFailureHints().hintFor(db, closed).startsWith(QStringLiteral("检查结果：无法访问（")));
        QCOMPARE(LinkFailureHints().hintFor(db, ok), QString());

        // The fixes it offers change the rows as the editor does; others are refused.
        const QString importGroup = Schema::ImportGroup;
        QCOMPARE(LinkFixes::useNewAddress(db, moved, QStringLiteral("搬走了"), importGroup).count, 1);
        QCOMPARE(LinkFixes::usePageTitle(db, titled, titled, importGroup).count, 1);
        QCOMPARE(LinkFixes::usePageTitle(db, ok, QStringLiteral("又一个"), importGroup).kind, Outcome::Kind::Refused);
        QCOMPARE(LinkFixes::useNewAddress(db, gone, QString(), QStringLiteral("链接")).kind, Outcome::Kind::Refused);
        QCOMPARE(LinkFixes::useNewAddress(db, slash, QStringLiteral("斜线"), importGroup).kind, Outcome::Kind::Refused);
        QStringList rows;
        for (const AddressRecord &record : AddressStore::list(db, AddressFilter::group(importGroup)))
            rows << record.address + QLatin1Char('=') + record.name;
        QCOMPARE(rows,
                 (QStringList{QStringLiteral("127.0.0.1:%1/new=搬走了").arg(otherSite),
                              AddressEditing::storedAddress(titled) + "=fine", closed + QLatin1Char('=') + closed,
                              QStringLiteral("javascript:void(0)="), ok + QStringLiteral("=又一个"),
                              slash + QStringLiteral("=斜线")}));
        db.close();

        QTest::qWait(1100); // a later second for the next check
        const ProgramRun second = runProgram({QStringLiteral("--check-links"), QStringLiteral("链接")});
        QCOMPARE(second.out,
                 QStringLiteral("broken\t404\t%1\t\nchecked 2: ok 1, moved 0, broken 1, unreachable 0, not checked 0\n")
                     .arg(gone));
        const LinkStore::StoredCheck gotTwice = *LinkStore::checkOf(db, gone);
        QCOMPARE(gotTwice.failuresInRow, 2);
        QCOMPARE(gotTwice.firstFailure, gotOnce.firstFailure);
        QVERIFY(gotTwice.checkedAt > gotOnce.checkedAt);
        QCOMPARE(LinkStore::checkOf(db, ok)->failuresInRow, 0);
        QCOMPARE(LinkFailureHints().hintFor(db, gone).section(QLatin1Char('\n'), 2),
                 QStringLiteral("连续失效：2 次（最近检查 %1）").arg(gotTwice.checkedAt));

        const ProgramRun noGroup = runProgram({QStringLiteral("--check-links"), QStringLiteral("没有这个组")});
        QCOMPARE(noGroup.exitCode, 1);
        QVERIFY(noGroup.err.contains(QStringLiteral("没有这个组")));
        QCOMPARE(runProgram({QStringLiteral("--check-links"), QStringLiteral("a"), QStringLiteral("b")}).exitCode, 2);

        // A setting that is no number stops the check before it reads the library.
        QSettings(env.settingsFile(), QSettings::IniFormat).setValue(QStringLiteral("LinkCheck/Timeout"), "soon");
        const ProgramRun badSetting = runProgram({QStringLiteral("--check-links")});
        QCOMPARE(badSetting.exitCode, 1);
        QVERIFY2(badSetting.err.contains(QStringLiteral("'Timeout'")), qPrintable(badSetting.err));
    }
};

QTEST_GUILESS_MAIN(TestLinkCheck)
#include "tst_linkcheck.moc"
