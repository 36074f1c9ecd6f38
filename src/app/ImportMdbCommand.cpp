#include "app/ImportMdbCommand.h"

#include "data/SharedConnection.h"
#include "data/SettingsStore.h"
#include "jet/JetFile.h"
#include "jet/JetMerge.h"
#include "data/AppError.h"
#include "platform/Language.h"

#include <QCoreApplication>
#include <cstdio>

int ImportMdbCommand::run(int &argc, char **argv, const QString &file)
{
    QCoreApplication app(argc, argv);
    Language::install(Language::messagesLocaleName(), Language::Scope::ProgramOnly); // what it prints
    QCoreApplication::setApplicationName(QStringLiteral("vestrane"));
    try {
        SettingsStore::writeDefaultsIfMissing();
        DbConnection db(QStringLiteral("import-mdb"));
        configureConnection(db);
        if (JetFile::isJetFile(db.location().filePath()))
            throw AppError(
                QCoreApplication::translate("ImportMdbCommand",
                                            "数据库 %1 是旧版（Jet）数据文件，请先启动本程序把它转换为本程序的格式")

                    .arg(db.location().filePath()));
        const JetMerge::Result result = JetMerge::merge(db, file);
        std::printf("%s\n", qPrintable(JetMerge::summary(result)));
        return 0;
    } catch (const AppError &error) {
        std::fprintf(stderr, "vestrane: %s\n", qPrintable(error.message()));
        return 1;
    }
}
