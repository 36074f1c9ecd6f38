#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTest>

// Internet shortcut (*.url) files in the test's own Favorites folder under its HOME.
inline QString favoritesDir()
{
    return QDir::homePath() + QStringLiteral("/Favorites");
}

inline void writeShortcut(const QString &name, const QByteArray &content)
{
    QFile file(favoritesDir() + u'/' + name);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

inline void writeShortcutTo(const QString &name, const QByteArray &url)
{
    writeShortcut(name, "[InternetShortcut]\r\nURL=" + url + "\r\n");
}
