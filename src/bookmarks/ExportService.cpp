#include "bookmarks/ExportService.h"

#include "bookmarks/NetscapeWriter.h"
#include "data/AppError.h"
#include "data/Dates.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>
#include <pthread.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int digits(QByteArrayView text, qsizetype at, qsizetype count)
{
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Seconds since the epoch of a stored ViewTime ("YYYY-MM-DD", with " HH:MM:SS" where a
// time exists), read as local time; 0 for text that is no such date. Every row has a
// time of its own, so this runs 100,000 times for a large export: the plain C
// conversion is many times faster than QDateTime's parsing and zone lookup.
qint64 storedSeconds(Dates::LocalTimes &clock, QByteArrayView viewTime)
{
    if (viewTime.size() != 10 && viewTime.size() != 19)
        return 0;
    const int year = digits(viewTime, 0, 4), month = digits(viewTime, 5, 2), day = digits(viewTime, 8, 2);
    int hour = 0, minute = 0, second = 0;
    if (viewTime.size() == 19) {
        hour = digits(viewTime, 11, 2);
        minute = digits(viewTime, 14, 2);
        second = digits(viewTime, 17, 2);
    }
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || minute < 0 || second < 0)
        return 0;
    const qint64 seconds = clock.toSeconds(year, month, day, hour, minute, second);
    return seconds > 0 ? seconds : 0;
}

// A device, a pipe or a socket (also reached through /dev/stdout) is written in place:
// replacing it by a renamed file would put a plain file where the device was.
bool isSpecialFile(const QString &file)
{
    struct stat info;
    return ::stat(QFile::encodeName(file).constData(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

// Writes all of `bytes`. A short write is tried again, so that the error of the write
// that fails (a full disk) is the one reported, not an unnamed short count.
// Written a piece at a time: one write of the whole file (tens of megabytes) made the
// kernel's copy into the page cache take up to thirty times as long in some runs.
bool writeAll(QFileDevice &out, const QByteArray &bytes, QString *reason)
{
    constexpr qsizetype Piece = qsizetype(1) << 20;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 n = out.write(bytes.constData() + done, std::min(Piece, bytes.size() - done));
        if (n <= 0) {
            *reason = out.error() != QFileDevice::NoError ? out.errorString()
                                                          : QCoreApplication::translate("ExportService", "写入中断");
            return false;
        }
        done += n;
    }
    return true;
}

// A reader that has gone makes a write fail with "Broken pipe" instead of ending the
// program: the signal is held back in this thread while it writes, and a pending one
// is taken away before it is let through again.
class PipeSignalHeld
{
public:
    PipeSignalHeld()
    {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_before);
    }
    ~PipeSignalHeld()
    {
        const timespec none{0, 0};
        while (sigtimedwait(&m_pipe, nullptr, &none) > 0) {}
        pthread_sigmask(SIG_SETMASK, &m_before, nullptr);
    }
    PipeSignalHeld(const PipeSignalHeld &) = delete;
    PipeSignalHeld &operator=(const PipeSignalHeld &) = delete;

private:
    sigset_t m_pipe;
    sigset_t m_before;
};

// The standard output itself when the file is it (/dev/stdout): a pipe whose reader has
// gone cannot be opened again. Any other device or pipe is opened anew, without waiting
// for a reader of a named pipe that has none.
int openSpecial(const QString &file)
{
    const QByteArray path = QFile::encodeName(file);
    struct stat target, output;
    if (::stat(path.constData(), &target) == 0 && ::fstat(STDOUT_FILENO, &output) == 0 && target.st_dev == output.st_dev
        && target.st_ino == output.st_ino)
        return ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool writeDirectly(const QString &file, const QByteArray &bytes, QString *reason)
{
    PipeSignalHeld held;
    const int fd = openSpecial(file);
    if (fd < 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    QFile out;
    if (!out.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *reason = out.errorString();
        return false;
    }
    if (!writeAll(out, bytes, reason))
        return false;
    out.close();
    if (out.error() != QFileDevice::NoError) {
        *reason = out.errorString();
        return false;
    }
    return true;
}

// A file is written whole beside the old one and takes its name only when all of it
// is on the disk.
bool replaceWhole(const QString &file, const QByteArray &bytes, QString *reason)
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || !writeAll(out, bytes, reason)) {
        if (reason->isEmpty())
            *reason = out.errorString();
        return false;
    }
    if (!out.commit()) {
        *reason = out.errorString();
        return false;
    }
    return true;
}

// A link's texts lie in its folder's `texts`, UTF-8 as the file holds them: one buffer a
// folder instead of two allocations a link.
struct ExportLink
{
    qsizetype at = 0;
    qsizetype addressSize = 0;
    qsizetype titleSize = 0;
    qint64 added = 0;
};

// One folder of the file: its own links, then its sub-folders in the order first met.
// A group "新闻 / 国内 / 北京" (as the bookmark import names groups) is the folder 北京 in
// 国内 in 新闻, so that browsers show the tree and reading the file back gives the
// same group names; groups sharing a parent share its folder.
struct ExportFolder
{
    QString name;
    std::vector<ExportLink> links;
    QByteArray texts;
    std::vector<std::unique_ptr<ExportFolder>> folders;
    QHash<QString, ExportFolder *> byName;

    ExportFolder &child(const QString &folderName)
    {
        if (ExportFolder *known = byName.value(folderName))
            return *known;
        folders.push_back(std::make_unique<ExportFolder>());
        ExportFolder *made = folders.back().get();
        made->name = folderName;
        byName.insert(folderName, made);
        return *made;
    }

    ExportFolder &folderOf(const QString &group)
    {
        ExportFolder *folder = this;
        for (const QString &part : folderPath(group))
            folder = &folder->child(part);
        return *folder;
    }

    void addLink(const ExportRow &row, qint64 added)
    {
        links.push_back({texts.size(), row.address.size(), row.name.size(), added});
        texts.append(row.address);
        texts.append(row.name);
    }

    void writeContents(NetscapeWriter &writer) const
    {
        const QByteArrayView all(texts);
        for (const ExportLink &link : links)
            writer.addLink(all.sliced(link.at, link.addressSize),
                           all.sliced(link.at + link.addressSize, link.titleSize), link.added);
        for (const auto &folder : folders) {
            writer.beginFolder(folder->name);
            folder->writeContents(writer);
            writer.endFolder();
        }
    }

    // The folder names of a group. A name whose parts would not read back as written
    // (a reader trims each folder's name) stays one folder.
    static QStringList folderPath(const QString &group)
    {
        QStringList parts = group.split(QStringLiteral(" / "));
        for (const QString &part : parts)
            if (part != part.trimmed())
                return {group};
        return parts;
    }
};

} // namespace

QByteArray ExportService::render(DbConnection &db, const ExportScope &scope, int *count)
{
    ExportFolder top;
    Dates::LocalTimes clock;
    int written = 0;
    if (scope.kind == ExportScope::Kind::Favourites) {
        // The name the command line takes for the favourites, in every language.
        ExportFolder &favourites = top.child(QStringLiteral("收藏夹"));

        ExportRows::forEach(db, scope, [&](const ExportRow &row) {
            favourites.addLink(row, storedSeconds(clock, row.viewTime));
            ++written;
        });
    } else {
        // Groups without addresses are written as empty folders in their place.
        for (const QString &group : ExportRows::groups(db, scope))
            top.folderOf(group);
        QByteArray lastGroup;
        ExportFolder *folder = nullptr;
        ExportRows::forEach(db, scope, [&](const ExportRow &row) {
            if (!folder || row.groupName != lastGroup) {
                folder = &top.folderOf(QString::fromUtf8(row.groupName));
                lastGroup = row.groupName.toByteArray();
            }
            folder->addLink(row, storedSeconds(clock, row.viewTime));
            ++written;
        });
    }
    if (count)
        *count = written;
    NetscapeWriter writer;
    top.writeContents(writer);
    return writer.finish();
}

int ExportService::exportTo(DbConnection &db, const QString &file, const ExportScope &scope)
{
    int count = 0;
    const QByteArray bytes = render(db, scope, &count);
    QString reason;
    const bool written = isSpecialFile(file) ? writeDirectly(file, bytes, &reason) : replaceWhole(file, bytes, &reason);
    if (!written)
        throw AppError(QCoreApplication::translate("ExportService", "无法写入文件：%1（%2）").arg(file, reason));
    return count;
}
