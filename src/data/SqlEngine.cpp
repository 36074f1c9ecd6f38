#include "data/SqlEngine.h"

AppError SqlEngine::readOnlyError()
{
    return AppError(QStringLiteral("数据库所在的位置是只读的，不能修改！"), AppError::Kind::ReadOnly);
}
