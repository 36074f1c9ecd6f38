#pragma once

#include "data/AddressStore.h"
#include "services/Fetched.h"

#include <functional>
#include <memory>
#include <vector>

// One listing of the address list, read a page at a time (AddressPaging), each read giving
// its rows with the outcome instead of throwing.
class AddressListing
{
public:
    // The listing of `filter` and what its first page needs: the count and the rows up to
    // `pageSize`. A listing that reads keys gives the keys read so far and whether more
    // follow (then the count is of the keys read).
    struct Start
    {
        std::unique_ptr<AddressListing> listing;
        std::vector<qint64> keys;
        bool keysPending = false;
        int count = 0;
        std::vector<AddressRecord> firstRows;
    };
    static Fetched<Start> start(DbConnection &db, const AddressFilter &filter, int pageSize);

    bool readsKeys() const { return m_paging.readsKeys(); }
    // Keys after `key`, ascending, all of them.
    Fetched<std::vector<qint64>> keysAfter(qint64 key);
    Fetched<std::vector<AddressRecord>> rowsOf(const std::vector<qint64> &keys);
    Fetched<std::vector<AddressRecord>> after(qint64 rowNo, int limit);
    Fetched<std::vector<AddressRecord>> before(qint64 rowNo, int limit);
    Fetched<std::vector<AddressRecord>> atOffset(int offset, int limit, int total);
    Fetched<int> countBefore(qint64 rowNo);
    // Every listed row's key and one column (AddressPaging::forEachColumn).
    Outcome forEachColumn(int column, const std::function<void(const RowReader &row)> &sink);

private:
    AddressListing(DbConnection &db, const AddressFilter &filter);

    AddressPaging m_paging;
};
