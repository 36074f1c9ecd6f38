#include "window/SharedIcons.h"

#include <QCoreApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>

namespace {

QHash<QString, QIcon> &icons()
{
    static QHash<QString, QIcon> table;
    return table;
}

// The icons go with the application object, before the platform that drew them.
void forgetIcons()
{
    icons().clear();
}

class DeferredIconEngine : public QIconEngine
{
public:
    explicit DeferredIconEngine(std::function<QIcon()> make) : m_make(std::move(make)) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return icon().isNull(); }
    QIconEngine *clone() const override { return new DeferredIconEngine(*this); }

private:
    const QIcon &icon()
    {
        if (m_make) {
            m_icon = m_make();
            m_make = nullptr;
        }
        return m_icon;
    }

    std::function<QIcon()> m_make;
    QIcon m_icon;
};

} // namespace

namespace SharedIcons {

QIcon deferred(std::function<QIcon()> make)
{
    return QIcon(new DeferredIconEngine(std::move(make)));
}

QIcon cached(const QString &key, const std::function<QIcon()> &make)
{
    QHash<QString, QIcon> &table = icons();
    const auto found = table.constFind(key);
    if (found != table.constEnd())
        return *found;
    if (table.isEmpty())
        qAddPostRoutine(forgetIcons);
    return *table.insert(key, make());
}

QIcon fromFile(const QString &path)
{
    return cached(path, [&path] { return QIcon(path); });
}

} // namespace SharedIcons
