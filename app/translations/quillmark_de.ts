<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>AppDelegate</name>
    <message>
        <source>About Quillmark</source>
        <translation>Über Quillmark</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;b&gt;Quillmark %1&lt;/b&gt;&lt;/p&gt;&lt;p&gt;Views and edits the headline, description, creator, copyright and keywords that files and folders carry as extended attributes.&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;Quillmark %1&lt;/b&gt;&lt;/p&gt;&lt;p&gt;Zeigt und bearbeitet Überschrift, Beschreibung, Urheber, Copyright und Stichwörter, die Dateien und Ordner als erweiterte Attribute tragen.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;Copyright © 2026 The Quillmark developers&lt;/p&gt;&lt;p&gt;Quillmark is free software: you may pass it on and change it under the terms of the GNU General Public License, version 3 or (at your option) any later version (GPL-3.0-or-later). It comes with no warranty.&lt;/p&gt;</source>
        <translation>&lt;p&gt;Copyright © 2026 Die Quillmark-Entwickler&lt;/p&gt;&lt;p&gt;Quillmark ist freie Software: Sie dürfen es unter den Bedingungen der GNU General Public License, Version 3 oder (nach Ihrer Wahl) jeder späteren Version (GPL-3.0-or-later), weitergeben und verändern. Es wird ohne jede Gewährleistung geliefert.&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>DocumentController</name>
    <message>
        <source>“%1” cannot be opened: it names no item on this computer.</source>
        <translation>„%1“ kann nicht geöffnet werden: Es bezeichnet kein Objekt auf diesem Computer.</translation>
    </message>
</context>
<context>
    <name>EditorTexts</name>
    <message>
        <source>setxattr error: </source>
        <translation>setxattr-Fehler: </translation>
    </message>
    <message>
        <source>remxattr error: </source>
        <translation>remxattr-Fehler: </translation>
    </message>
    <message>
        <source>opendir error: </source>
        <translation>opendir-Fehler: </translation>
    </message>
    <message>
        <source>a desktop tag cannot hold a comma: </source>
        <translation>ein Desktop-Schlagwort darf kein Komma enthalten: </translation>
    </message>
    <message>
        <source>The values in the image cannot be read: </source>
        <translation>Die Werte im Bild können nicht gelesen werden: </translation>
    </message>
    <message>
        <source>unreadable metadata</source>
        <translation>unlesbare Metadaten</translation>
    </message>
    <message>
        <source>a number</source>
        <translation>eine Zahl</translation>
    </message>
    <message>
        <source>a date</source>
        <translation>ein Datum</translation>
    </message>
    <message>
        <source>a true or false value</source>
        <translation>ein Wahrheitswert</translation>
    </message>
    <message>
        <source>a dictionary</source>
        <translation>eine Schlüssel-Wert-Tabelle</translation>
    </message>
    <message>
        <source>a list</source>
        <translation>eine Liste</translation>
    </message>
    <message>
        <source>an empty list</source>
        <translation>eine leere Liste</translation>
    </message>
    <message>
        <source>unreadable</source>
        <translation>unlesbar</translation>
    </message>
    <message numerus="yes">
        <source>data of %Ln byte(s)</source>
        <translation>
            <numerusform>Daten von %Ln Byte</numerusform>
            <numerusform>Daten von %Ln Byte</numerusform>
        </translation>
    </message>
    <message>
        <source>In the image: %1</source>
        <translation>Im Bild: %1</translation>
    </message>
    <message>
        <source>Copyright</source>
        <translation>Copyright</translation>
    </message>
    <message>
        <source>Creator</source>
        <translation>Urheber</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>Headline</source>
        <translation>Überschrift</translation>
    </message>
    <message>
        <source>Keywords</source>
        <translation>Stichwörter</translation>
    </message>
    <message>
        <source>Multiple values</source>
        <translation>Mehrere Werte</translation>
    </message>
    <message>
        <source>unreadable: %1</source>
        <translation>unlesbar: %1</translation>
    </message>
    <message>
        <source>keywords kept as one string cannot hold &quot;%1&quot;: it would read as two</source>
        <translation>als eine Zeichenkette gespeicherte Stichwörter können „%1“ nicht aufnehmen: es würde als zwei gelesen</translation>
    </message>
    <message>
        <source>the keywords are kept as %1, not as strings: left as they are</source>
        <translation>die Stichwörter sind als %1 gespeichert, nicht als Zeichenketten: sie bleiben, wie sie sind</translation>
    </message>
    <message>
        <source>Tags</source>
        <translation>Tags</translation>
    </message>
    <message>
        <source>the tags are kept as %1, not as strings: left as they are</source>
        <translation>die Tags sind als %1 gespeichert, nicht als Zeichenketten: sie bleiben, wie sie sind</translation>
    </message>
    <message>
        <source>a string</source>
        <translation>eine Zeichenkette</translation>
    </message>
</context>
<context>
    <name>ErrorAlert</name>
    <message>
        <source>An error occurred in your last action:</source>
        <translation>Bei Ihrer letzten Aktion ist ein Fehler aufgetreten:</translation>
    </message>
    <message>
        <source>Stop Writing</source>
        <translation>Schreiben beenden</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>Fields</name>
    <message>
        <source>Embedded in the image, which Quillmark never changes. Use Values from the Image puts it in the field for you to Save.</source>
        <translation>Im Bild eingebettet, das Quillmark nie verändert. „Werte aus dem Bild übernehmen“ setzt ihn in das Feld, damit Sie ihn speichern können.</translation>
    </message>
    <message>
        <source>Stored as it is: %1. Save leaves it unless its box is ticked and the field is empty.</source>
        <translation>So gespeichert: %1. „Speichern“ lässt den Wert unverändert, außer das Feld ist leer und sein Kästchen angekreuzt.</translation>
    </message>
    <message>
        <source>Choose a Value for All Items</source>
        <translation>Einen Wert für alle Objekte wählen</translation>
    </message>
    <message>
        <source>The items hold different values:</source>
        <translation>Die Objekte haben unterschiedliche Werte:</translation>
    </message>
    <message numerus="yes">
        <source>%1 (%Ln item(s))</source>
        <translation>
            <numerusform>%1 (%Ln Objekt)</numerusform>
            <numerusform>%1 (%Ln Objekte)</numerusform>
        </translation>
    </message>
    <message>
        <source>Removed elsewhere since it was shown. Save will ask before replacing it.</source>
        <translation>Seit der Anzeige anderswo entfernt. Sichern fragt, bevor es ihn ersetzt.</translation>
    </message>
    <message>
        <source>Changed elsewhere to “%1” since it was shown. Save will ask before replacing it.</source>
        <translation>Seit der Anzeige anderswo in „%1“ geändert. Sichern fragt, bevor es ihn ersetzt.</translation>
    </message>
    <message>
        <source>Stored as it is: %1. Save leaves it so.</source>
        <translation>So gespeichert: %1. „Speichern“ lässt den Wert unverändert.</translation>
    </message>
</context>
<context>
    <name>Keywords</name>
    <message numerus="yes">
        <source>%1 (%2 of %Ln item(s))</source>
        <translation>
            <numerusform>%1 (%2 von %Ln Objekt)</numerusform>
            <numerusform>%1 (%2 von %Ln Objekten)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>He&amp;adline:</source>
        <translation>&amp;Überschrift:</translation>
    </message>
    <message>
        <source>Headline</source>
        <translation>Überschrift</translation>
    </message>
    <message>
        <source>When this field is empty, Save removes the stored headline</source>
        <translation>Ist dieses Feld leer, entfernt „Speichern“ die gespeicherte Überschrift</translation>
    </message>
    <message>
        <source>Remove headline when empty</source>
        <translation>Überschrift entfernen, wenn leer</translation>
    </message>
    <message>
        <source>Remove when empty</source>
        <translation>Entfernen, wenn leer</translation>
    </message>
    <message>
        <source>&amp;Description:</source>
        <translation>&amp;Beschreibung:</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>When this field is empty, Save removes the stored description</source>
        <translation>Ist dieses Feld leer, entfernt „Speichern“ die gespeicherte Beschreibung</translation>
    </message>
    <message>
        <source>Remove description when empty</source>
        <translation>Beschreibung entfernen, wenn leer</translation>
    </message>
    <message>
        <source>C&amp;reator:</source>
        <translation>U&amp;rheber:</translation>
    </message>
    <message>
        <source>Creator</source>
        <translation>Urheber</translation>
    </message>
    <message>
        <source>When this field is empty, Save removes the stored creator</source>
        <translation>Ist dieses Feld leer, entfernt „Speichern“ den gespeicherten Urheber</translation>
    </message>
    <message>
        <source>Remove creator when empty</source>
        <translation>Urheber entfernen, wenn leer</translation>
    </message>
    <message>
        <source>Co&amp;pyright:</source>
        <translation>Co&amp;pyright:</translation>
    </message>
    <message>
        <source>Copyright</source>
        <translation>Copyright</translation>
    </message>
    <message>
        <source>When this field is empty, Save removes the stored copyright</source>
        <translation>Ist dieses Feld leer, entfernt „Speichern“ den gespeicherten Copyright-Vermerk</translation>
    </message>
    <message>
        <source>Remove copyright when empty</source>
        <translation>Copyright entfernen, wenn leer</translation>
    </message>
    <message>
        <source>&amp;Keywords:</source>
        <translation>St&amp;ichwörter:</translation>
    </message>
    <message>
        <source>Keywords</source>
        <translation>Stichwörter</translation>
    </message>
    <message>
        <source>When this field is empty, Save removes the stored keywords</source>
        <translation>Ist dieses Feld leer, entfernt „Speichern“ die gespeicherten Stichwörter</translation>
    </message>
    <message>
        <source>Remove keywords when empty</source>
        <translation>Stichwörter entfernen, wenn leer</translation>
    </message>
    <message>
        <source>Choose a file or folder and show its values</source>
        <translation>Eine Datei oder einen Ordner wählen und seine Werte anzeigen</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>&amp;Open…</source>
        <translation>&amp;Öffnen…</translation>
    </message>
    <message>
        <source>Store the values in the opened file or folder</source>
        <translation>Die Werte in der geöffneten Datei oder im geöffneten Ordner speichern</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>Choose a folder whose contents Write Folder will change</source>
        <translation>Einen Ordner wählen, dessen Inhalt „In Ordner schreiben“ ändert</translation>
    </message>
    <message>
        <source>Select Folder</source>
        <translation>Ordner wählen</translation>
    </message>
    <message>
        <source>Select Fo&amp;lder…</source>
        <translation>Ordner &amp;wählen…</translation>
    </message>
    <message>
        <source>Store the values in everything inside the selected folder</source>
        <translation>Die Werte in allem speichern, was im gewählten Ordner liegt</translation>
    </message>
    <message>
        <source>Write Folder</source>
        <translation>In Ordner schreiben</translation>
    </message>
    <message>
        <source>&amp;Write Folder</source>
        <translation>In &amp;Ordner schreiben</translation>
    </message>
    <message>
        <source>Write the five values to a text file</source>
        <translation>Die fünf Werte in eine Textdatei schreiben</translation>
    </message>
    <message>
        <source>Save Text</source>
        <translation>Als Text speichern</translation>
    </message>
    <message>
        <source>Save &amp;Text…</source>
        <translation>Als &amp;Text speichern…</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;New Window</source>
        <translation>&amp;Neues Fenster</translation>
    </message>
    <message>
        <source>Replace Desktop &amp;Tags and Comment When Saving</source>
        <translation>Beim Speichern Schlag&amp;wörter und Kommentar des Desktops ersetzen</translation>
    </message>
    <message>
        <source>Save and Write Folder also replace each item&apos;s desktop tags with its keywords and its desktop comment with its description</source>
        <translation>„Speichern“ und „In Ordner schreiben“ ersetzen auch die Desktop-Schlagwörter jedes Objekts durch seine Stichwörter und seinen Desktop-Kommentar durch seine Beschreibung</translation>
    </message>
    <message>
        <source>&amp;Use Values from the Image</source>
        <translation>Werte aus dem Bild &amp;übernehmen</translation>
    </message>
    <message>
        <source>&amp;Close Window</source>
        <translation>Fenster s&amp;chließen</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Check for &amp;Updates…</source>
        <translation>Nach &amp;Aktualisierungen suchen…</translation>
    </message>
    <message>
        <source>Quillmark &amp;Support</source>
        <translation>Quillmark-&amp;Support</translation>
    </message>
    <message>
        <source>&amp;About Quillmark</source>
        <translation>&amp;Über Quillmark</translation>
    </message>
    <message>
        <source>New keywords, separated by commas; Enter adds them to the list</source>
        <translation>Neue Stichwörter, durch Kommas getrennt; die Eingabetaste fügt sie der Liste hinzu</translation>
    </message>
    <message>
        <source>Keyword list</source>
        <translation>Stichwortliste</translation>
    </message>
    <message>
        <source>Delete removes the keyword from every item; Insert gives it to every item</source>
        <translation>Entf entfernt das Stichwort aus allen Objekten; Einfg gibt es allen Objekten</translation>
    </message>
    <message>
        <source>Remove keyword</source>
        <translation>Stichwort entfernen</translation>
    </message>
    <message>
        <source>Take the chosen keyword off every item</source>
        <translation>Das gewählte Stichwort aus allen Objekten entfernen</translation>
    </message>
    <message>
        <source>Re&amp;move Keyword</source>
        <translation>Stichwort ent&amp;fernen</translation>
    </message>
    <message>
        <source>Give keyword to all items</source>
        <translation>Stichwort allen Objekten geben</translation>
    </message>
    <message>
        <source>Give the chosen keyword to every item</source>
        <translation>Das gewählte Stichwort allen Objekten geben</translation>
    </message>
    <message>
        <source>Give to &amp;All</source>
        <translation>&amp;Allen geben</translation>
    </message>
    <message>
        <source>Reading the items</source>
        <translation>Die Objekte werden gelesen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Stop reading: the window keeps the items read so far</source>
        <translation>Lesen beenden: Das Fenster behält die bisher gelesenen Objekte</translation>
    </message>
    <message>
        <source>&amp;Revert</source>
        <translation>&amp;Zurücksetzen</translation>
    </message>
    <message>
        <source>Drop the changes not saved and show what is stored</source>
        <translation>Nicht gesicherte Änderungen verwerfen und das Gespeicherte zeigen</translation>
    </message>
    <message>
        <source>Ta&amp;gs:</source>
        <translation>Ta&amp;gs:</translation>
    </message>
    <message>
        <source>Tags</source>
        <translation>Tags</translation>
    </message>
    <message>
        <source>New tags, separated by commas; Enter adds them to the list. A colour&apos;s name gives that colour&apos;s tag</source>
        <translation>Neue Tags, durch Kommas getrennt; die Eingabetaste fügt sie der Liste hinzu. Der Name einer Farbe gibt das Tag dieser Farbe</translation>
    </message>
    <message>
        <source>Tag colour</source>
        <translation>Tag-Farbe</translation>
    </message>
    <message>
        <source>Give the chosen tag another colour, or none</source>
        <translation>Dem gewählten Tag eine andere Farbe geben oder keine</translation>
    </message>
    <message>
        <source>&amp;Colour</source>
        <translation>Farb&amp;e</translation>
    </message>
    <message>
        <source>Tag list</source>
        <translation>Tag-Liste</translation>
    </message>
    <message>
        <source>Delete removes the tag from every item; Insert gives it to every item; the menu key changes its colour</source>
        <translation>Entf entfernt das Tag aus allen Objekten; Einfg gibt es allen Objekten; die Menütaste ändert seine Farbe</translation>
    </message>
    <message>
        <source>Remove tag</source>
        <translation>Tag entfernen</translation>
    </message>
    <message>
        <source>Take the chosen tag off every item</source>
        <translation>Das gewählte Tag aus allen Objekten entfernen</translation>
    </message>
    <message>
        <source>R&amp;emove Tag</source>
        <translation>Tag e&amp;ntfernen</translation>
    </message>
    <message>
        <source>Give tag to all items</source>
        <translation>Tag allen Objekten geben</translation>
    </message>
    <message>
        <source>Give the chosen tag to every item</source>
        <translation>Das gewählte Tag allen Objekten geben</translation>
    </message>
    <message>
        <source>G&amp;ive to All</source>
        <translation>A&amp;llen geben</translation>
    </message>
</context>
<context>
    <name>Panels</name>
    <message>
        <source>Several items in “%1” are shown as “%2”. Rename one of them, or drop it on the window instead.</source>
        <translation>Mehrere Objekte in „%1“ werden als „%2“ angezeigt. Benennen Sie eines davon um, oder ziehen Sie es stattdessen auf das Fenster.</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Select Folder</source>
        <translation>Ordner wählen</translation>
    </message>
    <message>
        <source>Save Text</source>
        <translation>Als Text speichern</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
</context>
<context>
    <name>Questions</name>
    <message>
        <source>none</source>
        <translation>keiner</translation>
    </message>
    <message>
        <source>%1 — %2: stored %3, yours %4</source>
        <translation>%1 — %2: gespeichert %3, Ihrer %4</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Ersetzen</translation>
    </message>
    <message>
        <source>Keep Other</source>
        <translation>Anderen behalten</translation>
    </message>
    <message>
        <source>Save the changes made in this window?</source>
        <translation>Die Änderungen in diesem Fenster sichern?</translation>
    </message>
    <message>
        <source>They are lost if they are not saved.</source>
        <translation>Ohne Sichern gehen sie verloren.</translation>
    </message>
    <message>
        <source>Drop the changes made in this window?</source>
        <translation>Die Änderungen in diesem Fenster verwerfen?</translation>
    </message>
    <message>
        <source>The fields then show what is stored now.</source>
        <translation>Die Felder zeigen dann, was jetzt gespeichert ist.</translation>
    </message>
    <message>
        <source>Revert</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <source>Replace what another program stored?</source>
        <translation>Ersetzen, was ein anderes Programm gespeichert hat?</translation>
    </message>
    <message>
        <source>Since the window showed them, another program stored:</source>
        <translation>Seit das Fenster sie zeigte, hat ein anderes Programm gespeichert:</translation>
    </message>
    <message>
        <source>“%1”</source>
        <translation>„%1“</translation>
    </message>
</context>
<context>
    <name>Tags</name>
    <message>
        <source>None</source>
        <translation>Keine</translation>
    </message>
    <message>
        <source>Grey</source>
        <translation>Grau</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Grün</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>Lila</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Blau</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>Gelb</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Rot</translation>
    </message>
    <message>
        <source>Orange</source>
        <translation>Orange</translation>
    </message>
    <message>
        <source>Changed elsewhere since it was shown. Save will ask before replacing it.</source>
        <translation>Seit der Anzeige anderswo geändert. Sichern fragt, bevor es das Tag ersetzt.</translation>
    </message>
    <message>
        <source>Remove Tag</source>
        <translation>Tag entfernen</translation>
    </message>
    <message>
        <source>Give to All</source>
        <translation>Allen geben</translation>
    </message>
</context>
<context>
    <name>WalkProgress</name>
    <message numerus="yes">
        <source>%Ln item(s) done
%1</source>
        <translation>
            <numerusform>%Ln Objekt erledigt
%1</numerusform>
            <numerusform>%Ln Objekte erledigt
%1</numerusform>
        </translation>
    </message>
    <message>
        <source>Write Folder</source>
        <translation>In Ordner schreiben</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
</context>
<context>
    <name>Window</name>
    <message>
        <source>Editing together: %1</source>
        <translation>Gemeinsam bearbeitet: %1</translation>
    </message>
    <message numerus="yes">
        <source>%Ln item(s)</source>
        <translation>
            <numerusform>%Ln Objekt</numerusform>
            <numerusform>%Ln Objekte</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Reading %1 of %Ln item(s)</source>
        <translation>
            <numerusform>%1 von %Ln Objekt wird gelesen</numerusform>
            <numerusform>%1 von %Ln Objekten werden gelesen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>and %Ln more</source>
        <translation>
            <numerusform>und %Ln weiteres</numerusform>
            <numerusform>und %Ln weitere</numerusform>
        </translation>
    </message>
</context>
</TS>
