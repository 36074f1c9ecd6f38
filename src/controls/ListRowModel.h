#pragma once

#include "ListRow.h"
#include "ListSortKeys.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QStringList>

#include <functional>
#include <vector>

// The rows of a report list, held in one vector. Rows stand in the order in
// which they were appended; only sortRows() reorders them.
class ListRowModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit ListRowModel(QObject* parent = nullptr);

    void setColumnCaptions(const QStringList& captions);
    void appendColumn(const QString& caption);
    QStringList columnCaptions() const { return m_captions; }

    void clear();
    void append(ListRow row);
    void append(std::vector<ListRow>&& rows);
    void removeRowAt(int row);

    // A row outside the list reads as an empty row.
    const ListRow& rowAt(int row) const;
    int count() const;

    void setImageIndex(int row, int imageIndex);
    // New texts for the caption and the sub-items of a row; its picture and check stay.
    void setTexts(int row, const QString& caption, const QStringList& subItems);
    void setChecked(int row, bool checked);
    bool isChecked(int row) const;
    void setCheckable(bool checkable);
    bool isCheckable() const { return m_checkable; }
    void setImages(const QList<QIcon>& images);
    // A picture of a row's own (a site's icon, say) shown instead of its image; a null
    // icon leaves the image.
    void setRowIcon(std::function<QIcon(const ListRow&)> rowIcon) { m_rowIcon = std::move(rowIcon); }

    // Stable sort by one column. Column 0 compares the captions with the
    // collator of the default locale, case-sensitive; column 3 compares
    // sub-item 2 as a number; any other column c compares sub-item c - 1 by
    // its GB18030 bytes with ASCII letters in upper case. Selection and
    // current row stay on the same rows.
    void sortRows(int column, bool ascending);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    void checkStateChanged(int row);

private:
    bool isValidRow(int row) const;
    void applyOrder(const std::vector<int>& order);

    std::vector<ListRow> m_rows;
    ListSortKeys::RowSortKeys m_sortKeys;
    QStringList m_captions;
    QList<QIcon> m_images;
    std::function<QIcon(const ListRow&)> m_rowIcon;
    bool m_checkable = false;
};
