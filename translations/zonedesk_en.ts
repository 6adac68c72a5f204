<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>zonedesk::AboutDialog</name>
    <message>
        <source>%1 %2 版</source>
        <translation>%1 version %2</translation>
    </message>
    <message>
        <source>许可证：MIT</source>
        <translation>Licence: MIT</translation>
    </message>
    <message>
        <source>使用的库：</source>
        <translation>Libraries used:</translation>
    </message>
    <message>
        <source>数据文件：</source>
        <translation>Data files:</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>日期不详</source>
        <translation>date unknown</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>设置文件：%1</source>
        <translation>Settings file: %1</translation>
    </message>
</context>
<context>
    <name>zonedesk::Application</name>
    <message>
        <source>内存不足：无法为 %1 个域名分配 %2 字节的表格，程序无法启动。</source>
        <translation>Out of memory: the table for %1 names (%2 bytes) cannot be allocated, so the program cannot start.</translation>
    </message>
    <message>
        <source>只能打开一个域名列表文件，收到了 %1 个：
%2
没有导入任何文件。</source>
        <translation>Only one list of domain names can be opened; %1 were given:
%2
No file was imported.</translation>
    </message>
</context>
<context>
    <name>zonedesk::ControlPanel</name>
    <message>
        <source>查询正在进行，请先停止查询（Esc）。</source>
        <translation>Lookups are in progress. Stop them first (Esc).</translation>
    </message>
    <message>
        <source>运行参数</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>红色显示</source>
        <translation>In red</translation>
    </message>
    <message>
        <source>导入域名</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>开始查询</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>导出数据</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>天内到期的域名</source>
        <translation>days to expiry</translation>
    </message>
    <message>
        <source>文本文件 (*.txt);;所有文件 (*)</source>
        <translation>Text files (*.txt);;All files (*)</translation>
    </message>
    <message>
        <source>Excel文件 (*.csv)</source>
        <translation>Excel files (*.csv)</translation>
    </message>
    <message>
        <source>所有文件 (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>内存不足，无法导入。</source>
        <translation>Out of memory: the list cannot be imported.</translation>
    </message>
    <message>
        <source>文件无效！</source>
        <translation>Invalid file!</translation>
    </message>
    <message>
        <source>“%1”不是普通文件（管道或设备），无法导入。</source>
        <translation>“%1” is not a regular file (a pipe or a device) and cannot be imported.</translation>
    </message>
    <message>
        <source>文件中没有域名。</source>
        <translation>The file holds no domain names.</translation>
    </message>
    <message>
        <source>“%1”中没有可导入的域名，列表保持不变。</source>
        <translation>“%1” has no names that can be imported; the list stays as it was.</translation>
    </message>
    <message numerus="yes">
        <source>导入了 %1 个域名（%2 编码）。</source>
        <translation>
            <numerusform>Imported %1 name (%2 encoding).</numerusform>
            <numerusform>Imported %1 names (%2 encoding).</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 行%2，未导入。</source>
        <translation>
            <numerusform>%1 line %2: not imported.</numerusform>
            <numerusform>%1 lines %2: not imported.</numerusform>
        </translation>
    </message>
    <message>
        <source>已达 %1 个域名的上限：从第 %2 行起未读取。</source>
        <translation>The limit of %1 names is reached: nothing from line %2 on was read.</translation>
    </message>
    <message numerus="yes">
        <source>第 %1 行是空行，列表到此结束；其后的 %2 行未导入。</source>
        <translation>
            <numerusform>Line %1 is blank and ends the list; the %2 line after it was not imported.</numerusform>
            <numerusform>Line %1 is blank and ends the list; the %2 lines after it were not imported.</numerusform>
        </translation>
    </message>
    <message>
        <source>文件含有空字节，不是文本列表，读取已停止。</source>
        <translation>The file holds NUL bytes, so it is no text list; reading stopped.</translation>
    </message>
    <message>
        <source>已读取 %1 MB，读取已停止。</source>
        <translation>Read %1 MB; reading stopped.</translation>
    </message>
    <message numerus="yes">
        <source>读取文件时出错（%1），只导入了前 %2 个域名。</source>
        <translation>
            <numerusform>Error while reading the file (%1): only the first %2 name was imported.</numerusform>
            <numerusform>Error while reading the file (%1): only the first %2 names were imported.</numerusform>
        </translation>
    </message>
    <message>
        <source>列表中没有域名，没有可导出的数据。</source>
        <translation>The list has no names: there is nothing to export.</translation>
    </message>
    <message numerus="yes">
        <source>查询正在进行：%1 个域名中已完成 %2 个，其余的导出时没有结果。
仍要导出吗？</source>
        <translation>
            <numerusform>Lookups are in progress: %2 of %1 name is done; the rest is exported without results.
Export anyway?</numerusform>
            <numerusform>Lookups are in progress: %2 of %1 names are done; the rest are exported without results.
Export anyway?</numerusform>
        </translation>
    </message>
    <message>
        <source>无法写入文件“%1”：%2</source>
        <translation>Cannot write the file “%1”: %2</translation>
    </message>
    <message numerus="yes">
        <source>共导出了 %1 条有效记录！</source>
        <translation>
            <numerusform>Exported %1 record!</numerusform>
            <numerusform>Exported %1 records!</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>共导出了 %1 条记录，其中 %2 条已查询完成，%3 条未查询。</source>
        <translation>
            <numerusform>Exported %1 record: %2 looked up, %3 not looked up.</numerusform>
            <numerusform>Exported %1 records: %2 looked up, %3 not looked up.</numerusform>
        </translation>
    </message>
    <message>
        <source>无法读取“%1”：%2</source>
        <translation>Can&apos;t read “%1”: %2</translation>
    </message>
</context>
<context>
    <name>zonedesk::DomainListModel</name>
    <message>
        <source>查询方式：RDAP</source>
        <translation>Looked up over RDAP</translation>
    </message>
    <message>
        <source>查询方式：WHOIS</source>
        <translation>Looked up over WHOIS</translation>
    </message>
    <message>
        <source>
查询名称：%1</source>
        <translation>
Asked as: %1</translation>
    </message>
    <message>
        <source>
变化：</source>
        <translation>
Changes:</translation>
    </message>
    <message numerus="yes">
        <source>还有 %1 天到期</source>
        <translation>
            <numerusform>Expires in %1 day</numerusform>
            <numerusform>Expires in %1 days</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>已过期 %1 天</source>
        <translation>
            <numerusform>Expired %1 day ago</numerusform>
            <numerusform>Expired %1 days ago</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 — 注册局自己的说法</source>
        <translation>%1 — the registry&apos;s own word</translation>
    </message>
    <message>
        <source>DNSSEC：已签名</source>
        <translation>DNSSEC: signed</translation>
    </message>
    <message>
        <source>DNSSEC：未签名</source>
        <translation>DNSSEC: unsigned</translation>
    </message>
</context>
<context>
    <name>zonedesk::ExportDialog</name>
    <message>
        <source>导出数据</source>
        <translation>Export Data</translation>
    </message>
    <message>
        <source>原格式（默认）</source>
        <translation>Original format (default)</translation>
    </message>
    <message>
        <source>自定义格式：</source>
        <translation>Custom format:</translation>
    </message>
    <message>
        <source>包含标题行</source>
        <translation>Header row</translation>
    </message>
    <message>
        <source>全部九列</source>
        <translation>All nine columns</translation>
    </message>
    <message>
        <source>日期用 ISO 格式 (YYYY-MM-DD)</source>
        <translation>Dates in ISO format (YYYY-MM-DD)</translation>
    </message>
    <message>
        <source>剩余天数</source>
        <translation>Days left</translation>
    </message>
    <message>
        <source>UTF-8 带 BOM</source>
        <translation>UTF-8 with BOM</translation>
    </message>
    <message>
        <source>行：</source>
        <translation>Rows:</translation>
    </message>
    <message>
        <source>全部行</source>
        <translation>All rows</translation>
    </message>
    <message>
        <source>仅所选行</source>
        <translation>Selected rows only</translation>
    </message>
    <message>
        <source>仅筛选显示的行</source>
        <translation>Filtered rows only</translation>
    </message>
</context>
<context>
    <name>zonedesk::HistoryDialog</name>
    <message>
        <source>（没有保存回复）</source>
        <translation>(no reply stored)</translation>
    </message>
    <message>
        <source>查询历史 - %1</source>
        <translation>Lookup History - %1</translation>
    </message>
    <message>
        <source>查询时间</source>
        <translation>Looked up at</translation>
    </message>
    <message>
        <source>当前状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>查询方式</source>
        <translation>Transport</translation>
    </message>
    <message>
        <source>变化</source>
        <translation>Changes</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>（%1）</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>这个域名还没有查询记录。</source>
        <translation>This name has not been looked up yet.</translation>
    </message>
</context>
<context>
    <name>zonedesk::MainWindow</name>
    <message>
        <source>%1 小时 %2 分</source>
        <translation>%1 h %2 min</translation>
    </message>
    <message>
        <source>%1 分 %2 秒</source>
        <translation>%1 min %2 s</translation>
    </message>
    <message>
        <source>%1 秒</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>进度：%1 / %2</source>
        <translation>Progress: %1 / %2</translation>
    </message>
    <message>
        <source>%1 个/秒，剩余约 %2</source>
        <translation>%1 names/s, about %2 left</translation>
    </message>
    <message>
        <source>正在查询域名信息...</source>
        <translation>Looking up the names...</translation>
    </message>
    <message>
        <source>筛选</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>导入域名(&amp;I)...</source>
        <translation>&amp;Import Names...</translation>
    </message>
    <message>
        <source>从文本文件导入域名列表</source>
        <translation>Import a list of domain names from a text file</translation>
    </message>
    <message>
        <source>导出数据(&amp;E)...</source>
        <translation>&amp;Export Data...</translation>
    </message>
    <message>
        <source>把列表导出为 CSV 文件</source>
        <translation>Export the list to a CSV file</translation>
    </message>
    <message>
        <source>开始查询(&amp;S)</source>
        <translation>&amp;Start Lookups</translation>
    </message>
    <message>
        <source>查询列表中还没有结果的域名</source>
        <translation>Look up the names in the list that have no result yet</translation>
    </message>
    <message>
        <source>停止查询(&amp;T)</source>
        <translation>S&amp;top Lookups</translation>
    </message>
    <message>
        <source>停止查询：已完成的结果保留，开始查询时继续</source>
        <translation>Stop the lookups: finished results stay, and Start resumes</translation>
    </message>
    <message>
        <source>重新查询所选域名(&amp;R)</source>
        <translation>&amp;Recheck Selected Names</translation>
    </message>
    <message>
        <source>重新查询列表中选中的域名</source>
        <translation>Look up the selected names again</translation>
    </message>
    <message>
        <source>重新查询出错的域名(&amp;O)</source>
        <translation>Recheck Names with Err&amp;ors</translation>
    </message>
    <message>
        <source>重新查询结果为 ERR! 的域名</source>
        <translation>Look up the names whose result is ERR! again</translation>
    </message>
    <message>
        <source>全部重新查询(&amp;A)</source>
        <translation>Recheck &amp;All</translation>
    </message>
    <message>
        <source>重新查询列表中的每一个域名</source>
        <translation>Look up every name in the list again</translation>
    </message>
    <message>
        <source>复制行(&amp;C)</source>
        <translation>&amp;Copy Rows</translation>
    </message>
    <message>
        <source>复制选中的行（制表符分隔，九列）</source>
        <translation>Copy the selected rows (tab-separated, nine columns)</translation>
    </message>
    <message>
        <source>复制域名(&amp;N)</source>
        <translation>Copy &amp;Names</translation>
    </message>
    <message>
        <source>复制选中行的域名，每行一个</source>
        <translation>Copy the names of the selected rows, one per line</translation>
    </message>
    <message>
        <source>查询历史(&amp;H)...</source>
        <translation>Lookup &amp;History...</translation>
    </message>
    <message>
        <source>显示所选域名的历次查询和注册局的回复</source>
        <translation>Show every lookup of the selected name with the registry&apos;s replies</translation>
    </message>
    <message>
        <source>查看注册局的回复(&amp;W)...</source>
        <translation>Vie&amp;w Registry Reply...</translation>
    </message>
    <message>
        <source>显示所选域名最近一次查询时注册局的回复</source>
        <translation>Show the registry&apos;s reply to the latest lookup of the selected name</translation>
    </message>
    <message>
        <source>正在停止查询...</source>
        <translation>Stopping the lookups...</translation>
    </message>
    <message>
        <source>查询正在进行，请先停止查询（Esc）</source>
        <translation>Lookups are in progress; stop them first (Esc)</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>打开上次结果(&amp;L)</source>
        <translation>Open &amp;Last Results</translation>
    </message>
    <message>
        <source>从查询历史中打开上次查询的结果</source>
        <translation>Open the last run&apos;s results from the lookup history</translation>
    </message>
    <message>
        <source>退出(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>退出应用程序</source>
        <translation>Quit the application</translation>
    </message>
    <message>
        <source>编辑(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>查找(&amp;F)</source>
        <translation>&amp;Find</translation>
    </message>
    <message>
        <source>筛选列表</source>
        <translation>Filter the list</translation>
    </message>
    <message>
        <source>查看(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>状态栏(&amp;S)</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>显示或隐藏状态栏</source>
        <translation>Show or hide the status bar</translation>
    </message>
    <message>
        <source>侧边栏(&amp;L)</source>
        <translation>Side&amp;bar</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>关于(&amp;A)...</source>
        <translation>&amp;About...</translation>
    </message>
    <message>
        <source>显示程序信息，版本号和版权</source>
        <translation>Show the program&apos;s information, version and copyright</translation>
    </message>
    <message>
        <source>就绪</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>成功 %1</source>
        <translation>Registered %1</translation>
    </message>
    <message>
        <source>未注册 %1</source>
        <translation>Available %1</translation>
    </message>
    <message>
        <source>即将到期 %1</source>
        <translation>Expiring %1</translation>
    </message>
    <message>
        <source>变化 %1</source>
        <translation>Changed %1</translation>
    </message>
    <message>
        <source>已释放 %1</source>
        <translation>Dropped %1</translation>
    </message>
    <message>
        <source>显示 %1 / 共 %2</source>
        <translation>Showing %1 of %2</translation>
    </message>
    <message>
        <source>查询正在进行，无法打开上次结果。</source>
        <translation>Lookups are in progress: the last results cannot be opened.</translation>
    </message>
    <message>
        <source>还没有查询记录。</source>
        <translation>Nothing has been looked up yet.</translation>
    </message>
    <message>
        <source>已打开上次结果</source>
        <translation>Opened the last results</translation>
    </message>
    <message>
        <source>已打开上次结果（%1）</source>
        <translation>Opened the last results (%1)</translation>
    </message>
    <message>
        <source>域名数量：%1</source>
        <translation>Names: %1</translation>
    </message>
    <message>
        <source>历史记录不可用：%1</source>
        <translation>The lookup history is not available: %1</translation>
    </message>
    <message>
        <source>无法读取查询历史：%1</source>
        <translation>Cannot read the lookup history: %1</translation>
    </message>
    <message>
        <source>请先在列表中选择一个域名。</source>
        <translation>Select a name in the list first.</translation>
    </message>
    <message>
        <source>“%1”还没有查询记录。</source>
        <translation>“%1” has not been looked up yet.</translation>
    </message>
    <message>
        <source>没有出错的域名。</source>
        <translation>No name has an error.</translation>
    </message>
    <message>
        <source>请先在列表中选择域名。</source>
        <translation>Select names in the list first.</translation>
    </message>
    <message numerus="yes">
        <source>查询已停止：%1 个域名未查询，开始查询将继续</source>
        <translation>
            <numerusform>Lookups stopped: %1 name not looked up; Start resumes</numerusform>
            <numerusform>Lookups stopped: %1 names not looked up; Start resumes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>操作结束！ %1 个域名将在 %2 天内到期</source>
        <translation>
            <numerusform>Done! %1 name expires within %2 days</numerusform>
            <numerusform>Done! %1 names expire within %2 days</numerusform>
        </translation>
    </message>
    <message>
        <source>操作结束！</source>
        <translation>Done!</translation>
    </message>
    <message numerus="yes">
        <source>%1 个域名将在 %2 天内到期</source>
        <translation>
            <numerusform>%1 name expires within %2 days</numerusform>
            <numerusform>%1 names expire within %2 days</numerusform>
        </translation>
    </message>
    <message>
        <source>导入域名到列表...</source>
        <translation>Importing names into the list...</translation>
    </message>
    <message>
        <source>查询正在进行。
停止查询并关闭程序吗？已完成的结果会保留。</source>
        <translation>Lookups are in progress.
Stop them and close the program? Finished results are kept.</translation>
    </message>
    <message>
        <source>停止并关闭</source>
        <translation>Stop and Close</translation>
    </message>
    <message>
        <source>继续查询</source>
        <translation>Keep Looking Up</translation>
    </message>
    <message>
        <source>定期检查(&amp;P)...</source>
        <translation>S&amp;cheduled Check...</translation>
    </message>
    <message>
        <source>让系统每天或每周在后台查询一个列表，有域名掉落、将到期或有变化时通知你</source>
        <translation>Have the system look a list up daily or weekly in the background and tell you when names drop, near expiry or change</translation>
    </message>
    <message>
        <source>更新注册局数据(&amp;U)...</source>
        <translation>&amp;Update registry data...</translation>
    </message>
    <message>
        <source>从 IANA 下载最新的 RDAP 服务器列表，用于十家注册局以外的域名</source>
        <translation>Download IANA&apos;s latest list of RDAP servers, used for names outside the ten registries</translation>
    </message>
    <message>
        <source>正在更新注册局数据...</source>
        <translation>Updating the registry data...</translation>
    </message>
    <message>
        <source>无法更新注册局数据：%1。现有数据保持不变。</source>
        <translation>Could not update the registry data: %1. The data in use is unchanged.</translation>
    </message>
    <message>
        <source>注册局数据已是最新。</source>
        <translation>The registry data is up to date.</translation>
    </message>
    <message>
        <source>注册局数据已更新（发布于 %1）：新增 %2 个顶级域，移除 %3 个，%4 个更换了服务器。新数据在下次启动程序时生效。</source>
        <translation>The registry data was updated (published %1): %2 TLDs added, %3 removed, %4 moved to another server. The new data is used from the next start of the program.</translation>
    </message>
    <message numerus="yes">
        <source>已导入 %1 个域名。</source>
        <translation>
            <numerusform>Imported %1 name.</numerusform>
            <numerusform>Imported %1 names.</numerusform>
        </translation>
    </message>
    <message>
        <source>续费日历：%1 ✕</source>
        <translation>Renewal calendar: %1 ✕</translation>
    </message>
    <message>
        <source>列表只显示续费日历中选中的月份；单击清除</source>
        <translation>The list shows only the month chosen in the renewal calendar; click to clear</translation>
    </message>
    <message>
        <source>导出日历(&amp;C)...</source>
        <translation>Export &amp;Calendar...</translation>
    </message>
    <message>
        <source>把域名的到期日期导出为日历文件（.ics），供日历程序导入</source>
        <translation>Write the names&apos; expiry dates as a calendar file (.ics) for a calendar program</translation>
    </message>
    <message>
        <source>续费日历(&amp;R)</source>
        <translation>&amp;Renewal Calendar</translation>
    </message>
    <message>
        <source>导出日历</source>
        <translation>Export Calendar</translation>
    </message>
    <message>
        <source>日历文件 (*.ics);;所有文件 (*)</source>
        <translation>Calendar files (*.ics);;All files (*)</translation>
    </message>
    <message>
        <source>无法写入“%1”：%2</source>
        <translation>Can&apos;t write “%1”: %2</translation>
    </message>
    <message numerus="yes">
        <source>已导出 %n 个日程</source>
        <translation>
            <numerusform>Exported %n event</numerusform>
            <numerusform>Exported %n events</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>，%n 个域名没有已知的到期日期，未导出</source>
        <translation>
            <numerusform>, %n name without a known expiry left out</numerusform>
            <numerusform>, %n names without a known expiry left out</numerusform>
        </translation>
    </message>
    <message>
        <source>筛选：域名、所有人、注册商、Email、状态码或域名服务器（Ctrl+F）</source>
        <translation>Filter: domain, owner, registrar, e-mail, status codes or name servers (Ctrl+F)</translation>
    </message>
    <message>
        <source>无法导出日历：%1</source>
        <translation>Cannot export the calendar: %1</translation>
    </message>
</context>
<context>
    <name>zonedesk::PanelBar</name>
    <message>
        <source>侧边栏</source>
        <translation>Sidebar</translation>
    </message>
</context>
<context>
    <name>zonedesk::RenewalCalendarDock</name>
    <message>
        <source>续费日历</source>
        <translation>Renewal Calendar</translation>
    </message>
    <message>
        <source>分组(&amp;G)：</source>
        <translation>&amp;Group:</translation>
    </message>
    <message>
        <source>按注册商</source>
        <translation>By registrar</translation>
    </message>
    <message>
        <source>按后缀</source>
        <translation>By TLD</translation>
    </message>
    <message>
        <source>其他</source>
        <translation>Others</translation>
    </message>
    <message>
        <source>（未说明）</source>
        <translation>(not stated)</translation>
    </message>
</context>
<context>
    <name>zonedesk::RenewalChart</name>
    <message>
        <source>其他</source>
        <translation>Others</translation>
    </message>
    <message>
        <source>（未说明）</source>
        <translation>(not stated)</translation>
    </message>
    <message>
        <source>续费日历</source>
        <translation>Renewal Calendar</translation>
    </message>
    <message>
        <source>已过期</source>
        <translation>Expired</translation>
    </message>
    <message>
        <source>%1年%2月</source>
        <translation>%2/%1</translation>
    </message>
    <message numerus="yes">
        <source>%1：%n 个域名</source>
        <translation>
            <numerusform>%1: %n name</numerusform>
            <numerusform>%1: %n names</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 天</source>
        <translation>
            <numerusform>%n day</numerusform>
            <numerusform>%n days</numerusform>
        </translation>
    </message>
    <message>
        <source>%1月</source>
        <translation>%1</translation>
    </message>
    <message>
        <source>另有 %1 个域名在 24 个月后到期，%2 个没有可读的到期日期</source>
        <translation>%1 more names are due after 24 months, %2 have no readable expiry date</translation>
    </message>
</context>
<context>
    <name>zonedesk::RunController</name>
    <message>
        <source>历史记录不可用，本次查询照常进行，但不会被记录（%1）</source>
        <translation>The lookup history is not available: this run goes on but is not recorded (%1)</translation>
    </message>
    <message>
        <source>请至少指定一个域名。</source>
        <translation>Give at least one domain name.</translation>
    </message>
    <message>
        <source>Cannot Start New Thread</source>
        <translation>Cannot Start New Thread</translation>
    </message>
    <message>
        <source>%1 限流，%2 秒后重试</source>
        <translation>%1 is rationing queries; retrying in %2 s</translation>
    </message>
    <message>
        <source>历史记录写入失败，本次查询不再记录（%1）</source>
        <translation>Writing the lookup history failed: the rest of this run is not recorded (%1)</translation>
    </message>
</context>
<context>
    <name>zonedesk::WatchDialog</name>
    <message>
        <source>邮件地址应当形如 name@example.com。</source>
        <translation>The mail address should look like name@example.com.</translation>
    </message>
    <message>
        <source>邮件地址中不能有空格、控制字符或 &lt;&gt;,;&quot; 这些字符。</source>
        <translation>The mail address can&apos;t hold blanks, control characters or any of &lt;&gt;,;&quot;.</translation>
    </message>
    <message>
        <source>Webhook 地址中不能有空格或控制字符。</source>
        <translation>The webhook URL can&apos;t hold blanks or control characters.</translation>
    </message>
    <message>
        <source>Webhook 地址应以 https:// 开头（http:// 只能用于本机）。</source>
        <translation>The webhook URL should begin with https:// (http:// only for this computer).</translation>
    </message>
    <message>
        <source>SMTP 服务器应当形如 smtps://mail.example.com:465 或 smtp://mail.example.com:587。</source>
        <translation>The SMTP server should look like smtps://mail.example.com:465 or smtp://mail.example.com:587.</translation>
    </message>
    <message>
        <source>定期检查</source>
        <translation>Scheduled Check</translation>
    </message>
    <message>
        <source>浏览...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>域名列表文件：</source>
        <translation>List file:</translation>
    </message>
    <message>
        <source>名称：</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source> 天</source>
        <translation> days</translation>
    </message>
    <message>
        <source>提前提醒天数：</source>
        <translation>Warn days ahead:</translation>
    </message>
    <message>
        <source>每天</source>
        <translation>Daily</translation>
    </message>
    <message>
        <source>每周</source>
        <translation>Weekly</translation>
    </message>
    <message>
        <source>频率：</source>
        <translation>How often:</translation>
    </message>
    <message>
        <source>通知方式</source>
        <translation>Notify by</translation>
    </message>
    <message>
        <source>桌面通知</source>
        <translation>Desktop notification</translation>
    </message>
    <message>
        <source>邮件</source>
        <translation>Mail</translation>
    </message>
    <message>
        <source>Webhook</source>
        <translation>Webhook</translation>
    </message>
    <message>
        <source>收件地址：</source>
        <translation>To:</translation>
    </message>
    <message>
        <source>SMTP 服务器：</source>
        <translation>SMTP server:</translation>
    </message>
    <message>
        <source>用户名：</source>
        <translation>User name:</translation>
    </message>
    <message>
        <source>密码：</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>留空则沿用已保存的密码</source>
        <translation>Leave empty to keep the saved password</translation>
    </message>
    <message>
        <source>网址：</source>
        <translation>URL:</translation>
    </message>
    <message>
        <source>格式：</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set Up</translation>
    </message>
    <message>
        <source>移除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>文本文件 (*.txt);;所有文件 (*)</source>
        <translation>Text files (*.txt);;All files (*)</translation>
    </message>
    <message>
        <source>请选择要定期检查的域名列表文件。</source>
        <translation>Choose the list file to check regularly.</translation>
    </message>
    <message>
        <source>找不到列表文件“%1”。</source>
        <translation>The list file &quot;%1&quot; can&apos;t be found.</translation>
    </message>
    <message>
        <source>无法保存 SMTP 密码到“%1”。</source>
        <translation>Can&apos;t save the SMTP password to &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>找不到 zonedesk-cli（%1）：定期检查由它在后台查询。请把它装在本程序旁边。</source>
        <translation>zonedesk-cli (%1) can&apos;t be found: it does the scheduled lookups in the background. Install it beside this program.</translation>
    </message>
    <message>
        <source>无法设置定期检查：%1</source>
        <translation>Can&apos;t set the scheduled check up: %1</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>已移除定期检查“%1”。</source>
        <translation>The scheduled check &quot;%1&quot; is removed.</translation>
    </message>
    <message>
        <source>无法移除定期检查：%1</source>
        <translation>Can&apos;t remove the scheduled check: %1</translation>
    </message>
    <message>
        <source>已设置定期检查：每周检查一次“%1”。电脑关机时错过的检查，会在下次开机后补上。</source>
        <translation>Scheduled check set up: &quot;%1&quot; is checked once a week. A check missed while the computer was off runs after the next start.</translation>
    </message>
    <message>
        <source>已设置定期检查：每天检查一次“%1”。电脑关机时错过的检查，会在下次开机后补上。</source>
        <translation>Scheduled check set up: &quot;%1&quot; is checked once a day. A check missed while the computer was off runs after the next start.</translation>
    </message>
    <message>
        <source>设置已保存，但连不上 systemd 的用户服务管理器，计时器没有启用。要让系统每周检查一次，请运行 crontab -e，加入下面这一行：</source>
        <translation>The settings are saved, but systemd&apos;s user service manager can&apos;t be reached, so the timer is not enabled. To have the list checked once a week, run crontab -e and add this line:</translation>
    </message>
    <message>
        <source>设置已保存，但连不上 systemd 的用户服务管理器，计时器没有启用。要让系统每天检查一次，请运行 crontab -e，加入下面这一行：</source>
        <translation>The settings are saved, but systemd&apos;s user service manager can&apos;t be reached, so the timer is not enabled. To have the list checked once a day, run crontab -e and add this line:</translation>
    </message>
    <message>
        <source>邮件 %1</source>
        <translation>Mail %1</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>频率</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>列表文件</source>
        <translation>List file</translation>
    </message>
    <message>
        <source>已设置的定期检查（选中一项可修改或移除）：</source>
        <translation>Scheduled checks (pick one to change or remove it):</translation>
    </message>
    <message>
        <source>正在等待 systemd 的用户服务管理器回应…（可按“取消”停止等待）</source>
        <translation>Waiting for systemd&apos;s user service manager… (Cancel stops waiting)</translation>
    </message>
    <message>
        <source>正在停止等待…</source>
        <translation>Stopping the wait…</translation>
    </message>
    <message>
        <source>如果你把它的那一行加进了 crontab，那一行还在：请运行 crontab -e 删除它。</source>
        <translation> If you added its line to your crontab, the line is still there: run crontab -e to remove it.</translation>
    </message>
</context>
<context>
    <name>zonedesk::core</name>
    <message>
        <source>无whois服务器</source>
        <translation>No WHOIS server</translation>
    </message>
    <message>
        <source>成功</source>
        <translation>Registered</translation>
    </message>
    <message>
        <source>域名未注册</source>
        <translation>Not registered</translation>
    </message>
    <message>
        <source>ERR!</source>
        <translation>ERR!</translation>
    </message>
    <message>
        <source>未查询</source>
        <translation>Not looked up</translation>
    </message>
    <message>
        <source>whois服务器</source>
        <translation>WHOIS server</translation>
    </message>
    <message>
        <source>域名</source>
        <translation>Domain</translation>
    </message>
    <message>
        <source>当前状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>过期日期</source>
        <translation>Expiry date</translation>
    </message>
    <message>
        <source>注册日期</source>
        <translation>Registration date</translation>
    </message>
    <message>
        <source>whois更新日期</source>
        <translation>WHOIS updated</translation>
    </message>
    <message>
        <source>所有人</source>
        <translation>Owner</translation>
    </message>
    <message>
        <source>联系Email</source>
        <translation>Contact email</translation>
    </message>
    <message>
        <source>注册商</source>
        <translation>Registrar</translation>
    </message>
    <message>
        <source>状态码</source>
        <translation>Status codes</translation>
    </message>
    <message>
        <source>域名服务器</source>
        <translation>Name servers</translation>
    </message>
    <message>
        <source>DNSSEC签名</source>
        <translation>DNSSEC</translation>
    </message>
    <message>
        <source>域名无法转换为查询形式</source>
        <translation>The name has no form a server can be asked for</translation>
    </message>
    <message>
        <source>找不到服务器地址</source>
        <translation>Server address not found</translation>
    </message>
    <message>
        <source>无法连接服务器</source>
        <translation>Cannot connect to the server</translation>
    </message>
    <message>
        <source>发送查询失败</source>
        <translation>Sending the query failed</translation>
    </message>
    <message>
        <source>服务器没有回复</source>
        <translation>The server sent no reply</translation>
    </message>
    <message>
        <source>等待回复超时</source>
        <translation>Timed out waiting for the reply</translation>
    </message>
    <message>
        <source>连接中断，回复不完整</source>
        <translation>Connection broken; the reply is incomplete</translation>
    </message>
    <message>
        <source>服务器限制查询频率</source>
        <translation>The server rations queries</translation>
    </message>
    <message>
        <source>服务器不再提供此查询</source>
        <translation>The server no longer answers this query</translation>
    </message>
    <message>
        <source>无法识别的回复</source>
        <translation>Unrecognised reply</translation>
    </message>
    <message>
        <source>回复过大</source>
        <translation>Reply too large</translation>
    </message>
    <message>
        <source>未知此后缀的注册局服务</source>
        <translation>No registry service is known for this suffix</translation>
    </message>
    <message>
        <source>公共后缀，不能注册</source>
        <translation>A public suffix, which nobody registers</translation>
    </message>
    <message>
        <source>回复的是另一个域名</source>
        <translation>The reply is for another name</translation>
    </message>
    <message>
        <source>回复不是RDAP应答</source>
        <translation>The reply is not an RDAP answer</translation>
    </message>
    <message>
        <source>服务器的重定向不安全或过多，未跟随</source>
        <translation>The server&apos;s redirect is unsafe or one too many; not followed</translation>
    </message>
    <message>
        <source>服务器已无应答，未再查询</source>
        <translation>The server is not answering; not asked</translation>
    </message>
    <message>
        <source>长于 40 字节</source>
        <translation>longer than 40 bytes</translation>
    </message>
    <message>
        <source>行太长，不是域名</source>
        <translation>too long to be a name</translation>
    </message>
    <message>
        <source>含有空格</source>
        <translation>with a blank inside</translation>
    </message>
    <message>
        <source>含有控制字符</source>
        <translation>with a control character</translation>
    </message>
    <message>
        <source>没有点号</source>
        <translation>without a dot</translation>
    </message>
    <message>
        <source>含有域名不允许的字符</source>
        <translation>with characters a domain name can&apos;t hold</translation>
    </message>
    <message>
        <source>以 =、+、- 或 @ 开头</source>
        <translation>starting with =, +, - or @</translation>
    </message>
    <message>
        <source>含有 GBK 无法表示的字符</source>
        <translation>with text GBK can&apos;t hold</translation>
    </message>
    <message>
        <source>是公共后缀，不能注册</source>
        <translation>naming a public suffix, which nobody registers</translation>
    </message>
    <message>
        <source>已释放！</source>
        <translation>Dropped!</translation>
    </message>
    <message>
        <source>已被注册</source>
        <translation>Registered</translation>
    </message>
    <message>
        <source>续费</source>
        <translation>Renewed</translation>
    </message>
    <message>
        <source>到期日提前</source>
        <translation>Expiry moved earlier</translation>
    </message>
    <message>
        <source>注册商变更</source>
        <translation>Registrar changed</translation>
    </message>
    <message>
        <source>所有人变更</source>
        <translation>Owner changed</translation>
    </message>
    <message>
        <source>转移锁已解除！</source>
        <translation>Transfer lock lifted!</translation>
    </message>
    <message>
        <source>已加转移锁</source>
        <translation>Transfer lock set</translation>
    </message>
    <message>
        <source>域名服务器变更</source>
        <translation>Name servers changed</translation>
    </message>
    <message>
        <source>DNSSEC已关闭！</source>
        <translation>DNSSEC turned off!</translation>
    </message>
    <message>
        <source>DNSSEC已开启</source>
        <translation>DNSSEC turned on</translation>
    </message>
    <message>
        <source>已暂停解析！</source>
        <translation>Put on hold!</translation>
    </message>
    <message>
        <source>已恢复解析</source>
        <translation>Hold released</translation>
    </message>
    <message>
        <source>进入赎回期或待删除！</source>
        <translation>Entered redemption or pending delete!</translation>
    </message>
    <message>
        <source>已离开赎回期或待删除</source>
        <translation>Left redemption or pending delete</translation>
    </message>
    <message>
        <source>%1：%2 → %3</source>
        <translation>%1: %2 → %3</translation>
    </message>
    <message>
        <source>无</source>
        <translation>none</translation>
    </message>
</context>
</TS>
