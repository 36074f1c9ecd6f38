#pragma once

#include <QStringList>

// The tables and views of a new address database, and its one required group.
namespace Schema {

// Group that receives imported favourites; it must exist in every database.
inline const QString ImportGroup = QStringLiteral("IE收藏夹");

QStringList statements();

} // namespace Schema
