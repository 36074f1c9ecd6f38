// Placeholder window until the main window is built.
#include "main/FrmMain.h"

#include "data/DataModule.h"

TFrmMain::TFrmMain(TDm1 &dm1, QWidget *owner) : TXPForm(owner), m_dm1(dm1)
{
    setApplicationMainWindow(true);
    resize(591, 404);
    FormCreate();
}

void TFrmMain::FormCreate()
{
    standardSetup();
    setCaptionText(QStringLiteral("Vestrane V1.1.2"));
}
