#pragma once

#include <QSqlQuery>
#include <QVariant>

#include <array>
#include <initializer_list>

class DbConnection;
struct sqlite3;
struct sqlite3_stmt;

// A statement that writes, prepared once and run for many rows with its values in column
// order (at most eight). A refused row throws AppError with the database's text.
//
// On SQLite it runs through the engine's own interface, which a bulk insert needs: Qt's
// layer costs several times the insert itself per row. Another engine goes through Qt Sql.
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

private:
    void bind(int column, const QVariant &value);

    sqlite3 *m_sqlite = nullptr;
    sqlite3_stmt *m_statement = nullptr;
    std::array<QByteArray, 8> m_texts;
    QSqlQuery m_query;
};
