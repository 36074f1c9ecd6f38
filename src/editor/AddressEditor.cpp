#include "editor/AddressEditor.h"

#include "platform/DesignFont.h"
#include "data/DbConnection.h"
#include "platform/Dialogs.h"
#include "services/AddressEditing.h"
#include "services/HistoryCommands.h"
#include "services/LibraryReads.h"
#include "window/SharedIcons.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QtDebug>

#include <limits>

// Registers the pictures of this static library (outside any namespace, as
// Q_INIT_RESOURCE requires).
static void initEditorResources()
{
    static bool done = false;
    if (!done) {
        Q_INIT_RESOURCE(editor);
        done = true;
    }
}

namespace {

constexpr int ClientWidth = 410;
constexpr int ClientHeight = 186;
constexpr int ListItemHeight = 13;

QString promptCaption()
{
    return AddressEditor::tr("提示");
}

QString saveCaption()
{
    return AddressEditor::tr("保存");
}

// Intended: the label shows the scheme with backslashes, as the program always has.
QString addressLabelText()
{
    return AddressEditor::tr("网址 HTTP:\\\\");
}

// Intended: both marks, the full-width and the plain one, end the success texts.
QString addedText()
{
    return AddressEditor::tr("保存成功！!");
}

QString changedText()
{
    return AddressEditor::tr("修改保存成功！!");
}

QIcon okGlyph()
{
    // Two images: the normal one and the one of the disabled button. Read when the editor
    // is first drawn: the main window makes its editor at start, and the first SVG read
    // loads Qt's SVG icon engine.
    return SharedIcons::cached(QStringLiteral("editor/ok"), [] {
        return SharedIcons::deferred([] {
            QIcon icon;
            icon.addFile(QStringLiteral(":/editor/ok.svg"), QSize(16, 16), QIcon::Normal);
            icon.addFile(QStringLiteral(":/editor/ok-disabled.svg"), QSize(16, 16), QIcon::Disabled);
            return icon;
        });
    });
}

} // namespace

AddressEditor::AddressEditor(QWidget *owner, ErrorReporting reporting)
    : CaptionWindow(owner), m_connection(std::make_unique<DbConnection>(QStringLiteral("editor"))),
      m_reporting(reporting)
{
    initEditorResources();
    // A tool window: no taskbar entry, kept above its owner.
    setWindowFlags(windowFlags() | Qt::Tool);
    setWindowTitle(tr("添加组别"));
    buildControls();
    arrangeTabOrder();
    resize(ClientWidth + 2 * ResizeBorder, ClientHeight + CaptionHeight + 2 * ResizeBorder);

    // The connection keeps the error and reports it again at its first statement.
    const Outcome configured = LibraryReads::configure(*m_connection);
    if (!configured.ok())
        reportError(owner, configured.message);
    standardSetup();
}

AddressEditor::~AddressEditor() = default;

void AddressEditor::reportError(QWidget *parent, const QString &message)
{
    if (m_reporting == ErrorReporting::ShowBox)
        Dialogs::errorReport(parent, message);
    else if (m_keptError.isEmpty())
        m_keptError = message;
}

void AddressEditor::buildControls()
{
    QWidget *panel = contentArea();
    panel->setObjectName(QStringLiteral("editorPanel"));
    panel->setFont(designFont(11));

    auto place = [](QWidget *widget, const char *name, int left, int top, int width = -1, int height = -1) {
        widget->setObjectName(QLatin1String(name));
        if (width < 0)
            widget->adjustSize();
        else
            widget->resize(width, height);
        widget->move(left, top);
    };

    m_controls.addressLabel = new QLabel(addressLabelText(), panel);
    place(m_controls.addressLabel, "addressLabel", 14, 11);
    m_controls.nameLabel = new QLabel(tr("网址名称"), panel);
    place(m_controls.nameLabel, "nameLabel", 34, 34);
    m_controls.groupLabel = new QLabel(tr("组别"), panel);
    place(m_controls.groupLabel, "groupLabel", 61, 60);

    m_controls.groupList = new QListWidget(panel);
    m_controls.groupList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_controls.groupList->setUniformItemSizes(true);
    place(m_controls.groupList, "groupList", 96, 56, 237, 97);

    m_controls.saveButton = new QPushButton(okGlyph(), tr("保存"), panel);
    m_controls.saveButton->setDefault(true);
    place(m_controls.saveButton, "saveButton", 338, 81, 57, 33);
    connect(m_controls.saveButton, &QPushButton::clicked, this, &AddressEditor::saveFromButton);

    m_controls.cancelButton = new QPushButton(tr("退出"), panel);
    place(m_controls.cancelButton, "cancelButton", 338, 121, 57, 33);
    connect(m_controls.cancelButton, &QPushButton::clicked, this, &QWidget::close);
    m_controls.cancelButton->installEventFilter(this);

    m_controls.addressEdit = new QLineEdit(panel);
    place(m_controls.addressEdit, "addressEdit", 96, 8, 298, 21);
    m_controls.nameEdit = new QLineEdit(panel);
    place(m_controls.nameEdit, "nameEdit", 96, 32, 298, 21);
    // No length limit of the editor's own: an address handed over by another program may
    // be long, and the line edit would otherwise cut it at 32,767 characters.
    for (QLineEdit *edit : {m_controls.addressEdit, m_controls.nameEdit})
        edit->setMaxLength(std::numeric_limits<int>::max());
}

void AddressEditor::arrangeTabOrder()
{
    QWidget::setTabOrder(m_controls.groupList, m_controls.saveButton);
    QWidget::setTabOrder(m_controls.saveButton, m_controls.cancelButton);
    QWidget::setTabOrder(m_controls.cancelButton, m_controls.addressEdit);
    QWidget::setTabOrder(m_controls.addressEdit, m_controls.nameEdit);
}

bool AddressEditor::showToAdd(const QString &groupName)
{
    m_saved.reset();
    m_controls.addressEdit->clear();
    m_controls.nameEdit->clear();
    m_editMode = EditMode::Add;
    setCaptionText(tr("添加网址"));
    setPresetGroup(groupName);
    if (!groupsReadable())
        return false;
    execModal();
    return true;
}

std::optional<AddressEditor::SavedAddress> AddressEditor::showToChange(const QString &address, const QString &name,
                                                                       const QString &groupName)
{
    m_saved.reset();
    m_editMode = EditMode::Change;
    setCaptionText(tr("修改网址"));
    m_controls.addressEdit->setText(address);
    m_oldAddress = address;
    m_controls.nameEdit->setText(name);
    m_oldName = name;
    setPresetGroup(groupName);
    if (groupsReadable())
        execModal();
    return m_saved;
}

void AddressEditor::fillForAdd(const QString &address, const QString &name)
{
    m_editMode = EditMode::Add;
    setCaptionText(tr("添加网址"));
    m_controls.addressEdit->setText(address);
    m_controls.nameEdit->setText(name);
}

void AddressEditor::setEditMode(EditMode mode)
{
    m_editMode = mode;
}

void AddressEditor::setPresetGroup(const QString &groupName)
{
    m_presetGroup = groupName;
}

QString AddressEditor::presetGroup() const
{
    return m_presetGroup;
}

// An editor without its groups could only fail at the save: it says why and stays shut.
bool AddressEditor::groupsReadable()
{
    const Fetched<QStringList> names = LibraryReads::groupNames(*m_connection);
    m_connection->close();
    if (!names.ok())
        reportError(parentWidget(), names.outcome.message);
    return names.ok();
}

void AddressEditor::fillGroups()
{
    m_controls.groupList->clear();
    const Fetched<QStringList> read = LibraryReads::groupNames(*m_connection);
    m_connection->close();
    if (!read.ok()) {
        reportError(this, read.outcome.message);
        return;
    }
    const QStringList &names = read.value;

    int index = -1;
    for (const QString &name : std::as_const(names)) {
        auto *item = new QListWidgetItem(name, m_controls.groupList);
        item->setSizeHint(QSize(item->sizeHint().width(), ListItemHeight));
        // With two equal names the later line wins.
        if (name == m_presetGroup)
            index = m_controls.groupList->count() - 1;
    }
    if (!m_presetGroup.isEmpty())
        m_controls.groupList->setCurrentRow(index);
    if (index == -1 && m_controls.groupList->count() > 0)
        m_controls.groupList->setCurrentRow(0);
    if (QListWidgetItem *current = m_controls.groupList->currentItem())
        m_controls.groupList->scrollToItem(current);
}

TypedAddress AddressEditor::typedInput() const
{
    TypedAddress typed{m_controls.addressEdit->text(), m_controls.nameEdit->text(), std::nullopt};
    const QList<QListWidgetItem *> selected = m_controls.groupList->selectedItems();
    if (!selected.isEmpty())
        typed.groupName = selected.first()->text();
    return typed;
}

bool AddressEditor::showSaveOutcome(const Outcome &outcome, const QString &doneText)
{
    switch (outcome.kind) {
    case Outcome::Kind::Done: Dialogs::show(this, doneText, saveCaption()); return true;
    case Outcome::Kind::Refused:
        // A row that vanished is told under the save's caption; what the user must still
        // give, under the prompt's, with the cursor put into the empty field.
        if (outcome.message == AddressEditing::rowGoneText()) {
            Dialogs::show(this, outcome.message, saveCaption());
            return false;
        }
        Dialogs::show(this, outcome.message, promptCaption());
        if (m_controls.addressEdit->text().isEmpty())
            m_controls.addressEdit->setFocus();
        else if (m_controls.nameEdit->text().isEmpty())
            m_controls.nameEdit->setFocus();
        return false;
    case Outcome::Kind::Failed:
    case Outcome::Kind::ReadOnly:
    case Outcome::Kind::Unreachable: break;
    case Outcome::Kind::Cancelled: return false; // the user stopped it: nothing to tell
    }
    qWarning().noquote() << (m_editMode == EditMode::Add ? "Saving the new address failed:"
                                                         : "Saving the changed address failed:")
                         << outcome.message;
    Dialogs::failure(this, outcome);
    return false;
}

bool AddressEditor::saveNewAddress()
{
    const TypedAddress typed = typedInput();
    const Outcome outcome = HistoryCommands::addAddress(m_history, *m_connection, typed);
    if (outcome.ok())
        m_saved =
            SavedAddress{AddressEditing::storedAddress(typed.address), typed.name, typed.groupName.value_or(QString())};
    return showSaveOutcome(outcome, addedText());
}

bool AddressEditor::saveChangedAddress()
{
    const TypedAddress typed = typedInput();
    const Outcome outcome = HistoryCommands::changeAddress(m_history, *m_connection, typed, m_oldAddress, m_oldName);
    if (outcome.ok())
        m_saved =
            SavedAddress{AddressEditing::storedAddress(typed.address), typed.name, typed.groupName.value_or(QString())};
    return showSaveOutcome(outcome, changedText());
}

void AddressEditor::saveFromButton()
{
    const bool saved = m_editMode == EditMode::Add ? saveNewAddress() : saveChangedAddress();
    if (saved)
        close();
}

void AddressEditor::showEvent(QShowEvent *event)
{
    CaptionWindow::showEvent(event);
    if (event->spontaneous())
        return;
    fillGroups();
    if (!m_shownBefore) {
        m_shownBefore = true;
        m_controls.groupList->setFocus();
    }
}

void AddressEditor::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) {
        CaptionWindow::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: m_controls.saveButton->click(); return;
    case Qt::Key_Escape: m_controls.cancelButton->click(); return;
    default: CaptionWindow::keyPressEvent(event);
    }
}

bool AddressEditor::eventFilter(QObject *watched, QEvent *event)
{
    // Enter on the exit button presses that button, not the default one.
    if (watched == m_controls.cancelButton && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_controls.cancelButton->click();
            return true;
        }
    }
    return CaptionWindow::eventFilter(watched, event);
}
