// The import window, TFrmImport: brings addresses from outside into the database. Its names
// are those of the window design; what they stand for:
//
// Controls
//   CoolBar1, ToolBar1  the band at the top and its tool bar:
//     TIEBtn          "从IE导入": lists the Internet shortcuts (*.url) of the Favorites
//                     folder, all checked; they go into the group "IE收藏夹"
//     TBrowserBtn     "从浏览器导入": lists the bookmarks of a browser profile
//     TFileBtn        "从文件导入…": lists the bookmarks of a bookmark file
//     TSelectAllBtn   "全选": checks every row; TNoSelectAllBtn "全不选" unchecks every
//                     row; TOrSelectAllBtn "反选" flips every row's check
//     TImportBtn      "导入数据": stores the checked rows
//     TExitBtn        "退出": closes the window
//     ToolButton1, ToolButton4, ToolButton5   the gaps between the button groups
//   ListView1         the listed rows: address, name, group, and a check box each
//
// Handlers (each named after its control: TIEBtnClick is TIEBtn's click)
//   ListView1MouseMove  the hover text: the address and name of the row under the pointer
//   listBookmarkFile    what TFileBtnClick does once a file is chosen
#pragma once

#include "bookmarks/ImportService.h"
#include "services/UrlImportService.h"
#include "window/XPForm.h"

#include <functional>

class QToolBar;
class QToolButton;
class TDm1;
class TListView1;
class ToolSeparator;

// The import window: lists the Internet shortcuts of the Favorites folder with check
// boxes and stores the checked ones in the group "IE收藏夹"; or lists the bookmarks of a
// browser profile or a bookmark file, duplicates unchecked, and stores the checked ones
// in the groups of their folders, with a report. Created for each use, shown modally
// (execModal) and destroyed by its caller.
class TFrmImport : public TXPForm
{
    Q_OBJECT

public:
    explicit TFrmImport(TDm1 &dm1, QWidget *owner = nullptr);

    static constexpr int DesignWidth = 544;
    static constexpr int DesignHeight = 362;
    static constexpr int BandHeight = 33;
    static constexpr int ButtonWidth = 75;
    static constexpr int SeparatorWidth = 8;

public Q_SLOTS:
    // Lists the shortcuts of the Favorites folder, every row checked; once it succeeded
    // the button is disabled.
    void TIEBtnClick();
    // Lists the bookmarks of the user's browser profile (asking which one when there
    // are several).
    void TBrowserBtnClick();
    // Asks for a bookmark file and lists its bookmarks.
    void TFileBtnClick();
    void TSelectAllBtnClick();
    void TNoSelectAllBtnClick();
    void TOrSelectAllBtnClick();
    // Stores every checked row in the group "IE收藏夹", in one transaction.
    void TImportBtnClick();
    void TExitBtnClick();
    void ListView1MouseMove(const QPoint &viewportPos);

public:
    // Lists the bookmarks of a file (what TFileBtnClick does after its file dialog).
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
    // Controls, named as in the window design; each carries its name as its object name.
    // The list's rows are the window's whole state: caption = the address as read,
    // sub-item = the display name, check box = whether to import it.
    TListView1 *ListView1 = nullptr;
    QWidget *CoolBar1 = nullptr;
    QToolBar *ToolBar1 = nullptr;
    QToolButton *TIEBtn = nullptr;
    QToolButton *TBrowserBtn = nullptr;
    QToolButton *TFileBtn = nullptr;
    ToolSeparator *ToolButton1 = nullptr;
    QToolButton *TSelectAllBtn = nullptr;
    QToolButton *TNoSelectAllBtn = nullptr;
    QToolButton *TOrSelectAllBtn = nullptr;
    ToolSeparator *ToolButton4 = nullptr;
    QToolButton *TImportBtn = nullptr;
    ToolSeparator *ToolButton5 = nullptr;
    QToolButton *TExitBtn = nullptr;

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
    QToolButton *addToolButton(const QString &caption, const QString &picture, void (TFrmImport::*handler)());
    ToolSeparator *addSeparator();
    // Sets each row's check box to what `newState` gives for its present state; the
    // selection then rests on the last row.
    void setChecks(bool (*newState)(bool checked));

    TDm1 &m_dm1;
    // The bookmarks listed (empty while the list holds the Favorites folder's rows).
    ImportPlan m_plan;
    bool m_listsBookmarks = false;
    bool m_busy = false;
    class BackgroundImport *m_readingJob = nullptr; // the reading under way, if any
    bool m_closeAsked = false; // the window was closed while it read
};
