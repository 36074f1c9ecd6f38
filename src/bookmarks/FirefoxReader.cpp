#include "bookmarks/FirefoxReader.h"

#include "data/AppError.h"

#include <QCoreApplication>
#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

namespace {

QAtomicInt readerCounter;

constexpr int typeBookmark = 1;
constexpr int typeFolder = 2;
constexpr int typeSeparator = 3;
constexpr int cancelStep = 4096; // rows read between two looks at the cancel

struct Node
{
    int type = 0;
    QString title;
    QString url;
    qint64 added = 0; // microseconds since the epoch
    qint64 lastVisit = 0;
    std::vector<qint64> children; // ids, in their stored order
};

QDateTime fromMicros(qint64 micros)
{
    return micros > 0 ? QDateTime::fromSecsSinceEpoch(micros / 1000000) : QDateTime();
}

// Refuses anything but a regular file: a FIFO or a device would block the copy or
// never end.
void requireRegularFile(const QString &file)
{
    const QFileInfo info(file);
    if (info.exists() && !info.isFile())
        throw AppError(QCoreApplication::translate("FirefoxReader", "不是普通文件：%1").arg(file));
}

// The statements below read moz_bookmarks and moz_places. In a hostile file either
// could be a view (a recursive one runs for minutes and takes gigabytes), and a trigger
// could make the reading write; a places database of Firefox has neither.
void requireRealTables(QSqlDatabase &db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT type, name FROM sqlite_master WHERE type IN ('view', 'trigger') "
                                   "OR name IN ('moz_bookmarks', 'moz_places')")))
        throw AppError(QCoreApplication::translate("FirefoxReader", "不是 Firefox 的书签数据库：%1")
                           .arg(query.lastError().text()));
    int tables = 0;
    while (query.next()) {
        if (query.value(0).toString() != QLatin1String("table"))
            throw AppError(
                QCoreApplication::translate("FirefoxReader", "不是 Firefox 的书签数据库：含有视图或触发器“%1”")
                    .arg(query.value(1).toString()));
        ++tables;
    }
    if (tables != 2)
        throw AppError(QCoreApplication::translate("FirefoxReader",
                                                   "不是 Firefox 的书签数据库：缺少 moz_bookmarks 或 moz_places 表"));
}

QString copyWithWal(const QString &placesFile, const QTemporaryDir &dir)
{
    requireRegularFile(placesFile);
    requireRegularFile(placesFile + QStringLiteral("-wal"));
    QString copy = dir.filePath(QStringLiteral("places.sqlite"));
    if (!QFile::copy(placesFile, copy))
        throw AppError(QCoreApplication::translate("FirefoxReader", "无法读取文件：%1").arg(placesFile));
    const QString wal = placesFile + QStringLiteral("-wal");
    if (QFile::exists(wal) && !QFile::copy(wal, copy + QStringLiteral("-wal")))
        throw AppError(QCoreApplication::translate("FirefoxReader", "无法读取文件：%1").arg(wal));
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    return copy;
}

class Tree
{
public:
    void load(QSqlDatabase &db, const ReadCancel &cancel)
    {
        requireRealTables(db);
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral(
                "SELECT b.id, b.parent, b.type, b.title, p.url, b.dateAdded, p.last_visit_date "
                "FROM moz_bookmarks b LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.parent, b.position, b.id")))
            throw AppError(QCoreApplication::translate("FirefoxReader", "不是 Firefox 的书签数据库：%1")
                               .arg(query.lastError().text()));
        std::vector<std::pair<qint64, qint64>> links;
        while (query.next()) {
            if (links.size() % cancelStep == 0)
                stopIfCancelled(cancel);
            const qint64 id = query.value(0).toLongLong();
            Node &node = m_nodes[id];
            node.type = query.value(2).toInt();
            node.title = query.value(3).toString().trimmed();
            node.url = query.value(4).toString().trimmed();
            node.added = query.value(5).toLongLong();
            node.lastVisit = query.value(6).toLongLong();
            links.emplace_back(query.value(1).toLongLong(), id);
        }
        for (const auto &[parent, id] : links)
            if (parent != id)
                m_nodes[parent].children.push_back(id);

        QSqlQuery roots(db);
        if (!roots.exec(QStringLiteral("SELECT guid, id FROM moz_bookmarks WHERE guid IN "
                                       "('toolbar_____', 'menu________', 'unfiled_____', 'mobile______')")))
            throw AppError(roots.lastError().text());
        while (roots.next())
            m_roots.insert(roots.value(0).toString(), roots.value(1).toLongLong());
    }

    void fill(BookmarkSet &set)
    {
        const std::pair<QLatin1String, QString> shownRoots[] = {
            {QLatin1String("toolbar_____"), BookmarkRoots::firefoxToolbar},
            {QLatin1String("menu________"), BookmarkRoots::firefoxMenu},
            {QLatin1String("unfiled_____"), BookmarkRoots::otherBookmarks},
            {QLatin1String("mobile______"), BookmarkRoots::mobile},
        };
        for (const auto &[guid, shown] : shownRoots) {
            const auto root = m_roots.constFind(guid);
            if (root == m_roots.constEnd())
                continue;
            QStringList path{shown};
            walk(*root, path, set, 0);
        }
    }

private:
    // The bookmarks anywhere below a folder, walked without recursion.
    int bookmarksBelow(qint64 folderId)
    {
        int count = 0;
        std::vector<qint64> pending{folderId};
        while (!pending.empty()) {
            const auto folder = m_nodes.constFind(pending.back());
            pending.pop_back();
            if (folder == m_nodes.constEnd())
                continue;
            for (qint64 id : folder->children) {
                const Node &node = *m_nodes.constFind(id);
                if (node.type == typeBookmark)
                    ++count;
                else if (node.type == typeFolder && !m_walked.contains(id)) {
                    m_walked.insert(id);
                    pending.push_back(id);
                }
            }
        }
        return count;
    }

    bool walk(qint64 folderId, QStringList &path, BookmarkSet &set, int depth)
    {
        const auto folder = m_nodes.constFind(folderId);
        // A damaged file may link folders in a ring: each is walked once.
        if (folder == m_nodes.constEnd() || m_walked.contains(folderId))
            return false;
        m_walked.insert(folderId);
        bool hasBookmark = false;
        for (qint64 id : folder->children) {
            const Node &node = *m_nodes.constFind(id);
            if (node.type == typeBookmark) {
                Bookmark bookmark;
                bookmark.folders = path;
                bookmark.title = node.title;
                bookmark.url = node.url;
                bookmark.added = fromMicros(node.added);
                bookmark.lastVisit = fromMicros(node.lastVisit);
                set.add(std::move(bookmark));
                hasBookmark = true;
            } else if (node.type == typeSeparator) {
                ++set.separators;
            } else if (node.type == typeFolder && depth >= maxFolderDepth) {
                const int cut = bookmarksBelow(id);
                set.tooDeep += cut;
                hasBookmark = hasBookmark || cut > 0;
            } else if (node.type == typeFolder) {
                path.append(node.title);
                const bool inside = walk(id, path, set, depth + 1);
                path.removeLast();
                if (!inside)
                    ++set.emptyFolders;
                hasBookmark = hasBookmark || inside;
            }
        }
        return hasBookmark;
    }

    QHash<qint64, Node> m_nodes;
    QHash<QString, qint64> m_roots;
    QSet<qint64> m_walked;
};

} // namespace

BookmarkSet FirefoxReader::read(const QString &placesFile, const QString &sourceName, const ReadCancel &cancel)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        throw AppError(QCoreApplication::translate("FirefoxReader", "无法创建临时文件夹"));
    const QString copy = copyWithWal(placesFile, dir);

    BookmarkSet set;
    set.sourceName = sourceName;
    const QString name = QStringLiteral("places#%1").arg(readerCounter.fetchAndAddRelaxed(1) + 1);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(copy);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READWRITE_NO_CREATE"));
        try {
            if (!db.open())
                throw AppError(db.lastError().text());
            Tree tree;
            tree.load(db, cancel);
            tree.fill(set);
        } catch (...) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            throw;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return set;
}
