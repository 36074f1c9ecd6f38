#pragma once

#include <QSqlQuery>
#include <QVariant>

#include <initializer_list>
#include <memory>

class DbConnection;
class PreparedWrite;

// A statement that writes, prepared once and run for many rows with its values in column
// order (at most eight). A refused row throws AppError with the database's text.
//
// Where the engine has its own way it runs that way, else through Qt Sql: on SQLite a bulk
// insert through Qt's layer costs several times the insert itself per row; a server's
// answer to each row costs more than the insert, so there rows go many to a statement and
// may be held back until flush(), which must come before anything reads the rows they
// write and before the commit. Rows still held back when the statement is destroyed are
// dropped (the transaction is then being rolled back).
class WriteStatement
{
public:
    WriteStatement(DbConnection &db, const QString &sql);
    ~WriteStatement();
    WriteStatement(const WriteStatement &) = delete;
    WriteStatement &operator=(const WriteStatement &) = delete;

    // A null QVariant binds NULL. Callers pass an empty text where they mean one: a null
    // QString may bind as NULL through Qt Sql.
    void run(std::initializer_list<QVariant> values);
    // Sends the rows held back; throws AppError as run() does.
    void flush();

private:
    std::unique_ptr<PreparedWrite> m_native;
    QSqlQuery m_query;
};
