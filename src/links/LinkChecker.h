#pragma once

#include "links/LinkCheckSettings.h"
#include "links/LinkResult.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QUrl>

#include <deque>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

// One address to check. `wantTitle` asks for the page itself (GET) rather than only its
// headers (HEAD), so that its title can be read.
struct LinkTarget
{
    QString address;
    bool wantTitle = false;
};

// Checks web addresses over HTTP, politely: at most `perHost` requests at once to one
// site and `connections` in all, each within `timeoutMs`. Each address gets a HEAD
// (GET where the server refuses HEAD or the title is wanted); redirects are followed by
// hand, up to 10, each hop recorded; 429 and 503 with a Retry-After of up to 120 s are
// waited for and tried once more, another 5xx is tried once more. No cookie is sent or
// kept; the system's proxy settings are used. Runs in the thread it lives in, by that
// thread's event loop.
class LinkChecker : public QObject
{
    Q_OBJECT

public:
    // At most this much of a page is read.
    static constexpr qint64 MaxBodyBytes = qint64(512) * 1024;
    // A site icon larger than this is not kept.
    static constexpr qint64 MaxIconBytes = qint64(64) * 1024;
    // Redirects followed before the address counts as broken.
    static constexpr int MaxHops = 10;
    // The longest Retry-After that is waited for.
    static constexpr int MaxRetryAfterSeconds = 120;

    explicit LinkChecker(const LinkCheckSettings &settings, QObject *parent = nullptr);
    ~LinkChecker() override;

    // Starts checking; results come by `checked` in the order they are known, then
    // `finished`. Addresses that are not http or https are answered at once as not checked.
    void start(const std::vector<LinkTarget> &targets);
    // Stops: requests under way are abandoned, no more results come, `finished` follows.
    void cancel();
    bool isRunning() const { return m_running; }

    // The site of an address as the politeness limit and the icons count it: the host
    // in lower case and the port ("example.com:443").
    static QString siteOf(const QUrl &url);
    // The address to request for a stored address: no scheme means http://. Empty when
    // the address is not http or https.
    static QUrl requestUrlOf(const QString &stored);

    static QByteArray userAgent();

Q_SIGNALS:
    void checked(int index, const LinkResult &result);
    // A site's icon, fetched once per site for the first page found there.
    void iconFetched(const QString &site, const QByteArray &icon);
    void progress(int done, int total);
    void finished();

private:
    struct Job;
    struct Site
    {
        std::deque<int> pending;
        int active = 0;
        bool ready = false;
    };

    void enqueue(int job, bool atFront = false);
    void pump();
    void launch(int index);
    void answered(int job, QNetworkReply *reply);
    void answeredPage(int index, QNetworkReply *reply, int code);
    void answeredIcon(int index, QNetworkReply *reply, int code);
    void retryLater(int job, int milliseconds);
    void finish(int index, LinkStatus status, int code, const QString &reason, const QString &title = {});
    void requestIcon(const QString &site, const QUrl &iconUrl);
    void release(int job);
    void endIfDone();

    LinkCheckSettings m_settings;
    QNetworkAccessManager *m_network;
    std::vector<Job> m_jobs;
    QHash<QString, Site> m_sites;
    std::deque<QString> m_readySites;
    QSet<QString> m_iconSites;
    QSet<QNetworkReply *> m_replies;
    int m_active = 0;
    int m_total = 0;
    int m_done = 0;
    int m_openJobs = 0; // addresses and icons not yet answered
    bool m_running = false;
};
