// The address editor, TFrmEditGroup. Despite its name it edits one address (adds a new
// one or changes a stored one), never a group; the name is the window design's and other
// parts of the program know the class by it. What its names stand for:
//
// Controls
//   Edit1         the address; Label1 "网址 HTTP:\\" in front of it
//   Edit2         the address's display name; Label2 "网址名称"
//   ListBox1      the groups, one of which takes the address; Label3 "组别"
//   OKButton      "保存": saves and closes (Enter anywhere in the window presses it)
//   CancelButton  "退出": closes without saving (so does Esc)
//
// Handlers and procedures
//   P_ShowAdd     opens the editor empty, to add an address to the given group
//   P_ShowEdit    opens it filled, to change a stored address; gives what was saved
//   P_SetMode     EditMode::Add or EditMode::Change: which save OKButtonClick runs
//   P_SetGroup, P_GetGroup   the group preselected in ListBox1 at the next showing
//   P_Init        fills ListBox1 from the database and preselects the group; runs at
//                 every showing
//   OKButtonClick saves through P_AddData (add) or P_EditData (change), which hand the
//                 input to the address service and show its outcome; closes once stored
//   fillForAdd    fills Edit1 and Edit2 to add an address, without showing the editor
//                 (an automation call)
#pragma once

#include "window/XPForm.h"
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
class TFrmEditGroup : public TXPForm
{
    Q_OBJECT

public:
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

    explicit TFrmEditGroup(QWidget *owner = nullptr, ErrorReporting reporting = ErrorReporting::ShowBox);
    ~TFrmEditGroup() override;

    // The session's history, which then takes each save as a step an undo takes back.
    void setHistory(LibraryHistory *history) { m_history = history; }

    // With ErrorReporting::Keep: the first error of the creation or of P_Init, else empty.
    QString keptError() const { return m_keptError; }

    // Entry points of the main window: show the editor modally, return when it has closed.
    // False when the editor could not open (its groups cannot be read; the reason was told).
    bool P_ShowAdd(const QString &groupName);
    // Gives what was saved, or nothing when the editor closed without saving.
    std::optional<SavedAddress> P_ShowEdit(const QString &address, const QString &name, const QString &groupName);
    // What the last save stored (in either mode); nothing while no save succeeded since
    // the editor was last shown.
    const std::optional<SavedAddress> &savedAddress() const { return m_saved; }

    // Fills the editor to add this address, without showing it (an automation call).
    void fillForAdd(const QString &address, const QString &name);

    void P_SetMode(EditMode mode);
    EditMode editMode() const { return m_editMode; }
    void P_SetGroup(const QString &groupName);
    QString P_GetGroup() const;

    // Fills the group list and preselects the group (runs on every showing).
    void P_Init();
    // Save steps; false when the save did not write (validation message or failure).
    bool P_AddData();
    bool P_EditData();
    DbConnection &connection() { return *m_connection; }

public Q_SLOTS:
    void OKButtonClick();

protected:
    // Runs P_Init on every showing.
    void showEvent(QShowEvent *event) override;
    // Enter presses the save button, Esc the exit button.
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Controls, named as in the window design; each carries its name as its object name.
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QListWidget *ListBox1 = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;
    QLineEdit *Edit1 = nullptr;
    QLineEdit *Edit2 = nullptr;

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
