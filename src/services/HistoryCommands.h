#pragma once

#include "data/DbConnection.h"
#include "data/LibraryHistory.h"
#include "services/AddressEditing.h"
#include "services/Outcome.h"

#include <QList>
#include <functional>

struct ShortcutEntry;

// The commands that change the library, each run as one step of the session's history
// (none when `history` is null), so that an undo takes it back exactly. Outcomes as the
// commands' own; an undo or a redo that is refused changes nothing and says why.
namespace HistoryCommands {

Outcome addGroup(LibraryHistory *history, DbConnection &db, const QString &name);
Outcome renameGroup(LibraryHistory *history, DbConnection &db, const QString &oldName, const QString &newName);
Outcome removeGroup(LibraryHistory *history, DbConnection &db, const QString &name);

Outcome addAddress(LibraryHistory *history, DbConnection &db, const TypedAddress &typed);
Outcome changeAddress(LibraryHistory *history, DbConnection &db, const TypedAddress &typed, const QString &oldAddress,
                      const QString &oldName);
Outcome removeAddress(LibraryHistory *history, DbConnection &db, const QString &address, const QString &groupName);
Outcome setFavourite(LibraryHistory *history, DbConnection &db, const QString &address);
Outcome clearFavourite(LibraryHistory *history, DbConnection &db, const QString &address, const QString &groupName);

// The link check's fixes of one listed row.
Outcome useNewAddress(LibraryHistory *history, DbConnection &db, const QString &address, const QString &name,
                      const QString &group);
Outcome usePageTitle(LibraryHistory *history, DbConnection &db, const QString &address, const QString &name,
                     const QString &group);

// An import of any kind: one step that keeps the keys of the rows and groups it added.
// An import that fails halfway keeps (as its step) the rows stored before the failure.
Outcome recordImport(LibraryHistory *history, DbConnection &db, const QString &label,
                     const std::function<Outcome()> &import);
Outcome importShortcuts(LibraryHistory *history, DbConnection &db, const std::vector<ShortcutEntry> &entries);

// The recycle bin's commands; Done with the rows restored or deleted.
Outcome restoreFromBin(LibraryHistory *history, DbConnection &db, const QList<qint64> &ids);
Outcome purgeFromBin(LibraryHistory *history, DbConnection &db, const QList<qint64> &ids);
Outcome emptyBin(LibraryHistory *history, DbConnection &db);

// Takes the newest step back, or does the newest step taken back again.
Outcome undo(LibraryHistory &history, DbConnection &db);
Outcome redo(LibraryHistory &history, DbConnection &db);

} // namespace HistoryCommands
