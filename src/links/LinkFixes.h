#pragma once

#include "data/DbConnection.h"
#include "links/LinkStore.h"
#include "services/Outcome.h"

// The fixes the link check offers for one row of the list (its address, name and group
// as listed). Each changes the row as the editor's save does (AddressEditing::change):
// the address is stored normalised, the row keeps its visits and date, and a row that
// is gone is reported. Refused, with the text for the user, where the last check of the
// address offers no such fix.
namespace LinkFixes {

// The address a moved one takes, as the editor stores it; empty when the result offers
// no new address (not moved, the final address is stored as the address is already (a
// redirect that only adds a final "/"), or the editor would refuse it).
QString newAddressOf(LinkStatus status, const QString &address, const QString &finalAddress);
// The last check found the address moved: its final address.
bool offersNewAddress(const std::optional<LinkStore::StoredCheck> &check);
// The row's name is empty or the address itself, and the last check read a title.
bool offersPageTitle(const std::optional<LinkStore::StoredCheck> &check, const QString &address, const QString &name);

// A fix that one check offers, for the report of the check: `value` is what the rows
// of `address` would take (the new address as stored, or the page's title).
struct Fix
{
    enum class Kind { NewAddress, PageTitle };
    Kind kind = Kind::NewAddress;
    QString address;
    QString value;
};
// "fix<TAB>new-address<TAB>ADDRESS<TAB>NEW" or "fix<TAB>page-title<TAB>ADDRESS<TAB>TITLE"
QString reportLine(const Fix &fix);

// Which of the two the row of `address` named `name` is offered. Throws AppError when
// the last check cannot be read.
struct Offer
{
    bool newAddress = false;
    bool pageTitle = false;
};
Offer offeredFor(DbConnection &db, const QString &address, const QString &name);

// "改为新网址": the row's address becomes the final address of a moved one.
Outcome useNewAddress(DbConnection &db, const QString &address, const QString &name, const QString &group);
// "使用网页标题": the row's name becomes the page's title.
Outcome usePageTitle(DbConnection &db, const QString &address, const QString &name, const QString &group);

} // namespace LinkFixes
