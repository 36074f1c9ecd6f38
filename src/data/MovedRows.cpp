#include "data/MovedRows.h"

#include "data/SqlSession.h"

QVariantList MovedRows::valuesOf(const RowReader &row, int first, int count)
{
    QVariantList values;
    values.reserve(count);
    for (int column = first; column < first + count; ++column) {
        if (row.isNull(column))
            values << QVariant();
        else if (row.isInteger(column))
            values << QVariant(row.integer(column));
        else
            values << QVariant(row.text(column));
    }
    return values;
}

QStringList MovedRows::comparedAddressColumns()
{
    return {QStringLiteral("Address"), QStringLiteral("AddressName"), QStringLiteral("GroupNo"),
            QStringLiteral("MyAddress")};
}

QStringList MovedRows::comparedBinColumns()
{
    return {QStringLiteral("RowNo"),     QStringLiteral("Address"),   QStringLiteral("AddressName"),
            QStringLiteral("Times"),     QStringLiteral("ViewTime"),  QStringLiteral("GroupNo"),
            QStringLiteral("MyAddress"), QStringLiteral("GroupName"), QStringLiteral("DeletedAt"),
            QStringLiteral("DeletedBy")};
}
