// Visiting an address: count the visit, resolve the host where asked, start the browser.
#include "main/MainWindow.h"

#include "data/SharedConnection.h"
#include "main/MainToolBar.h"
#include "platform/Browser.h"
#include "platform/Dialogs.h"
#include "platform/HostResolver.h"
#include "services/AddressCommands.h"

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

// The visit is counted first, in every group that holds the address; a failure there
// opens nothing, unless the database only cannot be changed. The list is not refreshed.
void MainWindow::visitCurrentAddress()
{
    const QString address = m_currentAddress;
    const Outcome counted = AddressCommands::countVisit(m_sharedConnection.connection(), address);
    showOutcome(counted);
    if (AddressCommands::mayOpenAfter(counted))
        openAddress(address);
}

// Starts the browser on the address, or on its host's IPv4 address while the IP button
// is down.
void MainWindow::openAddress(const QString &address)
{
    QString target = address;
    if (m_toolBar->visitsByIp()) {
        const QString byAddress = addressByIp(address);
        if (byAddress.isEmpty()) {
            Dialogs::message(this, tr("不在线！"));
            return;
        }
        target = AddressCommands::ByIpPrefix + byAddress;
    }
    Browser::open(target); // a browser that does not start is not reported
}

// The address with its host replaced by the host's dotted IPv4 address; empty when the
// host does not resolve.
QString MainWindow::addressByIp(const QString &address) const
{
    return AddressCommands::withHostAsIpv4(address, [this](const QString &host) {
        WaitCursor waiting;
        return m_resolver->ipv4Of(host);
    });
}
