#pragma once

#include "app/window/XPForm.h"

class TDm1;

// The import window: lists the Internet shortcuts of the Favorites folder with check
// boxes and stores the checked ones in the group "IE收藏夹". Created for each use, shown
// modally (execModal) and destroyed by its caller.
class TFrmImport : public TXPForm
{
    Q_OBJECT

public:
    explicit TFrmImport(TDm1 &dm1, QWidget *owner = nullptr);

private:
    TDm1 &m_dm1;
};
