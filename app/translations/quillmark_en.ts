<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en">
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
    <name>Fields</name>
    <message numerus="yes">
        <source>%1 (%Ln item(s))</source>
        <translation>
            <numerusform>%1 (%Ln item)</numerusform>
            <numerusform>%1 (%Ln items)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Keywords</name>
    <message numerus="yes">
        <source>%1 (%2 of %Ln item(s))</source>
        <translation>
            <numerusform>%1 (%2 of %Ln item)</numerusform>
            <numerusform>%1 (%2 of %Ln items)</numerusform>
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
<context>
    <name>Window</name>
    <message numerus="yes">
        <source>%Ln item(s)</source>
        <translation>
            <numerusform>%Ln item</numerusform>
            <numerusform>%Ln items</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Reading %1 of %Ln item(s)</source>
        <translation>
            <numerusform>Reading %1 of %Ln item</numerusform>
            <numerusform>Reading %1 of %Ln items</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>and %Ln more</source>
        <translation>
            <numerusform>and %Ln more</numerusform>
            <numerusform>and %Ln more</numerusform>
        </translation>
    </message>
</context>
</TS>
