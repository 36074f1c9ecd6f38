#include "automation/SendUrlClient.h"

#include "automation/ArgumentLimit.h"
#include "automation/Registration.h"
#include "automation/AutomationObject.h"
#include "platform/Language.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>

#include <cstdio>
#include <limits>

namespace SendUrlClient {

namespace {

int fail(const QString &text)
{
    std::fprintf(stderr, "vestrane: %s\n", qPrintable(text));
    return 1;
}

// Calls `method` with the two texts and waits for its reply; the reply is an error
// message when the bus cannot be reached.
QDBusMessage callOnBus(const QString &method, const QString &address, const QString &name)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return QDBusMessage::createError(
            QDBusError::Disconnected,
            QStringLiteral("cannot reach the session bus: %1").arg(bus.lastError().message()));
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(Registration::BusName), QLatin1String(Registration::ObjectPath),
                                       QLatin1String(Registration::InterfaceName), method);
    call << address << name;
    // The longest wait the bus knows means no limit: the user may keep the editor open.
    return bus.call(call, QDBus::Block, std::numeric_limits<int>::max());
}

QString errorText(const QDBusMessage &reply)
{
    return reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
}

} // namespace

int run(int &argc, char **argv, const QString &address, const QString &name)
{
    // Refused here as the running program would refuse it, without a trip over the bus.
    if (const QString refusal = ArgumentLimit::refusal(address, name); !refusal.isEmpty()) {
        fail(refusal);
        return 2;
    }
    QCoreApplication app(argc, argv);
    Language::install(Language::messagesLocaleName(), Language::Scope::ProgramOnly); // what it prints
    const QDBusMessage reply = callOnBus(QStringLiteral("SendUrl"), address, name);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return fail(errorText(reply));
    return 0;
}

NativeMessage::SendReply sendUrlWithResult(const QString &address, const QString &name)
{
    using Kind = NativeMessage::SendReply::Kind;
    if (const QString refusal = ArgumentLimit::refusal(address, name); !refusal.isEmpty())
        return {Kind::Failed, refusal};
    const QDBusMessage reply = callOnBus(QLatin1String(AutomationObject::ResultMethod), address, name);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return {Kind::Failed, errorText(reply)};
    const QString result = reply.arguments().value(0).toString();
    if (result == QLatin1String(AutomationObject::SavedResult))
        return {Kind::Saved, QString()};
    if (result == QLatin1String(AutomationObject::CancelledResult))
        return {Kind::Cancelled, QString()};
    return {Kind::Failed, QStringLiteral("the program answered \"%1\"").arg(result.left(100))};
}

} // namespace SendUrlClient
