#pragma once

#include <QHash>
#include <QIcon>

class DbConnection;

// The site icons that the link check keeps (one per host and port), as the list shows
// them in front of an address. Each site's icon is read from the library the first
// time one of its addresses is shown and kept until forget(), which new results call.
class SiteIcons
{
public:
    // The largest side an icon is kept at.
    static constexpr int MaxSide = 32;

    // The icon of the site of `address`; a null icon when none is kept, the address is
    // no web address, or the library cannot be read.
    QIcon iconFor(DbConnection &db, const QString &address);
    void forget() { m_icons.clear(); }

    // The picture in the bytes of an icon file (ICO, PNG, GIF, SVG...), no larger than
    // MaxSide; a null icon when the bytes hold none.
    static QIcon iconFrom(const QByteArray &bytes);

private:
    QHash<QString, QIcon> m_icons; // by site; a null icon where the site has none
};
