#pragma once

#include <QString>

#include <functional>

// What the automation object needs from the editor side: an editor that adds an address,
// opened for a caller with the caller's texts, and word of how it ended.
class AddressEditorOpener
{
public:
    // How an editor ended: the user saved or closed it, or it went without being closed
    // (the program ended, its owner went), which saved nothing and is no answer of the user.
    enum class Ending { Saved, Cancelled, Lost };
    // Told once, when the editor closes or goes.
    using ClosedHandler = std::function<void(Ending ending)>;

    virtual ~AddressEditorOpener() = default;

    // Opens an editor that adds an address, filled with `address` and `name`, and returns
    // at once without waiting for the user. Gives empty text when the editor is open;
    // otherwise the error that kept it from opening, and `whenClosed` is never called.
    virtual QString openEditor(const QString &address, const QString &name, ClosedHandler whenClosed) = 0;
};
