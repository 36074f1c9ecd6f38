#pragma once

#include <QList>
#include <QString>

// What one check of an address found.
enum class LinkStatus {
    Ok, // a page (2xx) at the end, directly or after temporary redirects
    Moved, // a permanent redirect (301, 308) to another address that ends at a page
    Broken, // 404, 410, another 4xx after GET, 5xx twice, a redirect loop or over 10 hops
    Unreachable, // no HTTP answer: refused, name not resolved, timed out, TLS failure
    NotChecked, // not an http or https address
};

// The word the command line and the stored results use: ok, moved, broken, unreachable,
// not checked.
QString linkStatusName(LinkStatus status);
LinkStatus linkStatusFromName(const QString &name);
inline bool isFailure(LinkStatus status)
{
    return status == LinkStatus::Broken || status == LinkStatus::Unreachable;
}

struct LinkHop
{
    int httpCode = 0;
    QString address; // where this answer came from
};

struct LinkResult
{
    QString address; // as stored in the library
    LinkStatus status = LinkStatus::NotChecked;
    int httpCode = 0; // the last HTTP status, 0 when none came
    QString finalAddress; // where the redirects ended
    QString title; // the page's title, when the page was read
    QString reason; // why it failed, in words (the network's or the certificate's)
    QList<LinkHop> hops; // each redirect answer in order
};
