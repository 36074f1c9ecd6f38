#pragma once

#include <QVariantList>

#include <vector>

class RowReader;

// The rows a command moved between the address table and the recycle bin, as the
// statements that moved them gave them back, each with its key. The values of an address
// row: Address, AddressName, Times, ViewTime, GroupNo, MyAddress; of a row of the bin:
// RowNo, Address, AddressName, Times, ViewTime, GroupNo, MyAddress, GroupName, DeletedAt,
// DeletedBy. NULL is an invalid QVariant, an integer a qint64, anything else a QString.
struct MovedRows
{
    struct Row
    {
        qint64 key = 0;
        QVariantList values;
    };
    std::vector<Row> addressesDeleted;
    std::vector<Row> addressesAdded;
    std::vector<Row> binDeleted;
    std::vector<Row> binAdded;

    // The values of `count` columns of a row read, from `first` on, as above.
    static QVariantList valuesOf(const RowReader &row, int first, int count);
};
