// Visiting an address: count the visit, resolve the host where asked, start the browser.
#include "main/FrmMain.h"

#include "data/AddressStore.h"
#include "data/DataModule.h"
#include "data/AppError.h"
#include "platform/Browser.h"
#include "platform/Dialogs.h"
#include "platform/HostResolver.h"

#include <QApplication>
#include <QToolButton>

namespace {

// Blanks and control characters at either end go, as a host name lookup expects.
QString trimmedOfControls(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first).unicode() <= 0x20)
        ++first;
    while (last > first && text.at(last - 1).unicode() <= 0x20)
        --last;
    return text.mid(first, last - first);
}

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
void TFrmMain::P_Visit(const QString &address)
{
    try {
        AddressStore::countVisit(m_dm1.connection(), m_curAddress);
    } catch (const AppError &error) {
        Dialogs::failure(this, error);
        // A library that can only be read is still there to be visited.
        if (error.kind() != AppError::Kind::ReadOnly)
            return;
    }
    QString target = address;
    if (IPTBtn->isChecked()) {
        const QString byAddress = P_HostToIP(address);
        if (byAddress.isEmpty()) {
            Dialogs::message(this, QStringLiteral("不在线！"));
            return;
        }
        target = QStringLiteral("http:\\\\") + byAddress;
    }
    Browser::open(target); // a browser that does not start is not reported
}

// The address with its host (everything before the first "/") replaced by the host's
// dotted IPv4 address; empty when the host does not resolve.
QString TFrmMain::P_HostToIP(const QString &address) const
{
    const qsizetype slash = address.indexOf(QLatin1Char('/'));
    const QString host = slash < 0 ? address : address.left(slash);
    const QString path = slash < 0 ? QString() : address.mid(slash);
    QString dotted;
    {
        WaitCursor waiting;
        dotted = m_resolver->ipv4Of(trimmedOfControls(host));
    }
    if (dotted.isEmpty())
        return QString();
    return trimmedOfControls(dotted) + trimmedOfControls(path);
}
