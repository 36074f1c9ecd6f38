#include "ReportRows.h"

void ReportRows::setColumnCaptions(const QStringList &captions)
{
    beginResetModel();
    m_captions = captions;
    endResetModel();
}

void ReportRows::appendColumn(const QString &caption)
{
    const int column = int(m_captions.size());
    beginInsertColumns({}, column, column);
    m_captions.append(caption);
    endInsertColumns();
}

void ReportRows::setImages(const QList<QIcon> &images)
{
    m_images = images;
    if (count() > 0)
        Q_EMIT dataChanged(index(0, 0), index(count() - 1, 0), {Qt::DecorationRole});
}

int ReportRows::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int ReportRows::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_captions.size());
}

QVariant ReportRows::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_captions.value(section);
    return {};
}

QVariant ReportRows::imageAt(int imageIndex) const
{
    if (imageIndex >= 0 && imageIndex < m_images.size())
        return m_images.at(imageIndex);
    return {};
}
