#pragma once

#include "data/DbConnection.h"
#include "data/ExportRows.h"
#include "data/GroupStore.h"
#include "links/LinkCheckSettings.h"
#include "links/LinkFixes.h"
#include "services/Fetched.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

class SharedConnection;

// The reads the windows and the command line make of the library and the settings, each
// giving its value with the outcome instead of throwing: a front end decides by the
// outcome whether it says anything.
namespace LibraryReads {

// Points the connection at the library the settings name (configureConnection); Failed
// when the settings hold a value of the wrong type.
Outcome configure(DbConnection &connection);
// Reads the settings of the shared connection (SharedConnection::init).
Outcome configure(SharedConnection &sharedConnection);
// Every group with its number, and their names alone, in the order of the tree.
Fetched<QList<GroupStore::Group>> groups(DbConnection &db);
Fetched<QStringList> groupNames(DbConnection &db);
// The number of rows the recycle bin keeps.
Fetched<int> binCount(DbConnection &db);
// Whether the link check stored any result.
Fetched<bool> anyLinkChecks(DbConnection &db);
// The bytes of the icon kept for a site (empty: none).
Fetched<QByteArray> siteIcon(DbConnection &db, const QString &site);
// The fixes the last check offers for the row of `address` named `name`.
Fetched<LinkFixes::Offer> fixesOffered(DbConnection &db, const QString &address, const QString &name);
// The link check's politeness from the settings file.
Fetched<LinkCheckSettings> linkCheckSettings();
// Writes the scope's addresses to a bookmark file; done with the number written.
Outcome exportTo(DbConnection &db, const QString &file, const ExportScope &scope);

} // namespace LibraryReads
