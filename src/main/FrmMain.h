#pragma once

#include "app/window/XPForm.h"

#include <functional>

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
    // Asked in the close handler before the window goes; false keeps the window open
    // (the automation server asks the user while calls are pending).
    void setCloseQuestion(std::function<bool()> mayClose) { m_mayClose = std::move(mayClose); }

private:
    void FormCreate();

    TDm1 &m_dm1;
    TFrmEditGroup *m_editor = nullptr;
    std::function<bool()> m_mayClose;
};
