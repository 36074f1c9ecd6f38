#pragma once

#include "data/DbConnection.h"
#include "services/Outcome.h"

#include <QString>
#include <optional>

// What the user typed into the address editor.
struct TypedAddress
{
    QString address; // as typed; the save stores it normalised
    QString name;
    std::optional<QString> groupName; // the chosen group; none when no group is chosen
};

// Adding and changing one address. Both check the typed texts, find the group by its
// name and store the address normalised; neither shows anything. Outcomes:
//   Done     the row was written (count = rows written);
//   Refused  an empty address or name, an address that starts with "-", no group in the database at all, or (change) the
//            row to change is gone; the message is the text for the user;
//   Failed   the database failed, or the chosen group is no longer stored;
//   ReadOnly the database cannot be changed.
// An address that is stored already is stored again as a row of its own.
class AddressEditing
{
    Q_DECLARE_TR_FUNCTIONS(AddressEditing)

public:
    explicit AddressEditing(DbConnection &db) : m_db(db) {}

    Outcome add(const TypedAddress &typed);
    // Changes the row that holds `oldAddress` and `oldName` as they were handed to the
    // editor (not normalised); its visits and date stay.
    Outcome change(const TypedAddress &typed, const QString &oldAddress, const QString &oldName);

    // The address as a save stores it (trimmedAddress): a leading "http:" or "HTTP:" goes with
    // the two characters after it, then one final "/".
    static QString storedAddress(const QString &typed);

    static QString noAddressText();
    static QString noNameText();
    static QString noGroupsText();
    static QString rowGoneText();
    static QString optionLikeText();

private:
    // The refusal for typed texts that cannot be saved, else nothing.
    static std::optional<Outcome> refusalOf(const TypedAddress &typed);
    // The number of the chosen group; throws AppError when it cannot be found, gives
    // nothing when the database holds no group at all.
    std::optional<int> groupNoOf(const TypedAddress &typed);

    DbConnection &m_db;
};
