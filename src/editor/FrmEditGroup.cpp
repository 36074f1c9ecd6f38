#include "editor/FrmEditGroup.h"

#include "platform/DesignFont.h"
#include "data/DataModule.h"
#include "data/GroupStore.h"
#include "data/AppError.h"
#include "platform/Dialogs.h"
#include "services/AddressEditing.h"
#include "services/HistoryCommands.h"
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

const QString promptCaption = QStringLiteral("提示");
const QString saveCaption = QStringLiteral("保存");
// Intended: the label shows the scheme with backslashes, as the program always has.
const QString addressLabelText = QStringLiteral("网址 HTTP:\\\\");
// Intended: both marks, the full-width and the plain one, end the success texts.
const QString addedText = QStringLiteral("保存成功！!");
const QString changedText = QStringLiteral("修改保存成功！!");

QIcon okGlyph()
{
    // Two images: the normal one and the one of the disabled button.
    return SharedIcons::cached(QStringLiteral("editor/ok"), [] {
        QIcon icon;
        icon.addFile(QStringLiteral(":/editor/ok.svg"), QSize(16, 16), QIcon::Normal);
        icon.addFile(QStringLiteral(":/editor/ok-disabled.svg"), QSize(16, 16), QIcon::Disabled);
        return icon;
    });
}

} // namespace

TFrmEditGroup::TFrmEditGroup(QWidget *owner, ErrorReporting reporting)
    : TXPForm(owner), m_connection(std::make_unique<DbConnection>(QStringLiteral("editor"))), m_reporting(reporting)
{
    initEditorResources();
    // A tool window: no taskbar entry, kept above its owner.
    setWindowFlags(windowFlags() | Qt::Tool);
    setWindowTitle(QStringLiteral("添加组别"));
    buildControls();
    arrangeTabOrder();
    resize(ClientWidth + 2 * ResizeBorder, ClientHeight + CaptionHeight + 2 * ResizeBorder);

    try {
        configureConnection(*m_connection);
    } catch (const AppError &error) {
        // The connection keeps the error and reports it again at its first statement.
        reportError(owner, error.message());
    }
    standardSetup();
}

TFrmEditGroup::~TFrmEditGroup() = default;

void TFrmEditGroup::reportError(QWidget *parent, const QString &message)
{
    if (m_reporting == ErrorReporting::ShowBox)
        Dialogs::errorReport(parent, message);
    else if (m_keptError.isEmpty())
        m_keptError = message;
}

void TFrmEditGroup::buildControls()
{
    QWidget *panel = contentArea();
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFont(designFont(11));

    auto place = [](QWidget *widget, const char *name, int left, int top, int width = -1, int height = -1) {
        widget->setObjectName(QLatin1String(name));
        if (width < 0)
            widget->adjustSize();
        else
            widget->resize(width, height);
        widget->move(left, top);
    };

    Label1 = new QLabel(addressLabelText, panel);
    place(Label1, "Label1", 14, 11);
    Label2 = new QLabel(QStringLiteral("网址名称"), panel);
    place(Label2, "Label2", 34, 34);
    Label3 = new QLabel(QStringLiteral("组别"), panel);
    place(Label3, "Label3", 61, 60);

    ListBox1 = new QListWidget(panel);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setUniformItemSizes(true);
    place(ListBox1, "ListBox1", 96, 56, 237, 97);

    OKButton = new QPushButton(okGlyph(), QStringLiteral("保存"), panel);
    OKButton->setDefault(true);
    place(OKButton, "OKButton", 338, 81, 57, 33);
    connect(OKButton, &QPushButton::clicked, this, &TFrmEditGroup::OKButtonClick);

    CancelButton = new QPushButton(QStringLiteral("退出"), panel);
    place(CancelButton, "CancelButton", 338, 121, 57, 33);
    connect(CancelButton, &QPushButton::clicked, this, &QWidget::close);
    CancelButton->installEventFilter(this);

    Edit1 = new QLineEdit(panel);
    place(Edit1, "Edit1", 96, 8, 298, 21);
    Edit2 = new QLineEdit(panel);
    place(Edit2, "Edit2", 96, 32, 298, 21);
    // No length limit of the editor's own: an address handed over by another program may
    // be long, and the line edit would otherwise cut it at 32,767 characters.
    for (QLineEdit *edit : {Edit1, Edit2})
        edit->setMaxLength(std::numeric_limits<int>::max());
}

void TFrmEditGroup::arrangeTabOrder()
{
    QWidget::setTabOrder(ListBox1, OKButton);
    QWidget::setTabOrder(OKButton, CancelButton);
    QWidget::setTabOrder(CancelButton, Edit1);
    QWidget::setTabOrder(Edit1, Edit2);
}

bool TFrmEditGroup::P_ShowAdd(const QString &groupName)
{
    m_saved.reset();
    Edit1->clear();
    Edit2->clear();
    m_editMode = EditMode::Add;
    setCaptionText(QStringLiteral("添加网址"));
    P_SetGroup(groupName);
    if (!groupsReadable())
        return false;
    execModal();
    return true;
}

std::optional<TFrmEditGroup::SavedAddress> TFrmEditGroup::P_ShowEdit(const QString &address, const QString &name,
                                                                     const QString &groupName)
{
    m_saved.reset();
    m_editMode = EditMode::Change;
    setCaptionText(QStringLiteral("修改网址"));
    Edit1->setText(address);
    m_oldAddress = address;
    Edit2->setText(name);
    m_oldName = name;
    P_SetGroup(groupName);
    if (groupsReadable())
        execModal();
    return m_saved;
}

void TFrmEditGroup::fillForAdd(const QString &address, const QString &name)
{
    m_editMode = EditMode::Add;
    setCaptionText(QStringLiteral("添加网址"));
    Edit1->setText(address);
    Edit2->setText(name);
}

void TFrmEditGroup::P_SetMode(EditMode mode)
{
    m_editMode = mode;
}

void TFrmEditGroup::P_SetGroup(const QString &groupName)
{
    m_presetGroup = groupName;
}

QString TFrmEditGroup::P_GetGroup() const
{
    return m_presetGroup;
}

// An editor without its groups could only fail at the save: it says why and stays shut.
bool TFrmEditGroup::groupsReadable()
{
    try {
        GroupStore::groupNames(*m_connection);
    } catch (const AppError &error) {
        m_connection->close();
        reportError(parentWidget(), error.message());
        return false;
    }
    m_connection->close();
    return true;
}

void TFrmEditGroup::P_Init()
{
    ListBox1->clear();
    QStringList names;
    try {
        names = GroupStore::groupNames(*m_connection);
    } catch (const AppError &error) {
        m_connection->close();
        reportError(this, error.message());
        return;
    }
    m_connection->close();

    int index = -1;
    for (const QString &name : std::as_const(names)) {
        auto *item = new QListWidgetItem(name, ListBox1);
        item->setSizeHint(QSize(item->sizeHint().width(), ListItemHeight));
        // With two equal names the later line wins.
        if (name == m_presetGroup)
            index = ListBox1->count() - 1;
    }
    if (!m_presetGroup.isEmpty())
        ListBox1->setCurrentRow(index);
    if (index == -1 && ListBox1->count() > 0)
        ListBox1->setCurrentRow(0);
    if (QListWidgetItem *current = ListBox1->currentItem())
        ListBox1->scrollToItem(current);
}

TypedAddress TFrmEditGroup::typedInput() const
{
    TypedAddress typed{Edit1->text(), Edit2->text(), std::nullopt};
    const QList<QListWidgetItem *> selected = ListBox1->selectedItems();
    if (!selected.isEmpty())
        typed.groupName = selected.first()->text();
    return typed;
}

bool TFrmEditGroup::showSaveOutcome(const Outcome &outcome, const QString &doneText)
{
    switch (outcome.kind) {
    case Outcome::Kind::Done:
        Dialogs::show(this, doneText, saveCaption);
        return true;
    case Outcome::Kind::Refused:
        // A row that vanished is told under the save's caption; what the user must still
        // give, under the prompt's, with the cursor put into the empty field.
        if (outcome.message == AddressEditing::rowGoneText()) {
            Dialogs::show(this, outcome.message, saveCaption);
            return false;
        }
        Dialogs::show(this, outcome.message, promptCaption);
        if (Edit1->text().isEmpty())
            Edit1->setFocus();
        else if (Edit2->text().isEmpty())
            Edit2->setFocus();
        return false;
    case Outcome::Kind::Failed:
    case Outcome::Kind::ReadOnly:
    case Outcome::Kind::Unreachable:
        break;
    }
    qWarning().noquote() << (m_editMode == EditMode::Add ? "Saving the new address failed:"
                                                         : "Saving the changed address failed:")
                         << outcome.message;
    const auto kind = outcome.kind == Outcome::Kind::ReadOnly      ? AppError::Kind::ReadOnly
                      : outcome.kind == Outcome::Kind::Unreachable ? AppError::Kind::Unreachable
                                                                   : AppError::Kind::Failure;
    Dialogs::failure(this, AppError(outcome.message, kind));
    return false;
}

bool TFrmEditGroup::P_AddData()
{
    const TypedAddress typed = typedInput();
    const Outcome outcome = HistoryCommands::addAddress(m_history, *m_connection, typed);
    if (outcome.ok())
        m_saved = SavedAddress{AddressEditing::storedAddress(typed.address), typed.name, typed.groupName.value_or(QString())};
    return showSaveOutcome(outcome, addedText);
}

bool TFrmEditGroup::P_EditData()
{
    const TypedAddress typed = typedInput();
    const Outcome outcome = HistoryCommands::changeAddress(m_history, *m_connection, typed, m_oldAddress, m_oldName);
    if (outcome.ok())
        m_saved = SavedAddress{AddressEditing::storedAddress(typed.address), typed.name, typed.groupName.value_or(QString())};
    return showSaveOutcome(outcome, changedText);
}

void TFrmEditGroup::OKButtonClick()
{
    const bool saved = m_editMode == EditMode::Add ? P_AddData() : P_EditData();
    if (saved)
        close();
}

void TFrmEditGroup::showEvent(QShowEvent *event)
{
    TXPForm::showEvent(event);
    if (event->spontaneous())
        return;
    P_Init();
    if (!m_shownBefore) {
        m_shownBefore = true;
        ListBox1->setFocus();
    }
}

void TFrmEditGroup::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) {
        TXPForm::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OKButton->click();
        return;
    case Qt::Key_Escape:
        CancelButton->click();
        return;
    default:
        TXPForm::keyPressEvent(event);
    }
}

bool TFrmEditGroup::eventFilter(QObject *watched, QEvent *event)
{
    // Enter on the exit button presses that button, not the default one.
    if (watched == CancelButton && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            CancelButton->click();
            return true;
        }
    }
    return TXPForm::eventFilter(watched, event);
}
