#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

// Thin owners of libmdb's handle and table definitions; the rest of the program never
// sees a libmdb type. libmdb reads a file without writing to it.

struct S_MdbTableDef;

class MdbDatabase
{
public:
    // Throws AppError when libmdb does not take the file for a Jet database, or when the
    // file does not end at the end of a page (it was cut short).
    explicit MdbDatabase(const QString &file);
    ~MdbDatabase();
    MdbDatabase(const MdbDatabase &) = delete;
    MdbDatabase &operator=(const MdbDatabase &) = delete;

    void *handle() const { return m_handle; }
    // Whether the page lies whole within the file. libmdb reads a page past the end as
    // the page it read before, and a page read short keeps the rest of that one.
    bool holdsPage(quint64 page) const;

private:
    void *m_handle = nullptr;
    qint64 m_size = 0;
};

// One table, read row by row. Column names and the table name match in any letter case.
class MdbTable
{
public:
    // nullptr when the file has no such table.
    static std::unique_ptr<MdbTable> open(MdbDatabase &database, const char *name);
    ~MdbTable();
    MdbTable(const MdbTable &) = delete;
    MdbTable &operator=(const MdbTable &) = delete;

    // Index of a column, or -1.
    int column(const char *name) const;
    // The number of rows the table says it holds.
    qint64 storedRowCount() const;

    // Moves to the next row; false at the end. Throws AppError when the row's page lies
    // past the end of the file or the row or one of its values leaves its page.
    bool next();
    bool isNull(int column) const;
    // Any column as text; a Memo value comes through whole, however long.
    QString text(int column) const;
    std::optional<qint64> integer(int column) const;
    // A date-and-time column as ISO text: the date alone for a whole day, else with the
    // time. Empty when missing; throws AppError when the value is no date.
    QString date(int column) const;
    bool flag(int column) const;

private:
    MdbTable(MdbDatabase &database, S_MdbTableDef *table);
    void readNullFlags();
    void checkRowInPage() const;
    [[noreturn]] void fail(const char *problem, const QString &where) const;
    QByteArray memoBytes(int column) const;

    MdbDatabase &m_database;
    S_MdbTableDef *m_table;
    std::vector<QByteArray> m_buffers; // bound text of each column (empty for Memo)
    std::vector<int> m_lengths;
    std::vector<bool> m_null;
};
