// What the link check adds to the main window: the tree's "检查链接" (the root checks every
// group, a group itself), the list's "改为新网址" and "使用网页标题" (the fixes the last
// check offers for the selected row), the reasons in the hints of the failing node's rows,
// and the site icons of the list's rows.
#pragma once

#include "links/LinkFailureHints.h"
#include "main/SiteIcons.h"

#include <functional>

class AddressListPane;
class DbConnection;
class GroupTreePane;
class LibraryHistory;
class QWidget;
class SharedConnection;
struct Outcome;

class LinkViews
{
public:
    // showOutcome tells the user why a fix did nothing and gives true when it was done;
    // relistNode lists the selected node anew after a fix. Reports show over `window`.
    LinkViews(SharedConnection &sharedConnection, GroupTreePane &groupTree, AddressListPane &addressList,
              QWidget *window, std::function<bool(const Outcome &)> showOutcome, std::function<void()> relistNode);
    // The list outlives the icons its rows come from.
    ~LinkViews();
    LinkViews(const LinkViews &) = delete;
    LinkViews &operator=(const LinkViews &) = delete;

    void checkSelectedNode();
    // Before the list's menu opens: the fixes where the selected row's last check offers
    // them, and none in the bin.
    void offerFixes(const QString &address);
    void takeNewAddress(const QString &address);
    void usePageTitle(const QString &address);
    // Whether the library holds results of a link check: the tree then shows the failing node.
    bool anyChecks() const;
    // The lines of the row's hint that say why it fails; only the failing node's rows have them.
    QString failureHintOf(int row, const QString &currentGroup);
    // After new results may have been stored.
    void forget();

private:
    using Fix = Outcome (*)(LibraryHistory *, DbConnection &, const QString &, const QString &, const QString &);
    void applyFix(Fix fix, const QString &address);

    SharedConnection &m_sharedConnection;
    GroupTreePane &m_groupTree;
    AddressListPane &m_addressList;
    QWidget *m_window;
    std::function<bool(const Outcome &)> m_showOutcome;
    std::function<void()> m_relistNode;
    SiteIcons m_siteIcons;
    LinkFailureHints m_failureHints;
};
