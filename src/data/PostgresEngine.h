#pragma once

#include "data/ServerAddress.h"
#include "data/SqlEngine.h"

// A PostgreSQL server that several programs, on several computers, use at once. Writers
// run side by side; whatever must be one step (a check and a write) locks its tables.
// The schema's version is the one row of a table of its own, and every change of the
// addresses or the groups is announced on the channel `vestrane_changes` (the payload is
// the table's name), so that other programs can show it.
class PostgresEngine : public SqlEngine
{
public:
    static constexpr const char *ChangesChannel = "vestrane_changes";
    static constexpr const char *VersionTable = "vestrane_schema";

    explicit PostgresEngine(ServerAddress server) : m_server(std::move(server)) {}

    QString driverName() const override { return QStringLiteral("QPSQL"); }
    bool isServer() const override { return true; }
    QString beginWriteStatement() const override { return QStringLiteral("BEGIN"); }
    QString lockTablesStatement(const QStringList &tables) const override;
    bool failedStatementEndsTransaction() const override { return true; }
    bool isReadOnlyRefusal(const QSqlError &error) const override;
    bool isConnectionLost(const QSqlDatabase &db, const QSqlError &error) const override;
    QString describe() const override { return m_server.describe(); }
    bool open(QSqlDatabase &db, const OpenSettings &settings) const override;
    bool readRows(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                  const std::function<void(const RowReader &)> &sink) const override;
    QString schemaVersionTable() const override { return QLatin1String(VersionTable); }
    void startSession(SqlSession &db) const override;
    void prepareSession(SqlSession &) const override {}
    int schemaVersion(SqlSession &db) const override;
    QStringList setSchemaVersionStatements(int version) const override;
    QString schemaLockStatement() const override;
    QStringList tableNames(SqlSession &db) const override;
    QString autoNumberColumn(const QString &name) const override;
    QString rowKeyColumn() const override { return QStringLiteral("RowNo"); }
    QString rowKeyDefinition() const override;
    QString addedOrderClause() const override { return QStringLiteral(" ORDER BY RowNo"); }
    QString addressKeyDefinition() const override { return rowKeyDefinition(); }
    QStringList extraSchemaStatements() const override;
    QStringList indexStatements() const override;
    QStringList refillSearchIndexStatements() const override { return {}; }
    IndexedSearch indexedSearch(const QString &) const override { return {}; }
    void pauseSearchIndex(SqlSession &) const override {}
    void resumeSearchIndex(SqlSession &, qint64) const override {}
    QStringList followExplicitNumbersStatements(const QString &table, const QString &column) const override;
    bool likeTakesPattern(const QString &) const override { return true; }
    QString containsCondition(const QString &column) const override;
    QString returningClause(const QString &columns) const override { return QStringLiteral(" RETURNING ") + columns; }
    QString rowDigest(const QStringList &columns) const override;
    QString insertAddressesStatement() const override;
    std::unique_ptr<PreparedWrite> prepareWrite(const QSqlDatabase &db, const QString &sql) const override;

private:
    ServerAddress m_server;
};
