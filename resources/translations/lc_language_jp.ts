<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="zh_CN">
<context>
    <name>DesignView</name>
    <message>
        <source>Delete</source>
        <translation>削除</translation>
    </message>
</context>
<context>
    <name>JobProgressDialog</name>
    <message>
        <source>正在生成 G 代码…</source>
        <translation>G コードを生成しています…</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>生成 G 代码</source>
        <translation>G コードの生成</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>错误</source>
        <translation>エラー</translation>
    </message>
    <message>
        <source>打开文件失败</source>
        <translation>ファイルを開けませんでした</translation>
    </message>
</context>
<context>
    <name>SVGDocument</name>
    <message>
        <source>Element</source>
        <translation>要素</translation>
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
        <translation>ジョブの生成を中止しました</translation>
    </message>
    <message>
        <source>The design cannot be read: %1</source>
        <translation>デザインを読み込めません: %1</translation>
    </message>
    <message>
        <source>Raster line spacing %1 mm is not positive</source>
        <translation>ラスターの行間隔 %1 mm が正の値ではありません</translation>
    </message>
    <message>
        <source>The raster picture of %1 x %2 pixels is too large; use a larger line spacing or a smaller work area</source>
        <translation>%1 x %2 ピクセルのラスター画像は大きすぎます。行間隔を広げるか作業範囲を小さくしてください</translation>
    </message>
    <message>
        <source>Not enough memory for the raster picture</source>
        <translation>ラスター画像に必要なメモリが足りません</translation>
    </message>
    <message>
        <source>A raster group cannot be engraved with its parameters (power, speed or size)</source>
        <translation>ラスターグループをそのパラメーター(出力、速度、サイズ)で彫刻できません</translation>
    </message>
</context>
</TS>
