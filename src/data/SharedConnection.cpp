#include "data/SharedConnection.h"

#include "data/LibraryLocation.h"
#include "data/SettingsStore.h"
#include "data/AppError.h"
#include "data/MessageText.h"
#include "data/PrivateFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString databaseFileFor(const QString &pathSetting)
{
    static const QString fileName = QStringLiteral("address.mdb");
    if (pathSetting.isEmpty()) {
        const QString folder =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Kelvo");
        if (!PrivateFiles::makeFolder(folder))
            throw AppError(QCoreApplication::translate("SharedConnection", "无法创建数据文件夹：%1")
                               .arg(excerptForMessage(folder)));
        return folder + QLatin1Char('/') + fileName;
    }
    const QFileInfo folder(pathSetting);
    if (folder.isRelative() || !folder.isDir())
        // The folder comes last: a long name without a break point runs past the box's
        // edge, and then it is the name that is cut off, not what is wrong with it.
        throw AppError(QCoreApplication::translate("SharedConnection",
                                                   "无法打开数据库：Path 所指的文件夹不存在或不是绝对路径：“%1”")
                           .arg(excerptForMessage(pathSetting)));
    return QDir(folder.absoluteFilePath()).filePath(fileName);
}

void configureConnection(DbConnection &connection)
{
    QString database;
    try {
        database = SettingsStore::database();
    } catch (const AppError &error) {
        connection.setConfigurationError(error.message());
        throw;
    }
    if (!database.isEmpty()) {
        LibraryLocation location;
        try {
            location = LibraryLocation::parse(database);
        } catch (const AppError &error) {
            connection.setConfigurationError(error.message()); // reported at the first statement
            return;
        }
        if (location.isServer())
            connection.setLocation(location);
        else
            connection.setConfigurationError(QCoreApplication::translate(
                "SharedConnection", "设置中的数据库 Database 只能为空、sqlite 或 postgresql:// 开头的服务器地址"));

        return;
    }
    QString path;
    try {
        path = SettingsStore::path();
    } catch (const AppError &error) {
        connection.setConfigurationError(error.message());
        throw;
    }
    try {
        connection.setLocation(LibraryLocation::file(databaseFileFor(path)));
    } catch (const AppError &error) {
        connection.setConfigurationError(error.message());
    }
}

SharedConnection::SharedConnection() : m_connection(std::make_unique<DbConnection>(QStringLiteral("Dm1"))) {}

void SharedConnection::init()
{
    configureConnection(*m_connection);
}
