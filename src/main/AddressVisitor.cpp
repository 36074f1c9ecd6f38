#include "main/AddressVisitor.h"

#include "main/MainToolBar.h"
#include "platform/Browser.h"
#include "platform/Dialogs.h"
#include "platform/HostResolver.h"
#include "services/AddressCommands.h"
#include "services/Outcome.h"

#include <QApplication>

namespace {

// The lookup blocks the window; the pointer says so.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

AddressVisitor::AddressVisitor(DbConnection &connection, const MainToolBar &toolBar, QWidget *window,
                               std::function<bool(const Outcome &)> showOutcome)
    : m_connection(connection), m_toolBar(toolBar), m_window(window), m_showOutcome(std::move(showOutcome)),
      m_resolver(std::make_unique<HostResolver>())
{}

AddressVisitor::~AddressVisitor() = default;

void AddressVisitor::setHostResolver(std::unique_ptr<HostResolver> resolver)
{
    m_resolver = resolver ? std::move(resolver) : std::make_unique<HostResolver>();
}

// The visit is counted first, in every group that holds the address; a failure there
// opens nothing, unless the database only cannot be changed. The list is not refreshed.
void AddressVisitor::visit(const QString &address)
{
    const Outcome counted = AddressCommands::countVisit(m_connection, address);
    m_showOutcome(counted);
    if (AddressCommands::mayOpenAfter(counted))
        open(address);
}

// Starts the browser on the address, or on its host's IPv4 address while the IP button
// is down.
void AddressVisitor::open(const QString &address)
{
    QString target = address;
    if (m_toolBar.visitsByIp()) {
        const QString byAddress = addressByIp(address);
        if (byAddress.isEmpty()) {
            Dialogs::message(m_window, tr("不在线！"));
            return;
        }
        target = AddressCommands::ByIpPrefix + byAddress;
    }
    Browser::open(target); // a browser that does not start is not reported
}

QString AddressVisitor::addressByIp(const QString &address) const
{
    return AddressCommands::withHostAsIpv4(address, [this](const QString &host) {
        WaitCursor waiting;
        return m_resolver->ipv4Of(host);
    });
}
