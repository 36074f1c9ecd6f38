#include "main/AddressListPane.h"

#include "controls/AddressListView.h"
#include "main/AddressListModel.h"
#include "main/MainPictures.h"
#include "platform/DesignFont.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int MinimumWidth = 30;

} // namespace

AddressListPane::AddressListPane(DbConnection &db, QWidget *menuOwner)
{
    setObjectName(QStringLiteral("rightPane"));
    setMinimumWidth(MinimumWidth);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = new AddressListView(this);
    m_view->setObjectName(QStringLiteral("addressList"));
    m_rows = new AddressListModel(db, m_view);
    m_view->setReportRows(m_rows);
    connect(m_rows, &AddressListModel::countKnown, this, &AddressListPane::countKnown);
    m_view->setMinimumWidth(MinimumWidth);
    QPalette colours = m_view->palette();
    colours.setColor(QPalette::Base, Qt::white);
    m_view->setPalette(colours);
    m_view->SetHeaderFont(designFont(11));
    QPalette headerPalette = m_view->header()->palette();
    headerPalette.setColor(QPalette::ButtonText, Qt::black);
    m_view->header()->setPalette(headerPalette);
    m_view->setSmallImages(MainPictures::smallImages());
    layout->addWidget(m_view);

    connect(m_view, &AddressListView::rowSelected, this, &AddressListPane::onRowSelected);
    connect(m_view, &AddressListView::keyReleased, this, &AddressListPane::onKeyReleased);
    connect(m_view, &AddressListView::mouseMovedTo, this,
            [this](const QPoint &position) { Q_EMIT pointerOverRow(m_view->rowAt(position)); });
    connect(m_view, &AddressListView::doubleClickedAnywhere, this, &AddressListPane::visitRequested);
    // Sees the keys pressed in the list.
    m_view->installEventFilter(this);
    buildMenu(menuOwner);
}

void AddressListPane::buildMenu(QWidget *owner)
{
    m_menu = new QMenu(owner);
    m_menu->setObjectName(QStringLiteral("listMenu"));
    const auto add = [this](const QString &text, const char *name, void (AddressListPane::*chosen)()) {
        QAction *action = m_menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, chosen);
        return action;
    };
    m_addAddressAction = add(tr("添加网址"), "listAddAddressAction", &AddressListPane::addAddressChosen);
    m_changeAddressAction = add(tr("修改网址"), "listChangeAddressAction", &AddressListPane::changeAddressChosen);
    m_deleteAddressAction = add(tr("删除网址"), "listDeleteAddressAction", &AddressListPane::deleteAddressChosen);
    m_addFavouriteAction = add(tr("加入到收藏夹"), "listAddFavouriteAction", &AddressListPane::addFavouriteChosen);
    m_removeFavouriteAction =
        add(tr("从收藏夹中删除"), "listRemoveFavouriteAction", &AddressListPane::removeFavouriteChosen);
    m_takeNewAddressAction = add(tr("改为新网址"), "listTakeNewAddressAction", &AddressListPane::takeNewAddressChosen);
    m_usePageTitleAction = add(tr("使用网页标题"), "listUsePageTitleAction", &AddressListPane::usePageTitleChosen);
    m_restoreAction = add(tr("还原"), "listRestoreAction", &AddressListPane::restoreChosen);
    m_purgeAction = add(tr("彻底删除"), "listPurgeAction", &AddressListPane::purgeChosen);
    // Offered by the row's last link check, and in the bin.
    for (QAction *item : {m_takeNewAddressAction, m_usePageTitleAction, m_restoreAction, m_purgeAction})
        item->setVisible(false);

    // A right click selects the row under the pointer first (the list's own press).
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this, [this](const QPoint &position) {
        Q_EMIT menuOpening();
        m_menu->popup(m_view->viewport()->mapToGlobal(position));
    });
}

void AddressListPane::setUpColumns()
{
    m_view->setUpdatesEnabled(false);
    m_view->clearColumns();
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->addColumn(tr("网址", "list column"), 100);
    m_view->addColumn(tr("名称"), 160);
    m_view->addColumn(tr("访问时间"), 60);
    m_view->addColumn(tr("访问次数"), 60);
    m_view->addColumn(tr("组"), 100);
    m_view->setUpdatesEnabled(true);
}

// The count is read first; the rows are read as they are shown.
Outcome AddressListPane::show(const AddressFilter &filter)
{
    m_view->setSelectionMode(filter.kind == AddressFilter::Kind::Bin ? QAbstractItemView::ExtendedSelection
                                                                     : QAbstractItemView::SingleSelection);
    return m_rows->show(filter);
}

int AddressListPane::count() const
{
    return m_rows->count();
}

const AddressRecord &AddressListPane::recordAt(int row) const
{
    return m_rows->recordAt(row);
}

int AddressListPane::selectedRow() const
{
    return m_view->selectedRow();
}

QList<qint64> AddressListPane::chosenRowNumbers() const
{
    QList<int> listed;
    for (const QModelIndex &index : m_view->selectionModel()->selectedRows())
        listed << index.row();
    std::sort(listed.begin(), listed.end());
    QList<qint64> numbers;
    for (const int row : listed)
        numbers << m_rows->recordAt(row).rowNo;
    return numbers;
}

void AddressListPane::setRowIcon(std::function<QIcon(const AddressRecord &)> rowIcon)
{
    m_rows->setRowIcon(std::move(rowIcon));
}

QString AddressListPane::detailTextOf(int row) const
{
    const AddressRecord &shown = recordAt(row);
    return tr("组        别：") + shown.groupName + QLatin1Char('\n') + tr("网        址：") + shown.address
        + QLatin1Char('\n') + tr("网址名称：") + shown.name + QLatin1Char('\n') + tr("访问时间：") + shown.viewTime
        + QLatin1Char('\n') + tr("访问次数：") + shown.times;
}

void AddressListPane::showHint(const QString &text)
{
    m_view->setHintText(text);
}

void AddressListPane::offerCommands(bool favourites, bool bin)
{
    for (QAction *item : {m_addAddressAction, m_changeAddressAction, m_deleteAddressAction})
        item->setVisible(!bin);
    m_addFavouriteAction->setVisible(!favourites && !bin);
    m_removeFavouriteAction->setVisible(favourites);
    m_restoreAction->setVisible(bin);
    m_purgeAction->setVisible(bin);
}

void AddressListPane::offerLinkFixes(bool newAddress, bool pageTitle)
{
    m_takeNewAddressAction->setVisible(newAddress);
    m_usePageTitleAction->setVisible(pageTitle);
}

AddressListPane::Place AddressListPane::place() const
{
    Place place;
    place.selectedRow = m_view->selectedRow();
    place.selectedKey = m_rows->recordAt(place.selectedRow).rowNo;
    place.topRow = m_view->rowAt(QPoint(0, 0));
    place.topKey = m_rows->recordAt(place.topRow).rowNo;
    place.verticalScroll = m_view->verticalScrollBar()->value();
    place.horizontalScroll = m_view->horizontalScrollBar()->value();
    place.sorted = m_rows->isSorted();
    return place;
}

void AddressListPane::restorePlace(const Place &place)
{
    if (place.sorted)
        m_rows->sortRows(m_view->SortColumn, m_view->SortAscending);
    const int selected = m_rows->rowOfKey(place.selectedKey, place.selectedRow);
    if (selected >= 0)
        m_view->selectRow(selected);
    // The same row at the top where it is still listed, else the same distance from the
    // start.
    const int top = m_rows->rowOfKey(place.topKey, place.topRow);
    if (top >= 0)
        m_view->scrollTo(m_rows->index(top, 0), QAbstractItemView::PositionAtTop);
    else
        m_view->verticalScrollBar()->setValue(place.verticalScroll);
    m_view->horizontalScrollBar()->setValue(place.horizontalScroll);
}

bool AddressListPane::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched == m_view) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            m_enterPressed = true;
    }
    return QWidget::eventFilter(watched, event);
}

// A row that loses the selection also names the chosen address: after a click on the
// empty part of the list the chosen address is still the row just left.
void AddressListPane::onRowSelected(int row)
{
    if (row >= 0 && row < m_rows->count())
        Q_EMIT addressChosen(recordAt(row).address);
}

void AddressListPane::onKeyReleased(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Only an Enter pressed in the list: the release of the Enter that closed a
        // message box must not start the visit again.
        if (m_enterPressed) {
            m_enterPressed = false;
            Q_EMIT visitRequested();
        }
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int row = selectedRow();
        if (row >= 0)
            Q_EMIT addressChosen(recordAt(row).address);
        break;
    }
    default: break;
    }
}
