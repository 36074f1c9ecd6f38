// The recycle bin's commands: the list's "还原" and "彻底删除", which act on every chosen
// row of the bin's node (the bin's list alone lets the user choose several) as one step of
// the history, and the node's "清空回收站". The bin's node is shown while the bin holds rows.
#pragma once

#include <QCoreApplication>

#include <functional>

class AddressListPane;
class GroupTreePane;
class QWidget;
class SharedConnection;
struct Outcome;

class BinCommands
{
    Q_DECLARE_TR_FUNCTIONS(BinCommands)

public:
    // showOutcome tells the user why a command did nothing and gives true when it was done;
    // reload shows the library anew after a command. Questions are asked over `window`.
    BinCommands(SharedConnection &sharedConnection, GroupTreePane &groupTree, AddressListPane &addressList,
                QWidget *window, std::function<bool(const Outcome &)> showOutcome, std::function<void()> reload);

    // False also for a library without a bin, or one that cannot tell.
    bool holdsRows() const;
    void restoreChosen();
    void purgeChosen();
    void emptyBin();
    // After a delete: the views are reloaded when the bin's node is to appear.
    void followDelete();

private:
    // The chosen rows' numbers in the bin, in the listed order; none outside the bin.
    QList<qint64> chosenRows() const;
    void afterCommand(const Outcome &outcome);

    SharedConnection &m_sharedConnection;
    GroupTreePane &m_groupTree;
    AddressListPane &m_addressList;
    QWidget *m_window;
    std::function<bool(const Outcome &)> m_showOutcome;
    std::function<void()> m_reload;
};
