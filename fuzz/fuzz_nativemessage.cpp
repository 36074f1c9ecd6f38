// Feeds arbitrary bytes to the reader of the browser's native messages, as the stream
// would bring them: cut into frames (in pieces of a size the first byte chooses), and each
// frame answered as the host answers it, with a stand-in for the editor.

#include "automation/NativeMessage.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "nativemessage: %s\n", what);
    std::abort();
}

// The outcome the stand-in gives follows the address, so that every answer is reached.
NativeMessage::SendReply decide(const QString &address, const QString &name)
{
    if (address.isEmpty() || address != address.trimmed() || name.isEmpty())
        fail("a blank or untrimmed address, or a blank name, was handed over");
    NativeMessage::SendReply outcome;
    outcome.kind = NativeMessage::SendReply::Kind(address.size() % 3);
    if (outcome.kind == NativeMessage::SendReply::Kind::Failed)
        outcome.error = address.repeated(3);
    return outcome;
}

void checkAnswer(const QJsonObject &answer)
{
    const QString result = answer.value(QStringLiteral("result")).toString();
    if (result != u"saved" && result != u"cancelled" && result != u"error")
        fail("an answer without a known result");
    const QByteArray framed = NativeMessage::frame(answer);
    quint32 length = 0;
    std::memcpy(&length, framed.constData(), sizeof(length));
    if (qsizetype(length) + qsizetype(sizeof(length)) != framed.size())
        fail("a framed answer whose length is not its size");
    if (length > NativeMessage::MaxMessageBytes)
        fail("an answer over the browser's limit");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype piece = 1 + data[0] % 16;
    const QByteArray stream(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);

    NativeMessage::FrameReader reader;
    qsizetype taken = 0; // bytes of the stream that whole frames used
    for (qsizetype at = 0; at < stream.size(); at += piece) {
        reader.append(stream.mid(at, piece));
        QByteArray message;
        for (;;) {
            const NativeMessage::FrameReader::Status status = reader.next(&message);
            if (status == NativeMessage::FrameReader::Status::TooLarge) {
                if (reader.announcedLength() <= NativeMessage::MaxMessageBytes)
                    fail("a frame within the limit was refused");
                return 0; // the host stops reading here
            }
            if (status == NativeMessage::FrameReader::Status::NeedMore)
                break;
            if (stream.mid(taken + 4, message.size()) != message)
                fail("a message that is not the bytes after its length");
            taken += 4 + message.size();
            checkAnswer(NativeMessage::answer(message, decide));
        }
    }
    if (reader.hasPartialMessage() != (taken < stream.size()))
        fail("bytes left over, or none, against what the frames used");
    return 0;
}
