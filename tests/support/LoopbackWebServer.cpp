#include "LoopbackWebServer.h"

#include <QSslConfiguration>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 308: return "Permanent Redirect";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 410: return "Gone";
    case 429: return "Too Many Requests";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

// One connection: reads requests one at a time and answers each in turn.
class Connection : public QObject
{
public:
    Connection(QTcpSocket *socket, quint16 port, LoopbackWebServer *server)
        : QObject(socket), m_socket(socket), m_port(port), m_server(server)
    {
        QObject::connect(socket, &QTcpSocket::readyRead, this, [this] { readRequests(); });
        QObject::connect(socket, &QTcpSocket::disconnected, this, [this] {
            if (m_busy)
                m_server->answered(m_port);
            m_busy = false;
            m_socket->deleteLater();
        });
    }

private:
    void readRequests()
    {
        m_buffer += m_socket->readAll();
        if (m_busy)
            return;
        const qsizetype end = m_buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> requestLine = m_buffer.left(m_buffer.indexOf("\r\n")).split(' ');
        m_buffer.remove(0, end + 4);
        LoopbackWebServer::Request request{requestLine.value(0), requestLine.value(1), m_port};
        m_busy = true;
        const LoopbackWebServer::Answer answer = m_server->answer(request);
        if (answer.never)
            return;
        if (answer.hangUp) {
            m_busy = false;
            m_server->answered(m_port);
            m_socket->disconnectFromHost();
            return;
        }
        QTimer::singleShot(answer.delayMs, this,
                           [this, answer, head = request.method == "HEAD"] { write(answer, head); });
    }

    void write(const LoopbackWebServer::Answer &answer, bool head)
    {
        QByteArray text = "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + reasonPhrase(answer.status) + "\r\n";
        text += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
        for (const auto &header : answer.headers)
            text += header.first + ": " + header.second + "\r\n";
        text += "\r\n";
        if (!head)
            text += answer.body;
        m_busy = false;
        m_server->answered(m_port);
        m_socket->write(text);
        readRequests(); // the next one, if it came meanwhile
    }

    QTcpSocket *m_socket;
    quint16 m_port;
    LoopbackWebServer *m_server;
    QByteArray m_buffer;
    bool m_busy = false;
};

} // namespace

// Lives in the server's thread; every listening socket is its child.
class LoopbackWebServer::Listeners : public QObject
{
public:
    explicit Listeners(LoopbackWebServer *server) : m_server(server) {}

    quint16 listen(QTcpServer *listener)
    {
        listener->setParent(this);
        if (!listener->listen(QHostAddress::LocalHost, 0))
            return 0;
        const quint16 port = listener->serverPort();
        QObject::connect(listener, &QTcpServer::pendingConnectionAvailable, this, [this, listener, port] {
            while (QTcpSocket *socket = listener->nextPendingConnection())
                new Connection(socket, port, m_server);
        });
        return port;
    }

private:
    LoopbackWebServer *m_server;
};

LoopbackWebServer::LoopbackWebServer(Handler handler) : m_listeners(new Listeners(this)), m_handler(std::move(handler))
{
    m_listeners->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_listeners, &QObject::deleteLater);
    m_thread.start();
}

LoopbackWebServer::~LoopbackWebServer()
{
    m_thread.quit();
    m_thread.wait();
}

quint16 LoopbackWebServer::listen()
{
    quint16 port = 0;
    QMetaObject::invokeMethod(
        m_listeners, [&] { port = m_listeners->listen(new QTcpServer); }, Qt::BlockingQueuedConnection);
    return port;
}

quint16 LoopbackWebServer::listenTls(const QSslCertificate &certificate, const QSslKey &key)
{
    quint16 port = 0;
    QMetaObject::invokeMethod(
        m_listeners,
        [&] {
            auto *listener = new QSslServer;
            QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
            configuration.setLocalCertificate(certificate);
            configuration.setPrivateKey(key);
            configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
            listener->setSslConfiguration(configuration);
            port = m_listeners->listen(listener);
        },
        Qt::BlockingQueuedConnection);
    return port;
}

quint16 LoopbackWebServer::closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

LoopbackWebServer::Answer LoopbackWebServer::answer(const Request &request)
{
    {
        QMutexLocker lock(&m_mutex);
        ++m_requests[request.path];
        ++m_total;
        int &underWay = ++m_underWay[request.port];
        m_most[request.port] = std::max(m_most.value(request.port), underWay);
    }
    return m_handler(request);
}

void LoopbackWebServer::answered(quint16 port)
{
    QMutexLocker lock(&m_mutex);
    --m_underWay[port];
}

int LoopbackWebServer::requestsFor(const QByteArray &path) const
{
    QMutexLocker lock(&m_mutex);
    return m_requests.value(path);
}

int LoopbackWebServer::mostAtOnce(quint16 port) const
{
    QMutexLocker lock(&m_mutex);
    return m_most.value(port);
}

int LoopbackWebServer::totalRequests() const
{
    QMutexLocker lock(&m_mutex);
    return m_total;
}
