#include "automation/TPIO.h"

#include "automation/Registration.h"
#include "editor/FrmEditGroup.h"
#include "platform/AppError.h"

#include <QDBusMessage>
#include <QLineEdit>

#include <exception>
#include <memory>

namespace {

QDBusMessage invalidArguments(const QDBusMessage &message)
{
    return message.createErrorReply(
        QDBusError::InvalidArgs,
        QStringLiteral("SendUrl takes two strings (signature \"ss\"), not \"%1\"").arg(message.signature()));
}

} // namespace

TPIO::TPIO(QObject *parent) : QDBusVirtualObject(parent)
{
    m_makeEditor = [] { return new TFrmEditGroup(nullptr); };
}

TPIO::~TPIO()
{
    const QList<TFrmEditGroup *> editors = m_editors;
    for (TFrmEditGroup *editor : editors) {
        disconnect(editor, nullptr, this, nullptr);
        delete editor;
    }
}

bool TPIO::isBlank(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 32)
            return false;
    }
    return true;
}

QString TPIO::introspect(const QString &) const
{
    return Registration::interfaceElement();
}

bool TPIO::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    const QString interface = message.interface();
    if (message.member() != QLatin1String("SendUrl")
        || (!interface.isEmpty() && interface != QLatin1String(Registration::InterfaceName)))
        return false;
    if (message.signature() != QLatin1String("ss")) {
        connection.send(invalidArguments(message));
        return true;
    }
    const QList<QVariant> arguments = message.arguments();
    SendUrl(arguments.at(0).toString(), arguments.at(1).toString(), message, connection);
    return true;
}

void TPIO::SendUrl(const QString &Name1, const QString &Name2, const QDBusMessage &message,
                   const QDBusConnection &connection)
{
    Q_EMIT callStarted();
    if (isBlank(Name1) || isBlank(Name2)) {
        connection.send(message.createReply());
        Q_EMIT callFinished();
        return;
    }
    // The call is answered later, when its editor closes; an error while opening it is
    // the call's answer and never leaves this function.
    QString failure;
    try {
        TFrmEditGroup *editor = P_OpenEditor(Name1, Name2);
        answerWhenClosed(editor, message, connection);
        return;
    } catch (const AppError &error) {
        failure = error.message();
    } catch (const std::exception &error) {
        failure = QString::fromLocal8Bit(error.what());
    } catch (...) {
        failure = QStringLiteral("Unexpected error");
    }
    connection.send(message.createErrorReply(QLatin1String(ErrorName), failure));
    Q_EMIT callFinished();
}

TFrmEditGroup *TPIO::P_OpenEditor(const QString &Name1, const QString &Name2)
{
    std::unique_ptr<TFrmEditGroup> editor(m_makeEditor());
    editor->raise();
    editor->P_SetMode(TFrmEditGroup::AddMode);
    editor->setCaptionText(QStringLiteral("添加网址"));
    editor->Edit1->setText(Name1);
    editor->Edit2->setText(Name2);
    // Set off from the editor opened last, so that the user sees there are two.
    if (!m_editors.isEmpty())
        editor->move(m_editors.last()->pos() + QPoint(CascadeOffset, CascadeOffset));
    editor->openModal();
    return editor.release();
}

void TPIO::answerWhenClosed(TFrmEditGroup *editor, const QDBusMessage &message, const QDBusConnection &connection)
{
    m_editors.append(editor);
    // Answered once: when the editor closes, or should it be destroyed unclosed. A client
    // that has gone by then simply gets no answer; the bus drops it.
    auto answer = [this, editor, reply = message.createReply(), connection] {
        if (!m_editors.removeOne(editor))
            return;
        connection.send(reply);
        Q_EMIT callFinished();
    };
    connect(editor, &TXPForm::closed, this, [answer, editor] {
        answer();
        editor->deleteLater();
    });
    connect(editor, &QObject::destroyed, this, answer);
}
