#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QList>

#include <functional>

class TFrmEditGroup;

// The automation object on the session bus: interface Quorvel.IPIO with the method
// SendUrl(s Name1, s Name2), and SendUrlWithResult, the same call answered with whether
// the user saved ("saved") or not ("cancelled"). Each call opens an address editor of its own in add mode,
// filled with the two texts, and is answered when that editor closes, so calls return
// in the order their editors close. The object itself holds nothing between calls
// except the editors still open.
class TPIO : public QDBusVirtualObject
{
    Q_OBJECT

public:
    // The error name of a call that failed; its message is the error's text.
    static constexpr char ErrorName[] = "Quorvel.PIO.Error.Unexpected";
    static constexpr char ResultMethod[] = "SendUrlWithResult";
    static constexpr char SavedResult[] = "saved";
    static constexpr char CancelledResult[] = "cancelled";
    using EditorFactory = std::function<TFrmEditGroup *()>;
    // How far a call's editor is set off from the one opened before it (the height of
    // the caption bar, so that the caption below stays readable).
    static constexpr int CascadeOffset = 25;

    explicit TPIO(QObject *parent = nullptr);
    ~TPIO() override;

    // How editors are made (a test makes creation fail); the default makes a new
    // editor without owner that keeps its errors for the call instead of showing them.
    void setEditorFactory(EditorFactory factory) { m_makeEditor = std::move(factory); }

    // True when the text is empty once characters up to the blank are cut from both ends.
    static bool isBlank(const QString &text);

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

    // Calls whose editor is still open.
    int pendingCalls() const { return int(m_editors.size()); }
    QList<TFrmEditGroup *> openEditors() const { return m_editors; }

Q_SIGNALS:
    void callStarted();
    void callFinished();

private:
    void SendUrl(const QString &Name1, const QString &Name2, const QDBusMessage &message,
                 const QDBusConnection &connection, bool tellResult);
    TFrmEditGroup *P_OpenEditor(const QString &Name1, const QString &Name2);
    static void throwKeptError(const TFrmEditGroup &editor);
    void answerWhenClosed(TFrmEditGroup *editor, const QDBusMessage &message, const QDBusConnection &connection,
                          bool tellResult);

    EditorFactory m_makeEditor;
    QList<TFrmEditGroup *> m_editors; // until each one's call is answered
};
