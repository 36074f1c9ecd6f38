#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <string>

// Writes a Netscape bookmark file: UTF-8 with its meta tag, every text escaped (control
// characters as character references). Folders are written in the order they are begun.
class NetscapeWriter
{
public:
    NetscapeWriter();

    void beginFolder(const QString &name);
    void endFolder();
    // An address without a scheme (as the editor stores it) is written with "http://"
    // in front, so that browsers take it for a web address.
    // `added` in seconds since the epoch; 0 writes no dates. The texts are valid UTF-8.
    void addLink(QByteArrayView address, QByteArrayView title, qint64 added);
    // The whole file; closes what is still open.
    QByteArray finish();

    static QString escaped(const QString &text);
    static QString withScheme(const QString &address);

private:
    void indent();

    // Appending to a standard string costs a fraction of QByteArray's append, a dozen
    // times for every link.
    std::string m_out;
    int m_depth = 1;
};
