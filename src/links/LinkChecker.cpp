#include "links/LinkChecker.h"

#include "links/PageReading.h"

#include <QDateTime>
#include <QMutex>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QSslError>
#include <QTimer>

namespace {

// The proxies the desktop names (the *_proxy variables and their no_proxy list). The
// system is asked once per site and kind of request: each answer takes a trip to another
// thread, which, made for every request, held a large check back by a tenth or more.
class SystemProxies : public QNetworkProxyFactory
{
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery &query) override
    {
        const QString key = QStringLiteral("%1 %2 %3:%4")
                                .arg(int(query.queryType()))
                                .arg(query.protocolTag(), query.peerHostName())
                                .arg(query.peerPort());
        const QMutexLocker lock(&m_mutex);
        auto known = m_answers.constFind(key);
        if (known == m_answers.constEnd())
            known = m_answers.insert(key, systemProxyForQuery(query));
        return *known;
    }

private:
    QMutex m_mutex;
    QHash<QString, QList<QNetworkProxy>> m_answers;
};

// A server that answered 5xx is asked once more after this pause.
constexpr int ServerErrorPauseMs = 1000;

bool isRedirect(int code)
{
    return code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
}

bool isPermanentRedirect(int code)
{
    return code == 301 || code == 308;
}

bool isWebScheme(const QString &scheme)
{
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

// Seconds to wait that a Retry-After value asks for: a number of seconds or an HTTP
// date; -1 when it says neither.
int retryAfterSeconds(const QByteArray &value)
{
    const QByteArray trimmed = value.trimmed();
    if (trimmed.isEmpty())
        return -1;
    bool ok = false;
    const int seconds = trimmed.toInt(&ok);
    if (ok)
        return seconds < 0 ? -1 : seconds;
    const QDateTime when = QDateTime::fromString(QString::fromLatin1(trimmed), Qt::RFC2822Date);
    if (!when.isValid())
        return -1;
    return int(std::max<qint64>(0, QDateTime::currentDateTimeUtc().secsTo(when)));
}

QString sslReasons(const QList<QSslError> &errors)
{
    QStringList texts;
    for (const QSslError &error : errors)
        texts << error.errorString();
    texts.removeDuplicates();
    return texts.join(QStringLiteral("; "));
}

} // namespace

struct LinkChecker::Job
{
    int target = -1; // the index given to start(); -1 for a site icon
    QUrl original;
    QUrl url;
    QString address;
    QString iconSite;
    bool wantTitle = false;
    bool useGet = false;
    bool retriedBusy = false;
    bool retriedServerError = false;
    bool timedOut = false;
    bool bodyCapped = false;
    QList<LinkHop> hops; // every address of the chain but the current one
    QString tlsReason;
    QByteArray body;
};

LinkChecker::LinkChecker(const LinkCheckSettings &settings, QObject *parent)
    : QObject(parent), m_settings(settings), m_network(new QNetworkAccessManager(this))
{
    m_network->setProxyFactory(new SystemProxies);
    m_network->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

LinkChecker::~LinkChecker()
{
    m_running = false;
    for (QNetworkReply *reply : std::as_const(m_replies))
        reply->disconnect(this);
}

QByteArray LinkChecker::userAgent()
{
    return QByteArrayLiteral("Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) "
                             "Vestrane/1.1.2 (link check)");
}

QString LinkChecker::siteOf(const QUrl &url)
{
    const int defaultPort = url.scheme() == QLatin1String("https") ? 443 : 80;
    return url.host().toLower() + QLatin1Char(':') + QString::number(url.port(defaultPort));
}

QUrl LinkChecker::requestUrlOf(const QString &stored)
{
    const QString text = stored.trimmed();
    if (text.isEmpty())
        return {};
    // "host:8080/x" names a port, not a scheme.
    static const QRegularExpression schemePattern(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):(?!\\d+([/?#]|$))"));
    const QRegularExpressionMatch scheme = schemePattern.match(text);
    if (scheme.hasMatch() && !isWebScheme(scheme.captured(1).toLower()))
        return {};
    QUrl url(scheme.hasMatch() ? text : QStringLiteral("http://") + text, QUrl::TolerantMode);
    if (url.scheme().isEmpty())
        url.setScheme(QStringLiteral("http")); // keeps an unusable address an http one
    return url;
}

void LinkChecker::start(const std::vector<LinkTarget> &targets)
{
    m_jobs.clear();
    m_sites.clear();
    m_readySites.clear();
    m_iconSites.clear();
    m_active = 0;
    m_done = 0;
    m_total = int(targets.size());
    m_openJobs = m_total;
    m_running = true;
    for (int i = 0; i < m_total; ++i) {
        Job job;
        job.target = i;
        job.address = targets[size_t(i)].address;
        job.original = requestUrlOf(job.address);
        job.url = job.original;
        job.wantTitle = job.useGet = targets[size_t(i)].wantTitle;
        m_jobs.push_back(std::move(job));
    }
    // Results come from the event loop, never from inside this call.
    QTimer::singleShot(0, this, [this] {
        for (int i = 0; i < m_total && m_running; ++i) {
            const Job &job = m_jobs[size_t(i)];
            if (job.original.isEmpty())
                finish(i, LinkStatus::NotChecked, 0, {});
            else if (!job.original.isValid() || job.original.host().isEmpty())
                finish(i, LinkStatus::Unreachable, 0, tr("网址无效"));
            else
                enqueue(i);
        }
        pump();
        endIfDone();
    });
}

void LinkChecker::cancel()
{
    if (!m_running)
        return;
    m_running = false;
    const QSet<QNetworkReply *> replies = m_replies;
    m_replies.clear();
    for (QNetworkReply *reply : replies)
        reply->abort();
    m_sites.clear();
    m_readySites.clear();
    Q_EMIT finished();
}

void LinkChecker::enqueue(int job, bool atFront)
{
    const QString key = siteOf(m_jobs[size_t(job)].url);
    Site &site = m_sites[key];
    if (atFront)
        site.pending.push_front(job);
    else
        site.pending.push_back(job);
    if (!site.ready && site.active < m_settings.perHost) {
        site.ready = true;
        m_readySites.push_back(key);
    }
}

// Starts requests while both limits allow, taking the sites in turn.
void LinkChecker::pump()
{
    while (m_running && m_active < m_settings.connections && !m_readySites.empty()) {
        const QString key = m_readySites.front();
        m_readySites.pop_front();
        Site &site = m_sites[key];
        site.ready = false;
        if (site.pending.empty() || site.active >= m_settings.perHost)
            continue;
        const int job = site.pending.front();
        site.pending.pop_front();
        ++site.active;
        ++m_active;
        if (!site.pending.empty() && site.active < m_settings.perHost) {
            site.ready = true;
            m_readySites.push_back(key);
        }
        launch(job);
    }
}

void LinkChecker::release(int job)
{
    const QString key = siteOf(m_jobs[size_t(job)].url);
    Site &site = m_sites[key];
    --site.active;
    --m_active;
    if (!site.ready && !site.pending.empty()) {
        site.ready = true;
        m_readySites.push_back(key);
    }
}

void LinkChecker::launch(int index)
{
    Job &job = m_jobs[size_t(index)];
    job.timedOut = false;
    job.bodyCapped = false;
    job.body.clear();
    job.tlsReason.clear();
    QNetworkRequest request(job.url);
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
    request.setRawHeader("Accept",
                         job.target < 0 ? QByteArrayLiteral("image/*,*/*;q=0.5")
                                        : QByteArrayLiteral("text/html,application/xhtml+xml,*/*;q=0.8"));
    // No cookie is sent, and none the server sets is kept.
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    if (job.target < 0) {
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
        request.setMaximumRedirectsAllowed(5);
    }
    QNetworkReply *reply = job.useGet ? m_network->get(request) : m_network->head(request);
    m_replies.insert(reply);
    const qint64 limit = job.target < 0 ? MaxIconBytes + 1 : MaxBodyBytes;
    connect(reply, &QNetworkReply::readyRead, this, [this, index, reply, limit] {
        Job &job = m_jobs[size_t(index)];
        job.body += reply->read(limit - job.body.size());
        if (job.body.size() >= limit) {
            job.bodyCapped = true;
            reply->abort(); // enough of it: the rest is not read
        }
    });
    connect(reply, &QNetworkReply::sslErrors, this, [this, index](const QList<QSslError> &errors) {
        m_jobs[size_t(index)].tlsReason = sslReasons(errors); // reported, never ignored
    });
    auto *timer = new QTimer(reply);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this, index, reply] {
        if (reply->isFinished())
            return;
        m_jobs[size_t(index)].timedOut = true;
        reply->abort();
    });
    timer->start(m_settings.timeoutMs);
    connect(reply, &QNetworkReply::finished, this, [this, index, reply] { answered(index, reply); });
}

void LinkChecker::answered(int job, QNetworkReply *reply)
{
    reply->deleteLater();
    if (!m_replies.remove(reply) || !m_running)
        return;
    release(job);
    const int code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_jobs[size_t(job)].target < 0)
        answeredIcon(job, reply, code);
    else
        answeredPage(job, reply, code);
    pump();
    endIfDone();
}

void LinkChecker::answeredPage(int index, QNetworkReply *reply, int code)
{
    Job &job = m_jobs[size_t(index)];
    if (code == 0) {
        // A server that closes without answering a HEAD may still answer a GET.
        if (!job.useGet && !job.timedOut && reply->error() == QNetworkReply::RemoteHostClosedError) {
            job.useGet = true;
            enqueue(index, true);
            return;
        }
        const QString reason = job.timedOut ? tr("超时（%n 秒内无回应）", nullptr, m_settings.timeoutMs / 1000)
            : !job.tlsReason.isEmpty()      ? job.tlsReason
                                            : reply->errorString();
        finish(index, LinkStatus::Unreachable, 0, reason);
        return;
    }
    const QByteArray location = reply->rawHeader("Location").trimmed();
    if (isRedirect(code) && !location.isEmpty()) {
        job.hops.append({code, job.url.toString()});
        const QUrl next = job.url.resolved(QUrl::fromEncoded(location, QUrl::TolerantMode));
        const QString nextText = next.toString();
        const bool seen = std::any_of(job.hops.cbegin(), job.hops.cend(),
                                      [&nextText](const LinkHop &hop) { return hop.address == nextText; });
        if (!isWebScheme(next.scheme()) || next.host().isEmpty())
            finish(index, LinkStatus::Broken, code, tr("转向无法检查的网址：%1").arg(next.toString()));
        else if (seen)
            finish(index, LinkStatus::Broken, code, tr("转向循环：%1").arg(next.toString()));
        else if (job.hops.size() > MaxHops)
            finish(index, LinkStatus::Broken, code, tr("转向超过 %n 次", nullptr, MaxHops));
        else {
            job.url = next;
            job.useGet = job.wantTitle;
            enqueue(index, true);
        }
        return;
    }
    if (code >= 200 && code < 300) {
        const bool moved = !job.hops.isEmpty() && isPermanentRedirect(job.hops.first().httpCode)
            && job.url.adjusted(QUrl::NormalizePathSegments) != job.original.adjusted(QUrl::NormalizePathSegments);
        const PageFacts facts =
            job.useGet ? PageReading::read(job.body, reply->rawHeader("Content-Type")) : PageFacts{};
        const QString site = siteOf(job.url);
        const QUrl iconUrl =
            job.url.resolved(QUrl(facts.iconLink.isEmpty() ? QStringLiteral("/favicon.ico") : facts.iconLink));
        const QString title = facts.title;
        finish(index, moved ? LinkStatus::Moved : LinkStatus::Ok, code, {}, title);
        if (!m_iconSites.contains(site) && isWebScheme(iconUrl.scheme()))
            requestIcon(site, iconUrl);
        return;
    }
    if ((code == 429 || code == 503) && !job.retriedBusy) {
        const int seconds = retryAfterSeconds(reply->rawHeader("Retry-After"));
        if (seconds >= 0 && seconds <= MaxRetryAfterSeconds) {
            job.retriedBusy = true;
            retryLater(index, seconds * 1000);
            return;
        }
    }
    // Some servers refuse HEAD (or answer it wrongly) but serve the page.
    const bool refusesHead = code == 405 || code == 501 || (code >= 400 && code < 500 && code != 404 && code != 410);
    if (!job.useGet && refusesHead) {
        job.useGet = true;
        enqueue(index, true);
        return;
    }
    if (code >= 500 && !job.retriedServerError) {
        job.retriedServerError = true;
        job.useGet = true;
        retryLater(index, ServerErrorPauseMs);
        return;
    }
    const QString phrase = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    finish(index, LinkStatus::Broken, code, QStringLiteral("HTTP %1 %2").arg(code).arg(phrase).trimmed());
}

void LinkChecker::answeredIcon(int index, QNetworkReply *reply, int code)
{
    Job &job = m_jobs[size_t(index)];
    const QByteArray type = reply->rawHeader("Content-Type").trimmed().toLower();
    const bool usable =
        code >= 200 && code < 300 && !job.bodyCapped && !job.body.isEmpty() && !type.startsWith("text/");
    if (usable)
        Q_EMIT iconFetched(job.iconSite, job.body);
    job.body.clear();
    --m_openJobs;
}

void LinkChecker::retryLater(int job, int milliseconds)
{
    QTimer::singleShot(milliseconds, this, [this, job] {
        if (!m_running)
            return;
        enqueue(job, true);
        pump();
    });
}

void LinkChecker::requestIcon(const QString &site, const QUrl &iconUrl)
{
    m_iconSites.insert(site);
    Job job;
    job.iconSite = site;
    job.url = job.original = iconUrl;
    job.useGet = true;
    m_jobs.push_back(std::move(job));
    ++m_openJobs;
    enqueue(int(m_jobs.size()) - 1);
}

void LinkChecker::finish(int index, LinkStatus status, int code, const QString &reason, const QString &title)
{
    Job &job = m_jobs[size_t(index)];
    LinkResult result;
    result.address = job.address;
    result.status = status;
    result.httpCode = code;
    if (status != LinkStatus::NotChecked)
        result.finalAddress = job.url.toString();
    result.title = title;
    result.reason = reason;
    result.hops = job.hops;
    // What is no longer needed is freed: a large library keeps only the results.
    job.hops.clear();
    job.body.clear();
    ++m_done;
    --m_openJobs;
    Q_EMIT checked(job.target, result);
    Q_EMIT progress(m_done, m_total);
}

void LinkChecker::endIfDone()
{
    if (m_running && m_openJobs == 0) {
        m_running = false;
        Q_EMIT finished();
    }
}
