<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AddressEditor</name>
    <message>
        <location filename="../src/editor/AddressEditor.cpp" line="+41"/>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <location line="+5"/>
        <location line="+91"/>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <location line="-85"/>
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
        <location line="+41"/>
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
    <name>CaptionWindow</name>
    <message>
        <location filename="../src/window/CaptionWindow.cpp" line="+172"/>
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
    <name>ImportWindow</name>
    <message>
        <location filename="../src/import/ImportWindow.cpp" line="+39"/>
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
        <location line="+24"/>
        <source>从IE导入</source>
        <translation>From IE</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+235"/>
        <source>从浏览器导入</source>
        <translation>From Browser</translation>
    </message>
    <message>
        <location line="-233"/>
        <source>从文件导入…</source>
        <translation>From File…</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>全选</source>
        <translation>Select All</translation>
    </message>
    <message>
        <location line="+1"/>
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
    <name>LinkCheckProgress</name>
    <message>
        <location filename="../src/main/LinkCheckProgress.cpp" line="+86"/>
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
    <name>MainWindow</name>
    <message>
        <location filename="../src/main/MainWindow.cpp" line="+23"/>
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
        <location line="+43"/>
        <location line="+3"/>
        <location filename="../src/main/MainWindowToolbar.cpp" line="+141"/>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <location filename="../src/main/MainWindowBin.cpp" line="+20"/>
        <source>回收站</source>
        <translation>Recycle Bin</translation>
    </message>
    <message>
        <location line="+79"/>
        <source>回收站中的网址将被彻底删除，确定清空回收站吗？</source>
        <translation>The addresses in the recycle bin will be deleted for good. Empty the recycle bin?</translation>
    </message>
    <message>
        <location filename="../src/main/MainWindowExport.cpp" line="+20"/>
        <source>导出网址</source>
        <translation>Export Addresses</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>书签文件 (*.html *.htm)</source>
        <translation>Bookmark files (*.html *.htm)</translation>
    </message>
    <message numerus="yes">
        <location line="+19"/>
        <source>成功导出 %n 个网址！</source>
        <translation>
            <numerusform>Exported %n address!</numerusform>
            <numerusform>Exported %n addresses!</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../src/main/MainWindowHistory.cpp" line="+38"/>
        <location line="+12"/>
        <location line="+8"/>
        <source>撤销</source>
        <translation>Undo</translation>
    </message>
    <message>
        <location line="-18"/>
        <location line="+10"/>
        <location line="+10"/>
        <source>重做</source>
        <translation>Redo</translation>
    </message>
    <message>
        <location filename="../src/main/MainWindowLayout.cpp" line="+202"/>
        <source>目录</source>
        <translation>Groups</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>查询</source>
        <translation>Find</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>查询内容：</source>
        <translation>Search for:</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>开始查询</source>
        <translation>Search</translation>
    </message>
    <message>
        <location line="+62"/>
        <location line="+9"/>
        <source>添加网址</source>
        <translation>Add Address</translation>
    </message>
    <message>
        <location line="-8"/>
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
    <message>
        <location line="+4"/>
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
        <location line="+1"/>
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
        <location filename="../src/main/MainWindowList.cpp" line="+20"/>
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
    <message numerus="yes">
        <location line="+43"/>
        <source>共条%n记录</source>
        <translation>
            <numerusform>%n address</numerusform>
            <numerusform>%n addresses</numerusform>
        </translation>
    </message>
    <message>
        <location line="+77"/>
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
    <message>
        <location filename="../src/main/MainWindowListCommands.cpp" line="+133"/>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <location filename="../src/main/MainWindowToolbar.cpp" line="-91"/>
        <source>透明</source>
        <translation>Fade</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>使窗体变透明</source>
        <translation>Make the window translucent</translation>
    </message>
    <message>
        <location line="+1"/>
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
        <location line="+3"/>
        <source>直接跳到收藏夹</source>
        <translation>Go straight to the favorites</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>收藏夹</source>
        <comment>tool button</comment>
        <translation>Favs</translation>
    </message>
    <message>
        <location line="+1"/>
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
    <message>
        <location line="+72"/>
        <source>未能打开帮助页面：没有可以启动的浏览器。</source>
        <translation>Could not open the help page: no browser could be started.</translation>
    </message>
    <message>
        <location filename="../src/main/MainWindowVisit.cpp" line="+46"/>
        <source>不在线！</source>
        <translation>Not online!</translation>
    </message>
</context>
</TS>
