#include "automation/NativeHost.h"

#include "automation/NativeMessage.h"
#include "automation/SendUrlClient.h"

#include <QCoreApplication>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace NativeHost {

namespace {

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}

// Reads what is there; an empty result means the input has closed (or failed).
QByteArray readSome(int fd)
{
    QByteArray chunk(qsizetype(64) * 1024, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::read(fd, chunk.data(), size_t(chunk.size()));
        if (n < 0 && errno == EINTR)
            continue;
        chunk.resize(n > 0 ? n : 0);
        return chunk;
    }
}

int fail(const char *text)
{
    std::fprintf(stderr, "vestrane: %s\n", text);
    return 1;
}

} // namespace

int run(int &argc, char **argv)
{
    // A browser that has gone makes a write fail instead of ending the process.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    NativeMessage::FrameReader reader;
    for (;;) {
        const QByteArray bytes = readSome(STDIN_FILENO);
        if (bytes.isEmpty())
            return reader.hasPartialMessage() ? fail("the input ended inside a message") : 0;
        reader.append(bytes);
        QByteArray message;
        NativeMessage::FrameReader::Status status;
        while ((status = reader.next(&message)) == NativeMessage::FrameReader::Status::Message) {
            const QJsonObject answer = NativeMessage::answer(message, SendUrlClient::sendUrlWithResult);
            if (!writeAll(STDOUT_FILENO, NativeMessage::frame(answer)))
                return fail("cannot write the answer");
        }
        if (status == NativeMessage::FrameReader::Status::TooLarge) {
            // The rest of the stream cannot be trusted to start at a message: say why and end.
            const QString text = QStringLiteral("the message is %1 bytes long; at most %2 bytes are taken")
                                     .arg(reader.announcedLength())
                                     .arg(NativeMessage::MaxMessageBytes);
            writeAll(STDOUT_FILENO, NativeMessage::frame(NativeMessage::errorAnswer(text)));
            return fail(qPrintable(text));
        }
    }
}

} // namespace NativeHost
