#include "jet/JetReader.h"

#include "jet/JetWire.h"
#include "jet/MdbTable.h"
#include "data/AppError.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace JetWire;

// ---- the child's side ----

int requiredColumn(const MdbTable &table, const char *tableName, const char *name)
{
    const int column = table.column(name);
    if (column < 0)
        throw AppError(QCoreApplication::translate("JetReader", "表 %1 缺少列 %2")
                           .arg(QLatin1String(tableName), QLatin1String(name)));
    return column;
}

std::unique_ptr<MdbTable> requiredTable(MdbDatabase &db, const char *name)
{
    std::unique_ptr<MdbTable> table = MdbTable::open(db, name);
    if (!table)
        throw AppError(QCoreApplication::translate("JetReader", "缺少表 %1").arg(QLatin1String(name)));
    return table;
}

// Every row the table holds must come through: libmdb skips a row it cannot make sense
// of without a word.
void checkAllRowsRead(const MdbTable &table, const char *name, qint64 read)
{
    if (read != table.storedRowCount())
        throw AppError(QCoreApplication::translate("JetReader", "表 %1 只读出 %2 行，应有 %3 行")
                           .arg(QLatin1String(name))
                           .arg(read)
                           .arg(table.storedRowCount()));
}

// A visit count that no one can have reached: a sign of bytes that are no count.
constexpr qint64 MostVisits = 100'000'000;

qint64 visitCount(const MdbTable &table, int column)
{
    const qint64 visits = table.integer(column).value_or(0);
    if (visits < 0 || visits > MostVisits)
        throw AppError(QCoreApplication::translate("JetReader", "表 address 中的访问次数 %1 不可能").arg(visits));
    return visits;
}

JetCounts sendGroups(MdbDatabase &db, FrameWriter &out, JetCounts counts)
{
    std::unique_ptr<MdbTable> table = requiredTable(db, "BaseGroup");
    const int no = requiredColumn(*table, "BaseGroup", "GroupNo");
    const int name = requiredColumn(*table, "BaseGroup", "GroupName");
    while (table->next()) {
        out.send(Kind::Group, table->integer(no), table->text(name));
        ++counts.groups;
    }
    checkAllRowsRead(*table, "BaseGroup", counts.groups);
    return counts;
}

JetCounts sendAddresses(MdbDatabase &db, FrameWriter &out, JetCounts counts)
{
    std::unique_ptr<MdbTable> table = requiredTable(db, "address");
    const int address = requiredColumn(*table, "address", "Address");
    const int name = requiredColumn(*table, "address", "AddressName");
    const int times = requiredColumn(*table, "address", "Times");
    const int viewTime = requiredColumn(*table, "address", "ViewTime");
    const int groupNo = requiredColumn(*table, "address", "GroupNo");
    const int favourite = table->column("MyAddress");
    while (table->next()) {
        const std::optional<QString> text =
            table->isNull(address) ? std::nullopt : std::optional<QString>(table->text(address));
        out.send(Kind::Address, text, table->text(name), visitCount(*table, times), table->date(viewTime),
                 table->integer(groupNo), table->flag(favourite));
        ++counts.addresses;
    }
    checkAllRowsRead(*table, "address", counts.addresses);
    return counts;
}

JetCounts sendSearches(MdbDatabase &db, FrameWriter &out, JetCounts counts)
{
    std::unique_ptr<MdbTable> table = MdbTable::open(db, "Search");
    if (!table)
        return counts;
    counts.hasSearch = true;
    const int text = requiredColumn(*table, "Search", "SearchText");
    const int date = requiredColumn(*table, "Search", "Searchdate");
    const int sortNo = requiredColumn(*table, "Search", "Sort_No");
    struct Row
    {
        QString text;
        bool missing;
        QString date;
        qint64 sortNo;
    };
    std::vector<Row> rows;
    while (table->next())
        rows.push_back({table->text(text), table->isNull(text), table->date(date), table->integer(sortNo).value_or(0)});
    checkAllRowsRead(*table, "Search", qint64(rows.size()));
    std::stable_sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) { return a.sortNo < b.sortNo; });
    for (const Row &row : rows)
        out.send(Kind::Search, row.missing ? std::nullopt : std::optional<QString>(row.text), row.date, row.sortNo);
    counts.searches = qint64(rows.size());
    return counts;
}

[[noreturn]] void runChild(const QString &file, int fd)
{
    // libmdb reports on standard error; the caller gives the user its own message.
    const int devNull = ::open("/dev/null", O_WRONLY);
    if (devNull >= 0)
        ::dup2(devNull, STDERR_FILENO);
    int status = 0;
    {
        FrameWriter out(fd);
        try {
            MdbDatabase db(file);
            JetCounts counts;
            counts = sendGroups(db, out, counts);
            counts = sendAddresses(db, out, counts);
            counts = sendSearches(db, out, counts);
            out.send(Kind::Counts, counts.groups, counts.addresses, counts.searches, counts.hasSearch);
        } catch (const AppError &error) {
            out.send(Kind::Error, error.message());
            status = 1;
        } catch (const std::exception &error) {
            out.send(Kind::Error, QString::fromLocal8Bit(error.what()));
            status = 1;
        }
    }
    ::_exit(status);
}

// ---- the caller's side ----

class ChildProcess
{
public:
    explicit ChildProcess(pid_t pid) : m_pid(pid) {}
    ~ChildProcess()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            wait();
        }
    }
    // The exit status; waits for the end.
    int wait()
    {
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {}
        m_pid = -1;
        return status;
    }
    void kill() { ::kill(m_pid, SIGKILL); }

private:
    pid_t m_pid;
};

// Reads the child's frames from the pipe until the child closes its end.
class FrameReader
{
public:
    FrameReader(int fd, JetSink &sink) : m_fd(fd), m_frames(sink) {}

    // False when the child stalled.
    bool readAll(int stallTimeoutMs)
    {
        char chunk[64 * 1024];
        for (;;) {
            pollfd p = {m_fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, stallTimeoutMs);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready == 0)
                return false;
            const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return true;
            m_frames.feed(chunk, n);
        }
    }

    const FrameDecoder &frames() const { return m_frames; }

private:
    int m_fd;
    FrameDecoder m_frames;
};

QString readFailure(const QString &file, const QString &what)
{
    return QCoreApplication::translate("JetReader", "无法读取 %1：%2").arg(QFileInfo(file).fileName(), what);
}

QString childFailure(int status)
{
    if (WIFSIGNALED(status))
        return QCoreApplication::translate("JetReader", "读取程序异常终止（信号 %1）").arg(WTERMSIG(status));
    return QCoreApplication::translate("JetReader", "读取程序异常结束（代码 %1）").arg(WEXITSTATUS(status));
}

} // namespace

JetCounts JetReader::read(const QString &file, JetSink &sink, const Options &options)
{
    const auto fail = [&](const QString &what) { return AppError(readFailure(file, what)); };

    if (QFileInfo(file).exists() && !QFileInfo(file).isFile())
        throw fail(QCoreApplication::translate("JetReader", "不是普通文件"));
    QFile probe(file);
    if (!probe.open(QIODevice::ReadOnly))
        throw fail(probe.errorString());
    probe.close();

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw fail(QString::fromLocal8Bit(std::strerror(errno)));
    // A wide pipe lets the two processes take turns less often.
    ::fcntl(fds[1], F_SETPIPE_SZ, 1 << 20);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        throw fail(QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (pid == 0) {
        ::close(fds[0]);
        runChild(file, fds[1]);
    }
    ::close(fds[1]);
    ChildProcess child(pid);
    FrameReader reader(fds[0], sink);
    bool complete = false;
    try {
        complete = reader.readAll(options.stallTimeoutMs);
    } catch (...) {
        ::close(fds[0]);
        throw;
    }
    ::close(fds[0]);
    if (!complete) {
        child.kill();
        child.wait();
        throw fail(QCoreApplication::translate("JetReader", "读取超时，文件可能已损坏"));
    }
    const int status = child.wait();
    if (!reader.frames().error().isEmpty())
        throw fail(reader.frames().error());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !reader.frames().finished())
        throw fail(childFailure(status));
    return reader.frames().counts();
}

bool JetReader::isReadFailure(const QString &message, const QString &file)
{
    // The reason may stand anywhere in the translated text; what is around it must match.
    const QChar reasonMark(0xFFFF);
    const QString pattern = readFailure(file, reasonMark);
    const qsizetype at = pattern.indexOf(reasonMark);
    return message.size() >= pattern.size() - 1 && message.startsWith(pattern.left(at))
        && message.endsWith(pattern.mid(at + 1));
}
