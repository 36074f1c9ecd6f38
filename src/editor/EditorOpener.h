#pragma once

#include "editor/AddressEditorOpener.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;
class AddressEditor;
class LibraryHistory;

// Opens the editors of automation calls: one new editor per call, in add mode, shown
// application-modal without a nested event loop, each set off from the one opened before
// it; what they save is a step of the session's history when one is set. An editor that
// cannot read its settings or groups is never shown: its error is the answer. Each editor
// is destroyed after it has closed.
class EditorOpener : public QObject, public AddressEditorOpener
{
    Q_OBJECT

public:
    using EditorFactory = std::function<AddressEditor *()>;
    // How far an editor is set off from the one opened before it (the height of the
    // caption bar, so that the caption below stays readable).
    static constexpr int CascadeOffset = 25;

    explicit EditorOpener(QObject *parent = nullptr);
    // Editors still open are destroyed without telling their callers.
    ~EditorOpener() override;

    // The window the editors belong to, so that they open above it (none by default).
    void setOwner(QWidget *owner);
    // The session's history, into which every editor records what it saves, so that the
    // main window's undo takes back an address another program sent (none by default). It
    // must outlive the editors.
    void setHistory(LibraryHistory *history) { m_history = history; }
    // How editors are made (a test makes creation fail); the default makes an editor
    // of the owner that keeps its errors instead of showing them.
    void setEditorFactory(EditorFactory factory) { m_makeEditor = std::move(factory); }

    QString openEditor(const QString &address, const QString &name, ClosedHandler whenClosed) override;

    // The editors that are open, oldest first.
    QList<AddressEditor *> openEditors() const { return m_editors; }

private:
    // The editor shown, or none when it failed and then `failure` says why.
    AddressEditor *makeFilledEditor(const QString &address, const QString &name, QString &failure);

    QPointer<QWidget> m_owner;
    LibraryHistory *m_history = nullptr;
    EditorFactory m_makeEditor;
    QList<AddressEditor *> m_editors;
};
