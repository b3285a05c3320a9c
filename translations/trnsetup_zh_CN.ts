<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Changes</name>
    <message>
        <source>: </source>
        <translation>：</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>型号</translation>
    </message>
    <message>
        <source>Variant</source>
        <translation>型号变体</translation>
    </message>
    <message>
        <source>Firmware</source>
        <translation>固件</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>序列号</translation>
    </message>
</context>
<context>
    <name>Commands</name>
    <message>
        <source>no controller found on any serial port</source>
        <translation>在所有串口上都未找到控制器</translation>
    </message>
    <message>
        <source>no controller found on </source>
        <translation>未找到控制器，已查找：</translation>
    </message>
    <message>
        <source>reading the controller failed: </source>
        <translation>读取控制器失败：</translation>
    </message>
    <message>
        <source>%1 (%2, not in the journal)</source>
        <translation>%1（%2，未记入写入日志）</translation>
    </message>
    <message>
        <source>All %1 units %2.</source>
        <translation>全部 %1 台控制器均已%2。</translation>
    </message>
    <message>
        <source>%1 of %2 units not %3: %4</source>
        <translation>%2 台中有 %1 台未%3：%4</translation>
    </message>
    <message>
        <source>cannot write the file to standard output: </source>
        <translation>无法把文件写到标准输出：</translation>
    </message>
    <message>
        <source>Read %1 (firmware %2, serial %3) into %4</source>
        <translation>已将 %1（固件 %2，序列号 %3）读入 %4</translation>
    </message>
    <message>
        <source>%1 is not a folder: read --all-ports saves one file a unit into the folder -o names</source>
        <translation>%1 不是文件夹：read --all-ports 会把每台控制器各存为一个文件，放入 -o 指定的文件夹</translation>
    </message>
    <message>
        <source>cannot create the folder</source>
        <translation>无法创建文件夹</translation>
    </message>
    <message>
        <source>not saved: the unit on %1 is also %2</source>
        <translation>未保存：%1 上的控制器同样是 %2</translation>
    </message>
    <message>
        <source>nothing written: add --yes once the motor is not running</source>
        <translation>未写入任何内容：确认电机未运行后请加上 --yes</translation>
    </message>
    <message>
        <source>written and verified</source>
        <translation>写入并校验</translation>
    </message>
    <message>
        <source>the refusal is not recorded in the journal: </source>
        <translation>拒绝写入未能记入写入日志：</translation>
    </message>
    <message>
        <source>No setting changes; nothing written (--force writes anyway).</source>
        <translation>没有设置变化；未写入任何内容（--force 可强制写入）。</translation>
    </message>
    <message>
        <source>No setting changes; writing the controller as it is.</source>
        <translation>没有设置变化；按控制器现有内容写入。</translation>
    </message>
    <message>
        <source>the write is not recorded in the journal: </source>
        <translation>本次写入未能记入写入日志：</translation>
    </message>
    <message>
        <source>the outcome (%1) is not recorded in the journal: %2</source>
        <translation>结果（%1）未能记入写入日志：%2</translation>
    </message>
    <message>
        <source>written and verified, but the journal does not record it</source>
        <translation>已写入并校验，但写入日志没有记录</translation>
    </message>
    <message>
        <source>writing the controller failed: </source>
        <translation>写入控制器失败：</translation>
    </message>
    <message>
        <source>; whether it holds the new settings is unknown</source>
        <translation>；无法得知控制器是否已保存新设置</translation>
    </message>
    <message>
        <source>Written; not read back (--no-verify).</source>
        <translation>已写入；未回读（--no-verify）。</translation>
    </message>
    <message>
        <source>reading back</source>
        <translation>正在回读</translation>
    </message>
    <message>
        <source>written, but reading it back failed: </source>
        <translation>已写入，但回读失败：</translation>
    </message>
    <message>
        <source>; reading it back failed too: </source>
        <translation>；回读也失败：</translation>
    </message>
    <message>
        <source>; whether it holds the new settings is unknown (the journal entry stays pending)</source>
        <translation>；无法得知控制器是否已保存新设置（写入日志记录保持为待定）</translation>
    </message>
    <message>
        <source>Written and read back: the controller holds what was written.</source>
        <translation>已写入并回读：控制器中的内容与写入的相同。</translation>
    </message>
    <message>
        <source>The controller&apos;s reply to the write was lost (</source>
        <translation>控制器对写入的回复丢失（</translation>
    </message>
    <message>
        <source>); read back, it holds what was written.</source>
        <translation>）；回读后，控制器中的内容与写入的相同。</translation>
    </message>
    <message>
        <source>; read back, it holds its settings as before: nothing written</source>
        <translation>；回读后，控制器保持原来的设置：未写入任何内容</translation>
    </message>
    <message>
        <source>read-back mismatch: written -&gt; read back: </source>
        <translation>回读不一致：写入 -&gt; 回读：</translation>
    </message>
    <message>
        <source>bytes that are no setting differ</source>
        <translation>不属于任何设置的字节不同</translation>
    </message>
    <message>
        <source>not taken into the journal: %1: %2</source>
        <translation>未收入写入日志：%1：%2</translation>
    </message>
    <message>
        <source>the journal cannot be opened: </source>
        <translation>无法打开写入日志：</translation>
    </message>
    <message>
        <source>journal entries waiting at this station to be shared with %1: %2 (sent when it is back: the next run, or history --sync): %3</source>
        <translation>本工位等待共享到 %1 的写入日志记录：%2 条（服务器恢复后发送：下次运行时，或 history --sync）：%3</translation>
    </message>
    <message>
        <source>the shared journal is not made: </source>
        <translation>共享写入日志未能建立：</translation>
    </message>
    <message>
        <source>Journal entries sent to %1: %2; still waiting: %3.</source>
        <translation>已发送到 %1 的写入日志记录：%2 条；仍在等待：%3 条。</translation>
    </message>
    <message>
        <source>Exported entry %1 (%2, %3, %4) into %5</source>
        <translation>已将记录 %1（%2，%3，%4）导出到 %5</translation>
    </message>
    <message>
        <source>nothing written: the controller would not take these lines as written; correct them, or add --adjust to write what the pages would</source>
        <translation>未写入任何内容：控制器不会按原样接受这些行；请改正它们，或加上 --adjust 按页面的取值写入</translation>
    </message>
    <message>
        <source>port</source>
        <translation>串口</translation>
    </message>
    <message>
        <source>model</source>
        <translation>型号</translation>
    </message>
    <message>
        <source>serial</source>
        <translation>序列号</translation>
    </message>
    <message>
        <source>outcome</source>
        <translation>结果</translation>
    </message>
    <message>
        <source>searching</source>
        <translation>正在查找</translation>
    </message>
    <message>
        <source>reading</source>
        <translation>正在读取</translation>
    </message>
    <message>
        <source>writing</source>
        <translation>正在写入</translation>
    </message>
    <message>
        <source>saved</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>already held the file&apos;s settings</source>
        <translation>具有该文件的设置</translation>
    </message>
    <message>
        <source>written</source>
        <translation>写入</translation>
    </message>
    <message>
        <source>All %1 units done: %2.</source>
        <translation>全部 %1 台控制器均已完成：%2。</translation>
    </message>
    <message>
        <source>No controller answered on %1.</source>
        <translation>以下端口无控制器应答：%1。</translation>
    </message>
    <message>
        <source>nothing written: the journal cannot record the write (--without-journal writes without it)</source>
        <translation>未写入任何内容：写入日志无法记录本次写入（加上 --without-journal 可不记日志写入）</translation>
    </message>
    <message>
        <source>cannot write to standard output: </source>
        <translation>无法写到标准输出：</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <comment>a count of units, what they did</comment>
        <translation>%1 台已%2</translation>
    </message>
    <message>
        <source>journal entry %1 (%2) is refused by the server and waits at this station: %3</source>
        <translation>写入日志记录 %1（%2）被服务器拒绝，保存在本工位等待：%3</translation>
    </message>
    <message>
        <source>history --window needs a display: neither DISPLAY nor WAYLAND_DISPLAY is set; history without --window needs none</source>
        <translation>history --window 需要显示器：DISPLAY 和 WAYLAND_DISPLAY 均未设置；不带 --window 的 history 不需要显示器</translation>
    </message>
    <message>
        <source>station needs a display: neither DISPLAY nor WAYLAND_DISPLAY is set</source>
        <translation>station 需要显示器：DISPLAY 和 WAYLAND_DISPLAY 均未设置</translation>
    </message>
</context>
<context>
    <name>ConfigFile</name>
    <message>
        <source>: on or off</source>
        <translation>：on 或 off</translation>
    </message>
    <message>
        <source>: </source>
        <translation>：</translation>
    </message>
    <message>
        <source> (the code held is not in the list)</source>
        <translation>（当前代码不在列表中）</translation>
    </message>
    <message>
        <source>, </source>
        <translation>，</translation>
    </message>
    <message>
        <source>Line %1: </source>
        <translation>第 %1 行：</translation>
    </message>
    <message>
        <source># Edit the values of the settings below; &apos;#&apos; starts a comment. The image block at the
# end records this controller and is never applied to another unit.
</source>
        <translation># 可修改下列设置的值；“#”之后是说明。末尾的映像块记录此控制器，不会写入其他控制器。
</translation>
    </message>
    <message>
        <source># The whole controller, 128 bytes, for reference only.
</source>
        <translation># 控制器的全部 128 字节，仅作记录。
</translation>
    </message>
</context>
<context>
    <name>ConfigMenu</name>
    <message>
        <source>Configuration files (*.trncfg);;All files (*)</source>
        <translation>配置文件 (*.trncfg);;所有文件 (*)</translation>
    </message>
    <message>
        <source>Other file...</source>
        <translation>其他文件...</translation>
    </message>
    <message>
        <source>Written to this controller (newest first):</source>
        <translation>写入此控制器的历史记录（最新在前）：</translation>
    </message>
    <message>
        <source>&amp;Save configuration...</source>
        <translation>保存配置(&amp;S)...</translation>
    </message>
    <message>
        <source>&amp;Load configuration...</source>
        <translation>载入配置(&amp;L)...</translation>
    </message>
    <message>
        <source>Show &amp;changes...</source>
        <translation>显示更改(&amp;C)...</translation>
    </message>
    <message>
        <source>Open configuration</source>
        <translation>打开配置</translation>
    </message>
    <message>
        <source>Save configuration</source>
        <translation>保存配置</translation>
    </message>
    <message>
        <source>The journal of writes cannot be opened: %1</source>
        <translation>无法打开写入日志：%1</translation>
    </message>
    <message>
        <source>Not taken into the journal: %1: %2</source>
        <translation>未导入日志：%1：%2</translation>
    </message>
    <message>
        <source>The journal of writes cannot be read: %1</source>
        <translation>无法读取写入日志：%1</translation>
    </message>
    <message>
        <source>Load configuration</source>
        <translation>载入配置</translation>
    </message>
    <message>
        <source>The configuration was not loaded.

%1</source>
        <translation>未载入配置。

%1</translation>
    </message>
    <message>
        <source>journal entry #%1</source>
        <translation>日志记录 #%1</translation>
    </message>
    <message>
        <source>Loaded %1. Finish saves it to the file.</source>
        <translation>已载入 %1。按“完成”保存到文件。</translation>
    </message>
    <message>
        <source>Loaded %1. Finish writes it to the controller.</source>
        <translation>已载入 %1。按“完成”写入控制器。</translation>
    </message>
    <message>
        <source>No setting changed.</source>
        <translation>没有设置被更改。</translation>
    </message>
    <message>
        <source>No setting differs from the file.</source>
        <translation>与文件相比，没有设置被更改。</translation>
    </message>
    <message>
        <source>No setting differs from the controller as it was read.</source>
        <translation>与读取时的控制器相比，没有设置被更改。</translation>
    </message>
    <message>
        <source>Changed from the file:</source>
        <translation>与文件相比的更改：</translation>
    </message>
    <message>
        <source>Changed since the controller was read:</source>
        <translation>自读取控制器以来的更改：</translation>
    </message>
    <message>
        <source>The write was not recorded in the journal: %1</source>
        <translation>此次写入未记入日志：%1</translation>
    </message>
    <message>
        <source>The outcome of the write was not recorded in the journal: %1</source>
        <translation>此次写入的结果未记入日志：%1</translation>
    </message>
    <message>
        <source>%1 journal entries wait at this station to be shared with %2; they are sent when it is back. %3</source>
        <translation>%1 条日志记录保存在本工位，等待与 %2 共享；服务器恢复后即发送。%3</translation>
    </message>
    <message>
        <source>&amp;History...</source>
        <translation>历史记录(&amp;H)...</translation>
    </message>
    <message>
        <source>&amp;Open configuration...</source>
        <translation>打开配置(&amp;O)...</translation>
    </message>
</context>
<context>
    <name>EditedFile</name>
    <message>
        <source>Please click Finish to save the configuration into the file.</source>
        <translation>请点击“完成”按钮，将配置保存到文件中。</translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <source>Journal of writes</source>
        <translation>写入日志</translation>
    </message>
    <message>
        <source>Shared journal on %1</source>
        <translation>%1 上的共享写入日志</translation>
    </message>
    <message>
        <source>This station&apos;s journal</source>
        <translation>本工位的写入日志</translation>
    </message>
    <message>
        <source>&amp;Journal:</source>
        <translation>日志(&amp;J)：</translation>
    </message>
    <message>
        <source>&amp;Unit:</source>
        <translation>单元(&amp;U)：</translation>
    </message>
    <message>
        <source>&amp;Station:</source>
        <translation>工位(&amp;S)：</translation>
    </message>
    <message>
        <source>S&amp;ince:</source>
        <translation>起始(&amp;I)：</translation>
    </message>
    <message>
        <source>U&amp;ntil:</source>
        <translation>截止(&amp;N)：</translation>
    </message>
    <message>
        <source>Se&amp;ttings:</source>
        <translation>设置条件(&amp;T)：</translation>
    </message>
    <message>
        <source>&amp;Filter</source>
        <translation>筛选(&amp;F)</translation>
    </message>
    <message>
        <source>Journal entries</source>
        <translation>日志记录</translation>
    </message>
    <message>
        <source>What the entries selected changed</source>
        <translation>所选日志记录的更改</translation>
    </message>
    <message>
        <source>&amp;Export...</source>
        <translation>导出(&amp;E)...</translation>
    </message>
    <message>
        <source>&amp;Load into the wizard</source>
        <translation>载入向导(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>关闭(&amp;C)</translation>
    </message>
    <message>
        <source>A unit is named as MODEL-SERIAL, like TRN48201-000AB0FF.</source>
        <translation>单元的写法为 型号-序列号，例如 TRN48201-000AB0FF。</translation>
    </message>
    <message>
        <source>%1 takes a date or a date and time, like 2024-05-01 or 2024-05-01T08:00 (UTC unless an offset is given).</source>
        <translation>%1 需要日期或日期加时间，例如 2024-05-01 或 2024-05-01T08:00（未给出时区偏移时为 UTC）。</translation>
    </message>
    <message>
        <source>Which entries wait at this station is not known: %1</source>
        <translation>无法得知本工位有哪些日志记录等待共享：%1</translation>
    </message>
    <message>
        <source>The journal cannot be read: %1</source>
        <translation>无法读取写入日志：%1</translation>
    </message>
    <message>
        <source>No entry matches.</source>
        <translation>没有符合条件的日志记录。</translation>
    </message>
    <message>
        <source>Entries shown: %1, newest first; more as you scroll.</source>
        <translation>已显示 %1 条日志记录，最新在前；向下滚动显示更多。</translation>
    </message>
    <message>
        <source>Entries: %1, newest first.</source>
        <translation>共 %1 条日志记录，最新在前。</translation>
    </message>
    <message>
        <source>Select an entry to see what it changed, or two entries (Ctrl and click) to compare them.</source>
        <translation>选择一条日志记录查看其更改，或选择两条（按住 Ctrl 单击）进行比较。</translation>
    </message>
    <message>
        <source>Entry %1: %2, %3, %4</source>
        <translation>日志记录 %1：%2，%3，%4</translation>
    </message>
    <message>
        <source>Station %1, program %2</source>
        <translation>工位 %1，程序 %2</translation>
    </message>
    <message>
        <source>Made by the server&apos;s role %1</source>
        <translation>由服务器角色 %1 添加</translation>
    </message>
    <message>
        <source>What the unit held before is not known: the entry was taken in from a file of an earlier version.</source>
        <translation>不知道该单元此前保存的设置：此日志记录来自早期版本的文件。</translation>
    </message>
    <message>
        <source>No setting changed: the unit held these settings already.</source>
        <translation>没有设置被更改：该单元原已保存这些设置。</translation>
    </message>
    <message>
        <source>Changed against what the unit held:</source>
        <translation>相对于该单元原有设置的更改：</translation>
    </message>
    <message>
        <source>Entry %1 (%2, %3) against entry %4 (%5, %6):</source>
        <translation>日志记录 %1（%2，%3）与日志记录 %4（%5，%6）相比：</translation>
    </message>
    <message>
        <source>The two entries wrote the same settings.</source>
        <translation>两条日志记录写入的设置相同。</translation>
    </message>
    <message>
        <source>Export journal entry</source>
        <translation>导出日志记录</translation>
    </message>
    <message>
        <source>The entry was not exported: %1</source>
        <translation>日志记录未导出：%1</translation>
    </message>
    <message>
        <source>Exported entry %1 into %2.</source>
        <translation>已将日志记录 %1 导出到 %2。</translation>
    </message>
    <message>
        <source>any unit, like %1</source>
        <translation>任意单元，例如 %1</translation>
    </message>
    <message>
        <source>any station</source>
        <translation>任意工位</translation>
    </message>
    <message>
        <source>from the first entry, like %1</source>
        <translation>从第一条记录起，例如 %1</translation>
    </message>
    <message>
        <source>to the last entry, like %1</source>
        <translation>到最后一条记录止，例如 %1</translation>
    </message>
    <message>
        <source>any settings, like %1</source>
        <translation>任意设置，例如 %1</translation>
    </message>
</context>
<context>
    <name>Journal</name>
    <message>
        <source>&apos;%1&apos; is not a condition such as max_motor_current&gt;80%</source>
        <translation>“%1”不是形如 max_motor_current&gt;80% 的条件</translation>
    </message>
    <message>
        <source>no setting is named &apos;%1&apos;</source>
        <translation>没有名为“%1”的设置</translation>
    </message>
    <message>
        <source>%1 takes only = and !=</source>
        <translation>%1 只能用 = 和 !=</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a server as postgresql://USER@HOST[:PORT]/DB</source>
        <translation>“%1”不是 postgresql://用户@主机[:端口]/数据库 形式的服务器地址</translation>
    </message>
    <message>
        <source>no password on the command line, in the environment or in the settings: put it in ~/.pgpass (or the file PGPASSFILE names) or in a service file</source>
        <translation>密码不能出现在命令行、环境变量或设置中：请把它放在 ~/.pgpass（或 PGPASSFILE 指定的文件）或服务文件中</translation>
    </message>
    <message>
        <source>%1 is no port</source>
        <translation>%1 不是端口号</translation>
    </message>
    <message>
        <source>the server address takes only ?sslmode=%1, not &apos;%2&apos;</source>
        <translation>服务器地址只接受 ?sslmode=%1，不接受“%2”</translation>
    </message>
    <message>
        <source>Qt&apos;s PostgreSQL driver is not installed (libqt6sql6-psql)</source>
        <translation>未安装 Qt 的 PostgreSQL 驱动（libqt6sql6-psql）</translation>
    </message>
    <message>
        <source>the server holds no trnsetup journal; its owner creates it with &apos;trnsetup history --init&apos;</source>
        <translation>服务器上没有 trnsetup 写入日志；其所有者可用“trnsetup history --init”创建</translation>
    </message>
    <message>
        <source>the journal there has version %1, newer than this program knows (%2): nothing is written to it; install a newer trnsetup</source>
        <translation>那里的写入日志版本为 %1，比本程序所知的（%2）新：不会向其写入；请安装更新的 trnsetup</translation>
    </message>
    <message>
        <source>the journal there has version %1, older than this program&apos;s (%2); its owner upgrades it with &apos;trnsetup history --init&apos;</source>
        <translation>那里的写入日志版本为 %1，比本程序的（%2）旧；其所有者可用“trnsetup history --init”升级</translation>
    </message>
    <message>
        <source>the journal there has version %1, newer than this program knows (%2): left as it is</source>
        <translation>那里的写入日志版本为 %1，比本程序所知的（%2）新：保持原样</translation>
    </message>
    <message>
        <source>The shared journal on %1 is at version %2 already.</source>
        <translation>%1 上的共享写入日志已是版本 %2。</translation>
    </message>
    <message>
        <source>Created the shared journal (version %2) on %1.</source>
        <translation>已在 %1 上创建共享写入日志（版本 %2）。</translation>
    </message>
    <message>
        <source>Upgraded the shared journal on %1 from version %2 to %3.</source>
        <translation>已将 %1 上的共享写入日志从版本 %2 升级到 %3。</translation>
    </message>
    <message>
        <source>entry %1 did not arrive</source>
        <translation>记录 %1 未送达</translation>
    </message>
    <message>
        <source>the server holds entry %1 as %2, not %3</source>
        <translation>服务器上记录 %1 的结果为 %2，而不是 %3</translation>
    </message>
    <message>
        <source>entry %1 is damaged</source>
        <translation>记录 %1 已损坏</translation>
    </message>
    <message>
        <source>there is no entry %1</source>
        <translation>没有记录 %1</translation>
    </message>
    <message>
        <source>cannot create the folder</source>
        <translation>无法创建文件夹</translation>
    </message>
    <message>
        <source>Qt&apos;s SQLite driver is not installed</source>
        <translation>未安装 Qt 的 SQLite 驱动</translation>
    </message>
    <message>
        <source>cannot use write-ahead logging (journal mode %1)</source>
        <translation>无法使用预写式日志（日志模式 %1）</translation>
    </message>
    <message>
        <source>made by a newer version of the program (journal version %1)</source>
        <translation>由更新版本的程序创建（写入日志版本 %1）</translation>
    </message>
    <message>
        <source>entry %1 cannot be completed as pending</source>
        <translation>记录 %1 不能以“待定”结束</translation>
    </message>
    <message>
        <source>entry %1 is already completed (%2)</source>
        <translation>记录 %1 已经结束（%2）</translation>
    </message>
    <message>
        <source>no answer from the server within %1 s</source>
        <translation>服务器在 %1 秒内没有应答</translation>
    </message>
    <message>
        <source>PGPASSWORD is set: trnsetup takes no password from the environment; unset it and put the password in ~/.pgpass (or the file PGPASSFILE names) or in a service file</source>
        <translation>已设置 PGPASSWORD：trnsetup 不从环境变量读取密码；请取消该变量，并把密码放在 ~/.pgpass（或 PGPASSFILE 指定的文件）或服务文件中</translation>
    </message>
    <message>
        <source>%1 takes whole seconds from 1 to %2, not &apos;%3&apos;</source>
        <translation>%1 须为 1 到 %2 之间的整秒数，不能是“%3”</translation>
    </message>
    <message>
        <source>not finished</source>
        <translation>未完成</translation>
    </message>
    <message>
        <source>written and verified</source>
        <translation>已写入并校验</translation>
    </message>
    <message>
        <source>read back differs</source>
        <translation>回读不一致</translation>
    </message>
    <message>
        <source>write failed</source>
        <translation>写入失败</translation>
    </message>
    <message>
        <source>reply lost, read back as written</source>
        <translation>应答丢失，回读与写入一致</translation>
    </message>
    <message>
        <source>written, not verified</source>
        <translation>已写入，未校验</translation>
    </message>
    <message>
        <source>refused, nothing written</source>
        <translation>已拒绝，未写入</translation>
    </message>
</context>
<context>
    <name>JournalModel</name>
    <message>
        <source>waiting at this station (its entry %1)</source>
        <translation>在本工位等待共享（本工位日志记录 %1）</translation>
    </message>
    <message>
        <source>waiting at this station</source>
        <translation>在本工位等待共享</translation>
    </message>
    <message>
        <source>Entry</source>
        <translation>编号</translation>
    </message>
    <message>
        <source>Time (UTC)</source>
        <translation>时间（UTC）</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>结果</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>单元</translation>
    </message>
    <message>
        <source>Station</source>
        <translation>工位</translation>
    </message>
    <message>
        <source>Role</source>
        <translation>角色</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>程序</translation>
    </message>
    <message>
        <source>Sharing</source>
        <translation>共享</translation>
    </message>
</context>
<context>
    <name>Link</name>
    <message>
        <source>opening the read</source>
        <translation>开始读取</translation>
    </message>
    <message>
        <source>block %1 of %2</source>
        <translation>第 %1 块（共 %2 块）</translation>
    </message>
    <message>
        <source>%1: the reply carried %2 of %3 bytes</source>
        <translation>%1：回复只带有 %2 字节（应为 %3 字节）</translation>
    </message>
    <message>
        <source>the identify request</source>
        <translation>识别请求</translation>
    </message>
    <message>
        <source>opening the write</source>
        <translation>开始写入</translation>
    </message>
    <message>
        <source>chunk %1 of %2 not confirmed</source>
        <translation>第 %1 段（共 %2 段）未被确认</translation>
    </message>
    <message>
        <source>the commit not confirmed</source>
        <translation>提交未被确认</translation>
    </message>
    <message>
        <source>no valid reply in %1 attempts</source>
        <translation>%1 次尝试均无有效回复</translation>
    </message>
    <message>
        <source>a reply with a bad checksum</source>
        <translation>回复的校验和错误</translation>
    </message>
    <message>
        <source>the port was lost (hang-up or I/O error)</source>
        <translation>端口已断开（挂断或输入/输出错误）</translation>
    </message>
    <message>
        <source>the port is not open</source>
        <translation>端口未打开</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>Searching for the controller on %1</source>
        <translation>正在 %1 上查找控制器</translation>
    </message>
    <message>
        <source>Reading the configuration</source>
        <translation>正在读取配置</translation>
    </message>
    <message>
        <source>Reading block %1 of %2</source>
        <translation>正在读取第 %1 块（共 %2 块）</translation>
    </message>
    <message>
        <source>Writing the configuration</source>
        <translation>正在写入配置</translation>
    </message>
    <message>
        <source>Writing chunk %1 of %2</source>
        <translation>正在写入第 %1 段（共 %2 段）</translation>
    </message>
    <message>
        <source>Committing the configuration</source>
        <translation>正在提交配置</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>无法读取 %1：%2</translation>
    </message>
    <message>
        <source>%1 is too large to be a configuration file</source>
        <translation>%1 太大，不是配置文件</translation>
    </message>
    <message>
        <source>The file is empty</source>
        <translation>文件为空</translation>
    </message>
    <message>
        <source>The file is not UTF-8 text</source>
        <translation>文件不是 UTF-8 文本</translation>
    </message>
    <message>
        <source>cannot read &quot;%1&quot;; expected name = value</source>
        <translation>无法识别“%1”，应为 名称 = 值</translation>
    </message>
    <message>
        <source>unknown setting &quot;%1&quot;</source>
        <translation>未知的设置“%1”</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is given again (first on line %2)</source>
        <translation>“%1”重复出现（首次在第 %2 行）</translation>
    </message>
    <message>
        <source>&quot;%2&quot; is not a value of %1 (expected %3)</source>
        <translation>“%2”不是 %1 的有效值（应为 %3）</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a date</source>
        <translation>“%1”不是日期</translation>
    </message>
    <message>
        <source>The header lacks &quot;%1&quot;</source>
        <translation>文件头缺少“%1”</translation>
    </message>
    <message>
        <source>the header&apos;s %1 %2 differs from the image block&apos;s %3</source>
        <translation>文件头的 %1 为 %2，与映像块的 %3 不符</translation>
    </message>
    <message>
        <source>%1 is not a setting of this controller (firmware %2, variant %3)</source>
        <translation>%1 不是此控制器的设置（固件 %2，型号变体 %3）</translation>
    </message>
    <message>
        <source>the file ends before its image block is complete (%1 of 128 bytes); it may be truncated</source>
        <translation>映像块不完整（128 字节中只有 %1 字节），文件可能被截断</translation>
    </message>
    <message>
        <source>expected image row %1 with 16 hexadecimal bytes</source>
        <translation>应为映像行 %1，含 16 个十六进制字节</translation>
    </message>
    <message>
        <source>text after the image block</source>
        <translation>映像块之后还有内容</translation>
    </message>
    <message>
        <source>%1 = %2 is outside what the page offers (%3); the page adjusts it when shown</source>
        <translation>%1 = %2 超出页面提供的范围（%3），页面显示时会调整</translation>
    </message>
    <message>
        <source>The file is for model %1; this controller is a %2</source>
        <translation>文件适用于型号 %1，此控制器为 %2</translation>
    </message>
    <message>
        <source>The file is for variant %1; this controller is variant %2</source>
        <translation>文件适用于型号变体 %1，此控制器为 %2</translation>
    </message>
    <message>
        <source>The file is for firmware %1; this controller has firmware %2</source>
        <translation>文件适用于固件 %1，此控制器的固件为 %2</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>无法写入 %1：%2</translation>
    </message>
    <message>
        <source>%1 = %2 is outside what the page offers (%3); %4 will be written</source>
        <translation>%1 = %2 超出页面提供的范围（%3），将写入 %4</translation>
    </message>
    <message>
        <source>%1 = %2 is not offered on this controller; it keeps %3</source>
        <translation>%1 = %2 在此控制器上不可设置，保持 %3</translation>
    </message>
    <message>
        <source>%1 = %2 is refused by the page; the controller keeps %3</source>
        <translation>%1 = %2 被页面拒绝，控制器保持 %3</translation>
    </message>
    <message>
        <source>%1 = %2 is decided by another setting; %3 will be written</source>
        <translation>%1 = %2 由其他设置决定，将写入 %3</translation>
    </message>
    <message>
        <source>The shared journal on %1: %2</source>
        <translation>共享日志 %1：%2</translation>
    </message>
    <message>
        <source>not a default configuration file: it holds %1 bytes instead of %2.</source>
        <translation>这不是默认配置文件：它有 %1 字节，而不是 %2 字节。</translation>
    </message>
</context>
<context>
    <name>Pages</name>
    <message>
        <source>control %1 (%2)</source>
        <translation>控件 %1（%2）</translation>
    </message>
    <message>
        <source>The language module %1 cannot be used: template %2 has no %3.</source>
        <translation>无法使用语言模块 %1：模板 %2 缺少%3。</translation>
    </message>
    <message>
        <source>The language module %1 cannot be used: %2</source>
        <translation>无法使用语言模块 %1：%2</translation>
    </message>
</context>
<context>
    <name>Port</name>
    <message>
        <source>acceptance byte %1</source>
        <translation>接受字节为 %1</translation>
    </message>
    <message>
        <source>a reply of %1 data bytes</source>
        <translation>回复只有 %1 个数据字节</translation>
    </message>
    <message>
        <source>cannot open %1: %2</source>
        <translation>无法打开 %1：%2</translation>
    </message>
    <message>
        <source>permission denied (add your user to the dialout group)</source>
        <translation>权限不足（请将您的用户加入 dialout 组）</translation>
    </message>
    <message>
        <source>busy (in use by another program)</source>
        <translation>忙（正被其他程序使用）</translation>
    </message>
    <message>
        <source>no such device</source>
        <translation>没有此设备</translation>
    </message>
    <message>
        <source>not a serial device</source>
        <translation>不是串口设备</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>cannot be opened: %1</source>
        <translation>无法打开：%1</translation>
    </message>
    <message>
        <source>opened, no answer</source>
        <translation>已打开，无应答</translation>
    </message>
    <message>
        <source>answered with a bad checksum</source>
        <translation>有应答，但校验和错误</translation>
    </message>
    <message>
        <source>the line failed while waiting for an answer</source>
        <translation>等待应答时线路出错</translation>
    </message>
    <message>
        <source>answered, but not as a controller (%1)</source>
        <translation>有应答，但不是控制器（%1）</translation>
    </message>
    <message>
        <source>controller found</source>
        <translation>找到控制器</translation>
    </message>
    <message>
        <source>not needed, a controller answered earlier in the list</source>
        <translation>无需查找，列表中靠前的端口已有控制器应答</translation>
    </message>
</context>
<context>
    <name>PortList</name>
    <message>
        <source>Serial ports</source>
        <translation>串口</translation>
    </message>
    <message>
        <source>No controller answered. Choose the port that the controller&apos;s cable is plugged into and search it, or search every port again. An adapter plugged in while this list is open is searched at once.</source>
        <translation>没有控制器应答。请选择控制器电缆所接的端口并查找，或重新查找所有端口。此列表打开期间插入的适配器会立即被查找。</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>端口</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>描述</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>序列号</translation>
    </message>
    <message>
        <source>Last search</source>
        <translation>上次查找结果</translation>
    </message>
    <message>
        <source>&amp;Ports:</source>
        <translation>端口(&amp;P)：</translation>
    </message>
    <message>
        <source>No serial port is there. Plug the adapter in: it is searched as soon as it appears.</source>
        <translation>没有串口。请插入适配器：它一出现就会被查找。</translation>
    </message>
    <message>
        <source>&amp;Search this port</source>
        <translation>查找此端口(&amp;S)</translation>
    </message>
    <message>
        <source>Search &amp;all ports</source>
        <translation>查找所有端口(&amp;A)</translation>
    </message>
    <message>
        <source>Choose a &amp;port...</source>
        <translation>选择端口(&amp;P)...</translation>
    </message>
    <message>
        <source>being searched...</source>
        <translation>正在查找...</translation>
    </message>
    <message>
        <source>not searched yet</source>
        <translation>尚未查找</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>Forward Switch</source>
        <translation>前进开关</translation>
    </message>
    <message>
        <source>Foot Switch</source>
        <translation>脚踏开关</translation>
    </message>
    <message>
        <source>Throttle Sensor Type</source>
        <translation>油门传感器类型</translation>
    </message>
    <message>
        <source>Throttle effective starting position</source>
        <translation>油门有效起始位置</translation>
    </message>
    <message>
        <source>Throttle effective ending position</source>
        <translation>油门有效结束位置</translation>
    </message>
    <message>
        <source>Max Motor Current</source>
        <translation>最大电机电流</translation>
    </message>
    <message>
        <source>Max Battery Current</source>
        <translation>最大电池电流</translation>
    </message>
    <message>
        <source>The Low Threshold Voltage</source>
        <translation>低阈值电压</translation>
    </message>
    <message>
        <source>The High Threshold Voltage</source>
        <translation>高阈值电压</translation>
    </message>
    <message>
        <source>Start-up Delay</source>
        <translation>启动延时</translation>
    </message>
    <message>
        <source>Hall Sensor Type</source>
        <translation>霍尔传感器类型</translation>
    </message>
    <message>
        <source>Control Mode</source>
        <translation>控制模式</translation>
    </message>
    <message>
        <source>Under Voltage</source>
        <translation>欠压</translation>
    </message>
    <message>
        <source>Over Voltage</source>
        <translation>过压</translation>
    </message>
    <message>
        <source>Throttle Up/Down Rate</source>
        <translation>油门加减速率</translation>
    </message>
    <message>
        <source>Power On High Pedal Disable</source>
        <translation>上电高踏板禁止</translation>
    </message>
    <message>
        <source>Releasing Brake High Pedal Disable</source>
        <translation>松开刹车高踏板禁止</translation>
    </message>
    <message>
        <source>Motor Top Speed</source>
        <translation>电机最高转速</translation>
    </message>
    <message>
        <source>Motor Poles</source>
        <translation>电机极数</translation>
    </message>
    <message>
        <source>Half Speed In Reverse</source>
        <translation>倒车半速</translation>
    </message>
    <message>
        <source>Boost Function</source>
        <translation>动力增强功能</translation>
    </message>
    <message>
        <source>Economy Function</source>
        <translation>经济功能</translation>
    </message>
    <message>
        <source>Half Current in Reverse</source>
        <translation>倒车半电流</translation>
    </message>
    <message>
        <source>Noise Reduction</source>
        <translation>降噪</translation>
    </message>
    <message>
        <source>ABS</source>
        <translation>ABS</translation>
    </message>
    <message>
        <source>12V Output</source>
        <translation>12V 输出</translation>
    </message>
    <message>
        <source>Motor Top Speed in Reverse</source>
        <translation>电机倒车最高转速</translation>
    </message>
    <message>
        <source>Regeneration</source>
        <translation>再生制动</translation>
    </message>
    <message>
        <source>Brake Switch</source>
        <translation>刹车开关</translation>
    </message>
    <message>
        <source>Releasing Throttle Starts Regen</source>
        <translation>松开油门开始再生</translation>
    </message>
    <message>
        <source>Regen Current by Brake Switch On</source>
        <translation>刹车开关闭合时的再生电流</translation>
    </message>
    <message>
        <source>Max Regen Current</source>
        <translation>最大再生电流</translation>
    </message>
    <message>
        <source>Brake Sensor Type</source>
        <translation>刹车传感器类型</translation>
    </message>
    <message>
        <source>Brake Sensor Starting Point</source>
        <translation>刹车传感器起始点</translation>
    </message>
    <message>
        <source>Brake Sensor Ending Point</source>
        <translation>刹车传感器终止点</translation>
    </message>
    <message>
        <source>Motor Temperature Sensor</source>
        <translation>电机温度传感器</translation>
    </message>
    <message>
        <source>Controller Stop Output Temperature</source>
        <translation>控制器停止输出温度</translation>
    </message>
    <message>
        <source>Controller Resume Output Temperature</source>
        <translation>控制器恢复输出温度</translation>
    </message>
    <message>
        <source>Send ID</source>
        <translation>发送 ID</translation>
    </message>
    <message>
        <source>Receive ID</source>
        <translation>接收 ID</translation>
    </message>
    <message>
        <source>Smooth</source>
        <translation>平滑</translation>
    </message>
    <message>
        <source>Inflection Point</source>
        <translation>拐点</translation>
    </message>
    <message>
        <source>Low Accel</source>
        <translation>低段加速</translation>
    </message>
    <message>
        <source>Low Decel</source>
        <translation>低段减速</translation>
    </message>
    <message>
        <source>High Accel</source>
        <translation>高段加速</translation>
    </message>
    <message>
        <source>High Decel</source>
        <translation>高段减速</translation>
    </message>
    <message>
        <source>Preferred Address</source>
        <translation>首选地址</translation>
    </message>
    <message>
        <source>Arbitrary Address Capable</source>
        <translation>任意地址能力</translation>
    </message>
    <message>
        <source>Industry Group</source>
        <translation>行业组</translation>
    </message>
    <message>
        <source>Vehicle System Instance</source>
        <translation>车辆系统实例</translation>
    </message>
    <message>
        <source>Vehicle System</source>
        <translation>车辆系统</translation>
    </message>
    <message>
        <source>Reserved Fields</source>
        <translation>保留字段</translation>
    </message>
    <message>
        <source>Function Fields</source>
        <translation>功能字段</translation>
    </message>
    <message>
        <source>Function Instance</source>
        <translation>功能实例</translation>
    </message>
    <message>
        <source>ECU Instance</source>
        <translation>ECU 实例</translation>
    </message>
    <message>
        <source>Manufacturer Code</source>
        <translation>制造商代码</translation>
    </message>
    <message>
        <source>Identity Number</source>
        <translation>识别号</translation>
    </message>
    <message>
        <source>Control Mode (copy)</source>
        <translation>控制模式（副本）</translation>
    </message>
    <message>
        <source>Control Mode (speed)</source>
        <translation>控制模式（速度）</translation>
    </message>
    <message>
        <source>none</source>
        <translation>无</translation>
    </message>
    <message>
        <source>0-5V</source>
        <translation>0-5V</translation>
    </message>
    <message>
        <source>5-0V</source>
        <translation>5-0V</translation>
    </message>
    <message>
        <source>1-4V</source>
        <translation>1-4V</translation>
    </message>
    <message>
        <source>0-5K</source>
        <translation>0-5K</translation>
    </message>
    <message>
        <source>three-wire pedal</source>
        <translation>3线式踏板</translation>
    </message>
    <message>
        <source>powered Hall pedal</source>
        <translation>霍尔有源踏板</translation>
    </message>
    <message>
        <source>0%</source>
        <translation>0%</translation>
    </message>
    <message>
        <source>10%</source>
        <translation>10%</translation>
    </message>
    <message>
        <source>20%</source>
        <translation>20%</translation>
    </message>
    <message>
        <source>30%</source>
        <translation>30%</translation>
    </message>
    <message>
        <source>40%</source>
        <translation>40%</translation>
    </message>
    <message>
        <source>100%</source>
        <translation>100%</translation>
    </message>
    <message>
        <source>90%</source>
        <translation>90%</translation>
    </message>
    <message>
        <source>80%</source>
        <translation>80%</translation>
    </message>
    <message>
        <source>70%</source>
        <translation>70%</translation>
    </message>
    <message>
        <source>60%</source>
        <translation>60%</translation>
    </message>
    <message>
        <source>50%</source>
        <translation>50%</translation>
    </message>
    <message>
        <source>60 degree</source>
        <translation>60度</translation>
    </message>
    <message>
        <source>120 degree</source>
        <translation>120度</translation>
    </message>
    <message>
        <source>torque</source>
        <translation>转矩</translation>
    </message>
    <message>
        <source>balanced</source>
        <translation>平衡</translation>
    </message>
    <message>
        <source>speed</source>
        <translation>速度</translation>
    </message>
    <message>
        <source>No Used</source>
        <translation>不使用</translation>
    </message>
    <message>
        <source>disabled</source>
        <translation>禁用</translation>
    </message>
    <message>
        <source>in use</source>
        <translation>使用</translation>
    </message>
    <message>
        <source>KTY83-122</source>
        <translation>KTY83-122</translation>
    </message>
    <message>
        <source>KTY84-130</source>
        <translation>KTY84-130</translation>
    </message>
    <message>
        <source>on or off</source>
        <translation>on 或 off</translation>
    </message>
    <message>
        <source>one of the names the comment lists</source>
        <translation>注释中列出的名称之一</translation>
    </message>
    <message>
        <source>0 to %1, in steps of %2</source>
        <translation>0 到 %1，最多一位小数，步长 %2</translation>
    </message>
    <message>
        <source>a whole number, 0 to %1</source>
        <translation>0 到 %1 的整数</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>启用</translation>
    </message>
    <message>
        <source>Disable</source>
        <translation>禁用</translation>
    </message>
    <message>
        <source>, step </source>
        <translation>，步长 </translation>
    </message>
</context>
<context>
    <name>SettingsPage</name>
    <message>
        <source>A decimal number: %1</source>
        <translation>十进制数：%1</translation>
    </message>
    <message>
        <source>This text is refused: the setting keeps its previous value.</source>
        <translation>此文本会被拒绝：该设置保留原来的值。</translation>
    </message>
    <message>
        <source>This text is stored as %1.</source>
        <translation>此文本将被存为 %1。</translation>
    </message>
    <message>
        <source>Not stored either, because the page stops at the refused value; they keep their previous values: %1</source>
        <translation>以下各项也未保存，因为页面在被拒绝的值处停止；它们保留原来的值：%1</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <extracomment>An option button as a screen reader says it: the setting, then the choice.</extracomment>
        <translation>%1：%2</translation>
    </message>
</context>
<context>
    <name>Station</name>
    <message>
        <source>Production line</source>
        <translation>生产线</translation>
    </message>
    <message>
        <source>time</source>
        <translation>时间</translation>
    </message>
    <message>
        <source>unit</source>
        <translation>单元</translation>
    </message>
    <message>
        <source>journal entry</source>
        <translation>日志条目</translation>
    </message>
    <message>
        <source>The file&apos;s settings</source>
        <translation>文件的设置</translation>
    </message>
    <message>
        <source>&amp;Save the report</source>
        <translation>保存报告(&amp;S)</translation>
    </message>
    <message>
        <source>Report saved: %1</source>
        <translation>报告已保存：%1</translation>
    </message>
    <message>
        <source>connected</source>
        <translation>已连接</translation>
    </message>
    <message>
        <source>idle</source>
        <translation>空闲</translation>
    </message>
    <message>
        <source>waiting for a unit</source>
        <translation>等待控制器接入</translation>
    </message>
    <message>
        <source>port gone</source>
        <translation>串口已移除</translation>
    </message>
    <message>
        <source>unchanged: it held the file&apos;s settings</source>
        <translation>未改变：控制器已是文件的设置</translation>
    </message>
    <message>
        <source>its journal entry waits to be shared</source>
        <translation>其日志条目等待共享</translation>
    </message>
    <message>
        <source>last: %1 %2</source>
        <translation>上一个：%1 %2</translation>
    </message>
    <message>
        <source>verified %1   refused %2   failed %3</source>
        <translation>已验证 %1   已拒绝 %2   失败 %3</translation>
    </message>
    <message>
        <source>the report is not saved: %1</source>
        <translation>报告未保存：%1</translation>
    </message>
    <message>
        <source>Closing: waiting for the units being written to finish.</source>
        <translation>正在关闭：等待正在写入的控制器完成。</translation>
    </message>
</context>
<context>
    <name>System</name>
    <message>
        <source>No such file or directory</source>
        <translation>没有那个文件或目录</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>权限不够</translation>
    </message>
    <message>
        <source>Operation not permitted</source>
        <translation>不允许的操作</translation>
    </message>
    <message>
        <source>Is a directory</source>
        <translation>是一个目录</translation>
    </message>
    <message>
        <source>Not a directory</source>
        <translation>不是目录</translation>
    </message>
    <message>
        <source>No space left on device</source>
        <translation>设备上没有空间</translation>
    </message>
    <message>
        <source>Disk quota exceeded</source>
        <translation>超出磁盘配额</translation>
    </message>
    <message>
        <source>Read-only file system</source>
        <translation>只读文件系统</translation>
    </message>
    <message>
        <source>Device or resource busy</source>
        <translation>设备或资源忙</translation>
    </message>
    <message>
        <source>Text file busy</source>
        <translation>文本文件忙</translation>
    </message>
    <message>
        <source>File exists</source>
        <translation>文件已存在</translation>
    </message>
    <message>
        <source>Input/output error</source>
        <translation>输入/输出错误</translation>
    </message>
    <message>
        <source>No such device</source>
        <translation>没有那个设备</translation>
    </message>
    <message>
        <source>No such device or address</source>
        <translation>没有那个设备或地址</translation>
    </message>
    <message>
        <source>File name too long</source>
        <translation>文件名过长</translation>
    </message>
    <message>
        <source>Too many levels of symbolic links</source>
        <translation>符号链接的层数过多</translation>
    </message>
    <message>
        <source>Too many open files</source>
        <translation>打开的文件过多</translation>
    </message>
    <message>
        <source>File too large</source>
        <translation>文件过大</translation>
    </message>
    <message>
        <source>Resource temporarily unavailable</source>
        <translation>资源暂时不可用</translation>
    </message>
    <message>
        <source>Broken pipe</source>
        <translation>管道已断开</translation>
    </message>
</context>
<context>
    <name>Wizard</name>
    <message>
        <source>Cannot open the default configuration file
%1

%2</source>
        <translation>无法打开默认配置文件
%1

%2</translation>
    </message>
    <message>
        <source>The default configuration file
%1
is damaged: it holds %2 bytes instead of %3. The configuration was not changed.</source>
        <translation>默认配置文件
%1
已损坏：它有 %2 字节，而不是 %3 字节。配置未被更改。</translation>
    </message>
    <message>
        <source>Cannot read the default configuration file
%1

%2</source>
        <translation>无法读取默认配置文件
%1

%2</translation>
    </message>
    <message>
        <source>the journal is not open</source>
        <translation>日志未打开</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>不是普通文件</translation>
    </message>
    <message>
        <source>The language module %1 is damaged: the wizard has no button %2.</source>
        <translation>语言模块 %1 已损坏：向导缺少按钮 %2。</translation>
    </message>
    <message>
        <source>The language module %1 is damaged: the wizard has no page area %2.</source>
        <translation>语言模块 %1 已损坏：向导缺少页面区域 %2。</translation>
    </message>
    <message>
        <source>The controller was not found again.
</source>
        <translation>未能再次找到控制器。
</translation>
    </message>
    <message>
        <source>The controller found again could not be identified: </source>
        <translation>再次找到的控制器无法识别：</translation>
    </message>
    <message>
        <source>The controller now connected (%1, %2) is not the one read at start (%3, %4). Nothing was written to it.</source>
        <translation>现在连接的控制器（%1，%2）不是开始时读取的控制器（%3，%4）。没有向它写入任何内容。</translation>
    </message>
    <message>
        <source> Connect the controller read at start and press Retry.</source>
        <translation>请连接开始时读取的控制器，然后按“重试”。</translation>
    </message>
    <message>
        <source>The pages do not take these lines of the file as written; Finish saves what the pages show:</source>
        <translation>页面不会按文件所写采用以下各行；按“完成”保存页面所示的值：</translation>
    </message>
    <message>
        <source>The configuration was saved to %1.</source>
        <translation>配置已保存到 %1。</translation>
    </message>
    <message>
        <source>Not changed, because the value typed was refused: %1. The file keeps the previous value.</source>
        <translation>以下输入的值被拒绝，文件保留原值：%1</translation>
    </message>
    <message>
        <source>Not changed, because the value typed was refused: %1. The controller keeps the previous value.</source>
        <translation>未更改，因为输入的值被拒绝：%1。控制器保留原来的值。</translation>
    </message>
    <message>
        <source>Read back, the controller holds other values than were written (written -&gt; read back): </source>
        <translation>回读后，控制器中的值与写入的不同（写入 -&gt; 回读）：</translation>
    </message>
    <message>
        <source>bytes that are no setting</source>
        <translation>不属于任何设置的字节</translation>
    </message>
    <message>
        <source>Written, but it could not be read back to check: </source>
        <translation>已写入，但无法回读检查：</translation>
    </message>
    <message>
        <source>The manual is not installed: it belongs at
%1</source>
        <translation>手册未安装：它应位于
%1</translation>
    </message>
    <message>
        <source>No browser could open the manual. Open it yourself:
%1</source>
        <translation>没有浏览器能打开手册。请自行打开：
%1</translation>
    </message>
    <message>
        <source>%1 (no controller connected) - %2</source>
        <translation>%1（未连接控制器）- %2</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>There is no display to show the wizard on: neither DISPLAY nor WAYLAND_DISPLAY is set. Start it in a desktop session; the workshop commands (trnsetup read, write, show, diff, history) need no display.</source>
        <translation>没有可显示向导的显示器：DISPLAY 和 WAYLAND_DISPLAY 均未设置。请在桌面会话中启动；车间命令（trnsetup read、write、show、diff、history）不需要显示器。</translation>
    </message>
    <message>
        <source>The window system cannot be reached: %1</source>
        <translation>无法连接窗口系统：%1</translation>
    </message>
</context>
</TS>
