#include "services/AddressEditing.h"

#include "data/AddressStore.h"
#include "data/AppError.h"
#include "data/GroupStore.h"
#include "data/TrimUrl.h"
#include "services/FailureOutcome.h"

// Intended: the two prompts end with a plain exclamation mark, unlike the other texts.
QString AddressEditing::noAddressText()
{
    return tr("请输入网址!");
}

QString AddressEditing::noNameText()
{
    return tr("请输入网址名称!");
}

QString AddressEditing::noGroupsText()
{
    return tr("请先添加网址组别！");
}

QString AddressEditing::rowGoneText()
{
    return tr("该网址已不存在，未能修改！");
}

// A browser would take such an address for one of its options.
QString AddressEditing::optionLikeText()
{
    return tr("网址不能以“-”开头！");
}

QString AddressEditing::storedAddress(const QString &typed)
{
    return trimmedAddress(typed);
}

std::optional<Outcome> AddressEditing::refusalOf(const TypedAddress &typed)
{
    // Only emptiness counts: a text of blanks is content.
    if (typed.address.isEmpty())
        return Outcome::refused(noAddressText());
    if (looksLikeOption(storedAddress(typed.address)))
        return Outcome::refused(optionLikeText());
    if (typed.name.isEmpty())
        return Outcome::refused(noNameText());
    return std::nullopt;
}

std::optional<int> AddressEditing::groupNoOf(const TypedAddress &typed)
{
    if (!typed.groupName) {
        if (GroupStore::groupNames(m_db).isEmpty())
            return std::nullopt;
        throw AppError(QStringLiteral("no group selected"));
    }
    const std::optional<int> groupNo = GroupStore::groupNoOf(m_db, *typed.groupName);
    if (!groupNo)
        throw AppError(QStringLiteral("group \"%1\" is no longer stored").arg(*typed.groupName));
    return groupNo;
}

Outcome AddressEditing::add(const TypedAddress &typed)
{
    if (const std::optional<Outcome> refusal = refusalOf(typed))
        return *refusal;
    try {
        const std::optional<int> groupNo = groupNoOf(typed);
        if (!groupNo)
            return Outcome::refused(noGroupsText());
        AddressStore::insert(m_db, storedAddress(typed.address), typed.name, *groupNo);
    } catch (const AppError &error) {
        return failureOutcome(error);
    }
    return Outcome::done(1);
}

Outcome AddressEditing::change(const TypedAddress &typed, const QString &oldAddress, const QString &oldName)
{
    if (const std::optional<Outcome> refusal = refusalOf(typed))
        return *refusal;
    int changed = 0;
    try {
        const std::optional<int> groupNo = groupNoOf(typed);
        if (!groupNo)
            return Outcome::refused(noGroupsText());
        changed = AddressStore::update(m_db, storedAddress(typed.address), typed.name, *groupNo, oldAddress, oldName);
    } catch (const AppError &error) {
        return failureOutcome(error);
    }
    if (changed == 0)
        return Outcome::refused(rowGoneText());
    return Outcome::done(changed);
}
