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
        <source>Zandrel, Version 1.0</source>
        <translation>Zandrel，版本 1.0</translation>
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
</TS>
