#include "import/FrmImport.h"

#include "controls/ListRowModel.h"
#include "controls/TListView1.h"
#include "data/AddressStore.h"
#include "data/DataModule.h"
#include "data/GroupStore.h"
#include "data/Schema.h"
#include "editor/TrimUrl.h"
#include "import/FavoritesReader.h"
#include "import/ImportPictures.h"
#include "import/ToolSeparator.h"
#include "platform/AppError.h"
#include "platform/DesignFont.h"
#include "platform/Dialogs.h"

#include <QPalette>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>
#include <vector>

namespace {

QString missingGroupText()
{
    return QStringLiteral("找不到网址组别“%1”，没有导入任何网址。").arg(Schema::ImportGroup);
}

} // namespace

TFrmImport::TFrmImport(TDm1 &dm1, QWidget *owner) : TXPForm(owner), m_dm1(dm1)
{
    resize(DesignWidth, DesignHeight);
    contentArea()->setFont(designFont(11));
    buildToolBar();
    buildList();

    standardSetup();
    setCaptionText(QStringLiteral("导入IE数据"));
    setWindowTitle(captionText());
}

void TFrmImport::buildToolBar()
{
    CoolBar1 = new QWidget(contentArea());
    CoolBar1->setObjectName(QStringLiteral("CoolBar1"));
    CoolBar1->setFixedHeight(BandHeight);
    CoolBar1->setAutoFillBackground(true);
    QPalette band = CoolBar1->palette();
    band.setBrush(QPalette::Window, QBrush(ImportPictures::bandTile(BandHeight)));
    CoolBar1->setPalette(band);

    ToolBar1 = new QToolBar(CoolBar1);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setAutoFillBackground(false);
    ToolBar1->setAttribute(Qt::WA_NoSystemBackground);
    ToolBar1->setStyleSheet(QStringLiteral("QToolBar { background: transparent; border: none; }"));

    TIEBtn = addToolButton(QStringLiteral("从IE导入"), QStringLiteral("tb_ie"), &TFrmImport::TIEBtnClick);
    TIEBtn->setMinimumWidth(0); // sized to its caption
    ToolButton1 = addSeparator();
    TSelectAllBtn = addToolButton(QStringLiteral("全选"), QStringLiteral("tb_selectall"), &TFrmImport::TSelectAllBtnClick);
    TNoSelectAllBtn =
        addToolButton(QStringLiteral("全不选"), QStringLiteral("tb_selectnone"), &TFrmImport::TNoSelectAllBtnClick);
    TOrSelectAllBtn = addToolButton(QStringLiteral("反选"), QStringLiteral("tb_invert"), &TFrmImport::TOrSelectAllBtnClick);
    ToolButton4 = addSeparator();
    TImportBtn = addToolButton(QStringLiteral("导入数据"), QStringLiteral("tb_import"), &TFrmImport::TImportBtnClick);
    ToolButton5 = addSeparator();
    TExitBtn = addToolButton(QStringLiteral("退出"), QStringLiteral("tb_exit"), &TFrmImport::TExitBtnClick);

    auto *bandLayout = new QHBoxLayout(CoolBar1);
    bandLayout->setContentsMargins(2, 2, 2, 2);
    bandLayout->setSpacing(0);
    bandLayout->addWidget(ToolBar1);
    bandLayout->addStretch(1);
}

QToolButton *TFrmImport::addToolButton(const QString &caption, const QString &picture,
                                       void (TFrmImport::*handler)())
{
    auto *button = new QToolButton(ToolBar1);
    button->setText(caption);
    button->setIcon(ImportPictures::toolButtonIcon(picture));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    // At least the design width; never narrower than the caption needs.
    button->setMinimumWidth(ButtonWidth);
    connect(button, &QToolButton::clicked, this, handler);
    ToolBar1->addWidget(button);
    return button;
}

ToolSeparator *TFrmImport::addSeparator()
{
    auto *separator = new ToolSeparator(SeparatorWidth, ToolBar1);
    ToolBar1->addWidget(separator);
    return separator;
}

void TFrmImport::buildList()
{
    ListView1 = new TListView1(contentArea());
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setCheckBoxes(true);
    ListView1->addColumn(QStringLiteral("网址地址"), 200);
    ListView1->addColumn(QStringLiteral("网址名称"), 350);
    ListView1->SetHeaderFont(designFont(11));
    connect(ListView1, &TListView1::mouseMovedTo, this, &TFrmImport::ListView1MouseMove);

    auto *layout = new QVBoxLayout(contentArea());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(CoolBar1);
    layout->addWidget(ListView1, 1);
}

void TFrmImport::TIEBtnClick()
{
    ListRowModel *rows = ListView1->rows();
    rows->clear();

    QString favoritesPath;
    try {
        favoritesPath = V_Url_GetFavoritesPath();
    } catch (const AppError &error) {
        Dialogs::errorReport(this, error.message());
        return;
    }
    if (favoritesPath.isEmpty()) {
        Dialogs::show(this, QStringLiteral("访问收藏夹主键错误！"), QStringLiteral("提示信息"), QMessageBox::Ok);
        return;
    }

    // The rows are handed to the list in one step, also when a file ends the listing:
    // what was read before it stays listed.
    std::vector<ListRow> listed;
    std::optional<QString> failure;
    try {
        enumerateFavorites(favoritesFolder(), [&listed](const ShortcutEntry &entry) {
            listed.push_back(ListRow{entry.address, {entry.displayName}, -1, true});
        });
    } catch (const AppError &error) {
        failure = error.message();
    }
    rows->append(std::move(listed));

    if (failure) {
        Dialogs::errorReport(this, *failure);
        return;
    }
    TIEBtn->setEnabled(false);
}

void TFrmImport::setChecks(bool (*newState)(bool checked))
{
    ListRowModel *rows = ListView1->rows();
    const int count = rows->count();
    for (int row = 0; row < count; ++row)
        rows->setChecked(row, newState(rows->isChecked(row)));
    if (count > 0)
        ListView1->selectRow(count - 1);
}

void TFrmImport::TSelectAllBtnClick()
{
    setChecks([](bool) { return true; });
}

void TFrmImport::TNoSelectAllBtnClick()
{
    setChecks([](bool) { return false; });
}

void TFrmImport::TOrSelectAllBtnClick()
{
    setChecks([](bool checked) { return !checked; });
}

void TFrmImport::TImportBtnClick()
{
    DbConnection &db = m_dm1.connection();
    ListRowModel *rows = ListView1->rows();

    // The group is looked up before anything is written.
    std::optional<int> groupNo;
    try {
        groupNo = GroupStore::groupNoOf(db, Schema::ImportGroup);
    } catch (const AppError &error) {
        Dialogs::errorReport(this, error.message());
        return;
    }
    if (!groupNo) {
        Dialogs::errorReport(this, missingGroupText());
        return;
    }

    std::vector<NewAddress> toStore;
    std::vector<int> sourceRow; // the list row of each entry of toStore
    for (int row = 0; row < rows->count(); ++row) {
        if (!rows->isChecked(row))
            continue;
        const ListRow &shown = rows->rowAt(row);
        toStore.push_back(NewAddress{P_TrimUrl(shown.caption.toString()), shown.subItems.value(0)});
        sourceRow.push_back(row);
    }

    int stored = 0;
    std::optional<QString> failure;
    try {
        AddressStore::insertAll(db, toStore, *groupNo, &stored);
    } catch (const AppError &error) {
        failure = error.message();
    }

    // The transaction has ended: from here on a message box may run its event loop.
    if (failure) {
        // The selection rests on the row that could not be stored.
        if (stored >= 0 && size_t(stored) < sourceRow.size())
            ListView1->selectRow(sourceRow[size_t(stored)]);
        Dialogs::errorReport(this, *failure);
        return;
    }
    if (rows->count() > 0)
        ListView1->selectRow(rows->count() - 1);
    Dialogs::message(this, QStringLiteral("成功导入！"));
}

void TFrmImport::TExitBtnClick()
{
    close();
}

void TFrmImport::ListView1MouseMove(const QPoint &viewportPos)
{
    const int row = ListView1->rowAt(viewportPos);
    if (row < 0)
        return;
    const ListRow &shown = ListView1->rows()->rowAt(row);
    // A line feed separates the two lines (a carriage return would run them together).
    ListView1->setHintText(QStringLiteral("网址地址: ") + shown.caption.toString() + QLatin1Char('\n')
                           + QStringLiteral("网址名称: ") + shown.subItems.value(0));
}
