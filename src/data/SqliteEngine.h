#pragma once

#include "data/SqlEngine.h"

// The embedded engine: one file, readers and writers side by side through its shared
// journal, one writer at a time.
class SqliteEngine : public SqlEngine
{
public:
    QString driverName() const override { return QStringLiteral("QSQLITE"); }
    bool isServer() const override { return false; }
    QString beginWriteStatement() const override;
    QString lockTablesStatement(const QStringList &tables) const override;
    bool failedStatementEndsTransaction() const override { return false; }
    bool isReadOnlyRefusal(const QSqlError &error) const override;
    bool isForeignFile(const QSqlError &error) const override;
    bool isConnectionLost(const QSqlDatabase &, const QSqlError &) const override { return false; }
    void prepareSession(DbConnection &db) const override;
    int schemaVersion(DbConnection &db) const override;
    QStringList setSchemaVersionStatements(int version) const override;
    QString schemaLockStatement() const override { return {}; }
    QStringList tableNames(DbConnection &db) const override;
    QString autoNumberColumn(const QString &name) const override;
    QString rowKeyColumn() const override { return QStringLiteral("rowid"); }
    QString rowKeyDefinition() const override { return {}; }
    QString addedOrderClause() const override { return {}; }
    QString addressKeyDefinition() const override { return QStringLiteral(", RowNo INTEGER PRIMARY KEY"); }
    QStringList extraSchemaStatements() const override { return {}; }
    QStringList indexStatements() const override;
    QStringList refillSearchIndexStatements() const override;
    IndexedSearch indexedSearch(const QString &foldedText) const override;
    void pauseSearchIndex(DbConnection &db) const override;
    void resumeSearchIndex(DbConnection &db, qint64 lastRowNoBefore) const override;
    QStringList followExplicitNumbersStatements(const QString &, const QString &) const override { return {}; }
    bool likeTakesPattern(const QString &pattern) const override;
    QString containsCondition(const QString &column) const override;
};
