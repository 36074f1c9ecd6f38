#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <map>

class AddressEditorOpener;

// The automation object on the session bus: interface Quorvel.IPIO with the method
// SendUrl(s Name1, s Name2), and SendUrlWithResult, the same call answered with whether
// the user saved ("saved") or not ("cancelled"). Each call asks the editor opener for an
// address editor of its own in add mode, filled with the two texts, and is answered when
// that editor closes, so calls return in the order their editors close. A call whose
// editor goes without being closed (the program ends) is answered with an error, never
// as saved or cancelled. The object itself
// holds nothing between calls but the number of calls still waiting.
class AutomationObject : public QDBusVirtualObject
{
    Q_OBJECT

public:
    // The error name of a call that failed; its message is the error's text.
    static constexpr char ErrorName[] = "Quorvel.PIO.Error.Unexpected";
    static constexpr char ResultMethod[] = "SendUrlWithResult";
    static constexpr char SavedResult[] = "saved";
    static constexpr char CancelledResult[] = "cancelled";
    // Calls beyond this many waiting are refused at once with an error saying how many wait.
    static constexpr int MaxPendingCalls = 20;

    // `editors` opens the calls' editors; it must outlive the object's calls.
    explicit AutomationObject(AddressEditorOpener &editors, QObject *parent = nullptr);
    ~AutomationObject() override;

    // True when the text is empty once characters up to the blank are cut from both ends.
    static bool isBlank(const QString &text);

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

    // Calls whose editor is still open.
    int pendingCalls() const { return m_pendingCalls; }

Q_SIGNALS:
    void callStarted();
    void callFinished();

private:
    void SendUrl(const QString &Name1, const QString &Name2, const QDBusMessage &message,
                 const QDBusConnection &connection, bool tellResult);

    struct Waiting
    {
        QDBusMessage message;
        QDBusConnection connection;
    };

    AddressEditorOpener &m_editors;
    int m_pendingCalls = 0;
    quint64 m_lastCallId = 0;
    // The calls whose editors are open, answered with an error should the object go first.
    std::map<quint64, Waiting> m_waiting;
};
