#include "app/JetStart.h"

#include "data/DbConnection.h"
#include "jet/JetConversion.h"
#include "jet/JetFile.h"
#include "platform/Dialogs.h"
#include "services/CommandWork.h"

#include <QFileInfo>
#include <QGuiApplication>

void offerJetConversion(DbConnection &connection)
{
    const QString file = connection.location().filePath();
    if (file.isEmpty())
        return;
    // A conversion killed part-way left its work file (as large as the library); it is
    // of no use whatever the answer to the question below.
    JetConversion::removeLeftovers(file);
    if (!JetFile::isJetFile(file))
        return;
    const QString question =
        QCoreApplication::translate("JetStart", "%1 是旧版（Jet）数据文件。转换为本程序的格式吗？原文件将保留为 %2。")
            .arg(QFileInfo(file).fileName(), QFileInfo(JetFile::keptName(file)).fileName());
    if (Dialogs::show(nullptr, question, QCoreApplication::translate("JetStart", "提示"),
                      QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::Question)
        != QMessageBox::Yes)
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const Outcome converted = CommandWork::convertJetFile(file);
    QGuiApplication::restoreOverrideCursor();
    if (!converted.ok())
        Dialogs::errorReport(
            nullptr, QCoreApplication::translate("JetStart", "%1。原文件未作任何改动。").arg(converted.message));
}
