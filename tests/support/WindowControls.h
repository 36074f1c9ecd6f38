#pragma once

// The controls of the main window, the editor and the import window, found by their
// object names: `controls(window).TreeView1` (see CaptionControls.h).

#include "CaptionControls.h"
#include "controls/TListView1.h"
#include "editor/FrmEditGroup.h"
#include "import/FrmImport.h"
#include "import/ToolSeparator.h"
#include "main/FrmMain.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

struct EditorControls : CaptionControls
{
    explicit EditorControls(const TFrmEditGroup &w)
        : CaptionControls(w), Label1(controlOf<QLabel>(w, "Label1")), Label2(controlOf<QLabel>(w, "Label2")),
          Label3(controlOf<QLabel>(w, "Label3")), ListBox1(controlOf<QListWidget>(w, "ListBox1")),
          OKButton(controlOf<QPushButton>(w, "OKButton")), CancelButton(controlOf<QPushButton>(w, "CancelButton")),
          Edit1(controlOf<QLineEdit>(w, "Edit1")), Edit2(controlOf<QLineEdit>(w, "Edit2"))
    {
    }
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QListWidget *ListBox1;
    QPushButton *OKButton;
    QPushButton *CancelButton;
    QLineEdit *Edit1;
    QLineEdit *Edit2;
};

struct ImportControls : CaptionControls
{
    explicit ImportControls(const TFrmImport &w)
        : CaptionControls(w), ListView1(controlOf<TListView1>(w, "ListView1")),
          CoolBar1(controlOf<QWidget>(w, "CoolBar1")), ToolBar1(controlOf<QToolBar>(w, "ToolBar1")),
          TIEBtn(controlOf<QToolButton>(w, "TIEBtn")), TBrowserBtn(controlOf<QToolButton>(w, "TBrowserBtn")),
          TFileBtn(controlOf<QToolButton>(w, "TFileBtn")), ToolButton1(controlOf<ToolSeparator>(w, "ToolButton1")),
          TSelectAllBtn(controlOf<QToolButton>(w, "TSelectAllBtn")),
          TNoSelectAllBtn(controlOf<QToolButton>(w, "TNoSelectAllBtn")),
          TOrSelectAllBtn(controlOf<QToolButton>(w, "TOrSelectAllBtn")),
          ToolButton4(controlOf<ToolSeparator>(w, "ToolButton4")), TImportBtn(controlOf<QToolButton>(w, "TImportBtn")),
          ToolButton5(controlOf<ToolSeparator>(w, "ToolButton5")), TExitBtn(controlOf<QToolButton>(w, "TExitBtn"))
    {
    }
    TListView1 *ListView1;
    QWidget *CoolBar1;
    QToolBar *ToolBar1;
    QToolButton *TIEBtn;
    QToolButton *TBrowserBtn;
    QToolButton *TFileBtn;
    ToolSeparator *ToolButton1;
    QToolButton *TSelectAllBtn;
    QToolButton *TNoSelectAllBtn;
    QToolButton *TOrSelectAllBtn;
    ToolSeparator *ToolButton4;
    QToolButton *TImportBtn;
    ToolSeparator *ToolButton5;
    QToolButton *TExitBtn;
};

struct MainControls : CaptionControls
{
    explicit MainControls(const TFrmMain &w)
        : CaptionControls(w), CoolBar1(controlOf<QWidget>(w, "CoolBar1")), ToolBar1(controlOf<QToolBar>(w, "ToolBar1")),
          AlphTBtn(controlOf<QToolButton>(w, "AlphTBtn")), SetTopTBtn(controlOf<QToolButton>(w, "SetTopTBtn")),
          IPTBtn(controlOf<QToolButton>(w, "IPTBtn")), CTBtn(controlOf<QToolButton>(w, "CTBtn")),
          ImportTBtn(controlOf<QToolButton>(w, "ImportTBtn")), HelpTBtn(controlOf<QToolButton>(w, "HelpTBtn")),
          ExitTBtn(controlOf<QToolButton>(w, "ExitTBtn")), Splitter1(controlOf<QSplitter>(w, "Splitter1")),
          Panel1(controlOf<QWidget>(w, "Panel1")), Panel2(controlOf<QWidget>(w, "Panel2")),
          PageControl1(controlOf<QTabWidget>(w, "PageControl1")), TabSheet1(controlOf<QWidget>(w, "TabSheet1")),
          TabSheet2(controlOf<QWidget>(w, "TabSheet2")), TreeView1(controlOf<QTreeWidget>(w, "TreeView1")),
          Label1(controlOf<QLabel>(w, "Label1")), Label2(controlOf<QLabel>(w, "Label2")),
          Label3(controlOf<QLabel>(w, "Label3")), Bevel1(controlOf<QFrame>(w, "Bevel1")),
          Cbo1(controlOf<QComboBox>(w, "Cbo1")), BitBtn1(controlOf<QPushButton>(w, "BitBtn1")),
          ListView1(controlOf<TListView1>(w, "ListView1")), StatusBar1(controlOf<QWidget>(w, "StatusBar1")),
          TreeViewPopupMenu(controlOf<QMenu>(w, "TreeViewPopupMenu")), TreePM1(controlOf<QAction>(w, "TreePM1")),
          TreePM2(controlOf<QAction>(w, "TreePM2")), TreePM3(controlOf<QAction>(w, "TreePM3")),
          TreePM4(controlOf<QAction>(w, "TreePM4")), TreePM5(controlOf<QAction>(w, "TreePM5")),
          ListViewPopupMenu(controlOf<QMenu>(w, "ListViewPopupMenu")), ListPM1(controlOf<QAction>(w, "ListPM1")),
          ListPM2(controlOf<QAction>(w, "ListPM2")), ListPM3(controlOf<QAction>(w, "ListPM3")),
          ListPM4(controlOf<QAction>(w, "ListPM4")), ListPM5(controlOf<QAction>(w, "ListPM5"))
    {
    }
    QWidget *CoolBar1;
    QToolBar *ToolBar1;
    QToolButton *AlphTBtn;
    QToolButton *SetTopTBtn;
    QToolButton *IPTBtn;
    QToolButton *CTBtn;
    QToolButton *ImportTBtn;
    QToolButton *HelpTBtn;
    QToolButton *ExitTBtn;
    QSplitter *Splitter1;
    QWidget *Panel1;
    QWidget *Panel2;
    QTabWidget *PageControl1;
    QWidget *TabSheet1;
    QWidget *TabSheet2;
    QTreeWidget *TreeView1;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QFrame *Bevel1;
    QComboBox *Cbo1;
    QPushButton *BitBtn1;
    TListView1 *ListView1;
    QWidget *StatusBar1;
    QMenu *TreeViewPopupMenu;
    QAction *TreePM1;
    QAction *TreePM2;
    QAction *TreePM3;
    QAction *TreePM4;
    QAction *TreePM5;
    QMenu *ListViewPopupMenu;
    QAction *ListPM1;
    QAction *ListPM2;
    QAction *ListPM3;
    QAction *ListPM4;
    QAction *ListPM5;
};

inline EditorControls controls(const TFrmEditGroup &w) { return EditorControls(w); }
inline ImportControls controls(const TFrmImport &w) { return ImportControls(w); }
inline MainControls controls(const TFrmMain &w) { return MainControls(w); }
