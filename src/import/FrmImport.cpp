// Placeholder until the import window is built.
#include "import/FrmImport.h"

TFrmImport::TFrmImport(TDm1 &dm1, QWidget *owner) : TXPForm(owner), m_dm1(dm1)
{
    resize(544, 362);
    standardSetup();
    setCaptionText(QStringLiteral("导入IE数据"));
}
