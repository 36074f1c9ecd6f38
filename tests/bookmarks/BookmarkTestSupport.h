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

// A Netscape file of `levels` folders nested in one another under the toolbar folder,
// each holding one bookmark (https://hN.example/ at level N) before the next folder.
inline QByteArray nestedNetscape(int levels)
{
    QByteArray out = "<DL><DT><H3 PERSONAL_TOOLBAR_FOLDER=\"true\">Bar</H3><DL>";
    for (int level = 1; level <= levels; ++level)
        out += "<DT><H3>f</H3><DL><DT><A HREF=\"https://h" + QByteArray::number(level) + ".example/\">t</A>\n";
    for (int level = 0; level < levels + 2; ++level)
        out += "</DL>";
    return out;
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile out(path);
    if (out.open(QIODevice::WriteOnly))
        out.write(bytes);
}
