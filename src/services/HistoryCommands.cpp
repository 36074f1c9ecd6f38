#include "services/HistoryCommands.h"

#include "data/GroupStore.h"
#include "data/RecycleBin.h"
#include "favorites/FavoritesReader.h"
#include "links/LinkFixes.h"
#include "services/AddressCommands.h"
#include "services/FailureOutcome.h"
#include "services/GroupService.h"
#include "services/UrlImportService.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

const QString inGroupNamed = QStringLiteral("GroupNo IN (SELECT GroupNo FROM BaseGroup WHERE GroupName = ?)");

// Runs the command as one step of the history; its outcome decides whether the step is
// kept. A command that reports the rows it moves is given where to (see StepScope).
Outcome recordedMoving(LibraryHistory *history, DbConnection &db, const QString &label, const StepScope &scope,
                       const std::function<Outcome(MovedRows *)> &command)
{
    if (!history)
        return command(nullptr);
    Outcome outcome = Outcome::done();
    try {
        history->record(db, label, scope, [&](MovedRows *moved) {
            outcome = command(moved);
            return outcome.ok();
        });
    } catch (const AppError &error) {
        return failureOutcome(error);
    }
    return outcome;
}

Outcome recorded(LibraryHistory *history, DbConnection &db, const QString &label, const StepScope &scope,
                 const std::function<Outcome()> &command)
{
    return recordedMoving(history, db, label, scope, [&](MovedRows *) { return command(); });
}

// Rows of the address in the named group.
StepScope addressInGroup(const QString &address, const QString &groupName)
{
    StepScope scope;
    scope.addresses = QStringLiteral("Address = ? AND ") + inGroupNamed;
    scope.addressValues = {address, groupName};
    return scope;
}

// The row the editor changes, picked as AddressStore::update picks it.
StepScope editedRow(const QString &oldAddress, const QString &oldName)
{
    StepScope scope;
    scope.addresses = QStringLiteral("Address = ? AND AddressName = ?");
    scope.addressValues = {oldAddress, oldName};
    return scope;
}

// The chosen rows of the bin: exactly, or (a long scattered choice) every row from the
// lowest to the highest id, which costs only reading them: rows the command leaves as they
// are do not go into the step.
StepScope binRows(const QList<qint64> &ids)
{
    StepScope scope;
    const std::vector<RecycleBin::IdCondition> conditions = RecycleBin::idConditions(ids);
    if (conditions.size() == 1) {
        scope.binRows = conditions.front().sql;
        scope.binValues = conditions.front().values;
    } else if (!conditions.empty()) {
        scope.binRows = QStringLiteral("Id BETWEEN ? AND ?");
        scope.binValues = {*std::min_element(ids.begin(), ids.end()), *std::max_element(ids.begin(), ids.end())};
    }
    return scope;
}

Outcome counted(const std::function<int()> &statement)
{
    try {
        return Outcome::done(statement());
    } catch (const AppError &error) {
        return failureOutcome(error);
    }
}

} // namespace

Outcome HistoryCommands::addGroup(LibraryHistory *history, DbConnection &db, const QString &name)
{
    return recorded(history, db, QCoreApplication::translate("HistoryCommands", "新建网址组别“%1”").arg(name), {},
                    [&] { return GroupService::add(db, name); });
}

Outcome HistoryCommands::renameGroup(LibraryHistory *history, DbConnection &db, const QString &oldName,
                                     const QString &newName)
{
    StepScope scope;
    scope.groups = QStringLiteral("GroupName = ?");
    scope.groupValues = {oldName};
    return recorded(history, db, QCoreApplication::translate("HistoryCommands", "重命名网址组别“%1”").arg(oldName),
                    scope, [&] { return GroupService::rename(db, oldName, newName); });
}

Outcome HistoryCommands::removeGroup(LibraryHistory *history, DbConnection &db, const QString &name)
{
    StepScope scope;
    scope.groups = QStringLiteral("GroupName = ?");
    scope.groupValues = {name};
    scope.reportsMovedRows = RecycleBin::deleteReportsRows(db);
    if (!scope.reportsMovedRows) {
        scope.addresses = inGroupNamed;
        scope.addressValues = {name};
    }
    return recordedMoving(history, db, QCoreApplication::translate("HistoryCommands", "删除网址组别“%1”").arg(name),
                          scope, [&](MovedRows *moved) { return GroupService::remove(db, name, moved); });
}

Outcome HistoryCommands::addAddress(LibraryHistory *history, DbConnection &db, const TypedAddress &typed)
{
    return recorded(history, db, QCoreApplication::translate("HistoryCommands", "添加网址“%1”").arg(typed.name), {},
                    [&] { return AddressEditing(db).add(typed); });
}

Outcome HistoryCommands::changeAddress(LibraryHistory *history, DbConnection &db, const TypedAddress &typed,
                                       const QString &oldAddress, const QString &oldName)
{
    return recorded(history, db, QCoreApplication::translate("HistoryCommands", "修改网址“%1”").arg(oldName),
                    editedRow(oldAddress, oldName),
                    [&] { return AddressEditing(db).change(typed, oldAddress, oldName); });
}

Outcome HistoryCommands::removeAddress(LibraryHistory *history, DbConnection &db, const QString &address,
                                       const QString &groupName)
{
    return recorded(history, db, QCoreApplication::translate("HistoryCommands", "删除网址“%1”").arg(address),
                    addressInGroup(address, groupName),
                    [&] { return AddressCommands::remove(db, address, groupName); });
}

Outcome HistoryCommands::setFavourite(LibraryHistory *history, DbConnection &db, const QString &address)
{
    StepScope scope;
    scope.addresses = QStringLiteral("Address = ?");
    scope.addressValues = {address};
    return recorded(history, db, QCoreApplication::translate("HistoryCommands", "添加到收藏夹“%1”").arg(address), scope,
                    [&] { return AddressCommands::setFavourite(db, address); });
}

Outcome HistoryCommands::clearFavourite(LibraryHistory *history, DbConnection &db, const QString &address,
                                        const QString &groupName)
{
    return recorded(history, db, QCoreApplication::translate("HistoryCommands", "从收藏夹中删除“%1”").arg(address),
                    addressInGroup(address, groupName),
                    [&] { return AddressCommands::clearFavourite(db, address, groupName); });
}

Outcome HistoryCommands::useNewAddress(LibraryHistory *history, DbConnection &db, const QString &address,
                                       const QString &name, const QString &group)
{
    return recorded(history, db, QCoreApplication::translate("HistoryCommands", "改为新网址“%1”").arg(name),
                    editedRow(address, name), [&] { return LinkFixes::useNewAddress(db, address, name, group); });
}

Outcome HistoryCommands::usePageTitle(LibraryHistory *history, DbConnection &db, const QString &address,
                                      const QString &name, const QString &group)
{
    return recorded(history, db, QCoreApplication::translate("HistoryCommands", "使用网页标题“%1”").arg(address),
                    editedRow(address, name), [&] { return LinkFixes::usePageTitle(db, address, name, group); });
}

Outcome HistoryCommands::recordImport(LibraryHistory *history, DbConnection &db, const QString &label,
                                      const std::function<Outcome()> &import)
{
    StepScope scope;
    scope.keysOnly = true;
    scope.keepsWorkBeforeFailure = true;
    return recorded(history, db, label, scope, import);
}

Outcome HistoryCommands::importShortcuts(LibraryHistory *history, DbConnection &db,
                                         const std::vector<ShortcutEntry> &entries)
{
    return recordImport(history, db, QCoreApplication::translate("HistoryCommands", "导入收藏夹"),
                        [&] { return UrlImportService::store(db, entries); });
}

Outcome HistoryCommands::restoreFromBin(LibraryHistory *history, DbConnection &db, const QList<qint64> &ids)
{
    StepScope scope;
    scope.reportsMovedRows = RecycleBin::restoreReportsRows(db);
    if (!scope.reportsMovedRows) {
        // A row goes back to its old place, below the keys of new rows: that place is watched too.
        scope = binRows(ids);
        if (!ids.isEmpty()) {
            scope.addressKeys = QStringLiteral("SELECT RowNo FROM RecycleBin WHERE %1").arg(scope.binRows);
            scope.addressKeyValues = scope.binValues;
        }
    }
    return recordedMoving(
        history, db, QCoreApplication::translate("HistoryCommands", "从回收站还原"), scope,
        [&](MovedRows *moved) { return counted([&] { return RecycleBin::restore(db, ids, moved); }); });
}

Outcome HistoryCommands::purgeFromBin(LibraryHistory *history, DbConnection &db, const QList<qint64> &ids)
{
    return recorded(history, db, QCoreApplication::translate("HistoryCommands", "从回收站中彻底删除"), binRows(ids),
                    [&] { return counted([&] { return RecycleBin::purge(db, ids); }); });
}

Outcome HistoryCommands::emptyBin(LibraryHistory *history, DbConnection &db)
{
    StepScope scope;
    scope.binRows = QStringLiteral("1 = 1");
    return recorded(history, db, QCoreApplication::translate("HistoryCommands", "清空回收站"), scope,
                    [&] { return counted([&] { return RecycleBin::empty(db); }); });
}

Outcome HistoryCommands::undo(LibraryHistory &history, DbConnection &db)
{
    try {
        const HistoryResult result = history.undo(db);
        return result.done ? Outcome::done(1) : Outcome::refused(result.message);
    } catch (const AppError &error) {
        return failureOutcome(error);
    }
}

Outcome HistoryCommands::redo(LibraryHistory &history, DbConnection &db)
{
    try {
        const HistoryResult result = history.redo(db);
        return result.done ? Outcome::done(1) : Outcome::refused(result.message);
    } catch (const AppError &error) {
        return failureOutcome(error);
    }
}
