#pragma once

#include "data/DbConnection.h"
#include "services/Outcome.h"

#include <functional>

// Commands on one stored address: deleting it from a group, marking and unmarking it as a
// favourite, counting a visit. An address row is picked by its address and the name of its
// group. Every function catches the data layer's errors and gives them as its outcome.
namespace AddressCommands {

// The success text of a deletion. The doubled exclamation mark is intended: do not "fix" it.
QString deletedText();
// Put in front of the address given to the browser for a visit by IP (see withHostAsIpv4). The backslashes are intended (the
// browser is given exactly this text): do not "fix" them.
inline const QString ByIpPrefix = QStringLiteral("http:\\\\");

// Deletes the address's row of the group. Done with deletedText() as message and the number

// of rows deleted; Failed when no group bears the name.
Outcome remove(DbConnection &db, const QString &address, const QString &groupName);
// Marks the address a favourite in every group that holds it. Done with the rows marked.
Outcome setFavourite(DbConnection &db, const QString &address);
// Unmarks only the address's row of the group. Done with the rows unmarked; Failed when no
// group bears the name.
Outcome clearFavourite(DbConnection &db, const QString &address, const QString &groupName);

// Counts a visit in every group that holds the address. Done with the rows counted.
Outcome countVisit(DbConnection &db, const QString &address);
// Whether the address may be opened after counting its visit gave `counted`: a library that
// can only be read is still there to be visited, a failed one is not.
bool mayOpenAfter(const Outcome &counted);

// Gives the dotted IPv4 address of a host name, empty when it does not resolve.
using Ipv4Lookup = std::function<QString(const QString &host)>;
// The address with its host (everything before the first "/") replaced by the host's
// dotted IPv4 address; blanks and control characters at either end of the host, the
// dotted address and the path go. Empty when the host does not resolve.
QString withHostAsIpv4(const QString &address, const Ipv4Lookup &ipv4Of);

} // namespace AddressCommands
