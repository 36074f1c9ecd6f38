#include "favorites/FavoritesReader.h"

#include "data/SettingsStore.h"
#include "data/AppError.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

extern char **environ;

namespace {

constexpr char ShortcutHeader[] = "[InternetShortcut]";
constexpr qsizetype ShortcutHeaderLength = sizeof(ShortcutHeader) - 1;
constexpr qsizetype UrlKeyLength = 4; // "URL="

// A shortcut is a few hundred bytes. The text ends at its first NUL, so a bigger file is
// read only until a NUL turns up, and refused when none does within this much.
constexpr qsizetype MaxShortcutText = qsizetype(64) * 1024 * 1024;
// The first read takes a file up to this size whole; the text of a bigger one may end
// at a NUL early on (a sparse file), which spares reading the rest.
constexpr qsizetype FirstRead = qsizetype(1024) * 1024;

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

[[noreturn]] void throwUnreadable(const QByteArray &rawPath, const QString &reason)
{
    throw AppError(QCoreApplication::translate("FavoritesReader", "无法读取收藏夹文件：%1（%2）")
                       .arg(decodeLocalText(rawPath), reason));
}

bool isValidUtf8(const unsigned char *p, qsizetype size)
{
    qsizetype i = 0;
    while (i < size) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        // Sequence length and the allowed range of the second byte, which is where
        // overlong forms, surrogates and values beyond U+10FFFF are ruled out.
        int length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0)
                low = 0xA0;
            else if (c == 0xED)
                high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0)
                low = 0x90;
            else if (c == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (size - i < length || p[i + 1] < low || p[i + 1] > high)
            return false;
        for (int k = 2; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

bool isValidUtf8(QByteArrayView bytes)
{
    return isValidUtf8(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size());
}

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

QString decodeGb18030(QByteArrayView bytes)
{
    // Opening the converter is far dearer than a short decode, so keep one per thread.
    thread_local QStringDecoder decoder("GB18030");
    if (!decoder.isValid())
        return QString::fromUtf8(bytes);
    QString text = decoder.decode(bytes);
    decoder.resetState();
    return text;
}

QString decodeAs(QByteArrayView bytes, bool utf8)
{
    return utf8 ? QString::fromUtf8(bytes) : decodeGb18030(bytes);
}

bool isLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

bool equalsIgnoringAsciiCase(QByteArrayView line, const char *ascii, qsizetype length)
{
    if (line.size() != length)
        return false;
    for (qsizetype i = 0; i < length; ++i) {
        char a = line[i], b = ascii[i];
        if (a >= 'A' && a <= 'Z')
            a = char(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = char(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

// Removes `count` characters, a surrogate pair counting as one.
QString withoutLeadingCharacters(const QString &text, int count)
{
    qsizetype cut = 0;
    for (int k = 0; k < count && cut < text.size(); ++k) {
        const bool pair = text.at(cut).isHighSurrogate() && cut + 1 < text.size() && text.at(cut + 1).isLowSurrogate();
        cut += pair ? 2 : 1;
    }
    return text.mid(cut);
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// The file's text: everything before its first NUL byte. `name` is opened relative to
// the folder `folderFd` (AT_FDCWD for a full path); `shownPath` names the file in errors.
QByteArray readShortcutText(int folderFd, const char *name, const QByteArray &shownPath)
{
    // Non-blocking, so that a pipe that happens to carry a shortcut's name cannot hang
    // the listing before fstat tells what it is.
    FileDescriptor fd(::openat(folderFd, name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0)
        throwUnreadable(shownPath, systemReason(errno));
    struct stat info;
    if (::fstat(fd.get(), &info) != 0)
        throwUnreadable(shownPath, systemReason(errno));
    if (S_ISDIR(info.st_mode))
        throwUnreadable(shownPath, QCoreApplication::translate("FavoritesReader", "这是一个文件夹"));
    if (!S_ISREG(info.st_mode))
        throwUnreadable(shownPath, QCoreApplication::translate("FavoritesReader", "不是普通文件"));

    const qsizetype fileSize = std::min<qint64>(info.st_size, MaxShortcutText);
    // Room for one byte more than the file (or its first part): a read that fills the
    // buffer means there is more to read.
    QByteArray text(std::min(fileSize, FirstRead) + 1, Qt::Uninitialized);
    qsizetype used = 0;
    for (;;) {
        if (used == text.size()) {
            if (used > MaxShortcutText)
                throwUnreadable(shownPath, QCoreApplication::translate("FavoritesReader", "文件过大"));
            text.resize(std::min(std::max(used * 2, fileSize + 1), MaxShortcutText + 1));
        }
        const ssize_t got = ::read(fd.get(), text.data() + used, size_t(text.size() - used));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throwUnreadable(shownPath, systemReason(errno));
        if (got == 0)
            break;
        if (const void *nul = std::memchr(text.constData() + used, '\0', size_t(got))) {
            used = static_cast<const char *>(nul) - text.constData();
            break;
        }
        used += got;
    }
    text.truncate(used);
    return text;
}

// The address in a shortcut's text (see shortcutAddress).
QString addressFromText(QByteArrayView text, const QByteArray &shownPath)
{
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);

    // Line breaks and the header are ASCII, and neither UTF-8 nor GB18030 uses ASCII bytes
    // inside a multi-byte character, so the lines can be found on the bytes themselves.
    const qsizetype size = text.size();
    qsizetype lineStart = 0;
    while (lineStart < size) {
        qsizetype lineEnd = lineStart;
        while (lineEnd < size && !isLineBreak(text[lineEnd]))
            ++lineEnd;
        qsizetype next = lineEnd;
        if (next < size && text[next] == '\r')
            ++next;
        if (next < size && text[next] == '\n')
            ++next;

        const QByteArrayView line = text.sliced(lineStart, lineEnd - lineStart);
        if (equalsIgnoringAsciiCase(line, ShortcutHeader, ShortcutHeaderLength)) {
            if (next >= size) {
                throw AppError(
                    QCoreApplication::translate("FavoritesReader", "收藏夹文件格式错误：%1（%2 之后没有网址行）")
                        .arg(decodeLocalText(shownPath), QLatin1StringView(ShortcutHeader)));
            }
            qsizetype urlEnd = next;
            while (urlEnd < size && !isLineBreak(text[urlEnd]))
                ++urlEnd;
            const QByteArrayView urlLine = text.sliced(next, urlEnd - next);
            // Whether the file is UTF-8 is a question about all of it; an ASCII line reads
            // the same either way, so the common case skips the check.
            const bool utf8 = isAscii(urlLine) || isValidUtf8(text);
            return withoutLeadingCharacters(decodeAs(urlLine, utf8), UrlKeyLength);
        }
        lineStart = next;
    }
    return QString();
}

// A name that ends in ".url" in any letter case.
bool hasShortcutSuffix(const char *name, size_t length)
{
    return length >= 4 && equalsIgnoringAsciiCase(QByteArrayView(name + length - 4, 4), ".url", 4);
}

// Only files are shortcuts. A link whose target is missing is kept, so that the reader
// reports it instead of hiding it.
bool isShortcutFile(DIR *dir, const dirent *entry)
{
    switch (entry->d_type) {
    case DT_REG: return true;
    case DT_LNK:
    case DT_UNKNOWN: {
        struct stat info;
        if (::fstatat(::dirfd(dir), entry->d_name, &info, 0) != 0)
            return true;
        return S_ISREG(info.st_mode);
    }
    default: return false;
    }
}

struct FoundShortcut
{
    QByteArray rawName;
    QString displayName;
    QString sortKey;
};

// An open folder, closed when it goes out of scope.
class Folder
{
public:
    explicit Folder(const QByteArray &path) : m_dir(::opendir(path.constData())) {}
    ~Folder()
    {
        if (m_dir)
            ::closedir(m_dir);
    }
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;
    DIR *get() const { return m_dir; }

private:
    DIR *m_dir;
};

[[noreturn]] void throwFolderUnreadable(const QByteArray &folder, int error)
{
    throw AppError(QCoreApplication::translate("FavoritesReader", "无法读取收藏夹文件夹：%1（%2）")
                       .arg(decodeLocalText(folder), systemReason(error)));
}

std::vector<FoundShortcut> listShortcutNames(DIR *dir, const QByteArray &folder)
{
    std::vector<FoundShortcut> found;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry) {
            if (errno != 0)
                throwFolderUnreadable(folder, errno);
            return found;
        }
        const size_t length = std::strlen(entry->d_name);
        if (!hasShortcutSuffix(entry->d_name, length) || !isShortcutFile(dir, entry))
            continue;
        FoundShortcut shortcut;
        shortcut.rawName = QByteArray(entry->d_name, qsizetype(length));
        // The name less its ".url" is decoded on its own, so that a stray byte at its end
        // cannot take the dot into a broken character.
        shortcut.displayName = decodeLocalText(shortcut.rawName.chopped(4));
        shortcut.sortKey = (shortcut.displayName + QLatin1StringView(entry->d_name + length - 4)).toCaseFolded();
        found.push_back(std::move(shortcut));
    }
}

void sortByNameIgnoringCase(std::vector<FoundShortcut> &shortcuts)
{
    std::sort(shortcuts.begin(), shortcuts.end(), [](const FoundShortcut &a, const FoundShortcut &b) {
        if (const int order = a.sortKey.compare(b.sortKey); order != 0)
            return order < 0;
        return a.rawName < b.rawName; // names differing in case only
    });
}

// The value of an environment variable: the name matched exactly, else ignoring case.
std::optional<QString> environmentValue(QStringView name)
{
    if (name.isEmpty() || name.contains(u'='))
        return std::nullopt;
    const QByteArray exact = name.toUtf8();
    const char *caseless = nullptr;
    for (char **variable = environ; variable && *variable; ++variable) {
        const char *entry = *variable;
        const char *equals = std::strchr(entry, '=');
        if (!equals)
            continue;
        const QByteArrayView entryName(entry, equals - entry);
        if (entryName == exact)
            return decodeLocalText(QByteArray(equals + 1));
        if (!caseless && QString::fromUtf8(entryName).compare(name, Qt::CaseInsensitive) == 0)
            caseless = equals + 1;
    }
    if (caseless)
        return decodeLocalText(QByteArray(caseless));
    return std::nullopt;
}

// Blanks and control characters (codes up to 32) removed from both ends.
QByteArray trimmedBlanks(const QByteArray &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32)
        --end;
    return text.mid(begin, end - begin);
}

QByteArray homeFolder()
{
    QByteArray home = qgetenv("HOME");
    if (home.isEmpty()) {
        if (const passwd *account = ::getpwuid(::getuid()))
            home = account->pw_dir;
    }
    return home;
}

QByteArray withTrailingSlash(QByteArray folder)
{
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

} // namespace

QString decodeLocalText(const QByteArray &bytes)
{
    return decodeAs(bytes, isValidUtf8(bytes));
}

QString favoritesShellFolder()
{
    const std::optional<QString> setting = SettingsStore::favoritesSetting();
    return setting ? *setting + u'/' : QString();
}

QString expandEnvironment(const QString &text)
{
    QString expanded;
    expanded.reserve(text.size());
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf(u'%', pos);
        const qsizetype close = open < 0 ? -1 : text.indexOf(u'%', open + 1);
        if (close < 0) {
            expanded += QStringView(text).mid(pos);
            break;
        }
        expanded += QStringView(text).mid(pos, open - pos);
        const QStringView name = QStringView(text).mid(open + 1, close - open - 1);
        if (const std::optional<QString> value = environmentValue(name))
            expanded += *value;
        else
            expanded += QStringView(text).mid(open, close - open + 1);
        pos = close + 1;
    }
    return expanded;
}

QByteArray favoritesFolder()
{
    QByteArray profile = trimmedBlanks(qgetenv("USERPROFILE"));
    if (profile.isEmpty())
        profile = homeFolder();
    return withTrailingSlash(profile) + "Favorites/";
}

QString addressFromShortcutBytes(QByteArrayView bytes, const QByteArray &shownPath)
{
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        bytes.truncate(nul);
    return addressFromText(bytes, shownPath);
}

QString shortcutAddress(const QByteArray &rawPath)
{
    return addressFromShortcutBytes(readShortcutText(AT_FDCWD, rawPath.constData(), rawPath), rawPath);
}

void enumerateFavorites(const QByteArray &folder, const std::function<void(const ShortcutEntry &)> &sink)
{
    const QByteArray base = withTrailingSlash(folder);
    const Folder dir(base);
    if (!dir.get()) {
        if (errno == ENOENT || errno == ENOTDIR)
            return; // no folder, no shortcuts
        throwFolderUnreadable(base, errno);
    }
    std::vector<FoundShortcut> shortcuts = listShortcutNames(dir.get(), base);
    sortByNameIgnoringCase(shortcuts);
    // Files are opened relative to the open folder: no path lookup per file.
    const int folderFd = ::dirfd(dir.get());
    for (const FoundShortcut &shortcut : shortcuts) {
        const QByteArray shownPath = base + shortcut.rawName;
        ShortcutEntry entry;
        entry.address =
            addressFromShortcutBytes(readShortcutText(folderFd, shortcut.rawName.constData(), shownPath), shownPath);
        entry.displayName = shortcut.displayName;
        sink(entry);
    }
}
