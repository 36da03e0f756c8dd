<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en">
<context>
    <name>DocumentController</name>
    <message numerus="yes">
        <source>Open %Ln window(s)?</source>
        <translation>
            <numerusform>Open %Ln window?</numerusform>
            <numerusform>Open %Ln windows?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Open %Ln Window(s)</source>
        <translation>
            <numerusform>Open %Ln Window</numerusform>
            <numerusform>Open %Ln Windows</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>EditorTexts</name>
    <message numerus="yes">
        <source>data of %Ln byte(s)</source>
        <translation>
            <numerusform>data of %Ln byte</numerusform>
            <numerusform>data of %Ln bytes</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>WalkProgress</name>
    <message numerus="yes">
        <source>%Ln item(s) done
%1</source>
        <translation>
            <numerusform>%Ln item done
%1</numerusform>
            <numerusform>%Ln items done
%1</numerusform>
        </translation>
    </message>
</context>
</TS>
