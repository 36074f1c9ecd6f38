#pragma once

#include <QStringList>
#include <QVariantList>

#include <vector>

class RowReader;

// The rows a command moved between the address table and the recycle bin, as the
// statements that moved them gave them back, each with its key and the engine's digest of
// its compared columns (see SqlEngine::rowDigest(): only engines that digest rows report
// moves). The values of an address row: Address, AddressName, Times, ViewTime, GroupNo,
// MyAddress; of a row of the bin: RowNo, Address, AddressName, Times, ViewTime, GroupNo,
// MyAddress, GroupName, DeletedAt, DeletedBy. NULL is an invalid QVariant, an integer a
// qint64, anything else a QString. The rows a delete moves into the bin come without
// values: the bin holds them, and a group's thousands cost more to send than to move.
struct MovedRows
{
    struct Row
    {
        qint64 key = 0;
        QVariantList values;
        quint64 digest = 0;
    };
    std::vector<Row> addressesDeleted;
    std::vector<Row> addressesAdded;
    std::vector<Row> binDeleted;
    std::vector<Row> binAdded;

    // The values of `count` columns of a row read, from `first` on, as above.
    static QVariantList valuesOf(const RowReader &row, int first, int count);
    // The columns whose digest tells that a row changed: of an address row (its visits
    // left out), and of a row of the bin (all of them, in the order above).
    static QStringList comparedAddressColumns();
    static QStringList comparedBinColumns();
};
