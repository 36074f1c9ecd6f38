#pragma once

#include "app/window/XPForm.h"

class TDm1;
class TFrmEditGroup;

// The main window.
class TFrmMain : public TXPForm
{
    Q_OBJECT

public:
    explicit TFrmMain(TDm1 &dm1, QWidget *owner = nullptr);

    // The long-lived editor, created after the main window.
    void setEditor(TFrmEditGroup *editor) { m_editor = editor; }

private:
    void FormCreate();

    TDm1 &m_dm1;
    TFrmEditGroup *m_editor = nullptr;
};
