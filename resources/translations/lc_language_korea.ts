<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR" sourcelanguage="zh_CN">
<context>
    <name>DesignView</name>
    <message>
        <source>Delete</source>
        <translation>삭제</translation>
    </message>
</context>
<context>
    <name>JobProgressDialog</name>
    <message>
        <source>正在生成 G 代码…</source>
        <translation>G 코드 생성 중…</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>취소</translation>
    </message>
    <message>
        <source>生成 G 代码</source>
        <translation>G 코드 생성</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>错误</source>
        <translation>오류</translation>
    </message>
    <message>
        <source>打开文件失败</source>
        <translation>파일을 열지 못했습니다</translation>
    </message>
</context>
<context>
    <name>SVGDocument</name>
    <message>
        <source>Element</source>
        <translation>요소</translation>
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
        <translation>작업 생성이 취소되었습니다</translation>
    </message>
    <message>
        <source>The design cannot be read: %1</source>
        <translation>디자인을 읽을 수 없습니다: %1</translation>
    </message>
    <message>
        <source>Raster line spacing %1 mm is not positive</source>
        <translation>래스터 줄 간격 %1 mm가 양수가 아닙니다</translation>
    </message>
    <message>
        <source>The raster picture of %1 x %2 pixels is too large; use a larger line spacing or a smaller work area</source>
        <translation>%1 x %2 픽셀의 래스터 이미지가 너무 큽니다. 줄 간격을 늘리거나 작업 영역을 줄이세요</translation>
    </message>
    <message>
        <source>Not enough memory for the raster picture</source>
        <translation>래스터 이미지를 위한 메모리가 부족합니다</translation>
    </message>
    <message>
        <source>A raster group cannot be engraved with its parameters (power, speed or size)</source>
        <translation>래스터 그룹을 해당 매개변수(출력, 속도 또는 크기)로 조각할 수 없습니다</translation>
    </message>
</context>
</TS>
