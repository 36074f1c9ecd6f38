<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AddressCommands</name>
    <message>
        <location filename="../src/services/AddressCommands.cpp" line="+45"/>
        <source>成功删除！!</source>
        <translation>Deleted successfully!</translation>
    </message>
</context>
<context>
    <name>AddressEditing</name>
    <message>
        <location filename="../src/services/AddressEditing.cpp" line="+12"/>
        <source>请输入网址!</source>
        <translation>Please enter an address.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>请输入网址名称!</source>
        <translation>Please enter a name for the address.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>请先添加网址组别！</source>
        <translation>Please add an address group first.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>该网址已不存在，未能修改！</source>
        <translation>This address no longer exists; it was not changed.</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>网址不能以“-”开头！</source>
        <translation>An address cannot start with “-”.</translation>
    </message>
</context>
<context>
    <name>AddressEditor</name>
    <message>
        <location filename="../src/editor/AddressEditor.cpp" line="+40"/>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <location line="+5"/>
        <location line="+89"/>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <location line="-83"/>
        <source>网址 HTTP:\\</source>
        <translation>URL HTTP:\\</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>保存成功！!</source>
        <translation>Saved!</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>修改保存成功！!</source>
        <translation>Changes saved!</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>添加组别</source>
        <translation>Add Group</translation>
    </message>
    <message>
        <location line="+39"/>
        <source>网址名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>组别</source>
        <translation>Group</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>退出</source>
        <translation>Close</translation>
    </message>
    <message>
        <location line="+29"/>
        <location line="+27"/>
        <source>添加网址</source>
        <translation>Add Address</translation>
    </message>
    <message>
        <location line="-14"/>
        <source>修改网址</source>
        <translation>Edit Address</translation>
    </message>
</context>
<context>
    <name>AddressExport</name>
    <message>
        <location filename="../src/main/AddressExport.cpp" line="+21"/>
        <source>导出网址</source>
        <translation>Export Addresses</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>书签文件 (*.html *.htm)</source>
        <translation>Bookmark files (*.html *.htm)</translation>
    </message>
    <message numerus="yes">
        <location line="+17"/>
        <source>成功导出 %n 个网址！</source>
        <translation>
            <numerusform>Exported %n address!</numerusform>
            <numerusform>Exported %n addresses!</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>AddressListPane</name>
    <message>
        <location filename="../src/main/AddressListPane.cpp" line="+66"/>
        <source>添加网址</source>
        <translation>Add Address</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>修改网址</source>
        <translation>Edit Address</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>删除网址</source>
        <translation>Delete Address</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>加入到收藏夹</source>
        <translation>Add to Favorites</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>从收藏夹中删除</source>
        <translation>Remove from Favorites</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>改为新网址</source>
        <translation>Use New Address</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>使用网页标题</source>
        <translation>Use Page Title</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>还原</source>
        <translation>Restore</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>彻底删除</source>
        <translation>Delete Permanently</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>网址</source>
        <comment>list column</comment>
        <translation>Address</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>访问时间</source>
        <translation>Last Visit</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>访问次数</source>
        <translation>Visits</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>组</source>
        <translation>Group</translation>
    </message>
    <message>
        <location line="+47"/>
        <source>组        别：</source>
        <translation>Group: </translation>
    </message>
    <message>
        <location line="+0"/>
        <source>网        址：</source>
        <translation>Address: </translation>
    </message>
    <message>
        <location line="+1"/>
        <source>网址名称：</source>
        <translation>Name: </translation>
    </message>
    <message>
        <location line="+0"/>
        <source>访问时间：</source>
        <translation>Last visit: </translation>
    </message>
    <message>
        <location line="+1"/>
        <source>访问次数：</source>
        <translation>Visits: </translation>
    </message>
</context>
<context>
    <name>AddressVisitor</name>
    <message>
        <location filename="../src/main/AddressVisitor.cpp" line="+57"/>
        <source>不在线！</source>
        <translation>Not online!</translation>
    </message>
</context>
<context>
    <name>BackgroundImport</name>
    <message>
        <location filename="../src/bookmarks/BackgroundImport.cpp" line="+35"/>
        <source>导入书签</source>
        <translation>Import bookmarks</translation>
    </message>
</context>
<context>
    <name>BinCommands</name>
    <message>
        <location filename="../src/main/BinCommands.cpp" line="+64"/>
        <source>回收站中的网址将被彻底删除，确定清空回收站吗？</source>
        <translation>The addresses in the recycle bin will be deleted for good. Empty the recycle bin?</translation>
    </message>
</context>
<context>
    <name>BookmarkCommands</name>
    <message>
        <location filename="../src/app/BookmarkCommands.cpp" line="+47"/>
        <source>组别不存在：%1</source>
        <translation>No such group: %1</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>vestrane: 无法写出结果（%1）</source>
        <translation>vestrane: cannot write the result (%1)</translation>
    </message>
    <message numerus="yes">
        <location line="+23"/>
        <source>导出 %n 条</source>
        <translation>
            <numerusform>%n exported</numerusform>
            <numerusform>%n exported</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>BookmarkFile</name>
    <message>
        <location filename="../src/bookmarks/BookmarkFile.cpp" line="+33"/>
        <source>文件不存在：%1</source>
        <translation>File not found: %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+12"/>
        <source>无法打开文件：%1（%2）</source>
        <translation>Cannot open the file: %1 (%2)</translation>
    </message>
    <message>
        <location line="-5"/>
        <source>不是普通文件：%1</source>
        <translation>Not a regular file: %1</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>无法读取文件：%1（%2）</source>
        <translation>Cannot read the file: %1 (%2)</translation>
    </message>
    <message>
        <location line="+45"/>
        <source>不是书签文件：%1</source>
        <translation>Not a bookmark file: %1</translation>
    </message>
</context>
<context>
    <name>BookmarkSet</name>
    <message>
        <location filename="../src/bookmarks/Bookmark.cpp" line="+50"/>
        <source>不是网址</source>
        <translation>Not a web address</translation>
    </message>
</context>
<context>
    <name>BrowserProfile</name>
    <message>
        <location filename="../src/bookmarks/BrowserProfiles.h" line="+21"/>
        <source>%1 – %2（%3）</source>
        <comment>browser – profile (packaging)</comment>
        <translation>%1 – %2 (%3)</translation>
    </message>
</context>
<context>
    <name>CaptionWindow</name>
    <message>
        <location filename="../src/window/CaptionWindow.cpp" line="+173"/>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+145"/>
        <source>最大化</source>
        <translation>Maximize</translation>
    </message>
    <message>
        <location line="-3"/>
        <source>还原</source>
        <translation>Restore</translation>
    </message>
</context>
<context>
    <name>ChromiumReader</name>
    <message>
        <location filename="../src/bookmarks/ChromiumReader.cpp" line="+137"/>
        <source>不是浏览器的书签文件：%1</source>
        <translation>Not a browser bookmark file: %1</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>没有 roots</source>
        <translation>no roots</translation>
    </message>
</context>
<context>
    <name>CopyDatabaseCommand</name>
    <message>
        <location filename="../src/app/CopyDatabaseCommand.cpp" line="+24"/>
        <source>命令行 --copy-database 的目标 TO</source>
        <translation>The target TO of --copy-database</translation>
    </message>
</context>
<context>
    <name>DailyBackup</name>
    <message>
        <location filename="../src/data/DailyBackup.cpp" line="+58"/>
        <source>今天的数据库备份未能完成：%1</source>
        <translation>Today&apos;s backup of the database could not be completed: %1</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>无法建立文件夹“%1”</source>
        <translation>cannot create the folder “%1”</translation>
    </message>
    <message>
        <location line="+6"/>
        <location line="+8"/>
        <source>无法写入“%1”</source>
        <translation>cannot write “%1”</translation>
    </message>
</context>
<context>
    <name>DatabaseCopy</name>
    <message numerus="yes">
        <location filename="../src/data/DatabaseCopy.cpp" line="+100"/>
        <source>目标数据库“%1”中已有 %n 条网址，未复制任何内容：只能复制到没有网址的数据库。</source>
        <translation>
            <numerusform>The target database “%1” already holds %n address. Nothing was copied: a library can only be copied into a database without addresses.</numerusform>
            <numerusform>The target database “%1” already holds %n addresses. Nothing was copied: a library can only be copied into a database without addresses.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>DbConnection</name>
    <message>
        <location filename="../src/data/DbConnection.cpp" line="+262"/>
        <location filename="../src/data/PostgresRows.cpp" line="+147"/>
        <location line="+27"/>
        <location filename="../src/data/WriteStatement.cpp" line="+35"/>
        <source>数据库错误</source>
        <translation>Database error</translation>
    </message>
    <message>
        <location line="-113"/>
        <source>未设置数据库文件</source>
        <translation>No database file is set</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>数据库“%1”由较新版本的程序建立（版本 %2，本程序只能使用版本 %3 及以前的数据库），未作任何改动。</source>
        <translation>The database “%1” was made by a newer version of the program (version %2; this program can use databases up to version %3). Nothing was changed.</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>数据库“%1”不完整，缺少表 %2，未作任何改动。</source>
        <translation>The database “%1” is incomplete: it lacks the tables %2. Nothing was changed.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>、</source>
        <comment>between the names of a list</comment>
        <translation>, </translation>
    </message>
    <message>
        <location line="+4"/>
        <source>数据库“%1”缺少记录版本的表 %2，无法确定其中的表是否由本程序建立，未作任何改动。</source>
        <translation>The database “%1” lacks the table %2 that records its version, so there is no telling whether its tables were made by this program. Nothing was changed.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>数据库“%1”所在的位置是只读的，无法建立或升级数据库。</source>
        <translation>The database “%1” is in a read-only location; it cannot be created or upgraded.</translation>
    </message>
    <message>
        <location line="+55"/>
        <source>与数据库的连接中断（%1）：%2</source>
        <translation>The connection to the database was lost (%1): %2</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>数据库文件“%1”不是本程序的数据库，无法使用，未作任何改动。</source>
        <translation>The database file “%1” is not a database of this program and cannot be used. Nothing was changed.</translation>
    </message>
    <message>
        <location line="+151"/>
        <source>与数据库的连接已中断，所作的修改未保存</source>
        <translation>The connection to the database was lost; the changes were not saved</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <location filename="../src/platform/Dialogs.cpp" line="+52"/>
        <source>网址管理软件V1.0</source>
        <translation>Web Address Manager V1.0</translation>
    </message>
    <message>
        <location line="+57"/>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <location line="+69"/>
        <location line="+24"/>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="-23"/>
        <source>详细信息</source>
        <translation>Details</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>ExportService</name>
    <message>
        <location filename="../src/bookmarks/ExportService.cpp" line="+79"/>
        <source>写入中断</source>
        <translation>writing stopped short</translation>
    </message>
    <message>
        <location line="+208"/>
        <source>无法写入文件：%1（%2）</source>
        <translation>Cannot write the file: %1 (%2)</translation>
    </message>
</context>
<context>
    <name>FavoritesReader</name>
    <message>
        <location filename="../src/favorites/FavoritesReader.cpp" line="+43"/>
        <source>无法读取收藏夹文件：%1（%2）</source>
        <translation>Cannot read the favorites file: %1 (%2)</translation>
    </message>
    <message>
        <location line="+133"/>
        <source>这是一个文件夹</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>不是普通文件</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>文件过大</source>
        <translation>the file is too large</translation>
    </message>
    <message>
        <location line="+44"/>
        <source>收藏夹文件格式错误：%1（%2 之后没有网址行）</source>
        <translation>Bad favorites file: %1 (no URL line after %2)</translation>
    </message>
    <message>
        <location line="+67"/>
        <source>无法读取收藏夹文件夹：%1（%2）</source>
        <translation>Cannot read the favorites folder: %1 (%2)</translation>
    </message>
</context>
<context>
    <name>FirefoxReader</name>
    <message>
        <location filename="../src/bookmarks/FirefoxReader.cpp" line="+47"/>
        <source>不是普通文件：%1</source>
        <translation>Not a regular file: %1</translation>
    </message>
    <message>
        <location line="+11"/>
        <location line="+40"/>
        <source>不是 Firefox 的书签数据库：%1</source>
        <translation>Not a Firefox bookmark database: %1</translation>
    </message>
    <message>
        <location line="-34"/>
        <source>不是 Firefox 的书签数据库：含有视图或触发器“%1”</source>
        <translation>Not a Firefox bookmark database: it holds the view or trigger “%1”</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>不是 Firefox 的书签数据库：缺少 moz_bookmarks 或 moz_places 表</source>
        <translation>Not a Firefox bookmark database: the table moz_bookmarks or moz_places is missing</translation>
    </message>
    <message>
        <location line="+10"/>
        <location line="+3"/>
        <source>无法读取文件：%1</source>
        <translation>Cannot read the file: %1</translation>
    </message>
    <message>
        <location line="+132"/>
        <source>无法创建临时文件夹</source>
        <translation>Cannot create a temporary folder</translation>
    </message>
</context>
<context>
    <name>GroupService</name>
    <message>
        <location filename="../src/services/GroupService.cpp" line="+21"/>
        <source>该组别已存在！</source>
        <translation>A group of this name exists already.</translation>
    </message>
</context>
<context>
    <name>GroupTreePane</name>
    <message>
        <location filename="../src/main/GroupTreePane.cpp" line="+81"/>
        <source>网址</source>
        <translation>Addresses</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>收藏夹</source>
        <translation>Favorites</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>失效网址</source>
        <translation>Dead Links</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>回收站</source>
        <translation>Recycle Bin</translation>
    </message>
    <message>
        <location line="+57"/>
        <source>添加网址</source>
        <translation>Add Address</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>修改组别名</source>
        <translation>Rename Group</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>添加网址组别</source>
        <translation>Add Group</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>删除网址组别</source>
        <translation>Delete Group</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>导出网址…</source>
        <translation>Export Addresses…</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>检查链接</source>
        <translation>Check Links</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>清空回收站</source>
        <translation>Empty Recycle Bin</translation>
    </message>
</context>
<context>
    <name>HistoryActions</name>
    <message>
        <location filename="../src/main/HistoryActions.cpp" line="+40"/>
        <location line="+16"/>
        <location line="+8"/>
        <source>撤销</source>
        <translation>Undo</translation>
    </message>
    <message>
        <location line="-22"/>
        <location line="+14"/>
        <location line="+10"/>
        <source>重做</source>
        <translation>Redo</translation>
    </message>
</context>
<context>
    <name>HistoryCommands</name>
    <message>
        <location filename="../src/services/HistoryCommands.cpp" line="+93"/>
        <source>新建网址组别“%1”</source>
        <translation>New group “%1”</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>重命名网址组别“%1”</source>
        <translation>Rename group “%1”</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>删除网址组别“%1”</source>
        <translation>Delete group “%1”</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>添加网址“%1”</source>
        <translation>Add address “%1”</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>修改网址“%1”</source>
        <translation>Edit address “%1”</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>删除网址“%1”</source>
        <translation>Delete address “%1”</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>添加到收藏夹“%1”</source>
        <translation>Add “%1” to favorites</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>从收藏夹中删除“%1”</source>
        <translation>Remove “%1” from favorites</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>改为新网址“%1”</source>
        <translation>Use the new address of “%1”</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>使用网页标题“%1”</source>
        <translation>Use the page title of “%1”</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>导入收藏夹</source>
        <translation>Import favorites</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>从回收站还原</source>
        <translation>Restore from the recycle bin</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>从回收站中彻底删除</source>
        <translation>Delete from the recycle bin for good</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>清空回收站</source>
        <translation>Empty the recycle bin</translation>
    </message>
</context>
<context>
    <name>ImportMdbCommand</name>
    <message>
        <location filename="../src/app/ImportMdbCommand.cpp" line="+21"/>
        <source>数据库 %1 是旧版（Jet）数据文件，请先启动本程序把它转换为本程序的格式</source>
        <translation>The database %1 is an old (Jet) data file; start the program first to convert it to this program&apos;s format</translation>
    </message>
</context>
<context>
    <name>ImportReport</name>
    <message numerus="yes">
        <location filename="../src/bookmarks/ImportService.cpp" line="+158"/>
        <source>导入 %n 条</source>
        <translation>
            <numerusform>%n imported</numerusform>
            <numerusform>%n imported</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>导入：%n 条</source>
        <translation>
            <numerusform>Imported: %n</numerusform>
            <numerusform>Imported: %n</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>重复跳过 %n 条</source>
        <translation>
            <numerusform>%n duplicate skipped</numerusform>
            <numerusform>%n duplicates skipped</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>重复跳过：%n 条</source>
        <translation>
            <numerusform>Duplicates skipped: %n</numerusform>
            <numerusform>Duplicates skipped: %n</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>未选中 %n 条</source>
        <translation>
            <numerusform>%n not selected</numerusform>
            <numerusform>%n not selected</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>未选中：%n 条</source>
        <translation>
            <numerusform>Not selected: %n</numerusform>
            <numerusform>Not selected: %n</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>非网址 %n 条</source>
        <translation>
            <numerusform>%n not a web address</numerusform>
            <numerusform>%n not web addresses</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>非网址：%n 条</source>
        <translation>
            <numerusform>Not web addresses: %n</numerusform>
            <numerusform>Not web addresses: %n</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>新建组别 %n 个</source>
        <translation>
            <numerusform>%n new group</numerusform>
            <numerusform>%n new groups</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>新建组别：%n 个</source>
        <translation>
            <numerusform>New groups: %n</numerusform>
            <numerusform>New groups: %n</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>空文件夹 %n 个</source>
        <translation>
            <numerusform>%n empty folder</numerusform>
            <numerusform>%n empty folders</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>空文件夹：%n 个</source>
        <translation>
            <numerusform>Empty folders: %n</numerusform>
            <numerusform>Empty folders: %n</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+4"/>
        <source>超过 %1 层文件夹未导入 %n 条</source>
        <translation>
            <numerusform>%n left out deeper than %1 folder levels</numerusform>
            <numerusform>%n left out deeper than %1 folder levels</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>超过 %1 层文件夹未导入：%n 条</source>
        <translation>
            <numerusform>Left out deeper than %1 folder levels: %n</numerusform>
            <numerusform>Left out deeper than %1 folder levels: %n</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+2"/>
        <source>无法解码的字节 %n 个</source>
        <translation>
            <numerusform>%n undecodable byte</numerusform>
            <numerusform>%n undecodable bytes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>无法解码的字节：%n 个</source>
        <translation>
            <numerusform>Undecodable bytes: %n</numerusform>
            <numerusform>Undecodable bytes: %n</numerusform>
        </translation>
    </message>
    <message>
        <location line="+11"/>
        <source>，</source>
        <comment>between the counts of a summary</comment>
        <translation>, </translation>
    </message>
    <message>
        <location line="+16"/>
        <source>（无标题）</source>
        <translation>(no title)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>（无地址）</source>
        <translation>(no address)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1：%2 / %3 &lt;%4&gt;</source>
        <comment>reason: group / title &lt;address&gt;</comment>
        <translation>%1: %2 / %3 &lt;%4&gt;</translation>
    </message>
</context>
<context>
    <name>ImportService</name>
    <message>
        <location line="-172"/>
        <source>已存在于组别“%1”</source>
        <translation>already in group “%1”</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>重复：%1</source>
        <translation>Duplicate: %1</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>未选中</source>
        <translation>Not selected</translation>
    </message>
    <message>
        <location line="+44"/>
        <source>与本次导入中组别“%1”的另一条书签相同</source>
        <translation>same as another bookmark of group “%1” in this import</translation>
    </message>
</context>
<context>
    <name>ImportWindow</name>
    <message>
        <location filename="../src/import/ImportWindow.cpp" line="+38"/>
        <source>导入完成。

</source>
        <translation>Import finished.

</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>导入IE数据</source>
        <translation>Import IE Favorites</translation>
    </message>
    <message>
        <location line="+25"/>
        <source>从IE导入</source>
        <translation>From IE</translation>
    </message>
    <message>
        <location line="+3"/>
        <location line="+237"/>
        <source>从浏览器导入</source>
        <translation>From Browser</translation>
    </message>
    <message>
        <location line="-234"/>
        <source>从文件导入…</source>
        <translation>From File…</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>全选</source>
        <translation>Select All</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>全不选</source>
        <translation>Select None</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>反选</source>
        <translation>Invert</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>导入数据</source>
        <translation>Import</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>退出</source>
        <translation>Close</translation>
    </message>
    <message>
        <location line="+51"/>
        <source>网址地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>网址名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>组别</source>
        <translation>Group</translation>
    </message>
    <message>
        <location line="+21"/>
        <location line="+142"/>
        <location line="+124"/>
        <source>提示信息</source>
        <translation>Notice</translation>
    </message>
    <message>
        <location line="-238"/>
        <source>正在读取收藏夹…</source>
        <translation>Reading the Favorites folder…</translation>
    </message>
    <message>
        <location line="+0"/>
        <location line="+201"/>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <location line="-132"/>
        <source>成功导入！</source>
        <translation>Imported!</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>网址地址: </source>
        <translation>Address: </translation>
    </message>
    <message>
        <location line="+0"/>
        <source>网址名称: </source>
        <translation>Name: </translation>
    </message>
    <message>
        <location line="+3"/>
        <source>组别: </source>
        <translation>Group: </translation>
    </message>
    <message>
        <location line="+2"/>
        <source>重复：</source>
        <translation>Duplicate: </translation>
    </message>
    <message>
        <location line="+24"/>
        <source>没有找到浏览器的书签。</source>
        <translation>No browser bookmarks were found.</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>请选择要导入书签的浏览器配置：</source>
        <translation>Choose the browser profile to import bookmarks from:</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>从文件导入</source>
        <translation>Import from File</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>书签文件 (*.html *.htm *.sqlite Bookmarks);;所有文件 (*)</source>
        <translation>Bookmark files (*.html *.htm *.sqlite Bookmarks);;All files (*)</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>正在读取书签…</source>
        <translation>Reading bookmarks…</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>正在导入书签…</source>
        <translation>Importing bookmarks…</translation>
    </message>
    <message>
        <location line="+55"/>
        <source>已取消，没有导入任何网址。</source>
        <translation>Cancelled; no address was imported.</translation>
    </message>
</context>
<context>
    <name>JetConversion</name>
    <message>
        <location filename="../src/jet/JetConversion.cpp" line="+75"/>
        <source>转换后的表 %1 有 %2 行，应有 %3 行</source>
        <translation>The converted table %1 has %2 rows instead of %3</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>转换后的数据库未通过检查：%1</source>
        <translation>The converted database failed its check: %1</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>无法结束数据库的 WAL 模式</source>
        <translation>Cannot take the database out of WAL mode</translation>
    </message>
    <message>
        <location line="+7"/>
        <location line="+4"/>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <location line="+83"/>
        <source>无法转换 %1：%2</source>
        <translation>Cannot convert %1: %2</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>无法保留原文件 %1：%2</source>
        <translation>Cannot keep the original file %1: %2</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>无法替换 %1：%2</source>
        <translation>Cannot replace %1: %2</translation>
    </message>
</context>
<context>
    <name>JetReader</name>
    <message>
        <location filename="../src/jet/JetReader.cpp" line="+31"/>
        <source>表 %1 缺少列 %2</source>
        <translation>the table %1 lacks the column %2</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>缺少表 %1</source>
        <translation>the table %1 is missing</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>表 %1 只读出 %2 行，应有 %3 行</source>
        <translation>only %2 of the %3 rows of the table %1 were read</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>表 address 中的访问次数 %1 不可能</source>
        <translation>the visit count %1 in the table address is impossible</translation>
    </message>
    <message>
        <location line="+153"/>
        <source>无法读取 %1：%2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>读取程序异常终止（信号 %1）</source>
        <translation>the reading process was killed (signal %1)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>读取程序异常结束（代码 %1）</source>
        <translation>the reading process failed (exit code %1)</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>不是普通文件</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <location line="+35"/>
        <source>读取超时，文件可能已损坏</source>
        <translation>reading timed out; the file may be damaged</translation>
    </message>
</context>
<context>
    <name>JetStart</name>
    <message>
        <location filename="../src/app/JetStart.cpp" line="+23"/>
        <source>%1 是旧版（Jet）数据文件。转换为本程序的格式吗？原文件将保留为 %2。</source>
        <translation>%1 is an old (Jet) data file. Convert it to this program&apos;s format? The original file will be kept as %2.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>%1。原文件未作任何改动。</source>
        <translation>%1. The original file was not changed.</translation>
    </message>
</context>
<context>
    <name>JetWire</name>
    <message>
        <location filename="../src/jet/JetWire.h" line="+93"/>
        <source>读取程序传来的数据不完整</source>
        <translation>the data from the reading process is incomplete</translation>
    </message>
</context>
<context>
    <name>LibraryHistory</name>
    <message>
        <location filename="../src/data/LibraryHistory.cpp" line="+196"/>
        <source>回收站中的网址</source>
        <translation>an address in the recycle bin</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>导入时新建的组别</source>
        <translation>a group made by the import</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>导入的网址</source>
        <translation>an imported address</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>组别“%1”</source>
        <translation>the group “%1”</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>网址“%1”（%2）</source>
        <translation>the address “%1” (%2)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>回收站中的“%1”（%2）</source>
        <translation>“%1” (%2) in the recycle bin</translation>
    </message>
    <message>
        <location line="+9"/>
        <location line="+298"/>
        <source>%1已被删除</source>
        <translation>%1 has been deleted</translation>
    </message>
    <message>
        <location line="-296"/>
        <source>%1已占用它原来的位置</source>
        <translation>%1 has taken its old place</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%1已被修改</source>
        <translation>%1 has been changed</translation>
    </message>
    <message>
        <location line="+30"/>
        <source>，</source>
        <comment>between the problems of a list</comment>
        <translation>; </translation>
    </message>
    <message numerus="yes">
        <location line="+4"/>
        <source>无法撤销“%1”：自那以后，%2等 %n 处。未作任何改动。</source>
        <translation>
            <numerusform>Cannot undo “%1”: since then, %2 and more (%n change in all). Nothing was changed.</numerusform>
            <numerusform>Cannot undo “%1”: since then, %2 and more (%n changes in all). Nothing was changed.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>无法重做“%1”：自那以后，%2等 %n 处。未作任何改动。</source>
        <translation>
            <numerusform>Cannot redo “%1”: since then, %2 and more (%n change in all). Nothing was changed.</numerusform>
            <numerusform>Cannot redo “%1”: since then, %2 and more (%n changes in all). Nothing was changed.</numerusform>
        </translation>
    </message>
    <message>
        <location line="+2"/>
        <source>无法撤销“%1”：自那以后，%2。未作任何改动。</source>
        <translation>Cannot undo “%1”: since then, %2. Nothing was changed.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>无法重做“%1”：自那以后，%2。未作任何改动。</source>
        <translation>Cannot redo “%1”: since then, %2. Nothing was changed.</translation>
    </message>
    <message>
        <location line="+227"/>
        <source>没有可撤销的操作。</source>
        <translation>There is nothing to undo.</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>没有可重做的操作。</source>
        <translation>There is nothing to redo.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>无法撤销“%1”：它改的是另一个数据库。</source>
        <translation>Cannot undo “%1”: it changed another database.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>无法重做“%1”：它改的是另一个数据库。</source>
        <translation>Cannot redo “%1”: it changed another database.</translation>
    </message>
    <message>
        <location line="+50"/>
        <source>%1所在的组别已不存在</source>
        <translation>the group of %1 no longer exists</translation>
    </message>
</context>
<context>
    <name>LinkCheckProgress</name>
    <message>
        <location filename="../src/main/LinkCheckProgress.cpp" line="+90"/>
        <source>正在检查链接…</source>
        <translation>Checking links…</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>检查链接</source>
        <translation>Check Links</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>已检查 %1/%2</source>
        <translation>Checked %1 of %2</translation>
    </message>
    <message numerus="yes">
        <location line="+24"/>
        <source>检查了 %n 个网址：正常 %1，已搬迁 %2，失效 %3，无法访问 %4，未检查 %5。</source>
        <translation>
            <numerusform>Checked %n address: %1 ok, %2 moved, %3 broken, %4 unreachable, %5 not checked.</numerusform>
            <numerusform>Checked %n addresses: %1 ok, %2 moved, %3 broken, %4 unreachable, %5 not checked.</numerusform>
        </translation>
    </message>
    <message>
        <location line="+10"/>
        <source>
列表的右键菜单可将 %1 个网址改为新网址，为 %2 个网址使用网页标题。</source>
        <translation>
Fixes now in the list&apos;s context menu: new address %1, page title %2.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>检查已取消，已检查的结果已保存。</source>
        <translation>Check cancelled; the results so far are kept. </translation>
    </message>
</context>
<context>
    <name>LinkChecker</name>
    <message>
        <location filename="../src/links/LinkChecker.cpp" line="+174"/>
        <source>网址无效</source>
        <translation>Invalid address</translation>
    </message>
    <message numerus="yes">
        <location line="+143"/>
        <source>超时（%n 秒内无回应）</source>
        <translation>
            <numerusform>Timed out (no answer within %n second)</numerusform>
            <numerusform>Timed out (no answer within %n seconds)</numerusform>
        </translation>
    </message>
    <message>
        <location line="+14"/>
        <source>转向无法检查的网址：%1</source>
        <translation>Redirects to an address that cannot be checked: %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>转向循环：%1</source>
        <translation>Redirect loop: %1</translation>
    </message>
    <message numerus="yes">
        <location line="+2"/>
        <source>转向超过 %n 次</source>
        <translation>
            <numerusform>More than %n redirect</numerusform>
            <numerusform>More than %n redirects</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>LinkFailureHints</name>
    <message>
        <location filename="../src/links/LinkFailureHints.cpp" line="+19"/>
        <source>失效</source>
        <translation>Broken</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>无法访问</source>
        <translation>Unreachable</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>，</source>
        <comment>between the reasons of a failure</comment>
        <translation>, </translation>
    </message>
    <message>
        <location line="+1"/>
        <source>失效（%1）</source>
        <translation>Broken (%1)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>无法访问（%1）</source>
        <translation>Unreachable (%1)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>检查结果：%1</source>
        <translation>Check result: %1</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>最终网址：%1</source>
        <translation>Final address: %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>失效起始：%1</source>
        <translation>Failing since: %1</translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>连续失效：%n 次（最近检查 %1）</source>
        <translation>
            <numerusform>Failed %n time in a row (last checked %1)</numerusform>
            <numerusform>Failed %n times in a row (last checked %1)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>LinkFixes</name>
    <message>
        <location filename="../src/links/LinkFixes.cpp" line="+64"/>
        <source>上次检查没有发现该网址的新网址！</source>
        <translation>The last check found no new address for this address.</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>上次检查没有读到可用的网页标题！</source>
        <translation>The last check found no usable page title.</translation>
    </message>
</context>
<context>
    <name>LinkHealthCheck</name>
    <message>
        <location filename="../src/links/LinkHealthCheck.cpp" line="+28"/>
        <source>组别不存在：%1</source>
        <translation>No such group: %1</translation>
    </message>
</context>
<context>
    <name>MainToolBar</name>
    <message>
        <location filename="../src/main/MainToolBar.cpp" line="+41"/>
        <source>透明</source>
        <translation>Fade</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>使窗体变透明</source>
        <translation>Make the window translucent</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>置后</source>
        <translation>Back</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>把窗体置后</source>
        <translation>Let other windows cover this one</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>以文字方式或以IP地址方式访问网址</source>
        <translation>Visit addresses by name or by IP address</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>收藏夹</source>
        <comment>tool button</comment>
        <translation>Favs</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>直接跳到收藏夹</source>
        <translation>Go straight to the favorites</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>导入</source>
        <translation>Import</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>从IE收藏夹导入</source>
        <translation>Import from the IE Favorites</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>寻求帮助</source>
        <translation>Get help</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>退出软件</source>
        <translation>Exit the program</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../src/main/MainWindow.cpp" line="+151"/>
        <location line="+3"/>
        <location line="+255"/>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <location line="-98"/>
        <source>目录</source>
        <translation>Groups</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>查询</source>
        <translation>Find</translation>
    </message>
    <message numerus="yes">
        <location line="+185"/>
        <source>共条%n记录</source>
        <translation>
            <numerusform>%n address</numerusform>
            <numerusform>%n addresses</numerusform>
        </translation>
    </message>
    <message>
        <location line="+125"/>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <location line="-227"/>
        <source>未能打开帮助页面：没有可以启动的浏览器。</source>
        <translation>Could not open the help page: no browser could be started.</translation>
    </message>
</context>
<context>
    <name>MdbTable</name>
    <message>
        <location filename="../src/jet/MdbTable.cpp" line="+64"/>
        <source>不是可以读取的 Jet 数据文件</source>
        <translation>not a readable Jet data file</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>文件不完整（%1 字节，不是整页）</source>
        <translation>the file is incomplete (%1 bytes, not whole pages)</translation>
    </message>
    <message>
        <location line="+84"/>
        <source>表 %1 的数据页 %2 在文件末尾之后</source>
        <translation>the data page %2 of the table %1 lies past the end of the file</translation>
    </message>
    <message>
        <location line="+4"/>
        <location line="+5"/>
        <source>表 %1 的一行超出了它的页（第 %2 页）</source>
        <translation>a row of the table %1 runs past its page (page %2)</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>表 %1 的一个值超出了它的行（列 %2）</source>
        <translation>a value of the table %1 runs past its row (column %2)</translation>
    </message>
    <message>
        <location line="+72"/>
        <source>表 %1 的备注内容不完整（%2 字节中读出 %3 字节）</source>
        <translation>a memo of the table %1 is incomplete (%3 of %2 bytes read)</translation>
    </message>
    <message>
        <location line="+38"/>
        <source>表 %1 中的日期无法解读（%2）</source>
        <translation>a date in the table %1 cannot be read (%2)</translation>
    </message>
</context>
<context>
    <name>NetscapeReader</name>
    <message>
        <location filename="../src/bookmarks/NetscapeReader.cpp" line="+584"/>
        <source>无法读取文件声明的字符集“%1”，没有导入任何书签</source>
        <translation>Cannot read the character set “%1” that the file declares; no bookmarks were imported</translation>
    </message>
</context>
<context>
    <name>SearchPane</name>
    <message>
        <location filename="../src/main/SearchPane.cpp" line="+57"/>
        <source>查询内容：</source>
        <translation>Search for:</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>开始查询</source>
        <translation>Search</translation>
    </message>
</context>
<context>
    <name>ServerAddress</name>
    <message>
        <location filename="../src/data/ServerAddress.cpp" line="+25"/>
        <source>地址中不能写密码，请写在 ~/.pgpass 或环境变量 PGPASSWORD 中</source>
        <translation>the address cannot hold a password; put it in ~/.pgpass or in the environment variable PGPASSWORD</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>端口不是 1 到 65535 的数</source>
        <translation>the port is not a number from 1 to 65535</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>参数 %1 的值不能含分号</source>
        <translation>the value of the parameter %1 cannot hold a semicolon</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>不认识的参数“%1”</source>
        <translation>unknown parameter “%1”</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>主机地址缺少“]”</source>
        <translation>the host address lacks “]”</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>主机地址“%1”后有多余的文字</source>
        <translation>extra text after the host address “%1”</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>它应以 postgresql:// 开头</source>
        <translation>it should start with postgresql://</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>无法解读（数据库名前有“@”）。%1</source>
        <translation>it cannot be read (an “@” before the database name); %1</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>有参数缺少“=”</source>
        <translation>a parameter lacks “=”</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>设置中的数据库地址 Database</source>
        <translation>The database address Database in the settings</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 不能使用：%2</source>
        <translation>%1 cannot be used: %2</translation>
    </message>
    <message>
        <location line="+40"/>
        <source>本机默认套接字</source>
        <translation>(local socket)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>（默认）</source>
        <translation>(default)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>服务器 %1 端口 %2 数据库 %3</source>
        <translation>server %1 port %2 database %3</translation>
    </message>
</context>
<context>
    <name>SharedConnection</name>
    <message>
        <location filename="../src/data/SharedConnection.cpp" line="+21"/>
        <source>无法创建数据文件夹：%1</source>
        <translation>Cannot create the data folder: %1</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>无法打开数据库：Path 所指的文件夹不存在或不是绝对路径：“%1”</source>
        <translation>Cannot open the database: the folder that Path names does not exist or is not an absolute path: “%1”</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>设置中的数据库 Database 只能为空、sqlite 或 postgresql:// 开头的服务器地址</source>
        <translation>The database setting Database can only be empty, sqlite or a server address starting with postgresql://</translation>
    </message>
</context>
<context>
    <name>SqlEngine</name>
    <message>
        <location filename="../src/data/PostgresEngine.cpp" line="+54"/>
        <source>无法连接数据库（%1）：%2</source>
        <translation>Cannot connect to the database (%1): %2</translation>
    </message>
    <message>
        <location filename="../src/data/SqlEngine.cpp" line="+7"/>
        <source>数据库所在的位置是只读的，不能修改！</source>
        <translation>The database is in a read-only location and cannot be changed.</translation>
    </message>
    <message>
        <location filename="../src/data/SqliteEngine.cpp" line="+39"/>
        <source>数据库错误</source>
        <translation>Database error</translation>
    </message>
    <message>
        <location line="+145"/>
        <source>无法建立数据库文件“%1”：%2</source>
        <translation>Cannot create the database file “%1”: %2</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>无法建立数据库文件“%1”</source>
        <translation>Cannot create the database file “%1”</translation>
    </message>
</context>
<context>
    <name>Startup</name>
    <message>
        <location filename="../src/app/Startup.cpp" line="+153"/>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
</context>
<context>
    <name>UrlImportService</name>
    <message>
        <location filename="../src/services/UrlImportService.cpp" line="+24"/>
        <source>访问收藏夹主键错误！</source>
        <translation>Error accessing the Favorites key!</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>找不到网址组别“%1”，没有导入任何网址。</source>
        <translation>The address group “%1” was not found; no addresses were imported.</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>已取消，没有导入任何网址。</source>
        <translation>Canceled; no addresses were imported.</translation>
    </message>
</context>
</TS>
