#include "data/SqlEngine.h"

#include <QCoreApplication>

AppError SqlEngine::readOnlyError()
{
    return AppError(QCoreApplication::translate("SqlEngine", "数据库所在的位置是只读的，不能修改！"),
                    AppError::Kind::ReadOnly);
}
