#include "data/FoldedColumns.h"

#include "data/SqlEngine.h"
#include "data/SqlSession.h"

#include <QVariant>

#include <vector>

QString FoldedColumns::folded(const QString &text)
{
    // Most addresses and many names are ASCII, whose fold is the lower case of A to Z:
    // they need no look-up in Unicode's tables, and most have nothing to change at all.
    qsizetype firstUpper = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x80)
            return text.toCaseFolded();
        if (firstUpper < 0 && c >= u'A' && c <= u'Z')
            firstUpper = i;
    }
    if (firstUpper < 0)
        return text;
    QString lowered = text;
    for (QChar *c = lowered.data() + firstUpper, *end = lowered.data() + lowered.size(); c != end; ++c) {
        if (c->unicode() >= u'A' && c->unicode() <= u'Z')
            *c = QChar(char16_t(c->unicode() + (u'a' - u'A')));
    }
    return lowered;
}

void FoldedColumns::refoldAll(SqlSession &db)
{
    struct Row
    {
        QVariant key;
        QString address;
        QString name;
    };
    std::vector<Row> rows;
    const QString key = db.engine().rowKeyColumn();
    {
        QSqlQuery query = db.query(QStringLiteral("SELECT %1, Address, AddressName FROM address").arg(key));
        while (query.next())
            rows.push_back({query.value(0), query.value(1).toString(), query.value(2).toString()});
    }
    QSqlQuery update =
        db.prepare(QStringLiteral("UPDATE address SET AddressFolded = ?, AddressNameFolded = ? WHERE %1 = ?").arg(key));
    for (const Row &row : rows)
        db.run(update, {folded(row.address), folded(row.name), row.key});
}
