// Feeds arbitrary bytes to the Jet reader: a text that starts as a Jet file does is read
// as one (by the reading child, as the conversion reads it); anything else is taken for
// the stream of frames that the child sends to the caller.
#include "data/AppError.h"
#include "jet/JetReader.h"
#include "jet/JetWire.h"

#include <QFile>
#include <QTemporaryFile>

#include <cstddef>
#include <cstdint>

namespace {

class IgnoringSink : public JetSink
{
public:
    void group(const JetGroup &) override {}
    void address(const JetAddress &) override {}
    void search(const JetSearch &) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    IgnoringSink sink;
    try {
        if (bytes.startsWith(QByteArray("\0\1\0\0Standard Jet DB", 19))) {
            QTemporaryFile file;
            if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
                return 0;
            JetReader::Options options;
            options.stallTimeoutMs = 2000;
            (void)JetReader::read(file.fileName(), sink, options);
        } else {
            JetWire::FrameDecoder frames(sink);
            // In two pieces, as a pipe may hand them over.
            const qsizetype half = bytes.size() / 2;
            frames.feed(bytes.constData(), half);
            frames.feed(bytes.constData() + half, bytes.size() - half);
        }
    } catch (const AppError &) {
        // a refused file or stream is a correct answer
    }
    return 0;
}
