#include "automation/NativeMessage.h"

#include <QJsonDocument>
#include <QJsonValue>

#include <cstring>

namespace NativeMessage {

namespace {

// Error texts go back to the browser, whose limit is MaxMessageBytes: a long text from
// elsewhere (a bus error quoting its caller) is cut well below it.
constexpr qsizetype MaxErrorCharacters = 2000;

// A control character (C0 or DEL) or a surrogate without its pair: no page address or
// title holds one, and stored it would show as a box or cut the text.
bool hasForbiddenCharacter(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return true;
    }
    return false;
}

} // namespace

FrameReader::Status FrameReader::next(QByteArray *message)
{
    if (m_buffer.size() < qsizetype(sizeof(quint32)))
        return Status::NeedMore;
    std::memcpy(&m_announced, m_buffer.constData(), sizeof(quint32));
    if (m_announced > MaxMessageBytes)
        return Status::TooLarge;
    const qsizetype end = qsizetype(sizeof(quint32)) + qsizetype(m_announced);
    if (m_buffer.size() < end)
        return Status::NeedMore;
    *message = m_buffer.mid(sizeof(quint32), m_announced);
    m_buffer.remove(0, end);
    return Status::Message;
}

QByteArray frame(const QJsonObject &answer)
{
    const QByteArray json = QJsonDocument(answer).toJson(QJsonDocument::Compact);
    const quint32 length = quint32(json.size());
    QByteArray framed(reinterpret_cast<const char *>(&length), sizeof(length));
    return framed + json;
}

QJsonObject errorAnswer(const QString &text)
{
    return {{QStringLiteral("result"), QStringLiteral("error")},
            {QStringLiteral("message"), text.left(MaxErrorCharacters)}};
}

QJsonObject answer(const QByteArray &message, const SendUrl &send)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(message, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return errorAnswer(QStringLiteral("the message is not JSON: %1").arg(parseError.errorString()));
    if (!document.isObject())
        return errorAnswer(QStringLiteral("the message is not a JSON object"));
    const QJsonObject request = document.object();
    const QJsonValue url = request.value(QStringLiteral("url"));
    const QJsonValue title = request.value(QStringLiteral("title"));
    if (!url.isString())
        return errorAnswer(QStringLiteral("the message has no text \"url\""));
    if (!title.isString())
        return errorAnswer(QStringLiteral("the message has no text \"title\""));
    const QString address = url.toString().trimmed();
    if (address.isEmpty())
        return errorAnswer(QStringLiteral("the address is empty"));
    if (hasForbiddenCharacter(address))
        return errorAnswer(QStringLiteral("the address holds a control character or a broken surrogate"));
    if (hasForbiddenCharacter(title.toString().trimmed()))
        return errorAnswer(QStringLiteral("the title holds a control character or a broken surrogate"));
    // A page without a title is named by its address, as a blank name would be refused.
    QString name = title.toString().trimmed();
    if (name.isEmpty())
        name = address;

    const SendReply outcome = send(address, name);
    switch (outcome.kind) {
    case SendReply::Kind::Saved: return {{QStringLiteral("result"), QStringLiteral("saved")}};
    case SendReply::Kind::Cancelled: return {{QStringLiteral("result"), QStringLiteral("cancelled")}};
    case SendReply::Kind::Failed: break;
    }
    return errorAnswer(outcome.error);
}

} // namespace NativeMessage
