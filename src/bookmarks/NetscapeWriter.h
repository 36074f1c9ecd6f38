#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Writes a Netscape bookmark file: UTF-8 with its meta tag, one folder per group, every
// text escaped. Folders are written in the order they are begun.
class NetscapeWriter
{
public:
    NetscapeWriter();

    void beginFolder(const QString &name);
    void endFolder();
    // An address without a scheme (as the editor stores it) is written with "http://"
    // in front, so that browsers take it for a web address.
    void addLink(const QString &address, const QString &title, const QDateTime &added);
    // The whole file; closes what is still open.
    QByteArray finish();

    static QString escaped(const QString &text);
    static QString withScheme(const QString &address);

private:
    void indent();

    QByteArray m_out;
    int m_depth = 1;
};
