#pragma once

#include <QString>
#include <QStringList>

class DbConnection;

// The database engine a test of the data layer runs on: SQLite (a file in the test's own
// folders) unless VESTRANE_TEST_ENGINE=postgres, then the test run's PostgreSQL server,
// whose URI CTest gives in VESTRANE_TEST_POSTGRES.
namespace TestEngine {

bool isPostgres();
// The URI of the test run's server (its maintenance database); empty when there is none.
QString serverUri();

// Runs statements on a database (a file, or a server's URI) through a connection of its
// own, as another program would: without the program's connection, which would make or
// upgrade the tables first. Throws std::runtime_error with the statement that failed.
void runAsAnotherProgram(const QString &location, const QStringList &statements);

// Makes `event` statements on `table` fail with `message` (where `condition` on the new
// row holds), with a trigger named `name` of the engine's own kind; allowWrites() removes
// it again, if it is there.
void refuseWrites(DbConnection &db, const QString &table, const QString &event, const QString &condition = {},
                  const QString &message = QStringLiteral("refused"), const QString &name = QStringLiteral("refuse"));
void allowWrites(DbConnection &db, const QString &table, const QString &name = QStringLiteral("refuse"));
// Makes the connection refuse every write, or allow them again.
void setReadOnly(DbConnection &db, bool readOnly);

} // namespace TestEngine

// A fresh database of its own on the test server, dropped again by the destructor (with
// every connection still open to it), so that tests never see each other's rows.
class TestServerDatabase
{
public:
    TestServerDatabase();
    ~TestServerDatabase();
    TestServerDatabase(const TestServerDatabase &) = delete;
    TestServerDatabase &operator=(const TestServerDatabase &) = delete;

    QString name() const { return m_name; }
    QString uri() const { return m_uri; }
    // Lets new connections in, or refuses them as a server that is away would.
    void allowConnections(bool allow);

private:
    QString m_name;
    QString m_uri;
};
