#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QPair>
#include <QSslCertificate>
#include <QSslKey>
#include <QThread>

#include <functional>

// A small HTTP/1.1 server on 127.0.0.1 only, for the link check's tests and benchmark.
// It runs in a thread of its own, so that a test may block (on a child process, say)
// while it answers. Each port stands for one web site; connections are kept alive.
class LoopbackWebServer
{
public:
    struct Request
    {
        QByteArray method;
        QByteArray path;
        quint16 port = 0;
    };
    struct Answer
    {
        int status = 200;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        int delayMs = 0;
        bool never = false; // keeps the connection open without answering
        bool hangUp = false; // closes the connection without answering
    };
    using Handler = std::function<Answer(const Request &)>;

    // `handler` is called in the server's thread, one request at a time.
    explicit LoopbackWebServer(Handler handler);
    ~LoopbackWebServer();

    // A new port that answers plain HTTP; gives its number.
    quint16 listen();
    // A new port that answers over TLS with this certificate.
    quint16 listenTls(const QSslCertificate &certificate, const QSslKey &key);
    // A port on which nothing listens.
    static quint16 closedPort();

    // Requests seen for a path, on any port.
    int requestsFor(const QByteArray &path) const;
    // The most requests a port had under way at one moment.
    int mostAtOnce(quint16 port) const;
    int totalRequests() const;

    // Called by the server's connections.
    Answer answer(const Request &request);
    void answered(quint16 port);

private:
    class Listeners;
    QThread m_thread;
    Listeners *m_listeners;
    Handler m_handler;
    mutable QMutex m_mutex;
    QHash<QByteArray, int> m_requests;
    QHash<quint16, int> m_underWay;
    QHash<quint16, int> m_most;
    int m_total = 0;
};
