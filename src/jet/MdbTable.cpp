#include "jet/MdbTable.h"

#include "data/AppError.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <cstring>
#include <mdbtools.h>

namespace {

MdbHandle *mdbHandle(const MdbDatabase &database)
{
    return static_cast<MdbHandle *>(database.handle());
}

MdbColumn *columnAt(MdbTableDef *table, int column)
{
    return static_cast<MdbColumn *>(g_ptr_array_index(table->columns, guint(column)));
}

// A Memo value starts with its length in bytes (the top bits are flags). Its text needs
// at most three bytes of UTF-8 for every two bytes stored.
// Jet 4 keeps texts in UTF-16, little-endian. A text that starts with FF FE is
// compressed: each zero byte switches between runs of one byte per character (the
// character's high byte is zero) and runs of two bytes per character.
QString decodeStoredText(const char *bytes, qsizetype size)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes);
    QString text;
    if (size >= 2 && p[0] == 0xff && p[1] == 0xfe) {
        text.reserve(size);
        bool compressed = true;
        for (qsizetype i = 2; i < size;) {
            if (p[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                text.append(QChar(p[i++]));
            } else if (i + 1 < size) {
                text.append(QChar(char16_t(p[i] | (p[i + 1] << 8))));
                i += 2;
            } else {
                break;
            }
        }
        return text;
    }
    text.resize(size / 2);
    for (qsizetype i = 0; i < size / 2; ++i)
        text[i] = QChar(char16_t(p[2 * i] | (p[2 * i + 1] << 8)));
    return text;
}

} // namespace

MdbDatabase::MdbDatabase(const QString &file)
{
    MdbHandle *mdb = mdb_open(QFile::encodeName(file).constData(), MDB_NOFLAGS);
    if (!mdb)
        throw AppError(QCoreApplication::translate("MdbTable", "不是可以读取的 Jet 数据文件"));
    mdb_set_boolean_fmt_numbers(mdb);
    m_handle = mdb;
    m_size = QFileInfo(file).size();
    if (m_size % mdb->fmt->pg_size != 0) {
        mdb_close(mdb);
        throw AppError(QCoreApplication::translate("MdbTable", "文件不完整（%1 字节，不是整页）").arg(m_size));
    }
}

bool MdbDatabase::holdsPage(quint64 page) const
{
    const auto pageSize = quint64(static_cast<MdbHandle *>(m_handle)->fmt->pg_size);
    return (page + 1) * pageSize <= quint64(m_size);
}

MdbDatabase::~MdbDatabase()
{
    mdb_close(mdbHandle(*this));
}

std::unique_ptr<MdbTable> MdbTable::open(MdbDatabase &database, const char *name)
{
    MdbTableDef *table = mdb_read_table_by_name(mdbHandle(database), const_cast<gchar *>(name), MDB_TABLE);
    if (!table)
        return nullptr;
    if (!mdb_read_columns(table)) {
        mdb_free_tabledef(table);
        return nullptr;
    }
    return std::unique_ptr<MdbTable>(new MdbTable(database, table));
}

MdbTable::MdbTable(MdbDatabase &database, MdbTableDef *table)
    : m_database(database), m_table(table), m_buffers(table->num_cols), m_lengths(table->num_cols, 0),
      m_null(table->num_cols, true)
{
    const bool codePageText = IS_JET3(mdbHandle(database));
    for (int i = 0; i < int(table->num_cols); ++i) {
        // Flags must be bound: libmdb writes them nowhere else. Texts of a Jet 3 file
        // are bound for libmdb's code-page conversion. Everything else is read as
        // stored, without a detour through libmdb's text.
        const int type = columnAt(table, i)->col_type;
        if (type != MDB_BOOL && !(codePageText && type == MDB_TEXT))
            continue;
        m_buffers[size_t(i)] = QByteArray(MDB_BIND_SIZE + 1, '\0');
        mdb_bind_column(table, i + 1, m_buffers[size_t(i)].data(), &m_lengths[size_t(i)]);
    }
    mdb_rewind_table(table);
}

MdbTable::~MdbTable()
{
    mdb_free_tabledef(m_table);
}

int MdbTable::column(const char *name) const
{
    for (int i = 0; i < int(m_table->num_cols); ++i)
        if (g_ascii_strcasecmp(columnAt(m_table, i)->name, name) == 0)
            return i;
    return -1;
}

qint64 MdbTable::storedRowCount() const
{
    return m_table->num_rows;
}

bool MdbTable::next()
{
    if (!mdb_fetch_row(m_table))
        return false;
    checkRowInPage();
    readNullFlags();
    return true;
}

// `problem` names the table as %1 and the place as %2.
void MdbTable::fail(const char *problem, const QString &where) const
{
    throw AppError(QCoreApplication::translate("MdbTable", problem).arg(QString::fromUtf8(m_table->name), where));
}

// libmdb hands over whatever its page buffer holds; a row counts only when its page is in
// the file and the row and each of its values lie within that page.
void MdbTable::checkRowInPage() const
{
    MdbHandle *mdb = mdbHandle(m_database);
    if (!m_database.holdsPage(m_table->cur_phys_pg))
        fail(QT_TRANSLATE_NOOP("MdbTable", "表 %1 的数据页 %2 在文件末尾之后"), QString::number(m_table->cur_phys_pg));
    int start = 0;
    size_t size = 0;
    if (m_table->cur_row == 0 || mdb_find_row(mdb, int(m_table->cur_row) - 1, &start, &size) != 0)
        fail(QT_TRANSLATE_NOOP("MdbTable", "表 %1 的一行超出了它的页（第 %2 页）"),
             QString::number(m_table->cur_phys_pg));
    const int rowStart = start & 0x1fff;
    const qint64 rowEnd = qint64(rowStart) + qint64(size);
    if (rowEnd > qint64(mdb->fmt->pg_size))
        fail(QT_TRANSLATE_NOOP("MdbTable", "表 %1 的一行超出了它的页（第 %2 页）"),
             QString::number(m_table->cur_phys_pg));
    for (int i = 0; i < int(m_table->num_cols); ++i) {
        const MdbColumn *col = columnAt(m_table, i);
        if (col->col_type == MDB_BOOL || col->cur_value_len == 0)
            continue;
        if (col->cur_value_start < rowStart || qint64(col->cur_value_start) + col->cur_value_len > rowEnd)
            fail(QT_TRANSLATE_NOOP("MdbTable", "表 %1 的一个值超出了它的行（列 %2）"), QString::fromUtf8(col->name));
    }
}

// libmdb hands a missing value and an empty text over alike; the row's own null mask
// tells them apart. The row just fetched is still in the page buffer.
void MdbTable::readNullFlags()
{
    MdbHandle *mdb = mdbHandle(m_database);
    int start = 0;
    size_t size = 0;
    std::fill(m_null.begin(), m_null.end(), false);
    if (m_table->cur_row == 0 || mdb_find_row(mdb, int(m_table->cur_row) - 1, &start, &size) != 0)
        return;
    thread_local std::vector<MdbField> fields; // kept from row to row
    fields.resize(m_table->num_cols);
    const int count = mdb_crack_row(m_table, start & 0x1fff, size, fields.data());
    for (int i = 0; i < count && i < int(m_table->num_cols); ++i) {
        const int col = fields[size_t(i)].colnum;
        if (col >= 0 && col < int(m_table->num_cols) && columnAt(m_table, col)->col_type != MDB_BOOL)
            m_null[size_t(col)] = fields[size_t(i)].is_null;
    }
}

bool MdbTable::isNull(int column) const
{
    return column < 0 || m_null[size_t(column)];
}

QString MdbTable::text(int column) const
{
    if (isNull(column))
        return QString();
    MdbColumn *col = columnAt(m_table, column);
    if (!m_buffers[size_t(column)].isEmpty())
        return QString::fromUtf8(m_buffers[size_t(column)].constData(), m_lengths[size_t(column)]);
    MdbHandle *mdb = mdbHandle(m_database);
    if (IS_JET3(mdb) || (col->col_type != MDB_TEXT && col->col_type != MDB_MEMO)) {
        char *value = mdb_col_to_string(mdb, mdb->pg_buf, col->cur_value_start, col->col_type, col->cur_value_len);
        QString result = QString::fromUtf8(value ? value : "");
        g_free(value);
        return result;
    }
    if (col->col_type == MDB_TEXT)
        return decodeStoredText(reinterpret_cast<const char *>(mdb->pg_buf) + col->cur_value_start,
                                qsizetype(col->cur_value_len));
    const QByteArray stored = memoBytes(column);
    return decodeStoredText(stored.constData(), stored.size());
}

// A Memo value lives in its row when short, else on pages of its own; libmdb's long-value
// reader hands it over a page at a time.
QByteArray MdbTable::memoBytes(int column) const
{
    MdbColumn *col = columnAt(m_table, column);
    MdbHandle *mdb = mdbHandle(m_database);
    if (col->cur_value_len < MDB_MEMO_OVERHEAD)
        return {};
    unsigned char header[MDB_MEMO_OVERHEAD];
    std::memcpy(header, mdb->pg_buf + col->cur_value_start, MDB_MEMO_OVERHEAD);
    const qsizetype declared = qsizetype(mdb_get_int32(header, 0) & 0x3fffffff);
    QByteArray chunk(std::max<qsizetype>(qsizetype(mdb->fmt->pg_size), col->cur_value_len), '\0');
    void *bound = col->bind_ptr;
    col->bind_ptr = chunk.data();
    QByteArray value;
    size_t got = mdb_ole_read(mdb, col, header, size_t(chunk.size()));
    while (got > 0 && value.size() + qsizetype(got) <= declared) {
        value.append(chunk.constData(), qsizetype(got));
        got = mdb_ole_read_next(mdb, col, header);
    }
    col->bind_ptr = bound;
    if (value.size() != declared)
        throw AppError(QCoreApplication::translate("MdbTable", "表 %1 的备注内容不完整（%2 字节中读出 %3 字节）")
                           .arg(QString::fromUtf8(m_table->name))
                           .arg(declared)
                           .arg(value.size()));
    return value;
}

std::optional<qint64> MdbTable::integer(int column) const
{
    if (isNull(column))
        return std::nullopt;
    const MdbColumn *col = columnAt(m_table, column);
    const unsigned char *pg = mdbHandle(m_database)->pg_buf;
    if (col->col_type == MDB_LONGINT)
        return qint32(mdb_get_int32(const_cast<unsigned char *>(pg), col->cur_value_start));
    if (col->col_type == MDB_INT)
        return qint16(mdb_get_int16(const_cast<unsigned char *>(pg), col->cur_value_start));
    if (col->col_type == MDB_BYTE)
        return mdb_get_byte(const_cast<unsigned char *>(pg), col->cur_value_start);
    bool ok = false;
    const qint64 value = text(column).toLongLong(&ok);
    if (ok)
        return value;
    const double real = text(column).toDouble(&ok);
    return ok && std::isfinite(real) ? std::optional<qint64>(qint64(real)) : std::nullopt;
}

QString MdbTable::date(int column) const
{
    if (isNull(column))
        return QString();
    MdbColumn *col = columnAt(m_table, column);
    if (col->col_type != MDB_DATETIME)
        return text(column);
    // Days since 1899-12-30; the fraction is the time of day, counted away from that day
    // also for days before it.
    const double stored = mdb_get_double(mdbHandle(m_database)->pg_buf, col->cur_value_start);
    if (!std::isfinite(stored) || std::fabs(stored) > 3e6)
        fail(QT_TRANSLATE_NOOP("MdbTable", "表 %1 中的日期无法解读（%2）"), QString::number(stored, 'g', 17));

    const double days = std::trunc(stored);
    const QDate day = QDate(1899, 12, 30).addDays(qint64(days));
    const int seconds = int(std::lround(std::fabs(stored - days) * 86400.0));
    if (seconds == 0)
        return day.toString(Qt::ISODate);
    if (seconds >= 86400)
        return day.addDays(days < 0 ? -1 : 1).toString(Qt::ISODate);
    return day.toString(Qt::ISODate) + QLatin1Char(' ') + QTime(0, 0).addSecs(seconds).toString(Qt::ISODate);
}

bool MdbTable::flag(int column) const
{
    if (column < 0)
        return false;
    if (columnAt(m_table, column)->col_type == MDB_BOOL)
        return m_buffers[size_t(column)].startsWith('1');
    return integer(column).value_or(0) != 0;
}
