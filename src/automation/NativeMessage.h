#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <functional>

// The protocol a browser speaks with a native messaging host: each message is a 32-bit
// length in the machine's byte order, then that many bytes of UTF-8 JSON. This part
// knows only bytes and JSON; reading and writing the streams is the host's concern.
namespace NativeMessage {

// The largest message taken from the browser, and the largest a browser takes from us.
inline constexpr quint32 MaxMessageBytes = 1024 * 1024;

// Cuts a byte stream into messages as it arrives.
class FrameReader
{
public:
    enum class Status {
        NeedMore, // no whole message yet
        Message, // one message taken out
        TooLarge, // the announced length is over MaxMessageBytes; the stream cannot go on
    };

    void append(const QByteArray &bytes) { m_buffer.append(bytes); }
    Status next(QByteArray *message);
    // Bytes of an unfinished message are waiting (the input ended inside one if it closes now).
    bool hasPartialMessage() const { return !m_buffer.isEmpty(); }
    quint32 announcedLength() const { return m_announced; }

private:
    QByteArray m_buffer;
    quint32 m_announced = 0;
};

// The message with its length in front, ready to write.
QByteArray frame(const QJsonObject &answer);

struct SendReply
{
    enum class Kind { Saved, Cancelled, Failed };
    Kind kind = Kind::Failed;
    QString error; // for Failed
};

// Hands an address and its name to the program and waits for the user's decision.
using SendUrl = std::function<SendReply(const QString &address, const QString &name)>;

// The answer to one message: {"url": "...", "title": "..."} is handed to `send`, and
// its outcome becomes {"result": "saved"}, {"result": "cancelled"} or
// {"result": "error", "message": "..."}. A message that is not such an object, or whose
// url or title holds a control character or a lone surrogate, is answered with an
// error and nothing is sent.
QJsonObject answer(const QByteArray &message, const SendUrl &send);
QJsonObject errorAnswer(const QString &text);

} // namespace NativeMessage
