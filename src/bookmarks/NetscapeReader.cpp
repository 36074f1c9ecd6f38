#include "bookmarks/NetscapeReader.h"

#include <QStringDecoder>
#include <algorithm>
#include <cctype>
#include <utility>

namespace {

using Attributes = std::vector<std::pair<QString, QString>>;

// Marks the toolbar folder until the file's layout tells which browser wrote it.
const QString toolbarMark = QStringLiteral("\x01toolbar");

bool isGbCharset(const QByteArray &name)
{
    return name == "gb18030" || name == "gbk" || name == "gb2312" || name == "cp936" || name == "x-gbk";
}

QByteArray metaCharset(const QByteArray &bytes)
{
    const QByteArray head = bytes.left(4096).toLower();
    const qsizetype at = head.indexOf("charset=");
    if (at < 0)
        return {};
    qsizetype end = at + 8;
    while (end < head.size() && (std::isalnum(static_cast<unsigned char>(head[end])) || head[end] == '-'
                                 || head[end] == '_'))
        ++end;
    return head.mid(at + 8, end - at - 8);
}

QString attribute(const Attributes &attributes, QLatin1String name)
{
    for (const auto &[key, value] : attributes)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

// ADD_DATE is in seconds; some writers use milliseconds or microseconds.
QDateTime epochDate(const QString &text)
{
    bool ok = false;
    qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok || value <= 0)
        return {};
    if (value > 100'000'000'000'000LL)
        value /= 1'000'000;
    else if (value > 100'000'000'000LL)
        value /= 1000;
    return QDateTime::fromSecsSinceEpoch(value);
}

struct Tag
{
    QStringView name;
    bool closing = false;
    Attributes attributes;
};

class Parser
{
public:
    explicit Parser(const QString &text) : m_s(text) {}

    // Gives the next tag, or false at the end; `m_pos` then stands after its ">".
    bool nextTag(Tag &tag)
    {
        for (;;) {
            const qsizetype lt = m_s.indexOf(QLatin1Char('<'), m_pos);
            if (lt < 0)
                return false;
            m_pos = lt + 1;
            if (QStringView(m_s).mid(m_pos).startsWith(QLatin1String("!--"))) {
                const qsizetype end = m_s.indexOf(QLatin1String("-->"), m_pos);
                m_pos = end < 0 ? m_s.size() : end + 3;
                continue;
            }
            tag = Tag{};
            if (m_pos < m_s.size() && m_s[m_pos] == QLatin1Char('/')) {
                tag.closing = true;
                ++m_pos;
            }
            const qsizetype nameStart = m_pos;
            while (m_pos < m_s.size() && (m_s[m_pos].isLetterOrNumber() || m_s[m_pos] == QLatin1Char('!')))
                ++m_pos;
            tag.name = QStringView(m_s).mid(nameStart, m_pos - nameStart);
            readAttributes(tag.attributes);
            return true;
        }
    }

    // The text up to the next tag, its references replaced.
    QString text()
    {
        qsizetype end = m_s.indexOf(QLatin1Char('<'), m_pos);
        if (end < 0)
            end = m_s.size();
        const QString value = NetscapeReader::decodeEntities(QStringView(m_s).mid(m_pos, end - m_pos));
        m_pos = end;
        return value;
    }

private:
    void skipSpace()
    {
        while (m_pos < m_s.size() && m_s[m_pos].isSpace())
            ++m_pos;
    }

    void readAttributes(Attributes &attributes)
    {
        for (;;) {
            skipSpace();
            if (m_pos >= m_s.size())
                return;
            const QChar c = m_s[m_pos];
            if (c == QLatin1Char('>')) {
                ++m_pos;
                return;
            }
            if (c == QLatin1Char('<'))
                return; // an unclosed tag: the next one starts here
            const qsizetype nameStart = m_pos;
            while (m_pos < m_s.size() && !m_s[m_pos].isSpace() && m_s[m_pos] != QLatin1Char('=')
                   && m_s[m_pos] != QLatin1Char('>') && m_s[m_pos] != QLatin1Char('<'))
                ++m_pos;
            QString name = m_s.mid(nameStart, m_pos - nameStart);
            if (name.isEmpty()) {
                ++m_pos; // a stray character such as '=' or '/'
                continue;
            }
            skipSpace();
            QString value;
            if (m_pos < m_s.size() && m_s[m_pos] == QLatin1Char('=')) {
                ++m_pos;
                skipSpace();
                value = readValue();
            }
            attributes.emplace_back(std::move(name), std::move(value));
        }
    }

    QString readValue()
    {
        if (m_pos >= m_s.size())
            return {};
        const QChar quote = m_s[m_pos];
        qsizetype start = m_pos;
        qsizetype end;
        if (quote == QLatin1Char('"') || quote == QLatin1Char('\'')) {
            start = m_pos + 1;
            end = m_s.indexOf(quote, start);
            if (end < 0)
                end = m_s.size();
            m_pos = qMin(end + 1, m_s.size());
        } else {
            while (m_pos < m_s.size() && !m_s[m_pos].isSpace() && m_s[m_pos] != QLatin1Char('>'))
                ++m_pos;
            end = m_pos;
        }
        return NetscapeReader::decodeEntities(QStringView(m_s).mid(start, end - start));
    }

    const QString &m_s;
    qsizetype m_pos = 0;
};

// One open <DL>: a folder, the file's root list, or a list without a heading.
struct Level
{
    QString name;     // empty for the root and for lists without a heading
    bool folder = false;
    bool unfiled = false; // Firefox's "Other Bookmarks" folder
    bool hasBookmark = false;
};

class Builder
{
public:
    void run(const QString &text)
    {
        Parser parser(text);
        Tag tag;
        while (parser.nextTag(tag)) {
            if (tag.name.compare(QLatin1String("DL"), Qt::CaseInsensitive) == 0)
                tag.closing ? closeList() : openList();
            else if (tag.closing)
                continue;
            else if (tag.name.compare(QLatin1String("H3"), Qt::CaseInsensitive) == 0)
                heading(tag, parser.text());
            else if (tag.name.compare(QLatin1String("A"), Qt::CaseInsensitive) == 0)
                link(tag, parser.text());
            else if (tag.name.compare(QLatin1String("HR"), Qt::CaseInsensitive) == 0)
                ++m_separators;
        }
        dropPendingFolder();
        while (!m_levels.empty())
            popLevel();
    }

    BookmarkSet finish(const QString &sourceName)
    {
        BookmarkSet set;
        set.sourceName = sourceName;
        set.separators = m_separators;
        set.emptyFolders = m_emptyFolders;
        // Firefox writes the menu as the root list, with the toolbar and "Other
        // Bookmarks" folders inside it; Chromium writes the toolbar folder and then its
        // other bookmarks loose at the top. Name the roots as the browsers' stores do.
        const bool firefoxLayout = m_sawUnfiled;
        const QString looseRoot = firefoxLayout ? BookmarkRoots::firefoxMenu
                                  : m_sawToolbar ? BookmarkRoots::otherBookmarks
                                                 : QString();
        const QString toolbarName = firefoxLayout ? BookmarkRoots::firefoxToolbar : BookmarkRoots::chromiumBar;
        for (Entry &bookmark : m_bookmarks) {
            const bool inRoot = !bookmark.folders.isEmpty()
                                && (bookmark.folders.first() == toolbarMark || bookmark.underUnfiled);
            if (!bookmark.folders.isEmpty() && bookmark.folders.first() == toolbarMark)
                bookmark.folders.first() = toolbarName;
            if (!inRoot && !looseRoot.isEmpty())
                bookmark.folders.prepend(looseRoot);
            set.add(std::move(bookmark));
        }
        return set;
    }

private:
    struct Entry : Bookmark
    {
        bool underUnfiled = false;
    };

    void openList()
    {
        Level level;
        if (m_pending) {
            level.name = std::exchange(m_pendingName, QString());
            level.folder = true;
            m_pending = false;
            level.unfiled = std::exchange(m_pendingUnfiled, false);
        }
        m_levels.push_back(std::move(level));
    }

    void closeList()
    {
        dropPendingFolder();
        // The root list stays open: a stray </DL> must not lose the folders' context.
        if (m_levels.size() > 1)
            popLevel();
    }

    void popLevel()
    {
        const Level level = std::move(m_levels.back());
        m_levels.pop_back();
        if (level.hasBookmark) {
            if (!m_levels.empty())
                m_levels.back().hasBookmark = true;
        } else if (level.folder) {
            ++m_emptyFolders;
        }
    }

    // A heading that no list followed is a folder without bookmarks.
    void dropPendingFolder()
    {
        if (m_pending)
            ++m_emptyFolders;
        m_pending = false;
        m_pendingUnfiled = false;
    }

    void heading(const Tag &tag, const QString &text)
    {
        dropPendingFolder();
        m_pending = true;
        m_pendingName = text.trimmed();
        if (attribute(tag.attributes, QLatin1String("PERSONAL_TOOLBAR_FOLDER")).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
            m_pendingName = toolbarMark;
            m_sawToolbar = true;
        } else if (attribute(tag.attributes, QLatin1String("UNFILED_BOOKMARKS_FOLDER")).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
            m_pendingName = BookmarkRoots::otherBookmarks;
            m_pendingUnfiled = true;
            m_sawUnfiled = true;
        }
    }

    void link(const Tag &tag, const QString &text)
    {
        dropPendingFolder();
        Entry bookmark;
        for (const Level &level : m_levels) {
            if (level.folder)
                bookmark.folders.append(level.name);
        }
        bookmark.underUnfiled =
            std::any_of(m_levels.begin(), m_levels.end(), [](const Level &level) { return level.unfiled; });
        bookmark.title = text.trimmed();
        bookmark.url = attribute(tag.attributes, QLatin1String("HREF")).trimmed();
        bookmark.added = epochDate(attribute(tag.attributes, QLatin1String("ADD_DATE")));
        bookmark.lastVisit = epochDate(attribute(tag.attributes, QLatin1String("LAST_VISIT")));
        if (!m_levels.empty())
            m_levels.back().hasBookmark = true;
        m_bookmarks.push_back(std::move(bookmark));
    }

    std::vector<Level> m_levels;
    std::vector<Entry> m_bookmarks;
    QString m_pendingName;
    bool m_pending = false;
    bool m_pendingUnfiled = false;
    bool m_sawToolbar = false;
    bool m_sawUnfiled = false;
    int m_separators = 0;
    int m_emptyFolders = 0;
};

} // namespace

QString NetscapeReader::decodeEntities(QStringView text)
{
    if (!text.contains(QLatin1Char('&')))
        return text.toString();
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c != QLatin1Char('&')) {
            out.append(c);
            ++i;
            continue;
        }
        const qsizetype semi = text.indexOf(QLatin1Char(';'), i + 1);
        if (semi < 0 || semi - i > 10) {
            out.append(c);
            ++i;
            continue;
        }
        const QStringView name = text.mid(i + 1, semi - i - 1);
        char32_t code = 0;
        if (name.startsWith(QLatin1Char('#'))) {
            bool ok = false;
            const bool hex = name.size() > 1 && (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X'));
            const uint value = hex ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok, 10);
            if (ok && value > 0 && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF))
                code = value;
        } else if (name == QLatin1String("amp")) {
            code = '&';
        } else if (name == QLatin1String("lt")) {
            code = '<';
        } else if (name == QLatin1String("gt")) {
            code = '>';
        } else if (name == QLatin1String("quot")) {
            code = '"';
        } else if (name == QLatin1String("apos")) {
            code = '\'';
        } else if (name == QLatin1String("nbsp")) {
            code = 0xA0;
        }
        if (code == 0) {
            out.append(c);
            ++i;
            continue;
        }
        out.append(QString::fromUcs4(&code, 1));
        i = semi + 1;
    }
    return out;
}

QString NetscapeReader::decode(const QByteArray &bytes)
{
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    const QByteArray charset = metaCharset(body);
    if (isGbCharset(charset)) {
        QStringDecoder gb("GB18030");
        return gb.decode(body);
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(body);
    if (utf8.hasError() && charset.isEmpty()) {
        QStringDecoder gb("GB18030");
        if (gb.isValid())
            return gb.decode(body);
    }
    return text;
}

BookmarkSet NetscapeReader::read(const QByteArray &bytes, const QString &sourceName)
{
    Builder builder;
    builder.run(decode(bytes));
    return builder.finish(sourceName);
}
