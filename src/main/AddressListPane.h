// The right pane of the main window: the address list, read a page at a time, and its
// popup menu. The pane says which row the user chose, asked to visit or pointed at and
// which command of the menu was chosen; the window runs the commands.
#pragma once

#include "data/AddressStore.h"
#include "services/Outcome.h"

#include <QIcon>
#include <QWidget>

#include <functional>

class AddressListModel;
class AddressListView;
class DbConnection;
class QAction;
class QMenu;

class AddressListPane : public QWidget
{
    Q_OBJECT

public:
    // `menuOwner` holds the popup menu, so that it looks as the window's other menus.
    AddressListPane(DbConnection &db, QWidget *menuOwner);

    AddressListView *view() const { return m_view; }
    QMenu *menu() const { return m_menu; }
    QAction *addAddressAction() const { return m_addAddressAction; }
    QAction *changeAddressAction() const { return m_changeAddressAction; }
    QAction *deleteAddressAction() const { return m_deleteAddressAction; }
    QAction *addFavouriteAction() const { return m_addFavouriteAction; }
    QAction *removeFavouriteAction() const { return m_removeFavouriteAction; }
    QAction *takeNewAddressAction() const { return m_takeNewAddressAction; }
    QAction *usePageTitleAction() const { return m_usePageTitleAction; }
    QAction *restoreAction() const { return m_restoreAction; }
    QAction *purgeAction() const { return m_purgeAction; }

    void setUpColumns();
    // Replaces the rows with the filter's, done with their count; several rows may be
    // chosen in the bin's list, one elsewhere. When the database refuses, the rows stay.
    Outcome show(const AddressFilter &filter);
    int count() const;
    // A listed row; an empty record for no row.
    const AddressRecord &recordAt(int row) const;
    int selectedRow() const;
    // The library's numbers of the chosen rows, in the listed order.
    QList<qint64> chosenRowNumbers() const;
    // A picture of a row's own, shown instead of the plain address picture.
    void setRowIcon(std::function<QIcon(const AddressRecord &)> rowIcon);
    // The five-line detail text of a row.
    QString detailTextOf(int row) const;
    void showHint(const QString &text);

    // The menu's items follow the selected node: the favourites offer unmarking, the bin
    // only its own commands.
    void offerCommands(bool favourites, bool bin);
    // "改为新网址" and "使用网页标题", where the selected row's last check offers them.
    void offerLinkFixes(bool newAddress, bool pageTitle);

    // What the list shows and where the user is in it: rows are told apart by their keys.
    struct Place
    {
        qint64 selectedKey = 0;
        int selectedRow = -1;
        qint64 topKey = 0;
        int topRow = -1;
        int verticalScroll = 0;
        int horizontalScroll = 0;
        bool sorted = false;
    };
    Place place() const;
    // The sort, the selected row and the scroll position again, where the rows still exist.
    void restorePlace(const Place &place);

Q_SIGNALS:
    // The count of a listing shown before all its rows were found, once they are.
    void countKnown(int count);
    // The user selected a row, or moved to one with the keys.
    void addressChosen(const QString &address);
    // Enter in the list, or a double-click.
    void visitRequested();
    // The pointer moved over the list: the row under it, or -1.
    void pointerOverRow(int row);
    // The menu is about to open at the pointer.
    void menuOpening();
    void addAddressChosen();
    void changeAddressChosen();
    void deleteAddressChosen();
    void addFavouriteChosen();
    void removeFavouriteChosen();
    void takeNewAddressChosen();
    void usePageTitleChosen();
    void restoreChosen();
    void purgeChosen();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenu(QWidget *owner);
    void onRowSelected(int row);
    void onKeyReleased(int key);

    AddressListView *m_view = nullptr;
    AddressListModel *m_rows = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_addAddressAction = nullptr;
    QAction *m_changeAddressAction = nullptr;
    QAction *m_deleteAddressAction = nullptr;
    QAction *m_addFavouriteAction = nullptr;
    QAction *m_removeFavouriteAction = nullptr;
    QAction *m_takeNewAddressAction = nullptr;
    QAction *m_usePageTitleAction = nullptr;
    QAction *m_restoreAction = nullptr;
    QAction *m_purgeAction = nullptr;
    bool m_enterPressed = false;
};
