#pragma once

#include "controls/ListSortKeys.h"
#include "controls/ReportRows.h"
#include "data/AddressStore.h"
#include "services/AddressListing.h"

#include <QIcon>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class DbConnection;

// The main window's address list, read a page at a time: a listing shows its count at
// once and reads only the pages that are shown, keeping a few of them. Unsorted, the rows
// stand in the order they were added and a page is found from its neighbour's key, or
// counted off from the nearer end of the listing. A search, and a listing sorted by a
// header, hold the keys of every row in their order instead; a sort reads its column's
// texts once per listing. A search shows its first page at once and finds its other rows
// when the event loop next runs (or when a sort or a look-up needs them), then tells
// their count.
class AddressListModel : public ReportRows
{
    Q_OBJECT

public:
    static constexpr int PageSize = 128;
    static constexpr size_t PagesKept = 16;

    explicit AddressListModel(DbConnection &db, QObject *parent = nullptr);
    ~AddressListModel() override;

    // The rows of the filter, unsorted; done with their number. When the database
    // refuses, the list stays as it was.
    Outcome show(const AddressFilter &filter);
    bool isSorted() const { return m_sorted; }

    // A listed row, read when it is not at hand; a row outside the list, or one that
    // could not be read, is an empty record.
    const AddressRecord &recordAt(int row) const;
    // The row of a key, looked for around `near` first; -1 when it is not listed.
    int rowOfKey(qint64 key, int near) const;

    // A picture of a row's own (its site's icon) shown instead of the plain address
    // picture; a null icon leaves that picture. Favourites keep theirs.
    void setRowIcon(std::function<QIcon(const AddressRecord &)> rowIcon) { m_rowIcon = std::move(rowIcon); }

    int count() const override { return m_count; }
    // Whether every row of the listing is counted already.
    bool allRowsFound() const { return !m_keysPending; }
    void sortRows(int column, bool ascending) override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

Q_SIGNALS:
    // The count of a listing shown before all its rows were found, once they are.
    void countKnown(int count);

private:
    struct Page
    {
        std::vector<AddressRecord> rows;
        quint64 lastUse = 0;
    };

    const Page *cachedPage(int index) const;
    const Page &page(int index) const;
    std::vector<AddressRecord> readPage(int index, bool &failed) const;
    Fetched<std::vector<AddressRecord>> readKeyedPage(int first, int size) const;
    std::vector<AddressRecord> arrangedByKeys(const std::vector<AddressRecord> &found, int first, int size) const;
    qint64 keyAtPosition(int position) const;
    Outcome readSortKeys(int column, std::vector<qint64> &keys);
    void readRemainingKeys();

    DbConnection &m_db;
    std::unique_ptr<AddressListing> m_paging;
    int m_count = 0;
    // Keyed: every listed key in the listing's order, and the rows' order as indexes into
    // them (empty: that order itself).
    bool m_keyed = false;
    std::vector<qint64> m_keys;
    std::vector<int> m_order;
    bool m_sorted = false;
    // Keys after the last of m_keys are still to be read; m_listing tells listings apart.
    bool m_keysPending = false;
    quint64 m_listing = 0;
    // The keys of the column sorted last, while the listing is the same.
    int m_keysColumn = -1;
    std::unique_ptr<ListSortKeys::ColumnKeys> m_columnKeys;
    mutable std::map<int, Page> m_pages;
    mutable quint64 m_useClock = 0;
    std::function<QIcon(const AddressRecord &)> m_rowIcon;
};
