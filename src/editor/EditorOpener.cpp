#include "editor/EditorOpener.h"

#include "editor/AddressEditor.h"

#include <exception>
#include <memory>

EditorOpener::EditorOpener(QObject *parent) : QObject(parent)
{
    m_makeEditor = [this] { return new AddressEditor(m_owner, AddressEditor::ErrorReporting::Keep); };
}

EditorOpener::~EditorOpener()
{
    // Each editor still open tells its caller that it went unsaved.
    const QList<AddressEditor *> editors = m_editors;
    for (AddressEditor *editor : editors)
        delete editor;
}

void EditorOpener::setOwner(QWidget *owner)
{
    m_owner = owner;
}

QString EditorOpener::openEditor(const QString &address, const QString &name, ClosedHandler whenClosed)
{
    AddressEditor *editor = nullptr;
    QString failure;
    try {
        editor = makeFilledEditor(address, name, failure);
    } catch (const std::exception &error) {
        return QString::fromLocal8Bit(error.what());
    } catch (...) {
        return QStringLiteral("Unexpected error");
    }
    if (!editor)
        return failure;
    m_editors.append(editor);
    // Told once: when the editor closes, or should it be destroyed unclosed (which saved
    // nothing).
    auto tell = [this, editor, whenClosed = std::move(whenClosed)](Ending ending) {
        if (m_editors.removeOne(editor))
            whenClosed(ending);
    };
    connect(editor, &CaptionWindow::closed, this, [tell, editor] {
        tell(editor->savedAddress().has_value() ? Ending::Saved : Ending::Cancelled);
        editor->deleteLater();
    });
    connect(editor, &QObject::destroyed, this, [tell] { tell(Ending::Lost); });
    return QString();
}

AddressEditor *EditorOpener::makeFilledEditor(const QString &address, const QString &name, QString &failure)
{
    std::unique_ptr<AddressEditor> editor(m_makeEditor());
    if (m_history)
        editor->setHistory(m_history);
    // An editor that cannot read its settings or its groups is the call's error, never a
    // box and never an editor with an empty group list. The groups are read once before
    // the editor shows, so that a failure shows nothing at all.
    const auto keptError = [&] {
        failure = editor->keptError();
        return !failure.isEmpty();
    };
    if (keptError())
        return nullptr;
    editor->fillGroups();
    if (keptError())
        return nullptr;
    editor->raise();
    editor->fillForAdd(address, name);
    // Set off from the editor opened last, so that the user sees there are two.
    if (!m_editors.isEmpty())
        editor->move(m_editors.last()->pos() + QPoint(CascadeOffset, CascadeOffset));
    editor->openModal();
    if (keptError())
        return nullptr;
    return editor.release();
}
