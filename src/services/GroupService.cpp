#include "services/GroupService.h"

#include "data/GroupStore.h"
#include "data/RecycleBin.h"
#include "data/Schema.h"
#include "services/FailureOutcome.h"

#include <QCoreApplication>

namespace {

bool isBlank(const QString &name)
{
    return name.trimmed().isEmpty();
}

} // namespace

QString GroupService::nameExistsText()
{
    return QCoreApplication::translate("GroupService", "该组别已存在！");
}

bool GroupService::mayRename(const QString &name)
{
    return !isBlank(name) && name.trimmed() != Schema::ImportGroup;
}

Outcome GroupService::add(DbConnection &db, const QString &name)
{
    if (isBlank(name))
        return Outcome::refused(QString());
    try {
        if (GroupStore::addGroup(db, name) == GroupStore::GroupChange::NameExists)
            return Outcome::refused(nameExistsText());
        return Outcome::done(1);
    } catch (const AppError &error) {
        return failureOutcome(error);
    }
}

Outcome GroupService::rename(DbConnection &db, const QString &oldName, const QString &newName)
{
    if (isBlank(newName) || !mayRename(oldName))
        return Outcome::refused(QString());
    try {
        switch (GroupStore::renameGroup(db, oldName, newName)) {
        case GroupStore::GroupChange::Done: return Outcome::done(1);
        case GroupStore::GroupChange::NameExists: return Outcome::refused(nameExistsText());

        case GroupStore::GroupChange::NotFound: break;
        }
    } catch (const AppError &error) {
        return failureOutcome(error);
    }
    return Outcome::failed(QStringLiteral("no group named \"%1\"").arg(oldName));
}

Outcome GroupService::remove(DbConnection &db, const QString &name, MovedRows *moved)
{
    try {
        const bool deleted = RecycleBin::deleteGroupWithAddresses(db, name, moved) == GroupStore::GroupChange::Done;
        return Outcome::done(deleted ? 1 : 0);
    } catch (const AppError &error) {
        return failureOutcome(error);
    }
}
