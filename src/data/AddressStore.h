#pragma once

#include "data/DbConnection.h"
#include "data/FoldedColumns.h"

#include <QString>
#include <functional>
#include <vector>

// One address as the lists show it, read from the view `address_1`.
struct AddressRecord
{
    QString address;
    QString name;
    QString viewTime; // already in the user's short date format
    QString times;
    QString groupName;
    bool favourite = false;
    qint64 rowNo = 0; // the row's key, which stays while the row is stored
};

// Which addresses a listing holds.
struct AddressFilter
{
    enum class Kind { All, Favourites, Group, Search, Failing, Bin };
    Kind kind = Kind::All;
    QString text; // the group name, or the search text (matched literally, the case of every letter ignored)

    static AddressFilter all() { return {Kind::All, {}}; }
    static AddressFilter favourites() { return {Kind::Favourites, {}}; }
    static AddressFilter group(const QString &name) { return {Kind::Group, name}; }
    static AddressFilter search(const QString &text) { return {Kind::Search, text}; }
    // The addresses whose last link check found them broken or unreachable.
    static AddressFilter failing() { return {Kind::Failing, {}}; }
    // The recycle bin's rows, keyed by their number in the bin, the deletion date in the
    // visit date's place.
    static AddressFilter bin() { return {Kind::Bin, {}}; }
};

// One listing read a part at a time, in the order the rows were added (their keys
// ascending): its count, the rows after or before a row, or those at a distance from
// either end. A search has no cheap count nor distance: its keys are read in full.
// Every function throws AppError when the database refuses.
class AddressPaging
{
public:
    // The numbers of a listed group are looked up here, once.
    AddressPaging(DbConnection &db, const AddressFilter &filter);

    // Whether the rows are found by their keys, all of them read by keys().
    bool readsKeys() const { return m_readsKeys; }
    int count();
    // Every listed key, ascending.
    std::vector<qint64> keys();
    // Of a listing that reads its keys: those after `after`, ascending, at most `limit` of
    // them (-1: all), so that a search's first page comes without waiting for every row.
    std::vector<qint64> keys(qint64 after, int limit = -1);
    // Up to `limit` rows, in the listing's order.
    std::vector<AddressRecord> after(qint64 rowNo, int limit);
    std::vector<AddressRecord> before(qint64 rowNo, int limit);
    // The rows from `offset` on, counted from whichever end of the `total` rows is nearer.
    std::vector<AddressRecord> atOffset(int offset, int limit, int total);
    // The number of listed rows before the key.
    int countBefore(qint64 rowNo);
    // Every listed row's key (column 0 of `row`) and one of the list's columns (column 1):
    // 0 address, 1 name, 2 visit date as stored, 3 visits, 4 group.
    void forEachColumn(int column, const std::function<void(const RowReader &row)> &sink);

    // The rows of these keys, in no particular order; keys no longer stored are left out.
    static std::vector<AddressRecord> rowsOf(DbConnection &db, const std::vector<qint64> &keys);
    // The same for this listing's rows.
    std::vector<AddressRecord> rowsOf(const std::vector<qint64> &keys);

private:
    QString where(const QString &also = {}) const;
    std::vector<AddressRecord> read(const QString &sql, const QVariantList &values);

    DbConnection &m_db;
    AddressFilter m_filter;
    bool m_readsKeys = false;
    QString m_condition; // on the address table, which the view shares; empty for every row
    QVariantList m_values;
    // The listed rows with their group's name, and the rows alone (counted on its indexes).
    QString m_view = QStringLiteral("address_1");
    QString m_table = QStringLiteral("address");
};

// A shortcut to import: the address as it is to be stored and its display name.
struct NewAddress
{
    QString address;
    QString name;
};

// Statements on the stored addresses. Rows have no key of their own: they are picked by
// their texts. Every function throws AppError when the database refuses.
namespace AddressStore {

// The text as the folded columns hold it: every letter's case folded.
using FoldedColumns::folded;
// A LIKE pattern (escape character '\') that finds the folded text anywhere, literally.
QString containsPattern(const QString &text);
// Writes the folded columns of the rows that another writer stored without them (empty
// where Address or AddressName is not), in one transaction; gives the rows mended.
int foldMissing(DbConnection &db);

// Rows in the order the database returns them.
std::vector<AddressRecord> list(DbConnection &db, const AddressFilter &filter);
// About how many rows list() would give, where the database can tell at little cost
// (every address, a group); 0 where it cannot. Only for reserving room.
int countHint(DbConnection &db, const AddressFilter &filter);
// The same, handing each row over as it is read (for very large listings).
void forEach(DbConnection &db, const AddressFilter &filter, const std::function<void(AddressRecord &&)> &sink);

// Counts a visit in every row with this address; gives the number of rows changed.
int countVisit(DbConnection &db, const QString &address);
void insert(DbConnection &db, const QString &address, const QString &name, int groupNo);
// Gives the number of rows changed (0 when the old row is gone).
int update(DbConnection &db, const QString &address, const QString &name, int groupNo, const QString &oldAddress,
           const QString &oldName);
// Deletes the address's rows of the group, keeping them in the recycle bin.
int remove(DbConnection &db, const QString &address, int groupNo);
// Marks every row with this address; unmarks only the row of one group.
int setFavourite(DbConnection &db, const QString &address);
int clearFavourite(DbConnection &db, const QString &address, int groupNo);

// Inserts the rows in one transaction. When a row fails, the rows before it are
// committed and AppError is thrown with the database's text; `stored` tells how many.
void insertAll(DbConnection &db, const std::vector<NewAddress> &rows, int groupNo, int *stored = nullptr);

} // namespace AddressStore
