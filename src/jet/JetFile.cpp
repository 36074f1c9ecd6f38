#include "jet/JetFile.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace {

bool sameFile(const QString &a, const QString &b)
{
    struct stat sa = {}, sb = {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0
        && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace

bool JetFile::isJetFile(const QString &file)
{
    // Opening a named pipe would wait for a writer.
    if (!QFileInfo(file).isFile())
        return false;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = f.read(19);
    return header.size() == 19
        && (header.mid(4) == QByteArrayLiteral("Standard Jet DB")
            || header.mid(4) == QByteArrayLiteral("Standard ACE DB"));
}

QString JetFile::keptName(const QString &file)
{
    const QString base = file + QStringLiteral(".jet");
    for (int n = 0;; ++n) {
        QString candidate = n == 0 ? base : base + QLatin1Char('.') + QString::number(n);
        const QByteArray name = QFile::encodeName(candidate);
        struct stat st = {};
        if (::lstat(name.constData(), &st) != 0 || sameFile(candidate, file))
            return candidate;
    }
}
