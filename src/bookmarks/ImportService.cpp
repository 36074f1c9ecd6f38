#include "bookmarks/ImportService.h"

#include "bookmarks/BookmarkFile.h"
#include "data/AddressKey.h"
#include "data/AddressStore.h"
#include "data/Dates.h"
#include "data/ImportWriter.h"
#include "data/TrimUrl.h"

#include <QHash>
#include <QSet>

#include <tuple>

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
    return QStringLiteral("已存在于组别“%1”").arg(group);
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
            result.skipped.push_back({row.group, row.title, row.url, QStringLiteral("重复：") + storedHint(row.group)});
        } else if (row.checked) {
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

namespace {

// Each count the report gives: its label, its value and its unit; the rare ones only when
// they are not zero.
std::vector<std::tuple<QString, int, QString>> reportCounts(const ImportReport &report)
{
    std::vector<std::tuple<QString, int, QString>> counts = {
        {QStringLiteral("导入"), report.imported, QStringLiteral("条")},
        {QStringLiteral("重复跳过"), report.duplicates, QStringLiteral("条")},
        {QStringLiteral("未选中"), report.unchecked, QStringLiteral("条")},
        {QStringLiteral("非网址"), report.notWeb, QStringLiteral("条")},
        {QStringLiteral("新建组别"), report.groupsCreated, QStringLiteral("个")},
        {QStringLiteral("空文件夹"), report.emptyFolders, QStringLiteral("个")},
    };
    if (report.tooDeep > 0)
        counts.emplace_back(QStringLiteral("超过 %1 层文件夹未导入").arg(maxFolderDepth), report.tooDeep,
                            QStringLiteral("条"));
    if (report.badBytes > 0)
        counts.emplace_back(QStringLiteral("无法解码的字节"), report.badBytes, QStringLiteral("个"));
    return counts;
}

} // namespace

QString ImportReport::summary() const
{
    QStringList parts;
    for (const auto &[label, count, unit] : reportCounts(*this))
        parts << QStringLiteral("%1 %2 %3").arg(label).arg(count).arg(unit);
    return parts.join(QStringLiteral("，"));
}

QString ImportReport::lines() const
{
    QStringList parts;
    for (const auto &[label, count, unit] : reportCounts(*this))
        parts << QStringLiteral("%1：%2 %3").arg(label).arg(count).arg(unit);
    return parts.join(QLatin1Char('\n'));
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
