#include "window/SharedIcons.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QPaintDevice>
#include <QPainter>
#include <QtEndian>

#include <cstring>

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

// A picture copy as tools/DrawPictures.cpp writes it: width and height, then the pixels.
QPixmap readDrawnCopy(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    quint32 size[2] = {0, 0};
    if (data.size() < qsizetype(sizeof size))
        return {};
    std::memcpy(size, data.constData(), sizeof size);
    const qsizetype width = qFromLittleEndian(size[0]);
    const qsizetype height = qFromLittleEndian(size[1]);
    if (width <= 0 || height <= 0 || width > 1024 || height > 1024
        || data.size() != qsizetype(sizeof size) + width * height * 4)
        return {};
    const QImage pixels(reinterpret_cast<const uchar *>(data.constData() + sizeof size), int(width), int(height),
                        int(width * 4), QImage::Format_ARGB32_Premultiplied);
    return QPixmap::fromImage(pixels.copy()); // the image borrows `data`, which goes now
}

// An SVG picture with copies drawn when the program was built (at one size, for screens of
// scale 1 and 2): the copies serve the pixels they hold, the drawing every other size.
// Reading an SVG file costs more than the rest of a small picture's work, and the first one
// loads Qt's SVG icon engine; the first screen shows the copies and reads no drawing.
class DrawnIconEngine : public QIconEngine
{
public:
    DrawnIconEngine(const QPixmap &copy, const QPixmap &doubleCopy, const QString &svgPath) : m_svgPath(svgPath)
    {
        // Qt's own engine for pictures, which makes the disabled and the other modes' pictures
        // from the normal one as it would from the drawing.
        m_copies.addPixmap(copy);
        if (!doubleCopy.isNull())
            m_copies.addPixmap(doubleCopy);
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        QPixmap picture = pixmap((QSizeF(rect.size()) * scale).toSize(), mode, state);
        picture.setDevicePixelRatio(scale);
        painter->drawPixmap(rect, picture);
    }
    // `size` in pixels, as QIcon asks its engine.
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        if (isDrawn(size))
            return m_copies.pixmap(size, 1.0, mode, state);
        return drawing().pixmap(size, 1.0, mode, state);
    }
    // What the drawing answers for the copies' sizes, without reading it: it draws at the
    // size asked for, in its own proportions, which are the copies'.
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        if (isDrawn(size) || isDrawn(size * 2))
            return size;
        return drawing().actualSize(size, mode, state);
    }
    bool isNull() override { return false; }
    QIconEngine *clone() const override { return new DrawnIconEngine(*this); }

private:
    bool isDrawn(const QSize &pixels) const { return m_copies.availableSizes().contains(pixels); }
    const QIcon &drawing()
    {
        if (m_svg.isNull())
            m_svg = QIcon(m_svgPath);
        return m_svg;
    }

    QIcon m_copies;
    QString m_svgPath;
    QIcon m_svg;
};

// ":/main/tb_help.svg" has its drawn copies at ":/drawn/main/tb_help.argb" and
// ":/drawn/main/tb_help@2x.argb", if it has them. Null when it has none.
QIcon drawnIcon(const QString &svgPath)
{
    if (!svgPath.startsWith(QLatin1String(":/")) || !svgPath.endsWith(QLatin1String(".svg")))
        return {};
    const QString stem = QLatin1String(":/drawn/") + svgPath.mid(2, svgPath.size() - 6);
    const QPixmap copy = readDrawnCopy(stem + QLatin1String(".argb"));
    if (copy.isNull())
        return {};
    return QIcon(new DrawnIconEngine(copy, readDrawnCopy(stem + QLatin1String("@2x.argb")), svgPath));
}

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
    return cached(path, [&path] {
        const QIcon drawn = drawnIcon(path);
        return drawn.isNull() ? QIcon(path) : drawn;
    });
}

} // namespace SharedIcons
