#include "data/ServerAddress.h"

#include "data/AppError.h"

#include <QCoreApplication>
#include <QUrl>

namespace {

const QStringList schemes{QStringLiteral("postgresql://"), QStringLiteral("postgres://")};

// Why a URI cannot be used; parse() names where the URI came from in front of it.
struct Refusal
{
    QString why;
};

[[noreturn]] void refuse(const QString &why)
{
    throw Refusal{why};
}

QString passwordAdvice()
{
    return ServerAddress::tr("地址中不能写密码，请写在 ~/.pgpass 或环境变量 PGPASSWORD 中");
}

QString decoded(const QString &text)
{
    return QUrl::fromPercentEncoding(text.toUtf8());
}

int portFrom(const QString &text)
{
    bool ok = false;
    const int port = text.toInt(&ok);
    if (!ok || port < 1 || port > 65535 || !text.front().isDigit())
        refuse(ServerAddress::tr("端口不是 1 到 65535 的数")); // the text may be part of a password
    return port;
}

// Qt's driver joins the options with spaces into libpq's connection text, where a value
// is quoted; a semicolon would split it into two options there.
QString option(const QString &key, const QString &value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QStringLiteral("%1='%2'").arg(key, quoted);
}

void setParameter(ServerAddress &address, const QString &key, const QString &value)
{
    if (value.contains(QLatin1Char(';')))
        refuse(ServerAddress::tr("参数 %1 的值不能含分号").arg(key));
    if (key == QLatin1String("host"))
        address.host = value;
    else if (key == QLatin1String("port"))
        address.port = portFrom(value);
    else if (key == QLatin1String("user"))
        address.user = value;
    else if (key == QLatin1String("dbname"))
        address.database = value;
    else if (key == QLatin1String("sslmode"))
        address.sslMode = value;
    else if (key == QLatin1String("connect_timeout"))
        address.connectTimeout = value;
    else if (key == QLatin1String("application_name"))
        address.applicationName = value;
    else if (key == QLatin1String("password"))
        refuse(passwordAdvice());
    else
        refuse(ServerAddress::tr("不认识的参数“%1”").arg(key));
}

void readHostAndPort(ServerAddress &address, const QString &hostPort)
{
    QString host = hostPort;
    QString port;
    if (host.startsWith(QLatin1Char('['))) { // a numeric IPv6 address
        const qsizetype close = host.indexOf(QLatin1Char(']'));
        if (close < 0)
            refuse(ServerAddress::tr("主机地址缺少“]”"));
        const QString rest = host.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':')))
            refuse(ServerAddress::tr("主机地址“%1”后有多余的文字").arg(host.left(close + 1)));
        port = rest.mid(1);
        host = host.mid(1, close - 1);
    } else if (const qsizetype colon = host.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        port = host.mid(colon + 1);
        host = host.left(colon);
    }
    address.host = decoded(host);
    if (!port.isEmpty())
        address.port = portFrom(port);
}

} // namespace

bool ServerAddress::isServerUri(const QString &text)
{
    for (const QString &scheme : schemes) {
        if (text.startsWith(scheme, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

ServerAddress ServerAddress::parse(const QString &uri, const QString &origin)
try {
    QString rest;
    for (const QString &scheme : schemes) {
        if (uri.startsWith(scheme, Qt::CaseInsensitive))
            rest = uri.mid(scheme.size());
    }
    if (!isServerUri(uri))
        refuse(ServerAddress::tr("它应以 postgresql:// 开头"));
    ServerAddress address;
    QString query;
    if (const qsizetype mark = rest.indexOf(QLatin1Char('?')); mark >= 0) {
        query = rest.mid(mark + 1);
        rest.truncate(mark);
    }
    // An "@" after the first "/" means that the part before it held a "/": a password, most
    // likely, cut in two. Nothing of it is shown, and no host is taken from it.
    if (const qsizetype slash = rest.indexOf(QLatin1Char('/'));
        slash >= 0 && rest.indexOf(QLatin1Char('@'), slash) >= 0)
        refuse(ServerAddress::tr("无法解读（数据库名前有“@”）。%1").arg(passwordAdvice()));
    QString authority = rest;
    if (const qsizetype slash = rest.indexOf(QLatin1Char('/')); slash >= 0) {
        authority = rest.left(slash);
        address.database = decoded(rest.mid(slash + 1));
    }
    if (const qsizetype at = authority.lastIndexOf(QLatin1Char('@')); at >= 0) {
        const QString userInfo = authority.left(at);
        if (userInfo.contains(QLatin1Char(':')))
            refuse(passwordAdvice());
        address.user = decoded(userInfo);
        authority = authority.mid(at + 1);
    }
    readHostAndPort(address, authority);
    for (const QString &pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        if (equals < 0)
            refuse(ServerAddress::tr("有参数缺少“=”")); // the text may be a password
        setParameter(address, decoded(pair.left(equals)), decoded(pair.mid(equals + 1)));
    }
    return address;
} catch (const Refusal &refusal) {
    const QString shownOrigin = origin.isEmpty() ? ServerAddress::tr("设置中的数据库地址 Database") : origin;
    throw AppError(ServerAddress::tr("%1 不能使用：%2").arg(shownOrigin, refusal.why));
}

QString ServerAddress::connectOptions() const
{
    QStringList options;
    if (!sslMode.isEmpty())
        options << option(QStringLiteral("sslmode"), sslMode);
    if (!connectTimeout.isEmpty())
        options << option(QStringLiteral("connect_timeout"), connectTimeout);
    if (!applicationName.isEmpty())
        options << option(QStringLiteral("application_name"), applicationName);
    return options.join(QLatin1Char(';'));
}

QString ServerAddress::toUri(const QString &otherDatabase) const
{
    const auto encoded = [](const QString &text) { return QString::fromUtf8(QUrl::toPercentEncoding(text)); };
    QString uri = QStringLiteral("postgresql://");
    if (!user.isEmpty())
        uri += encoded(user) + QLatin1Char('@');
    if (host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('/')))
        uri += QLatin1Char('[') + QString::fromUtf8(QUrl::toPercentEncoding(host, ":")) + QLatin1Char(']');
    else
        uri += encoded(host);
    if (port > 0)
        uri += QLatin1Char(':') + QString::number(port);
    uri += QLatin1Char('/') + encoded(otherDatabase.isEmpty() ? database : otherDatabase);
    QStringList query;
    if (!sslMode.isEmpty())
        query << QStringLiteral("sslmode=") + encoded(sslMode);
    if (!connectTimeout.isEmpty())
        query << QStringLiteral("connect_timeout=") + encoded(connectTimeout);
    if (!applicationName.isEmpty())
        query << QStringLiteral("application_name=") + encoded(applicationName);
    return query.isEmpty() ? uri : uri + QLatin1Char('?') + query.join(QLatin1Char('&'));
}

QString ServerAddress::describe() const
{
    const QString where = host.isEmpty() ? ServerAddress::tr("本机默认套接字") : host;
    const QString which = database.isEmpty() ? (user.isEmpty() ? ServerAddress::tr("（默认）") : user) : database;
    return ServerAddress::tr("服务器 %1 端口 %2 数据库 %3")
        .arg(where, port > 0 ? QString::number(port) : QStringLiteral("5432"), which);
}
