#pragma once

#include "data/SqlEngine.h"

// The embedded engine: one file, readers and writers side by side through its shared
// journal, one writer at a time.
class SqliteEngine : public SqlEngine
{
public:
    // The engine of the database in `file`; without one, only its statements can be asked.
    explicit SqliteEngine(QString file = {}) : m_file(std::move(file)) {}

    // False for a file that this program cannot change: the file or its folder is not
    // writable (a read-only folder or mount, say).
    static bool canChange(const QString &file);
    // Copies the database in `source` page by page into a new file `target` of one piece
    // (no shared journal), while other programs may write the source, waiting up to
    // `busyTimeoutMs` for a writer. Gives the error text, or empty.
    static QString copyFile(const QString &source, const QString &target, int busyTimeoutMs);

    QString driverName() const override { return QStringLiteral("QSQLITE"); }
    bool isServer() const override { return false; }
    QString beginWriteStatement() const override;
    QString lockTablesStatement(const QStringList &tables) const override;
    bool failedStatementEndsTransaction() const override { return false; }
    bool isReadOnlyRefusal(const QSqlError &error) const override;
    bool isForeignFile(const QSqlError &error) const override;
    bool isConnectionLost(const QSqlDatabase &, const QSqlError &) const override { return false; }
    QString describe() const override { return m_file; }
    void createIfMissing(const std::function<void(const QString &temporaryLocation)> &fillTables) const override;
    bool open(QSqlDatabase &db, const OpenSettings &settings) const override;
    bool readRows(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                  const std::function<void(const RowReader &)> &sink) const override;
    std::unique_ptr<PreparedWrite> prepareWrite(const QSqlDatabase &db, const QString &sql) const override;
    void prepareSession(SqlSession &db) const override;
    int schemaVersion(SqlSession &db) const override;
    QStringList setSchemaVersionStatements(int version) const override;
    QString schemaLockStatement() const override { return {}; }
    QStringList tableNames(SqlSession &db) const override;
    QString autoNumberColumn(const QString &name) const override;
    QString rowKeyColumn() const override { return QStringLiteral("rowid"); }
    QString rowKeyDefinition() const override { return {}; }
    QString addedOrderClause() const override { return {}; }
    QString addressKeyDefinition() const override { return QStringLiteral(", RowNo INTEGER PRIMARY KEY"); }
    QStringList extraSchemaStatements() const override { return {}; }
    QStringList indexStatements() const override;
    QStringList refillSearchIndexStatements() const override;
    IndexedSearch indexedSearch(const QString &foldedText) const override;
    void pauseSearchIndex(SqlSession &db) const override;
    void resumeSearchIndex(SqlSession &db, qint64 lastRowNoBefore) const override;
    QStringList followExplicitNumbersStatements(const QString &, const QString &) const override { return {}; }
    bool likeTakesPattern(const QString &pattern) const override;
    QString containsCondition(const QString &column) const override;

private:
    bool openFile(QSqlDatabase &db, const OpenSettings &settings, bool readOnly) const;

    QString m_file;
};
