#include "bookmarks/ImportService.h"

#include "bookmarks/BookmarkFile.h"
#include "data/AddressKey.h"
#include "data/AddressStore.h"
#include "data/Dates.h"
#include "data/ImportWriter.h"
#include "data/TrimUrl.h"

#include <QHash>
#include <QSet>

namespace {

constexpr qsizetype progressStep = 512;

QString storedTime(const Bookmark &bookmark, const QString &today)
{
    const QDateTime when = bookmark.lastVisit.isValid() ? bookmark.lastVisit : bookmark.added;
    if (!when.isValid())
        return today;
    return when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void report(const ImportService::Progress &progress, qsizetype done, qsizetype total)
{
    if (progress && (done % progressStep == 0 || done == total) && !progress(done, total))
        throw ImportCancelled{};
}

// The keys stored in each group.
QHash<QString, QSet<QString>> storedKeys(DbConnection &db)
{
    QHash<QString, QSet<QString>> keys;
    AddressStore::forEach(db, AddressFilter::all(), [&keys](AddressRecord &&record) {
        keys[record.groupName].insert(addressKey(record.address));
    });
    return keys;
}

} // namespace

ImportPlan ImportService::plan(DbConnection &db, BookmarkSet &&set, const Progress &progress)
{
    ImportPlan plan;
    plan.sourceName = set.sourceName;
    plan.notWeb = std::move(set.notWeb);
    plan.separators = set.separators;
    plan.emptyFolders = set.emptyFolders;

    QHash<QString, QSet<QString>> stored = storedKeys(db);
    QHash<QString, QSet<QString>> seen;
    const QString today = Dates::todayForStorage();
    const qsizetype total = qsizetype(set.bookmarks.size());
    plan.rows.reserve(set.bookmarks.size());
    qsizetype done = 0;
    for (Bookmark &bookmark : set.bookmarks) {
        ImportRow row;
        row.group = set.groupOf(bookmark);
        row.address = P_TrimUrl(bookmark.url);
        row.viewTime = storedTime(bookmark, today);
        const QString key = addressKey(row.address);
        if (stored.value(row.group).contains(key)) {
            row.duplicate = true;
            row.duplicateHint = QStringLiteral("已存在于组别“%1”").arg(row.group);
        } else if (seen[row.group].contains(key)) {
            row.duplicate = true;
            row.duplicateHint = QStringLiteral("与本次导入中组别“%1”的另一条书签相同").arg(row.group);
        } else {
            seen[row.group].insert(key);
        }
        row.checked = !row.duplicate;
        row.title = std::move(bookmark.title);
        row.url = std::move(bookmark.url);
        plan.rows.push_back(std::move(row));
        report(progress, ++done, total);
    }
    return plan;
}

ImportReport ImportService::store(DbConnection &db, const ImportPlan &plan, const Progress &progress)
{
    ImportReport result;
    result.notWeb = int(plan.notWeb.size());
    result.skipped = plan.notWeb;

    Transaction transaction(db);
    ImportWriter writer(db);
    const qsizetype total = qsizetype(plan.rows.size());
    qsizetype done = 0;
    for (const ImportRow &row : plan.rows) {
        if (row.checked) {
            bool created = false;
            const int groupNo = writer.groupNo(row.group, &created);
            writer.insert(row.address, row.title, row.viewTime, groupNo);
            ++result.imported;
            result.groupsCreated += created ? 1 : 0;
        } else if (row.duplicate) {
            ++result.duplicates;
            result.skipped.push_back({row.group, row.title, row.url, QStringLiteral("重复：") + row.duplicateHint});
        } else {
            ++result.unchecked;
            result.skipped.push_back({row.group, row.title, row.url, QStringLiteral("未选中")});
        }
        report(progress, ++done, total);
    }
    writer.finish();
    transaction.commit();
    return result;
}

ImportReport ImportService::importFile(DbConnection &db, const QString &file)
{
    return store(db, plan(db, BookmarkFile::read(file)));
}

QString ImportReport::summary() const
{
    return QStringLiteral("导入 %1 条，重复跳过 %2 条，未选中 %3 条，非网址 %4 条，新建组别 %5 个")
        .arg(imported)
        .arg(duplicates)
        .arg(unchecked)
        .arg(notWeb)
        .arg(groupsCreated);
}

QString ImportReport::details() const
{
    QStringList lines;
    lines.reserve(qsizetype(skipped.size()));
    for (const SkippedEntry &entry : skipped) {
        const QString title = entry.title.isEmpty() ? QStringLiteral("（无标题）") : entry.title;
        const QString url = entry.url.isEmpty() ? QStringLiteral("（无地址）") : entry.url;
        lines << QStringLiteral("%1：%2 / %3 <%4>").arg(entry.reason, entry.group, title, url);
    }
    return lines.join(QLatin1Char('\n'));
}
