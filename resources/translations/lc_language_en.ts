<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>DesignView</name>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
</context>
<context>
    <name>JobProgressDialog</name>
    <message>
        <source>正在生成 G 代码…</source>
        <translation>Generating G-code…</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>生成 G 代码</source>
        <translation>Generate G-code</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>打开文件失败</source>
        <translation>Failed to open the file</translation>
    </message>
</context>
<context>
    <name>SVGDocument</name>
    <message>
        <source>Element</source>
        <translation>Element</translation>
    </message>
    <message>
        <source>id</source>
        <translation>id</translation>
    </message>
</context>
<context>
    <name>SVGView</name>
    <message>
        <source>Job generation cancelled</source>
        <translation>Job generation cancelled</translation>
    </message>
    <message>
        <source>The design cannot be read: %1</source>
        <translation>The design cannot be read: %1</translation>
    </message>
    <message>
        <source>Raster line spacing %1 mm is not positive</source>
        <translation>Raster line spacing %1 mm is not positive</translation>
    </message>
    <message>
        <source>The raster picture of %1 x %2 pixels is too large; use a larger line spacing or a smaller work area</source>
        <translation>The raster picture of %1 x %2 pixels is too large; use a larger line spacing or a smaller work area</translation>
    </message>
    <message>
        <source>Not enough memory for the raster picture</source>
        <translation>Not enough memory for the raster picture</translation>
    </message>
    <message>
        <source>A raster group cannot be engraved with its parameters (power, speed or size)</source>
        <translation>A raster group cannot be engraved with its parameters (power, speed or size)</translation>
    </message>
</context>
</TS>
