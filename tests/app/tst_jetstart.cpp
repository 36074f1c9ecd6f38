#include "TestEnv.h"

#include "app/JetStart.h"
#include "data/DbConnection.h"
#include "data/AppError.h"
#include "platform/Dialogs.h"

#include <QCryptographicHash>
#include <QSqlQuery>
#include <QtTest>

// The start-up question for a Jet file in the data folder.
class TestJetStart : public QObject
{
    Q_OBJECT

private:
    QString m_file;

    static QByteArray digest(const QString &file)
    {
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }

    void place(const QString &fixture)
    {
        QFile::remove(m_file);
        QFile::remove(m_file + QStringLiteral(".jet"));
        QFile::copy(QStringLiteral(VESTRANE_SOURCE_DIR "/tests/data/fixtures/jet/") + fixture, m_file);
        QFile::setPermissions(m_file, QFile::ReadOwner | QFile::WriteOwner);
        // What a conversion killed part-way leaves: gone after the start, whatever the answer.
        for (const char *leftover : {".converting", ".converting-journal", ".converting.new-a1b2c3"}) {
            QFile file(m_file + QLatin1String(leftover));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("half a database");
        }
    }

    QStringList folderListing() const { return QFileInfo(m_file).dir().entryList(QDir::Files, QDir::Name); }

private Q_SLOTS:
    void initTestCase()
    {
        m_file = QDir::tempPath() + QStringLiteral("/jetstart-%1/address.mdb").arg(QCoreApplication::applicationPid());
        QDir().mkpath(QFileInfo(m_file).absolutePath());
        Dialogs::startRecording();
    }

    void cleanupTestCase() { QFileInfo(m_file).dir().removeRecursively(); }

    void init() { Dialogs::clearRecorded(); }

    void noAnswerChangesNothing()
    {
        place(QStringLiteral("small.mdb"));
        const QByteArray before = digest(m_file);
        DbConnection db(QStringLiteral("start"));
        db.setDatabaseFile(m_file);
        Dialogs::setNextAnswer(QMessageBox::No);

        offerJetConversion(db);

        QCOMPARE(Dialogs::recorded().size(), 1);
        const Dialogs::Shown &box = Dialogs::recorded().first();
        QCOMPARE(box.text,
                 QStringLiteral("address.mdb 是旧版（Jet）数据文件。转换为本程序的格式吗？"
                                "原文件将保留为 address.mdb.jet。"));
        QCOMPARE(box.caption, QStringLiteral("提示"));
        QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(digest(m_file), before);
        QCOMPARE(folderListing(), QStringList(QStringLiteral("address.mdb")));
        // Start-up goes on as with any unreadable database, whose error names the file.
        try {
            db.query(QStringLiteral("SELECT * FROM BaseGroup"));
            QFAIL("a Jet file was read as a database");
        } catch (const AppError &error) {
            QVERIFY2(error.message().startsWith(QStringLiteral("数据库文件“%1”不是本程序的数据库").arg(m_file)),
                     qPrintable(error.message()));
        }
        QCOMPARE(digest(m_file), before);
    }

    void yesConvertsAndStartGoesOnWithTheNewFile()
    {
        place(QStringLiteral("small.mdb"));
        DbConnection db(QStringLiteral("start"));
        db.setDatabaseFile(m_file);
        Dialogs::setNextAnswer(QMessageBox::Yes);

        offerJetConversion(db);

        QCOMPARE(Dialogs::recorded().size(), 1);
        QCOMPARE(folderListing(), QStringList({QStringLiteral("address.mdb"), QStringLiteral("address.mdb.jet")}));
        QSqlQuery query = db.query(QStringLiteral("SELECT count(*) FROM address"));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), 9);
    }

    void aBrokenFileIsReportedByName()
    {
        place(QStringLiteral("truncated.mdb"));
        const QByteArray before = digest(m_file);
        DbConnection db(QStringLiteral("start"));
        db.setDatabaseFile(m_file);
        Dialogs::setNextAnswer(QMessageBox::Yes);

        offerJetConversion(db);

        QCOMPARE(Dialogs::recorded().size(), 2);
        QVERIFY2(Dialogs::recorded().last().text.startsWith(QStringLiteral("无法读取 address.mdb：")),
                 qPrintable(Dialogs::recorded().last().text));
        QCOMPARE(digest(m_file), before);
        QCOMPARE(folderListing(), QStringList(QStringLiteral("address.mdb")));
    }

    void ourOwnDatabaseIsNotAsked()
    {
        QFile::remove(m_file);
        DbConnection db(QStringLiteral("start"));
        db.setDatabaseFile(m_file);
        db.open();
        offerJetConversion(db);
        QVERIFY(Dialogs::recorded().isEmpty());
    }
};

VESTRANE_TEST_MAIN(TestJetStart)

#include "tst_jetstart.moc"
