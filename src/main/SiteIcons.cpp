#include "main/SiteIcons.h"

#include "links/LinkChecker.h"
#include "services/LibraryReads.h"

#include <QBuffer>
#include <QImageReader>
#include <QPixmap>

QIcon SiteIcons::iconFor(DbConnection &db, const QString &address)
{
    const QUrl url = LinkChecker::requestUrlOf(address);
    if (url.isEmpty() || url.host().isEmpty())
        return {};
    const QString site = LinkChecker::siteOf(url);
    const auto known = m_icons.constFind(site);
    if (known != m_icons.constEnd())
        return *known;
    const Fetched<QByteArray> bytes = LibraryReads::siteIcon(db, site);
    if (!bytes.ok())
        return {}; // asked again at the next showing
    QIcon icon = iconFrom(bytes.value);
    m_icons.insert(site, icon);
    return icon;
}

QIcon SiteIcons::iconFrom(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // A small file may claim a huge picture: it is decoded at the size shown.
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > MaxSide || size.height() > MaxSide))
        reader.setScaledSize(size.scaled(MaxSide, MaxSide, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    if (image.width() > MaxSide || image.height() > MaxSide)
        image = image.scaled(MaxSide, MaxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return QIcon(QPixmap::fromImage(image));
}
