#pragma once

#include "data/DbConnection.h"

#include <QFile>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

inline QString bookmarkData(const QString &name)
{
    return QStringLiteral(VESTRANE_SOURCE_DIR "/tests/bookmarks/data/") + name;
}

inline int countRows(DbConnection &db, const QString &table)
{
    QSqlQuery query = db.query(QStringLiteral("SELECT count(*) FROM ") + table);
    return query.next() ? query.value(0).toInt() : -1;
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile out(path);
    if (out.open(QIODevice::WriteOnly))
        out.write(bytes);
}
