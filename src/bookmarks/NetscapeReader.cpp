#include "bookmarks/NetscapeReader.h"

#include "data/AppError.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <cctype>
#include <limits>
#include <utility>

namespace {

// Names point into the text being read.
using Attributes = std::vector<std::pair<QStringView, QString>>;

// Marks the toolbar folder until the file's layout tells which browser wrote it.
const QString toolbarMark = QStringLiteral("\x01toolbar");

constexpr int cancelStep = 4096; // tags read between two looks at the cancel

// The charset a <meta> tag of the file's head declares (charset=... in its CONTENT or as
// an attribute of its own), in lower case; empty when none does.
QByteArray declaredCharset(const QByteArray &bytes)
{
    const QByteArray head = bytes.left(4096).toLower();
    for (qsizetype meta = head.indexOf("<meta"); meta >= 0; meta = head.indexOf("<meta", meta + 5)) {
        qsizetype end = head.indexOf('>', meta);
        if (end < 0)
            end = head.size();
        const qsizetype at = head.indexOf("charset", meta);
        if (at < 0 || at > end)
            continue;
        qsizetype pos = at + 7;
        while (pos < end && (head[pos] == ' ' || head[pos] == '=' || head[pos] == '"' || head[pos] == '\''))
            ++pos;
        qsizetype stop = pos;
        while (stop < end
               && (std::isalnum(static_cast<unsigned char>(head[stop])) || head[stop] == '-' || head[stop] == '_'
                   || head[stop] == ':' || head[stop] == '.'))
            ++stop;
        if (stop > pos)
            return head.mid(pos, stop - pos);
    }
    return {};
}

struct Utf8Scan
{
    qsizetype multiByte = 0; // bytes in valid sequences of two bytes or more
    qsizetype invalid = 0; // bytes in no valid sequence
};

// Counts the bytes that are valid UTF-8 beyond ASCII and those that are no UTF-8 at all
// (as Qt's decoder replaces them: one byte at a time).
Utf8Scan scanUtf8(const QByteArray &bytes)
{
    Utf8Scan scan;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80, high = 0xBF; // the allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF)
            length = 2;
        else if (c >= 0xE0 && c <= 0xEF)
            length = 3, low = c == 0xE0 ? 0xA0 : 0x80, high = c == 0xED ? 0x9F : 0xBF;
        else if (c >= 0xF0 && c <= 0xF4)
            length = 4, low = c == 0xF0 ? 0x90 : 0x80, high = c == 0xF4 ? 0x8F : 0xBF;
        bool valid = length > 0 && i + length <= n && p[i + 1] >= low && p[i + 1] <= high;
        for (int k = 2; valid && k < length; ++k)
            valid = p[i + k] >= 0x80 && p[i + k] <= 0xBF;
        if (valid) {
            scan.multiByte += length;
            i += length;
        } else {
            ++scan.invalid;
            ++i;
        }
    }
    return scan;
}

int clampedCount(qsizetype count)
{
    return int(qMin<qsizetype>(count, std::numeric_limits<int>::max()));
}

// Decodes with a decoder of ICU (or Qt's own); the characters it could not decode become
// U+FFFD and are counted. ICU gives U+001A for them, which no bookmark file holds.
NetscapeReader::Text decodeWith(QStringDecoder &decoder, const QByteArray &bytes)
{
    NetscapeReader::Text result{decoder.decode(bytes), 0};
    if (decoder.hasError()) {
        for (QChar &c : result.text) {
            if (c == QChar(0x1A) || c == QChar::ReplacementCharacter) {
                c = QChar::ReplacementCharacter;
                ++result.badBytes;
            }
        }
    }
    return result;
}

NetscapeReader::Text decodeUtf8(const QByteArray &bytes, qsizetype invalid)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    return {utf8.decode(bytes), clampedCount(invalid)};
}

// Qt's check of a whole file is many times quicker than counting its faults, which only
// a file with some needs.
qsizetype invalidUtf8Bytes(const QByteArray &bytes)
{
    return QByteArrayView(bytes).isValidUtf8() ? 0 : scanUtf8(bytes).invalid;
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
    // As UTC: the instant is the same, and turning it into a local time is left to
    // whoever shows or stores it, once.
    return QDateTime::fromSecsSinceEpoch(value, Qt::UTC);
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
            // The list of attributes keeps its room from tag to tag.
            tag.name = {};
            tag.closing = false;
            tag.attributes.clear();
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
        QString value = NetscapeReader::decodeEntities(QStringView(m_s).mid(m_pos, end - m_pos));
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
            const QStringView name = QStringView(m_s).mid(nameStart, m_pos - nameStart);
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
            attributes.emplace_back(name, std::move(value));
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
    bool folder = false; // opened by a heading; its name is the last of the path
    bool root = false; // a browser's root folder (toolbar, "Other Bookmarks"): never empty
    bool unfiled = false; // Firefox's "Other Bookmarks" folder
    bool cut = false; // deeper than maxFolderDepth: nothing inside is read
    bool hasBookmark = false;
};

class Builder
{
public:
    explicit Builder(const ReadCancel &cancel) : m_cancel(cancel) {}

    void run(const QString &text)
    {
        Parser parser(text);
        Tag tag;
        for (int tags = 0; parser.nextTag(tag); ++tags) {
            if (tags % cancelStep == 0)
                stopIfCancelled(m_cancel);
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
            else if (tag.name.compare(QLatin1String("H1"), Qt::CaseInsensitive) == 0)
                title(parser.text());
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
        set.tooDeep = m_tooDeep;
        // Firefox writes the menu as the root list, with the toolbar and "Other
        // Bookmarks" folders inside it (the latter left out when it is empty); Chromium
        // writes the toolbar folder and then its other bookmarks loose at the top. Name
        // the roots as the browsers' stores do.
        const bool firefoxLayout = m_sawUnfiled || m_menuTitle;
        const QString looseRoot = firefoxLayout ? BookmarkRoots::firefoxMenu
            : m_sawToolbar                      ? BookmarkRoots::otherBookmarks
                                                : QString();
        const QString toolbarName = firefoxLayout ? BookmarkRoots::firefoxToolbar : BookmarkRoots::chromiumBar;
        set.bookmarks.reserve(m_bookmarks.size());
        for (Entry &bookmark : m_bookmarks) {
            const bool inRoot =
                !bookmark.folders.isEmpty() && (bookmark.folders.first() == toolbarMark || bookmark.underUnfiled);
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

    bool insideCut() const { return m_cutLevels > 0; }

    void openList()
    {
        Level level;
        if (m_pending) {
            level.folder = true;
            level.root = m_pendingRoot;
            level.unfiled = m_pendingUnfiled;
            // The browsers' roots are not counted: their files then read as deep as
            // their stores do.
            level.cut = insideCut() || (!level.root && m_folderDepth >= maxFolderDepth);
            if (!level.root)
                ++m_folderDepth;
            if (level.cut)
                ++m_cutLevels;
            else
                m_path.append(m_pendingName);
            if (level.unfiled && !level.cut)
                ++m_unfiledLevels;
            clearPending();
        }
        m_levels.push_back(level);
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
        const Level level = m_levels.back();
        m_levels.pop_back();
        if (level.folder) {
            if (!level.root)
                --m_folderDepth;
            if (level.cut)
                --m_cutLevels;
            else
                m_path.removeLast();
            if (level.unfiled && !level.cut)
                --m_unfiledLevels;
        }
        if (level.hasBookmark) {
            if (!m_levels.empty())
                m_levels.back().hasBookmark = true;
        } else if (level.folder && !level.root && !level.cut) {
            ++m_emptyFolders;
        }
    }

    void clearPending()
    {
        m_pending = false;
        m_pendingRoot = false;
        m_pendingUnfiled = false;
        m_pendingName.clear();
    }

    // A heading that no list followed is a folder without bookmarks.
    void dropPendingFolder()
    {
        if (m_pending && !m_pendingRoot && !insideCut() && m_folderDepth < maxFolderDepth)
            ++m_emptyFolders;
        clearPending();
    }

    void title(const QString &text)
    {
        // Firefox heads its file with the menu's name, in English or in the language of
        // its interface.
        const QString shown = text.trimmed();
        m_menuTitle = m_menuTitle || shown.compare(QLatin1String("Bookmarks Menu"), Qt::CaseInsensitive) == 0
            || shown == BookmarkRoots::firefoxMenu;
    }

    static bool isTrue(const Tag &tag, QLatin1String name)
    {
        return attribute(tag.attributes, name).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    }

    void heading(const Tag &tag, const QString &text)
    {
        dropPendingFolder();
        m_pending = true;
        m_pendingName = text.trimmed();
        // A root lies outside any folder; a marked heading deeper down is a folder as any.
        if (!m_path.isEmpty() || insideCut())
            return;
        if (isTrue(tag, QLatin1String("PERSONAL_TOOLBAR_FOLDER"))) {
            m_pendingName = toolbarMark;
            m_pendingRoot = true;
            m_sawToolbar = true;
        } else if (isTrue(tag, QLatin1String("UNFILED_BOOKMARKS_FOLDER"))) {
            m_pendingName = BookmarkRoots::otherBookmarks;
            m_pendingRoot = true;
            m_pendingUnfiled = true;
            m_sawUnfiled = true;
        }
    }

    void link(const Tag &tag, const QString &text)
    {
        dropPendingFolder();
        if (!m_levels.empty())
            m_levels.back().hasBookmark = true;
        if (insideCut()) {
            ++m_tooDeep;
            return;
        }
        Entry bookmark;
        bookmark.folders = m_path; // shared until the path changes
        bookmark.underUnfiled = m_unfiledLevels > 0;
        bookmark.title = text.trimmed();
        bookmark.url = attribute(tag.attributes, QLatin1String("HREF")).trimmed();
        bookmark.added = epochDate(attribute(tag.attributes, QLatin1String("ADD_DATE")));
        bookmark.lastVisit = epochDate(attribute(tag.attributes, QLatin1String("LAST_VISIT")));
        m_bookmarks.push_back(std::move(bookmark));
    }

    const ReadCancel &m_cancel;
    std::vector<Level> m_levels;
    std::vector<Entry> m_bookmarks;
    QStringList m_path; // the names of the open folders that are read
    int m_folderDepth = 0; // open folders but the roots, cut ones included
    int m_cutLevels = 0; // open folders deeper than the limit
    int m_unfiledLevels = 0; // open "Other Bookmarks" folders
    QString m_pendingName;
    bool m_pending = false;
    bool m_pendingRoot = false;
    bool m_pendingUnfiled = false;
    bool m_sawToolbar = false;
    bool m_sawUnfiled = false;
    bool m_menuTitle = false;
    int m_separators = 0;
    int m_emptyFolders = 0;
    int m_tooDeep = 0;
};

// The character a reference names ("amp", "#39", "#x4E2D"), or 0 for none.
char32_t referencedCharacter(QStringView name)
{
    if (name.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const bool hex = name.size() > 1 && (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X'));
        const uint value = hex ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok, 10);
        return ok && value > 0 && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF) ? value : 0;
    }
    static const std::pair<QLatin1String, char32_t> named[] = {
        {QLatin1String("amp"), U'&'},  {QLatin1String("lt"), U'<'},    {QLatin1String("gt"), U'>'},
        {QLatin1String("quot"), U'"'}, {QLatin1String("apos"), U'\''}, {QLatin1String("nbsp"), 0xA0},
    };
    for (const auto &[entity, code] : named)
        if (name == entity)
            return code;
    return 0;
}

} // namespace

QByteArray NetscapeReader::decoderFor(const QByteArray &declared)
{
    static const QList<QByteArray> gb = {"gb18030",    "gbk",      "gb2312",  "cp936",      "x-gbk",
                                         "gb_2312-80", "csgb2312", "chinese", "windows-936"};
    static const QList<QByteArray> latin = {"iso-8859-1", "iso8859-1",  "iso_8859-1", "latin1",
                                            "l1",         "us-ascii",   "ascii",      "cp819",
                                            "ibm819",     "iso-ir-100", "csisolatin1"};
    static const QList<QByteArray> utf8 = {"utf-8",    "utf8",     "unicode-1-1-utf-8", "utf-16",
                                           "utf-16le", "utf-16be", "unicode",           "ucs-2"};
    if (gb.contains(declared))
        return "GB18030";
    if (latin.contains(declared))
        return "windows-1252";
    if (declared == "euc-kr" || declared == "ks_c_5601-1987" || declared == "cseuckr")
        return "windows-949";
    if (utf8.contains(declared))
        return "UTF-8";
    return declared;
}

QString NetscapeReader::decodeEntities(QStringView text)
{
    qsizetype at = text.indexOf(QLatin1Char('&'));
    if (at < 0)
        return text.toString();
    QString out;
    out.reserve(text.size());
    qsizetype copied = 0;
    // The first ';' after the '&' in hand. Found by scans that never overlap, so that a
    // text of many '&' without a ';' is read in linear time.
    qsizetype semicolon = 0;
    while (at >= 0) {
        if (semicolon <= at)
            semicolon = text.indexOf(QLatin1Char(';'), at + 1);
        if (semicolon < 0)
            break; // no reference can follow
        const bool shortEnough = semicolon - at <= 10;
        const char32_t code = shortEnough ? referencedCharacter(text.mid(at + 1, semicolon - at - 1)) : 0;
        if (code == 0) {
            at = text.indexOf(QLatin1Char('&'), at + 1);
            continue;
        }
        out.append(text.mid(copied, at - copied));
        if (QChar::requiresSurrogates(code)) {
            out.append(QChar(QChar::highSurrogate(code)));
            out.append(QChar(QChar::lowSurrogate(code)));
        } else {
            out.append(QChar(char16_t(code)));
        }
        copied = semicolon + 1;
        at = text.indexOf(QLatin1Char('&'), copied);
    }
    out.append(text.mid(copied));
    return out;
}

NetscapeReader::Text NetscapeReader::decode(const QByteArray &bytes)
{
    // A byte-order mark wins over any declaration.
    if (const auto marked = QStringConverter::encodingForData(bytes)) {
        if (*marked == QStringConverter::Utf8)
            return decodeUtf8(bytes, invalidUtf8Bytes(bytes));
        QStringDecoder decoder(*marked);
        return decodeWith(decoder, bytes);
    }
    const QByteArray declared = declaredCharset(bytes);
    if (declared.isEmpty()) {
        // Nothing declared: UTF-8, unless most of the bytes beyond ASCII are none, as in
        // the GB18030 files of older Chinese programs.
        const Utf8Scan scan = scanUtf8(bytes);
        if (scan.invalid == 0 || scan.multiByte > scan.invalid)
            return decodeUtf8(bytes, scan.invalid);
        QStringDecoder gb("GB18030");
        return decodeWith(gb, bytes);
    }
    const QByteArray name = NetscapeReader::decoderFor(declared);
    if (name == "UTF-8")
        return decodeUtf8(bytes, invalidUtf8Bytes(bytes));
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid())
        throw AppError(QCoreApplication::translate("NetscapeReader", "无法读取文件声明的字符集“%1”，没有导入任何书签")
                           .arg(QString::fromLatin1(declared)));
    return decodeWith(decoder, bytes);
}

BookmarkSet NetscapeReader::read(const QByteArray &bytes, const QString &sourceName, const ReadCancel &cancel)
{
    Text text = decode(bytes);
    stopIfCancelled(cancel);
    Builder builder(cancel);
    builder.run(text.text);
    text.text.clear();
    BookmarkSet set = builder.finish(sourceName);
    set.badBytes = text.badBytes;
    return set;
}
