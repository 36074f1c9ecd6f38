#pragma once

// The controls of the main window, the editor and the import window, found by their
// object names: `controls(window).groupTree` (see CaptionControls.h).

#include "CaptionControls.h"
#include "controls/AddressListView.h"
#include "editor/AddressEditor.h"
#include "import/ImportWindow.h"
#include "import/ToolSeparator.h"
#include "main/MainWindow.h"

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
    explicit EditorControls(const AddressEditor &w)
        : CaptionControls(w), addressLabel(controlOf<QLabel>(w, "addressLabel")),
          nameLabel(controlOf<QLabel>(w, "nameLabel")), groupLabel(controlOf<QLabel>(w, "groupLabel")),
          groupList(controlOf<QListWidget>(w, "groupList")), saveButton(controlOf<QPushButton>(w, "saveButton")),
          cancelButton(controlOf<QPushButton>(w, "cancelButton")), addressEdit(controlOf<QLineEdit>(w, "addressEdit")),
          nameEdit(controlOf<QLineEdit>(w, "nameEdit"))
    {}
    QLabel *addressLabel;
    QLabel *nameLabel;
    QLabel *groupLabel;
    QListWidget *groupList;
    QPushButton *saveButton;
    QPushButton *cancelButton;
    QLineEdit *addressEdit;
    QLineEdit *nameEdit;
};

struct ImportControls : CaptionControls
{
    explicit ImportControls(const ImportWindow &w)
        : CaptionControls(w), addressList(controlOf<AddressListView>(w, "addressList")),
          toolBand(controlOf<QWidget>(w, "toolBand")), toolBar(controlOf<QToolBar>(w, "toolBar")),
          favoritesButton(controlOf<QToolButton>(w, "favoritesButton")),
          browserButton(controlOf<QToolButton>(w, "browserButton")),
          fileButton(controlOf<QToolButton>(w, "fileButton")),
          gapAfterSources(controlOf<ToolSeparator>(w, "gapAfterSources")),
          checkAllButton(controlOf<QToolButton>(w, "checkAllButton")),
          uncheckAllButton(controlOf<QToolButton>(w, "uncheckAllButton")),
          flipChecksButton(controlOf<QToolButton>(w, "flipChecksButton")),
          gapAfterChecks(controlOf<ToolSeparator>(w, "gapAfterChecks")),
          importButton(controlOf<QToolButton>(w, "importButton")),
          gapAfterImport(controlOf<ToolSeparator>(w, "gapAfterImport")),
          exitButton(controlOf<QToolButton>(w, "exitButton"))
    {}
    AddressListView *addressList;
    QWidget *toolBand;
    QToolBar *toolBar;
    QToolButton *favoritesButton;
    QToolButton *browserButton;
    QToolButton *fileButton;
    ToolSeparator *gapAfterSources;
    QToolButton *checkAllButton;
    QToolButton *uncheckAllButton;
    QToolButton *flipChecksButton;
    ToolSeparator *gapAfterChecks;
    QToolButton *importButton;
    ToolSeparator *gapAfterImport;
    QToolButton *exitButton;
};

inline EditorControls controls(const AddressEditor &w)
{
    return EditorControls(w);
}
inline ImportControls controls(const ImportWindow &w)
{
    return ImportControls(w);
}
