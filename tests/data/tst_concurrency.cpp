#include "TestEngine.h"
#include "TestEnv.h"

#include "data/AddressStore.h"
#include "data/SharedConnection.h"
#include "data/GroupStore.h"
#include "data/Schema.h"

#include <QProcess>
#include <QSet>
#include <QtTest>

// Two programs write to one library at the same time; afterwards every write is there
// exactly once.
class TestConcurrency : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void twoWritersAddGroupsCountVisitsAndImport()
    {
        TestEnv env;
        DbConnection db(QStringLiteral("check"));
        configureConnection(db);
        AddressStore::insert(db, QStringLiteral("shared.example"), QStringLiteral("共享"), 1);
        const QString location = db.location().text();
        db.close();

        constexpr int rounds = 150;
        const QStringList tags{QStringLiteral("甲"), QStringLiteral("乙")};
        std::vector<std::unique_ptr<QProcess>> writers;
        for (const QString &tag : tags) {
            auto process = std::make_unique<QProcess>();
            process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            process->start(QStringLiteral(VESTRANE_CONCURRENT_WRITER), {location, tag, QString::number(rounds)});
            writers.push_back(std::move(process));
        }
        for (const auto &process : writers) {
            QVERIFY(process->waitForFinished(120000));
            QCOMPARE(process->exitStatus(), QProcess::NormalExit);
            QCOMPARE(process->exitCode(), 0);
        }

        // Each name once, each number once.
        QStringList names;
        QSet<int> numbers;
        QSqlQuery groups = db.query(QStringLiteral("SELECT GroupNo, GroupName FROM BaseGroup"));
        while (groups.next()) {
            numbers.insert(groups.value(0).toInt());
            names << groups.value(1).toString();
        }
        QStringList expected{Schema::ImportGroup, QStringLiteral("导入")};
        for (int i = 0; i < 5; ++i)
            expected << QStringLiteral("共享%1").arg(i);
        for (const QString &tag : tags) {
            for (int round = 0; round < rounds; ++round)
                expected << tag + QString::number(round);
        }
        names.sort();
        expected.sort();
        QCOMPARE(names, expected);
        QCOMPARE(numbers.size(), names.size());

        // Every visit counted, every imported row stored.
        QSqlQuery visits =
            db.query(QStringLiteral("SELECT Times FROM address WHERE Address = ?"), {QStringLiteral("shared.example")});
        QVERIFY(visits.next());
        QCOMPARE(visits.value(0).toInt(), 2 * rounds);
        QCOMPARE(AddressStore::list(db, AddressFilter::group(QStringLiteral("导入"))).size(),
                 size_t(tags.size() * (rounds / 5) * 20));
    }
};

VESTRANE_TEST_MAIN(TestConcurrency)
#include "tst_concurrency.moc"
