#include "platform/DesktopHelp.h"

#include "platform/Browser.h"
#include "platform/Language.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

QString DesktopHelp::helpFile()
{
    // The page in the interface's language.
    const QString name = Language::showsChineseTexts(Language::current()) ? QStringLiteral("addresshelp.html")
                                                                          : QStringLiteral("addresshelp_en.html");
    const QStringList candidates = {
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/vestrane/") + name,
        QStringLiteral(VESTRANE_HELP_DIR "/") + name,
        QStringLiteral(VESTRANE_SOURCE_DIR "/resources/help/") + name,
    };
    for (const QString &candidate : candidates) {
        if (QFileInfo::exists(candidate))
            return QDir::cleanPath(QFileInfo(candidate).absoluteFilePath());
    }
    return candidates.last();
}

QString DesktopHelp::helpUrl()
{
    return QUrl::fromLocalFile(helpFile()).toString(QUrl::FullyEncoded);
}

bool DesktopHelp::open()
{
    return Browser::open(helpUrl());
}
