// The import window. Its tool bar lists the Internet shortcuts (*.url) of the Favorites
// folder (all checked, stored in the group "IE收藏夹"), the bookmarks of a browser profile
// or those of a bookmark file; checks all rows, none, or flips every row's check; stores
// the checked rows; and closes the window. The gaps separate the groups of buttons.
#pragma once

#include "bookmarks/ImportService.h"
#include "services/UrlImportService.h"
#include "window/CaptionWindow.h"

#include <functional>

class QToolBar;
class QToolButton;
class SharedConnection;
class AddressListView;
class ToolSeparator;

// The import window: lists the Internet shortcuts of the Favorites folder with check
// boxes and stores the checked ones in the group "IE收藏夹"; or lists the bookmarks of a
// browser profile or a bookmark file, duplicates unchecked, and stores the checked ones
// in the groups of their folders, with a report. Created for each use, shown modally
// (execModal) and destroyed by its caller.
class ImportWindow : public CaptionWindow
{
    Q_OBJECT

public:
    // The window's controls; each carries its field name as its object name. The list's
    // rows are the window's whole state: caption = the address as read, sub-item = the
    // display name, check box = whether to import it.
    struct Controls
    {
        AddressListView *addressList = nullptr;
        QWidget *toolBand = nullptr;
        QToolBar *toolBar = nullptr;
        QToolButton *favoritesButton = nullptr;
        QToolButton *browserButton = nullptr;
        QToolButton *fileButton = nullptr;
        ToolSeparator *gapAfterSources = nullptr;
        QToolButton *checkAllButton = nullptr;
        QToolButton *uncheckAllButton = nullptr;
        QToolButton *flipChecksButton = nullptr;
        ToolSeparator *gapAfterChecks = nullptr;
        QToolButton *importButton = nullptr;
        ToolSeparator *gapAfterImport = nullptr;
        QToolButton *exitButton = nullptr;
    };
    const Controls &controls() const { return m_controls; }

    explicit ImportWindow(SharedConnection &sharedConnection, QWidget *owner = nullptr);

    static constexpr int DesignWidth = 544;
    static constexpr int DesignHeight = 362;
    static constexpr int BandHeight = 33;
    static constexpr int ButtonWidth = 75;
    static constexpr int SeparatorWidth = 8;

public Q_SLOTS:
    // Lists the shortcuts of the Favorites folder, every row checked; once it succeeded
    // the button is disabled.
    void listFavoritesFolder();
    // Lists the bookmarks of the user's browser profile (asking which one when there
    // are several).
    void listBrowserProfile();
    // Asks for a bookmark file and lists its bookmarks.
    void chooseBookmarkFile();
    void checkAll();
    void uncheckAll();
    void flipChecks();
    // Stores every checked row in the group "IE收藏夹", in one transaction.
    void importChecked();
    void exitWindow();
    void onListMouseMoved(const QPoint &viewportPos);

public:
    // Lists the bookmarks of a file (what chooseBookmarkFile does after its file dialog).
    void listBookmarkFile(const QString &file);
    // Lists what `reader` reads on the worker; closing the window meanwhile cancels the
    // reading (through the cancel given to the reader) and then closes.
    void listBookmarks(std::function<BookmarkSet(const ReadCancel &)> reader);
    // Sources and lists above this many entries show a progress dialog.
    static constexpr qsizetype ProgressThreshold = 2000;

protected:
    // Refused while an import is stored in the background; while a source is read, the
    // reading is cancelled and the window closes once it has stopped.
    void closeEvent(QCloseEvent *event) override;

private:
    Controls m_controls;

    // Reads the Favorites folder, with a progress dialog for a large one.
    UrlImportService::Listing listFavoritesWithProgress();
    void importBookmarks();
    // Runs `start` on the worker and waits for it, keeping the window answering; shows
    // a progress dialog with a cancel button when the work is large. Gives whether it
    // ended well; a failure has been shown.
    // `total` is the work's size when known beforehand (else 0).
    bool runInBackground(class BackgroundImport &job, const QString &label, qsizetype total,
                         const std::function<void()> &start);

    void buildToolBar();
    void buildList();
    QToolButton *addToolButton(const QString &caption, const QString &picture, void (ImportWindow::*handler)());
    ToolSeparator *addSeparator();
    // Sets each row's check box to what `newState` gives for its present state; the
    // selection then rests on the last row.
    void setChecks(bool (*newState)(bool checked));

    SharedConnection &m_sharedConnection;
    // The bookmarks listed (empty while the list holds the Favorites folder's rows).
    ImportPlan m_plan;
    bool m_listsBookmarks = false;
    bool m_busy = false;
    class BackgroundImport *m_readingJob = nullptr; // the reading under way, if any
    bool m_closeAsked = false; // the window was closed while it read
};
