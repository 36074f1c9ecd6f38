#include "automation/AutomationObject.h"

#include "automation/ArgumentLimit.h"
#include "automation/Registration.h"
#include "editor/AddressEditorOpener.h"
#include "data/MessageText.h"

#include <QDBusMessage>
#include <QPointer>

namespace {

const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString introspectableInterface = QStringLiteral("org.freedesktop.DBus.Introspectable");

QDBusMessage invalidArguments(const QDBusMessage &message)
{
    return message.createErrorReply(QDBusError::InvalidArgs,
                                    QStringLiteral("%1 takes two strings (signature \"ss\"), not \"%2\"")
                                        .arg(message.member(), message.signature()));
}

// SendUrl answers with no value; its sibling that tells the result answers with the text.
QDBusMessage answerFor(const QDBusMessage &message, bool tellResult, bool saved)
{
    if (!tellResult)
        return message.createReply();
    return message.createReply(
        QLatin1String(saved ? AutomationObject::SavedResult : AutomationObject::CancelledResult));
}

// An editor that went without the user closing it saved nothing and was no choice of the
// user: the caller must not take it for a cancel.
const QString lostText =
    QStringLiteral("The program ended before the address was saved; the address editor was closed without an answer");

QDBusMessage unknownMethod(const QDBusMessage &message)
{
    return message.createErrorReply(
        QDBusError::UnknownMethod,
        QStringLiteral("No method \"%1\" with signature \"%2\" in interface \"%3\"")
            .arg(message.member(), message.signature(), QLatin1String(Registration::InterfaceName)));
}

// The object has no properties: GetAll gives an empty dictionary for its interface, Get
// and Set name a property that does not exist.
QDBusMessage propertiesAnswer(const QDBusMessage &message)
{
    const QString member = message.member();
    const QString signature = message.signature();
    // The caller's texts are quoted in the answers: cut, since they may be of any length.
    const QString interface = excerptForMessage(message.arguments().value(0).toString());
    const bool ours = interface.isEmpty() || interface == QLatin1String(Registration::InterfaceName);
    if (member == QLatin1String("GetAll") && signature == QLatin1String("s")) {
        if (!ours)
            return message.createErrorReply(QDBusError::UnknownInterface,
                                            QStringLiteral("No interface \"%1\" at \"%2\"")
                                                .arg(interface, QLatin1String(Registration::ObjectPath)));
        return message.createReply(QVariant::fromValue(QVariantMap()));
    }
    if ((member == QLatin1String("Get") && signature == QLatin1String("ss"))
        || (member == QLatin1String("Set") && signature == QLatin1String("ssv")))
        return message.createErrorReply(
            QDBusError::UnknownProperty,
            QStringLiteral("No property \"%1\" in interface \"%2\"")
                .arg(excerptForMessage(message.arguments().value(1).toString()), interface));
    if (member == QLatin1String("GetAll") || member == QLatin1String("Get") || member == QLatin1String("Set"))
        return message.createErrorReply(
            QDBusError::InvalidArgs,
            QStringLiteral("Wrong arguments (signature \"%1\") for %2.%3").arg(signature, propertiesInterface, member));
    return message.createErrorReply(
        QDBusError::UnknownMethod,
        QStringLiteral("No method \"%1\" in interface \"%2\"").arg(member, propertiesInterface));
}

} // namespace

AutomationObject::AutomationObject(AddressEditorOpener &editors, QObject *parent)
    : QDBusVirtualObject(parent), m_editors(editors)
{}

// Calls still waiting get an error: success would tell the caller the address is kept.
AutomationObject::~AutomationObject()
{
    for (const auto &[id, waiting] : m_waiting)
        waiting.connection.send(waiting.message.createErrorReply(QLatin1String(ErrorName), lostText));
}

bool AutomationObject::isBlank(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 32)
            return false;
    }
    return true;
}

QString AutomationObject::introspect(const QString &) const
{
    return Registration::interfaceElement();
}

bool AutomationObject::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    const QString interface = message.interface();
    // Introspection is answered by Qt from introspect().
    if (interface == introspectableInterface)
        return false;
    if (interface == propertiesInterface) {
        connection.send(propertiesAnswer(message));
        return true;
    }
    if (!interface.isEmpty() && interface != QLatin1String(Registration::InterfaceName)) {
        connection.send(message.createErrorReply(
            QDBusError::UnknownInterface,
            QStringLiteral("No interface \"%1\" at \"%2\"").arg(interface, QLatin1String(Registration::ObjectPath))));
        return true;
    }
    const bool tellsResult = message.member() == QLatin1String(ResultMethod);
    if (message.member() != QLatin1String("SendUrl") && !tellsResult) {
        connection.send(unknownMethod(message));
        return true;
    }
    if (message.signature() != QLatin1String("ss")) {
        connection.send(invalidArguments(message));
        return true;
    }
    const QList<QVariant> arguments = message.arguments();
    const QString Name1 = arguments.at(0).toString();
    const QString Name2 = arguments.at(1).toString();
    if (const QString refusal = ArgumentLimit::refusal(Name1, Name2); !refusal.isEmpty()) {
        connection.send(message.createErrorReply(QDBusError::InvalidArgs, refusal));
        return true;
    }
    SendUrl(Name1, Name2, message, connection, tellsResult);
    return true;
}

void AutomationObject::SendUrl(const QString &Name1, const QString &Name2, const QDBusMessage &message,
                               const QDBusConnection &connection, bool tellResult)
{
    Q_EMIT callStarted();
    if (m_pendingCalls >= MaxPendingCalls) {
        // Each waiting call holds an editor; without a bound a caller could take all memory.
        connection.send(message.createErrorReply(
            QLatin1String(ErrorName),
            QStringLiteral(
                "%1 calls are waiting for their address editors to close; no more are taken until one closes")
                .arg(m_pendingCalls)));
        Q_EMIT callFinished();
        return;
    }
    if (isBlank(Name1) || isBlank(Name2)) {
        connection.send(answerFor(message, tellResult, false));
        Q_EMIT callFinished();
        return;
    }
    // The call is answered later, when its editor closes; an error while opening it is
    // the call's answer. A client that has gone by then simply gets no answer; the bus
    // drops it. Once this object is gone, nobody answers.
    const QPointer<AutomationObject> self(this);
    const quint64 id = ++m_lastCallId;
    const QString failure = m_editors.openEditor(
        Name1, Name2, [self, id, message, connection, tellResult](AddressEditorOpener::Ending ending) {
            if (!self || self->m_waiting.erase(id) == 0)
                return;
            --self->m_pendingCalls;
            if (ending == AddressEditorOpener::Ending::Lost)
                connection.send(message.createErrorReply(QLatin1String(ErrorName), lostText));
            else
                connection.send(answerFor(message, tellResult, ending == AddressEditorOpener::Ending::Saved));
            Q_EMIT self->callFinished();
        });
    if (failure.isEmpty()) {
        m_waiting.emplace(id, Waiting{message, connection});
        ++m_pendingCalls;
        return;
    }
    connection.send(message.createErrorReply(QLatin1String(ErrorName), failure));
    Q_EMIT callFinished();
}
