#pragma once

#include "data/DbConnection.h"

#include <QString>
#include <functional>

// One stored address as an export writes it, its texts as the UTF-8 the file holds, valid
// only while the row is handed over: ViewTime as stored, not as shown.
struct ExportRow
{
    QByteArrayView groupName;
    QByteArrayView address;
    QByteArrayView name;
    QByteArrayView viewTime;
};

// Which addresses an export holds.
struct ExportScope
{
    enum class Kind { All, Group, Favourites };
    Kind kind = Kind::All;
    QString groupName;

    static ExportScope all() { return {Kind::All, {}}; }
    static ExportScope group(const QString &name) { return {Kind::Group, name}; }
    static ExportScope favourites() { return {Kind::Favourites, {}}; }
};

namespace ExportRows {

// The groups of the scope in the tree's order (every group for All, even an empty one).
QStringList groups(DbConnection &db, const ExportScope &scope);
// The rows of the scope, group by group in the groups' order, each group's rows in the
// order they were stored. A text that is no valid UTF-8 (another program may store one)
// is handed over with its faults replaced by U+FFFD.
void forEach(DbConnection &db, const ExportScope &scope, const std::function<void(const ExportRow &)> &sink);

} // namespace ExportRows
