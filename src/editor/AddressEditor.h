// The address editor: adds a new address to a group or changes a stored one. Enter
// anywhere in the window presses the save button, Esc the exit button. The group list is
// filled from the database at every showing (fillGroups).
#pragma once

#include "window/CaptionWindow.h"
#include "data/DbConnection.h"

#include <memory>
#include <optional>

class LibraryHistory;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QShowEvent;
class QListWidget;
class QPushButton;
struct Outcome;
struct TypedAddress;

// The address editor: adds or changes one address. It reads and writes through a
// connection of its own. The instance of the main window lives as long as the program
// and is hidden between uses; each automation call creates one of its own.
class AddressEditor : public CaptionWindow
{
    Q_OBJECT

public:
    // The editor's controls; each carries its field name as its object name.
    struct Controls
    {
        QLabel *addressLabel = nullptr;
        QLabel *nameLabel = nullptr;
        QLabel *groupLabel = nullptr;
        QListWidget *groupList = nullptr;
        QPushButton *saveButton = nullptr;
        QPushButton *cancelButton = nullptr;
        QLineEdit *addressEdit = nullptr;
        QLineEdit *nameEdit = nullptr;
    };
    const Controls &controls() const { return m_controls; }

    // The texts a save wrote: the address as stored, the name and the group's name.
    struct SavedAddress
    {
        QString address;
        QString name;
        QString groupName;
    };

    // Whether a save adds a new address or changes the one the editor was handed.
    enum class EditMode { Add, Change };

    // Where an error of the creation or of reading the groups goes: a box for the user, or
    // kept for the caller (an automation call answers with it instead).
    enum class ErrorReporting { ShowBox, Keep };

    explicit AddressEditor(QWidget *owner = nullptr, ErrorReporting reporting = ErrorReporting::ShowBox);
    ~AddressEditor() override;

    // The session's history, which then takes each save as a step an undo takes back.
    void setHistory(LibraryHistory *history) { m_history = history; }

    // With ErrorReporting::Keep: the first error of the creation or of fillGroups, else empty.
    QString keptError() const { return m_keptError; }

    // Entry points of the main window: show the editor modally, return when it has closed.
    // False when the editor could not open (its groups cannot be read; the reason was told).
    bool showToAdd(const QString &groupName);
    // Gives what was saved, or nothing when the editor closed without saving.
    std::optional<SavedAddress> showToChange(const QString &address, const QString &name, const QString &groupName);
    // What the last save stored (in either mode); nothing while no save succeeded since
    // the editor was last shown.
    const std::optional<SavedAddress> &savedAddress() const { return m_saved; }

    // Fills the editor to add this address, without showing it (an automation call).
    void fillForAdd(const QString &address, const QString &name);

    void setEditMode(EditMode mode);
    EditMode editMode() const { return m_editMode; }
    void setPresetGroup(const QString &groupName);
    QString presetGroup() const;

    // Fills the group list and preselects the group (runs on every showing).
    void fillGroups();
    // Save steps; false when the save did not write (validation message or failure).
    bool saveNewAddress();
    bool saveChangedAddress();
    DbConnection &connection() { return *m_connection; }

public Q_SLOTS:
    void saveFromButton();

protected:
    // Runs fillGroups on every showing.
    void showEvent(QShowEvent *event) override;
    // Enter presses the save button, Esc the exit button.
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Controls m_controls;

    void buildControls();
    void arrangeTabOrder();
    // Shows what a save gave; true when it wrote.
    bool showSaveOutcome(const Outcome &outcome, const QString &doneText);
    bool groupsReadable();
    TypedAddress typedInput() const;
    void reportError(QWidget *parent, const QString &message);

    std::unique_ptr<DbConnection> m_connection;
    LibraryHistory *m_history = nullptr;
    ErrorReporting m_reporting = ErrorReporting::ShowBox;
    QString m_keptError;
    QString m_presetGroup;
    EditMode m_editMode = EditMode::Add;
    QString m_oldAddress;
    QString m_oldName;
    std::optional<SavedAddress> m_saved;
    bool m_shownBefore = false;
};
