#pragma once

#include "data/AppError.h"
#include "jet/JetRecords.h"

#include <QCoreApplication>
#include <QByteArray>
#include <QString>
#include <cerrno>
#include <cstring>
#include <optional>
#include <unistd.h>

// How the reading child hands rows to the caller over a pipe. Used by JetReader only.
namespace JetWire {

// One message from the reading child: its length, a kind, then its fields.
enum class Kind : quint8 { Group = 1, Address, Search, Counts, Error };

// Fields go over the pipe as they lie in memory: both ends are this same program.
class Encoder
{
public:
    explicit Encoder(QByteArray &out) : m_out(out) {}
    void put(quint8 value) { m_out.append(char(value)); }
    void put(bool value) { m_out.append(char(value ? 1 : 0)); }
    void put(qint64 value) { m_out.append(reinterpret_cast<const char *>(&value), sizeof value); }
    void put(const QString &text)
    {
        const qint32 size = qint32(text.size());
        m_out.append(reinterpret_cast<const char *>(&size), sizeof size);
        m_out.append(reinterpret_cast<const char *>(text.utf16()), qsizetype(size) * 2);
    }
    void put(const std::optional<QString> &text)
    {
        put(bool(text));
        if (text)
            put(*text);
    }
    void put(const std::optional<qint64> &number)
    {
        put(bool(number));
        if (number)
            put(*number);
    }
    void put(Kind kind) { put(quint8(kind)); }

private:
    QByteArray &m_out;
};

class Decoder
{
public:
    Decoder(const char *data, qsizetype size) : m_at(data), m_end(data + size) {}
    void get(quint8 &value) { value = quint8(take(1)[0]); }
    void get(bool &value) { value = take(1)[0] != 0; }
    void get(qint64 &value) { std::memcpy(&value, take(sizeof value), sizeof value); }
    void get(QString &text)
    {
        qint32 size = 0;
        std::memcpy(&size, take(sizeof size), sizeof size);
        const char *chars = take(qsizetype(size) * 2);
        text = QString(reinterpret_cast<const QChar *>(chars), size);
    }
    void get(std::optional<QString> &text)
    {
        bool present = false;
        get(present);
        text.reset();
        if (present) {
            QString value;
            get(value);
            text = value;
        }
    }
    void get(std::optional<qint64> &number)
    {
        bool present = false;
        get(present);
        number.reset();
        if (present) {
            qint64 value = 0;
            get(value);
            number = value;
        }
    }

private:
    const char *take(qsizetype size)
    {
        if (size < 0 || m_end - m_at < size)
            throw AppError(QCoreApplication::translate("JetWire", "读取程序传来的数据不完整"));
        const char *at = m_at;
        m_at += size;
        return at;
    }

    const char *m_at;
    const char *m_end;
};

// Collects frames and writes them to the pipe in large pieces.
class FrameWriter
{
public:
    explicit FrameWriter(int fd) : m_fd(fd) {}
    ~FrameWriter() { flush(); }

    template <typename... Fields>
    void send(Kind kind, const Fields &...fields)
    {
        const qsizetype start = m_pending.size();
        m_pending.append(4, '\0'); // the size, known once the fields are in
        Encoder out(m_pending);
        out.put(kind);
        (out.put(fields), ...);
        const quint32 size = quint32(m_pending.size() - start - 4);
        std::memcpy(m_pending.data() + start, &size, sizeof size);
        if (m_pending.size() > qsizetype(64) * 1024)
            flush();
    }

    void flush()
    {
        const char *data = m_pending.constData();
        qsizetype left = m_pending.size();
        while (left > 0) {
            const ssize_t n = ::write(m_fd, data, size_t(left));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                ::_exit(3); // the reader is gone
            data += n;
            left -= n;
        }
        m_pending.clear();
    }

private:
    int m_fd;
    QByteArray m_pending;
};

// The caller's side: takes the bytes of the pipe as they come, and hands each whole frame
// to the sink. A frame that does not decode throws AppError.
class FrameDecoder
{
public:
    explicit FrameDecoder(JetSink &sink) : m_sink(sink) {}

    void feed(const char *bytes, qsizetype size)
    {
        m_buffer.append(bytes, size);
        qsizetype at = 0;
        while (m_buffer.size() - at >= 4) {
            quint32 frameSize = 0;
            std::memcpy(&frameSize, m_buffer.constData() + at, sizeof frameSize);
            if (m_buffer.size() - at - 4 < qsizetype(frameSize))
                break;
            Decoder in(m_buffer.constData() + at + 4, qsizetype(frameSize));
            dispatch(in);
            at += 4 + qsizetype(frameSize);
        }
        m_buffer.remove(0, at);
    }

    // Whether the counts came, which the child sends last.
    bool finished() const { return m_finished; }
    const JetCounts &counts() const { return m_counts; }
    const QString &error() const { return m_error; }

private:
    void dispatch(Decoder &in)
    {
        quint8 kind = 0;
        in.get(kind);
        switch (Kind(kind)) {
        case Kind::Group: {
            std::optional<qint64> no;
            JetGroup group;
            in.get(no);
            in.get(group.name);
            // A group without a number cannot hold an address; it keeps its name.
            group.groupNo = no.value_or(0);
            m_sink.group(group);
            break;
        }
        case Kind::Address: {
            JetAddress row;
            in.get(row.address);
            in.get(row.name);
            in.get(row.times);
            in.get(row.viewTime);
            in.get(row.groupNo);
            in.get(row.favourite);
            m_sink.address(row);
            break;
        }
        case Kind::Search: {
            JetSearch row;
            in.get(row.text);
            in.get(row.date);
            in.get(row.sortNo);
            m_sink.search(row);
            break;
        }
        case Kind::Counts:
            in.get(m_counts.groups);
            in.get(m_counts.addresses);
            in.get(m_counts.searches);
            in.get(m_counts.hasSearch);
            m_finished = true;
            break;
        case Kind::Error: in.get(m_error); break;
        }
    }

    JetSink &m_sink;
    QByteArray m_buffer;
    JetCounts m_counts;
    QString m_error;
    bool m_finished = false;
};

} // namespace JetWire
