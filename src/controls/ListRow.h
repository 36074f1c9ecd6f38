#pragma once

#include <QString>
#include <QStringList>

// One row of a report list: the caption shown in column 0, the texts of the
// further columns (sub-item i is shown in column i + 1), the index of its small
// image and, where the list shows check boxes, whether it is checked.
struct ListRow
{
    QString caption;
    QStringList subItems;
    int imageIndex = -1;
    bool checked = false;
};
