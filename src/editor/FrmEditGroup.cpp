// Placeholder until the editor is built; keeps the program linkable.
#include "editor/FrmEditGroup.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

TFrmEditGroup::TFrmEditGroup(QWidget *owner)
    : TXPForm(owner), m_connection(std::make_unique<DbConnection>(QStringLiteral("editor")))
{
    Edit1 = new QLineEdit(contentArea());
    Edit2 = new QLineEdit(contentArea());
    ListBox1 = new QListWidget(contentArea());
}

TFrmEditGroup::~TFrmEditGroup() = default;

void TFrmEditGroup::P_ShowAdd(const QString &) {}
void TFrmEditGroup::P_ShowEdit(const QString &, const QString &, const QString &) {}
void TFrmEditGroup::P_SetMode(quint8 mode) { m_editMode = mode; }
void TFrmEditGroup::P_SetGroup(const QString &groupName) { m_presetGroup = groupName; }
QString TFrmEditGroup::P_GetGroup() const { return m_presetGroup; }
void TFrmEditGroup::P_Init() {}
bool TFrmEditGroup::P_AddData() { return false; }
bool TFrmEditGroup::P_EditData() { return false; }
void TFrmEditGroup::OKButtonClick() {}
