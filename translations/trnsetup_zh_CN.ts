<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
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
        <source>%1: opened, no answer</source>
        <translation>%1：已打开，无应答</translation>
    </message>
    <message>
        <source>%1: answered with a bad checksum</source>
        <translation>%1：有应答，但校验和错误</translation>
    </message>
    <message>
        <source>%1: the line failed while waiting for an answer</source>
        <translation>%1：等待应答时线路出错</translation>
    </message>
    <message>
        <source>%1: answered, but not as a controller (%2)</source>
        <translation>%1：有应答，但不是控制器（%2）</translation>
    </message>
    <message>
        <source>%1: controller found</source>
        <translation>%1：找到控制器</translation>
    </message>
    <message>
        <source>%1: not needed, a controller answered earlier in the list</source>
        <translation>%1：无需查找，列表中靠前的端口已有控制器应答</translation>
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
</context>
</TS>
