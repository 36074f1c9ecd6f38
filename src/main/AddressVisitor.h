// Visiting an address: the visit is counted, the host is resolved while the tool bar's IP
// button is down, and the browser is started.
#pragma once

#include <QCoreApplication>

#include <functional>
#include <memory>

class DbConnection;
class HostResolver;
class MainToolBar;
class QWidget;
struct Outcome;

class AddressVisitor
{
    Q_DECLARE_TR_FUNCTIONS(AddressVisitor)

public:
    // showOutcome tells the user why the visit could not be counted. Messages show over
    // `window`.
    AddressVisitor(DbConnection &connection, const MainToolBar &toolBar, QWidget *window,
                   std::function<bool(const Outcome &)> showOutcome);
    ~AddressVisitor();
    AddressVisitor(const AddressVisitor &) = delete;
    AddressVisitor &operator=(const AddressVisitor &) = delete;

    // A seam for tests: the host lookup; none puts the system's back.
    void setHostResolver(std::unique_ptr<HostResolver> resolver);

    // Counts a visit of the address and opens it.
    void visit(const QString &address);
    // The address with its host replaced by the host's dotted IPv4 address; empty when the
    // host does not resolve.
    QString addressByIp(const QString &address) const;

private:
    void open(const QString &address);

    DbConnection &m_connection;
    const MainToolBar &m_toolBar;
    QWidget *m_window;
    std::function<bool(const Outcome &)> m_showOutcome;
    std::unique_ptr<HostResolver> m_resolver;
};
