#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QStringList>

// The rows a report list (AddressListView) shows: its column captions and small images, the
// count, the header sort and, where the list shows check boxes, the checks. ListRowModel
// holds its rows; other lists read theirs where they are kept.
class ReportRows : public QAbstractTableModel
{
    Q_OBJECT

public:
    // The index of a row's small image, for every column 0 that has one.
    static constexpr int ImageIndexRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    void setColumnCaptions(const QStringList &captions);
    void appendColumn(const QString &caption);
    QStringList columnCaptions() const { return m_captions; }
    void setImages(const QList<QIcon> &images);

    virtual int count() const = 0;
    // Stable: rows that compare equal keep their order; selection and current row stay on
    // the same rows.
    virtual void sortRows(int column, bool ascending) = 0;

    virtual void setCheckable(bool) {}
    virtual bool isCheckable() const { return false; }
    virtual void setChecked(int, bool) {}
    virtual bool isChecked(int) const { return false; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

protected:
    // The picture of an image index, or none.
    QVariant imageAt(int imageIndex) const;

private:
    QStringList m_captions;
    QList<QIcon> m_images;
};
