#include "BusTest.h"

#include "automation/BrowserHosts.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

QJsonObject jsonOf(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
}

int run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    process.closeWriteChannel(); // a browser that closes at once: the host ends cleanly
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
}

QStringList allManifests()
{
    return BrowserHosts::firefoxManifestFiles() + BrowserHosts::chromiumManifestFiles();
}

// The browser's own folder, which holds the folder of its hosts' manifests.
QString browserFolderOf(const QString &manifest)
{
    return QFileInfo(QFileInfo(manifest).absolutePath()).absolutePath();
}

} // namespace

class TestBrowserHosts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Only browsers that have run (their own folder exists) get a manifest; the folders of
    // the others are not made.
    void registerWritesTheManifestsAndUnregisterRemovesThem()
    {
        QVERIFY(BrowserHosts::firefoxManifestFile().startsWith(QDir::homePath() + QStringLiteral("/.mozilla/")));
        QCOMPARE(BrowserHosts::firefoxManifestFiles().size(), 2);
        QCOMPARE(BrowserHosts::chromiumManifestFiles().size(), 5);
        const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        const QStringList installed{BrowserHosts::firefoxManifestFiles().at(1),
                                    BrowserHosts::chromiumManifestFiles().at(0),
                                    BrowserHosts::chromiumManifestFiles().at(4)};
        QVERIFY(installed.at(0).startsWith(config + QStringLiteral("/mozilla/")));
        for (const QString &file : installed)
            QVERIFY(QDir().mkpath(browserFolderOf(file)));
        QCOMPARE(BrowserHosts::installedBrowsersManifestFiles(), installed);

        QCOMPARE(run(programPath(), {QStringLiteral("-regserver")}), 0);
        const QString launcher = BrowserHosts::launcherFile();
        QVERIFY(QFileInfo(launcher).isExecutable());
        for (const QString &file : allManifests()) {
            if (!installed.contains(file)) {
                QVERIFY2(!QFileInfo::exists(browserFolderOf(file)), qPrintable(file));
                continue;
            }
            const QJsonObject manifest = jsonOf(file);
            QVERIFY2(!manifest.isEmpty(), qPrintable(file));
            QCOMPARE(manifest.value(QStringLiteral("name")).toString(), QStringLiteral("vestrane"));
            QCOMPARE(manifest.value(QStringLiteral("type")).toString(), QStringLiteral("stdio"));
            QCOMPARE(manifest.value(QStringLiteral("path")).toString(), launcher);
        }
        QVERIFY(!QFileInfo::exists(config + QStringLiteral("/BraveSoftware")));
        QCOMPARE(jsonOf(installed.at(0)).value(QStringLiteral("allowed_extensions")).toArray(),
                 QJsonArray{QStringLiteral("browser-button@vestrane")});
        QCOMPARE(jsonOf(installed.at(1)).value(QStringLiteral("allowed_origins")).toArray(),
                 QJsonArray{QStringLiteral("chrome-extension://klmlchckdiheeinngilghkfcjhfomihd/")});
        // The launcher starts the host, which ends when the browser closes its input.
        QCOMPARE(run(launcher, {QStringLiteral("chrome-extension://klmlchckdiheeinngilghkfcjhfomihd/")}), 0);

        QCOMPARE(run(programPath(), {QStringLiteral("-unregserver")}), 0);
        QVERIFY(!QFileInfo::exists(launcher));
        for (const QString &file : allManifests())
            QVERIFY2(!QFileInfo::exists(file), qPrintable(file));
    }

    // The launcher hands the browser's arguments on, whatever the program's folder is called.
    void launcherStartsTheProgramByItsExactPath()
    {
        QTemporaryDir dir;
        const QString program = dir.path() + QStringLiteral("/my apps/it's \"q\" $HOME `x`/vestrane");
        QVERIFY(QDir().mkpath(QFileInfo(program).path()));
        const QString log = dir.path() + QStringLiteral("/arguments");
        {
            QFile script(program);
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1'\n").arg(log).toUtf8());
        }
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        BrowserHosts::writeFiles(program);
        QCOMPARE(run(BrowserHosts::launcherFile(), {QStringLiteral("/x/vestrane.json"), QStringLiteral("a b")}), 0);
        QFile written(log);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("--native-messaging\n/x/vestrane.json\na b\n"));
        BrowserHosts::removeFiles();
    }

    // The ids the manifests allow are those the extension gets: Firefox's from its
    // manifest, Chromium's from the public key in it.
    void allowedIdsMatchTheExtension()
    {
        const QJsonObject manifest =
            jsonOf(QStringLiteral(VESTRANE_SOURCE_DIR) + QStringLiteral("/browser-extension/manifest.json"));
        QVERIFY(!manifest.isEmpty());
        const QString geckoId = manifest.value(QStringLiteral("browser_specific_settings"))
                                    .toObject()
                                    .value(QStringLiteral("gecko"))
                                    .toObject()
                                    .value(QStringLiteral("id"))
                                    .toString();
        QCOMPARE(geckoId, QLatin1String(BrowserHosts::FirefoxExtensionId));
        const QByteArray key = QByteArray::fromBase64(manifest.value(QStringLiteral("key")).toString().toLatin1());
        QVERIFY(!key.isEmpty());
        QByteArray id = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32);
        for (char &c : id)
            c = char('a' + QByteArray(1, c).toInt(nullptr, 16));
        QCOMPARE(id, QByteArray(BrowserHosts::ChromiumExtensionId));
    }
};

VESTRANE_BUS_TEST_MAIN(TestBrowserHosts)
#include "tst_browserhosts.moc"
