#pragma once

#include "ListRow.h"
#include "ListSortKeys.h"
#include "ReportRows.h"

#include <vector>

// The rows of a report list, held in one vector. Rows stand in the order in
// which they were appended; only sortRows() reorders them.
class ListRowModel : public ReportRows
{
    Q_OBJECT

public:
    explicit ListRowModel(QObject *parent = nullptr);

    void clear();
    void append(ListRow row);
    void append(std::vector<ListRow> &&rows);
    void removeRowAt(int row);

    // A row outside the list reads as an empty row.
    const ListRow &rowAt(int row) const;
    int count() const override;

    void setImageIndex(int row, int imageIndex);
    // New texts for the caption and the sub-items of a row; its picture and check stay.
    void setTexts(int row, const QString &caption, const QStringList &subItems);
    void setChecked(int row, bool checked) override;
    bool isChecked(int row) const override;
    void setCheckable(bool checkable) override;
    bool isCheckable() const override { return m_checkable; }

    // Stable sort by one column. Column 0 compares the captions with the
    // collator of the default locale, case-sensitive; column 3 compares
    // sub-item 2 as a number; any other column c compares sub-item c - 1 by
    // its GB18030 bytes with ASCII letters in upper case. Selection and
    // current row stay on the same rows.
    void sortRows(int column, bool ascending) override;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

Q_SIGNALS:
    void checkStateChanged(int row);

private:
    bool isValidRow(int row) const;
    void applyOrder(const std::vector<int> &order);

    std::vector<ListRow> m_rows;
    ListSortKeys::RowSortKeys m_sortKeys;
    bool m_checkable = false;
};
