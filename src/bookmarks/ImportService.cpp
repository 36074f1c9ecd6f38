#include "bookmarks/ImportService.h"

#include "bookmarks/BookmarkFile.h"
#include "data/AddressKey.h"
#include "data/AddressStore.h"
#include "data/Dates.h"
#include "data/ImportWriter.h"
#include "data/TrimUrl.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>

namespace {

constexpr qsizetype progressStep = 512;

QString storedTime(const Bookmark &bookmark, const QString &today, Dates::LocalTimes &clock)
{
    const QDateTime when = bookmark.lastVisit.isValid() ? bookmark.lastVisit : bookmark.added;
    if (!when.isValid())
        return today;
    return clock.storedText(when.toSecsSinceEpoch());
}

void report(const ImportService::Progress &progress, qsizetype done, qsizetype total)
{
    if (progress && (done % progressStep == 0 || done == total) && !progress(done, total))
        throw ImportCancelled{};
}

QString storedHint(const QString &group)
{
    return QCoreApplication::translate("ImportService", "已存在于组别“%1”").arg(group);
}

QString duplicateReason(const QString &hint)
{
    return QCoreApplication::translate("ImportService", "重复：%1").arg(hint);
}

QString uncheckedReason()
{
    return QCoreApplication::translate("ImportService", "未选中");
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
    plan.tooDeep = set.tooDeep;
    plan.badBytes = set.badBytes;

    QHash<QString, QSet<QString>> stored = storedKeys(db);
    QHash<QString, QSet<QString>> seen;
    const QString today = Dates::todayForStorage();
    Dates::LocalTimes clock;
    const qsizetype total = qsizetype(set.bookmarks.size());
    plan.rows.reserve(set.bookmarks.size());
    qsizetype done = 0;
    for (Bookmark &bookmark : set.bookmarks) {
        ImportRow row;
        row.group = set.groupOf(bookmark);
        row.address = trimmedAddress(bookmark.url);
        row.viewTime = storedTime(bookmark, today, clock);
        const QString key = addressKey(row.address);
        if (stored.value(row.group).contains(key)) {
            row.duplicate = true;
            row.duplicateHint = storedHint(row.group);
        } else if (seen[row.group].contains(key)) {
            row.duplicate = true;
            row.duplicateHint =
                QCoreApplication::translate("ImportService", "与本次导入中组别“%1”的另一条书签相同").arg(row.group);
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
    result.emptyFolders = plan.emptyFolders;
    result.tooDeep = plan.tooDeep;
    result.badBytes = plan.badBytes;

    Transaction transaction(db);
    ImportWriter writer(db);
    const qsizetype total = qsizetype(plan.rows.size());
    qsizetype done = 0;
    for (const ImportRow &row : plan.rows) {
        // Another import may have stored the row since the plan was made; it is looked up
        // again under the writer's lock. A duplicate the user checked is stored as asked.
        if (row.checked && !row.duplicate && writer.isStored(row.group, row.address)) {
            ++result.duplicates;
            result.skipped.push_back({row.group, row.title, row.url, duplicateReason(storedHint(row.group))});
        } else if (row.checked) {
            bool created = false;
            const int groupNo = writer.groupNo(row.group, &created);
            writer.insert(row.address, row.title, row.viewTime, groupNo);
            ++result.imported;
            result.groupsCreated += created ? 1 : 0;
        } else if (row.duplicate) {
            ++result.duplicates;
            result.skipped.push_back({row.group, row.title, row.url, duplicateReason(row.duplicateHint)});
        } else {
            ++result.unchecked;
            result.skipped.push_back({row.group, row.title, row.url, uncheckedReason()});
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

namespace {

// Each count the report gives, worded for the one-line summary and for a line of its own;
// the rare ones only when they are not zero.
struct CountText
{
    QString inSummary;
    QString onLine;
};

std::vector<CountText> reportCounts(const ImportReport &report)
{
    std::vector<CountText> counts = {
        {ImportReport::tr("导入 %n 条", nullptr, report.imported),
         ImportReport::tr("导入：%n 条", nullptr, report.imported)},
        {ImportReport::tr("重复跳过 %n 条", nullptr, report.duplicates),
         ImportReport::tr("重复跳过：%n 条", nullptr, report.duplicates)},
        {ImportReport::tr("未选中 %n 条", nullptr, report.unchecked),
         ImportReport::tr("未选中：%n 条", nullptr, report.unchecked)},
        {ImportReport::tr("非网址 %n 条", nullptr, report.notWeb),
         ImportReport::tr("非网址：%n 条", nullptr, report.notWeb)},
        {ImportReport::tr("新建组别 %n 个", nullptr, report.groupsCreated),
         ImportReport::tr("新建组别：%n 个", nullptr, report.groupsCreated)},
        {ImportReport::tr("空文件夹 %n 个", nullptr, report.emptyFolders),
         ImportReport::tr("空文件夹：%n 个", nullptr, report.emptyFolders)},
    };
    if (report.tooDeep > 0)
        counts.push_back(
            {ImportReport::tr("超过 %1 层文件夹未导入 %n 条", nullptr, report.tooDeep).arg(maxFolderDepth),
             ImportReport::tr("超过 %1 层文件夹未导入：%n 条", nullptr, report.tooDeep).arg(maxFolderDepth)});
    if (report.badBytes > 0)
        counts.push_back({ImportReport::tr("无法解码的字节 %n 个", nullptr, report.badBytes),
                          ImportReport::tr("无法解码的字节：%n 个", nullptr, report.badBytes)});
    return counts;
}

} // namespace

QString ImportReport::summary() const
{
    QStringList parts;
    for (const CountText &count : reportCounts(*this))
        parts << count.inSummary;
    return parts.join(tr("，", "between the counts of a summary"));
}

QString ImportReport::lines() const
{
    QStringList parts;
    for (const CountText &count : reportCounts(*this))
        parts << count.onLine;
    return parts.join(QLatin1Char('\n'));
}

QString ImportReport::details() const
{
    QStringList lines;
    lines.reserve(qsizetype(skipped.size()));
    for (const SkippedEntry &entry : skipped) {
        const QString title = entry.title.isEmpty() ? tr("（无标题）") : entry.title;
        const QString url = entry.url.isEmpty() ? tr("（无地址）") : entry.url;
        lines << tr("%1：%2 / %3 <%4>", "reason: group / title <address>").arg(entry.reason, entry.group, title, url);
    }
    return lines.join(QLatin1Char('\n'));
}
