#include "services/AddressListing.h"

#include "services/FailureOutcome.h"

AddressListing::AddressListing(DbConnection &db, const AddressFilter &filter) : m_paging(db, filter) {}

Fetched<AddressListing::Start> AddressListing::start(DbConnection &db, const AddressFilter &filter, int pageSize)
{
    return fetchOrFailure([&] {
        Start start;
        start.listing.reset(new AddressListing(db, filter));
        AddressPaging &paging = start.listing->m_paging;
        if (paging.readsKeys()) {
            start.keys = paging.keys(0, pageSize + 1);
            start.keysPending = start.keys.size() > size_t(pageSize);
            if (start.keysPending)
                start.keys.pop_back(); // read again with the rest
            start.count = int(start.keys.size());
            start.firstRows = paging.rowsOf(start.keys);
        } else {
            start.count = paging.count();
            start.firstRows = paging.atOffset(0, pageSize, start.count);
        }
        return start;
    });
}

Fetched<std::vector<qint64>> AddressListing::keysAfter(qint64 key)
{
    return fetchOrFailure([&] { return m_paging.keys(key); });
}

Fetched<std::vector<AddressRecord>> AddressListing::rowsOf(const std::vector<qint64> &keys)
{
    return fetchOrFailure([&] { return m_paging.rowsOf(keys); });
}

Fetched<std::vector<AddressRecord>> AddressListing::after(qint64 rowNo, int limit)
{
    return fetchOrFailure([&] { return m_paging.after(rowNo, limit); });
}

Fetched<std::vector<AddressRecord>> AddressListing::before(qint64 rowNo, int limit)
{
    return fetchOrFailure([&] { return m_paging.before(rowNo, limit); });
}

Fetched<std::vector<AddressRecord>> AddressListing::atOffset(int offset, int limit, int total)
{
    return fetchOrFailure([&] { return m_paging.atOffset(offset, limit, total); });
}

Fetched<int> AddressListing::countBefore(qint64 rowNo)
{
    return fetchOrFailure([&] { return m_paging.countBefore(rowNo); });
}

Outcome AddressListing::forEachColumn(int column, const std::function<void(const RowReader &row)> &sink)
{
    return fetchOrFailure([&] {
               m_paging.forEachColumn(column, sink);
               return 0;
           })
        .outcome;
}
