// A second program writing to the same library at the same time as others, for the
// concurrency test: adds groups (some names shared with the other writers, some its
// own), counts visits of one address and imports rows in transactions of 20.
//   vestrane_concurrent_writer LOCATION TAG ROUNDS
// LOCATION is a database file or a server's URI. Exits 0 when every command succeeded.
#include "data/AddressStore.h"
#include "data/AppError.h"
#include "data/GroupStore.h"
#include "data/ImportWriter.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        QTextStream(stderr) << "usage: vestrane_concurrent_writer LOCATION TAG ROUNDS\n";
        return 2;
    }
    const QString tag = args.at(2);
    const int rounds = args.at(3).toInt();
    DbConnection db(QStringLiteral("writer"));
    db.setDatabaseFile(args.at(1));
    try {
        for (int round = 0; round < rounds; ++round) {
            GroupStore::addGroup(db, QStringLiteral("共享%1").arg(round % 5));
            GroupStore::addGroup(db, tag + QString::number(round));
            AddressStore::countVisit(db, QStringLiteral("shared.example"));
            if (round % 5 == 0) {
                Transaction transaction(db);
                ImportWriter writer(db);
                const int groupNo = writer.groupNo(QStringLiteral("导入"));
                for (int row = 0; row < 20; ++row)
                    writer.insert(QStringLiteral("%1.example/%2/%3").arg(tag).arg(round).arg(row), tag, QString(),
                                  groupNo);
                writer.finish();
                transaction.commit();
            }
        }
    } catch (const AppError &error) {
        QTextStream(stderr) << error.message() << '\n';
        return 1;
    }
    return 0;
}
