#pragma once

#include "data/DbConnection.h"

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
};

// Which addresses a listing holds.
struct AddressFilter
{
    enum class Kind { All, Favourites, Group, Search };
    Kind kind = Kind::All;
    QString text; // the group name, or the search text (matched literally, the case of every letter ignored)

    static AddressFilter all() { return {Kind::All, {}}; }
    static AddressFilter favourites() { return {Kind::Favourites, {}}; }
    static AddressFilter group(const QString &name) { return {Kind::Group, name}; }
    static AddressFilter search(const QString &text) { return {Kind::Search, text}; }
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
QString folded(const QString &text);
// A LIKE pattern (escape character '\') that finds the folded text anywhere, literally.
QString containsPattern(const QString &text);
// Writes the folded columns of every row anew from Address and AddressName.
void refoldAll(DbConnection &db);
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
int update(DbConnection &db, const QString &address, const QString &name, int groupNo,
           const QString &oldAddress, const QString &oldName);
// Deletes the address's rows of the group, keeping them in the recycle bin.
int remove(DbConnection &db, const QString &address, int groupNo);
// Marks every row with this address; unmarks only the row of one group.
int setFavourite(DbConnection &db, const QString &address);
int clearFavourite(DbConnection &db, const QString &address, int groupNo);

// Inserts the rows in one transaction. When a row fails, the rows before it are
// committed and AppError is thrown with the database's text; `stored` tells how many.
void insertAll(DbConnection &db, const std::vector<NewAddress> &rows, int groupNo, int *stored = nullptr);

} // namespace AddressStore
