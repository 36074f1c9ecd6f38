#include "automation/SendUrlClient.h"

#include "automation/ArgumentLimit.h"
#include "automation/Registration.h"

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

} // namespace

int run(int &argc, char **argv, const QString &address, const QString &name)
{
    // Refused here as the running program would refuse it, without a trip over the bus.
    if (const QString refusal = ArgumentLimit::refusal(address, name); !refusal.isEmpty()) {
        fail(refusal);
        return 2;
    }
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return fail(QStringLiteral("cannot reach the session bus: %1").arg(bus.lastError().message()));

    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(Registration::BusName), QLatin1String(Registration::ObjectPath),
                                       QLatin1String(Registration::InterfaceName), QStringLiteral("SendUrl"));
    call << address << name;
    // The longest wait the bus knows means no limit: the user may keep the editor open.
    const QDBusMessage reply = bus.call(call, QDBus::Block, std::numeric_limits<int>::max());
    if (reply.type() == QDBusMessage::ErrorMessage)
        return fail(reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage());
    return 0;
}

} // namespace SendUrlClient
