<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>zandrel::CAboutDlg</name>
    <message>
        <source>About Zandrel</source>
        <translation>关于 Zandrel</translation>
    </message>
    <message>
        <source>Zandrel, Version %1</source>
        <translation>Zandrel，版本 %1</translation>
    </message>
    <message>
        <source>Copyright (C) 2026</source>
        <translation>版权所有 (C) 2026</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>zandrel::CZandrelDlg</name>
    <message>
        <source>&amp;About Zandrel...</source>
        <translation>关于 Zandrel(&amp;A)...</translation>
    </message>
</context>
<context>
    <name>zandrel::CCommandLine</name>
    <!-- The usage (an option's description, keyed by its English text) and the errors of the
         command line, one message a line: a new option's help is one more line. Qt does not know
         that a Chinese character takes two columns: a description longer than 24 characters gets
         line breaks of its own, so that the usage fits a terminal 80 columns wide. -->
    <message><source>Zandrel: the chat of a live room in an always-on-top overlay.</source><translation>Zandrel：在置顶的悬浮窗中显示直播间的弹幕。</translation></message>
    <message><source>Web server that tells where the chat server is, as host or host:port (default: the %1 environment variable, else %2).</source><translation>告知弹幕服务器地址的网站服务器，写作“主机”或
“主机:端口”。默认为环境变量 %1
的值，没有则为 %2。</translation></message>
    <message><source>Log a notice per chat line and the join request to standard error, besides the errors and warnings that are logged anyway.</source><translation>除总会写出的错误和警告外，每条弹幕
和加入请求也写到标准错误输出。</translation></message>
    <message><source>Log only errors and warnings to standard error (the default).</source><translation>标准错误输出只写错误和警告（默认）。</translation></message>
    <message><source>--verbose or --quiet, not both</source><translation>--verbose 和 --quiet 只能用一个</translation></message>
    <message><source>Show the running Zandrel's main window (or start one).</source><translation>显示运行中的 Zandrel 的主窗口（没有则启动）。</translation></message>
    <message><source>Lock or unlock the running Zandrel's overlay.</source><translation>锁定或解锁运行中的 Zandrel 的悬浮窗。</translation></message>
    <message><source>Make the running Zandrel (or a new one) join room N.</source><translation>让运行中的 Zandrel（没有则启动）连接直播间 N。</translation></message>
    <message><source>End the running Zandrel's session.</source><translation>让运行中的 Zandrel 断开连接。</translation></message>
    <message><source>not a host or host:port: %1</source><translation>不是“主机”或“主机:端口”：%1</translation></message>
    <message><source>not a room number: %1</source><translation>不是房间号：%1</translation></message>
    <message><source>one of --show, --toggle-lock, --connect and --disconnect at a time</source><translation>--show、--toggle-lock、--connect 和 --disconnect 一次只能用一个</translation></message>
    <message><source>no Zandrel is running</source><translation>没有运行中的 Zandrel</translation></message>
    <message><source>the running Zandrel did not answer</source><translation>运行中的 Zandrel 没有回应</translation></message>
</context>
</TS>
