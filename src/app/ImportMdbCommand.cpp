#include "app/ImportMdbCommand.h"

#include "data/SettingsStore.h"
#include "jet/JetFile.h"
#include "platform/Language.h"
#include "services/CommandWork.h"

#include <QCoreApplication>
#include <cstdio>

int ImportMdbCommand::run(int &argc, char **argv, const QString &file)
{
    QCoreApplication app(argc, argv);
    Language::install(Language::messagesLocaleName(), Language::Scope::ProgramOnly); // what it prints
    QCoreApplication::setApplicationName(QStringLiteral("vestrane"));
    SettingsStore::writeDefaultsIfMissing();
    DbConnection db(QStringLiteral("import-mdb"));
    Fetched<JetMerge::Result> merged{{}, CommandWork::openLibrary(db, false)};
    if (merged.ok() && JetFile::isJetFile(db.location().filePath()))
        merged.outcome = Outcome::refused(
            QCoreApplication::translate("ImportMdbCommand",
                                        "数据库 %1 是旧版（Jet）数据文件，请先启动本程序把它转换为本程序的格式")

                .arg(db.location().filePath()));
    if (merged.ok())
        merged = CommandWork::mergeJetFile(db, file);
    if (!merged.ok()) {
        std::fprintf(stderr, "vestrane: %s\n", qPrintable(merged.outcome.message));
        return 1;
    }
    std::printf("%s\n", qPrintable(JetMerge::summary(merged.value)));
    return 0;
}
