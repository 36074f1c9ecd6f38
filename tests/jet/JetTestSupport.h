#pragma once

#include "data/DbConnection.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

// Shared by the Jet tests: the fixture files in the repository and a look into the
// database that a conversion or a merge wrote.
namespace JetTest {

inline QString fixture(const QString &name)
{
    return QStringLiteral(VESTRANE_SOURCE_DIR "/tests/data/fixtures/jet/") + name;
}

inline QByteArray digest(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// Copies a fixture to `folder/address.mdb`, writable, and gives that path.
inline QString placeAsDatabase(const QString &fixtureName, const QString &folder)
{
    QDir().mkpath(folder);
    const QString target = folder + QStringLiteral("/address.mdb");
    QFile::remove(target);
    QFile::copy(fixture(fixtureName), target);
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

// Replaces, in a file, the one place where the bytes `from` are stored by `to` of the
// same size. False when `from` is not stored exactly once.
inline bool patchStoredBytes(const QString &file, const QByteArray &from, const QByteArray &to)
{
    QFile jet(file);
    if (from.size() != to.size() || !jet.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = jet.readAll();
    const qsizetype at = bytes.indexOf(from);
    if (at < 0 || bytes.indexOf(from, at + 1) >= 0)
        return false;
    bytes.replace(at, from.size(), to);
    return jet.seek(0) && jet.write(bytes) == bytes.size();
}

// The same for a text, stored as UTF-16.
inline bool patchStoredText(const QString &file, const QString &from, const QString &to)
{
    const auto utf16 = [](const QString &text) {
        return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    };
    return patchStoredBytes(file, utf16(from), utf16(to));
}

// Marks, in a Jet file, the value of column `columnNumber` missing (NULL) in the one row
// that stores `text` (as UTF-16): clears the column's bit of the row's null mask, the
// last bytes of the row. False when the text is not stored exactly once.
inline bool markMissing(const QString &file, const QString &text, int columnNumber)
{
    QFile jet(file);
    if (!jet.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = jet.readAll();
    const QByteArray stored(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    const qsizetype at = bytes.indexOf(stored);
    if (at < 0 || bytes.indexOf(stored, at + 1) >= 0)
        return false;
    constexpr qsizetype pageSize = 4096;
    const auto word = [&](qsizetype offset) {
        return int(quint8(bytes[offset])) | int(quint8(bytes[offset + 1])) << 8;
    };
    const qsizetype page = at - at % pageSize;
    // A data page lists its rows' starts from offset 14; rows fill the page from its end.
    qsizetype end = pageSize;
    for (int row = 0; row < word(page + 12); ++row) {
        const qsizetype start = word(page + 14 + 2 * row) & 0x1fff;
        if (page + start <= at && at < page + end) {
            const int maskBytes = (word(page + start) + 7) / 8;
            bytes[page + end - maskBytes + columnNumber / 8] &= char(~(1 << (columnNumber % 8)));
            return jet.seek(0) && jet.write(bytes) == bytes.size();
        }
        end = start;
    }
    return false;
}

// Every row of a query, its values joined by "|", NULL shown as "<null>".
inline QStringList rows(DbConnection &db, const QString &sql)
{
    QStringList result;
    QSqlQuery query = db.query(sql);
    while (query.next()) {
        QStringList values;
        for (int i = 0; i < query.record().count(); ++i)
            values << (query.value(i).isNull() ? QStringLiteral("<null>") : query.value(i).toString());
        result << values.join(QLatin1Char('|'));
    }
    return result;
}

} // namespace JetTest
