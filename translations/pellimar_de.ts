<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>FileTypes</name>
    <message>
        <source>exe file(*.exe)</source>
        <translation>exe-Datei</translation>
    </message>
    <message>
        <source>ico file(*.ico)</source>
        <translation>ico-Datei</translation>
    </message>
    <message>
        <source>dll file(*.dll)</source>
        <translation>dll-Datei</translation>
    </message>
    <message>
        <source>all supported file</source>
        <translation>alle lesbaren Dateien</translation>
    </message>
    <message>
        <source>cur file(*.cur)</source>
        <translation>cur-Datei</translation>
    </message>
    <message>
        <source>ico file(s)   (*.ico)</source>
        <translation>ico-Datei(en)   (*.ico)</translation>
    </message>
    <message>
        <source>bmp file(s)  (*.bmp)</source>
        <translation>bmp-Datei(en)  (*.bmp)</translation>
    </message>
    <message>
        <source>png file(s)  (*.png)</source>
        <translation>png-Datei(en)  (*.png)</translation>
    </message>
    <message>
        <source>jpg file(s)  (*.jpg)</source>
        <translation>jpg-Datei(en)  (*.jpg)</translation>
    </message>
    <message>
        <source>CURSOR file</source>
        <translation>Mauszeiger-Datei</translation>
    </message>
    <message>
        <source>ICON file</source>
        <translation>Symboldatei</translation>
    </message>
    <message>
        <source>bmp file</source>
        <translation>bmp-Datei</translation>
    </message>
    <message>
        <source>jpeg file</source>
        <translation>jpeg-Datei</translation>
    </message>
    <message>
        <source>png file</source>
        <translation>png-Datei</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>You have opened some icon files,<byte value="xd"/>
   are you sure to quit?</source>
        <translation>Sie haben Symboldateien geöffnet,<byte value="xd"/>
   wirklich beenden?</translation>
    </message>
    <message>
        <source>notice</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>Notice</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>ERROR</source>
        <translation>FEHLER</translation>
    </message>
    <message>
        <source>Sorry</source>
        <translation>Leider</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Bestätigen</translation>
    </message>
    <message>
        <source>You need to specify the image size. Press &apos;OK&apos; to follow the default size.</source>
        <translation>Bitte eine Bildgröße angeben. Mit „OK“ wird die Standardgröße verwendet.</translation>
    </message>
    <message>
        <source>Import a directory</source>
        <translation>Einen Ordner importieren</translation>
    </message>
    <message>
        <source>Files are still being read.<byte value="xd"/>
Stop and quit?</source>
        <translation>Es werden noch Dateien gelesen.<byte value="xd"/>
Abbrechen und beenden?</translation>
    </message>
    <message>
        <source>&amp;Retry</source>
        <translation>&amp;Wiederholen</translation>
    </message>
    <message>
        <source>The most icons to import must be a whole number, such as 100.</source>
        <translation>Die Höchstzahl der Symbole muss eine ganze Zahl sein, etwa 100.</translation>
    </message>
    <message>
        <source>Choose at least one kind of file to search.</source>
        <translation>Wählen Sie mindestens eine Art von Dateien für die Suche.</translation>
    </message>
</context>
<context>
    <name>Reasons</name>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>cannot open: %1</source>
        <translation>kann nicht geöffnet werden: %1</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>unbekannter Fehler</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>cannot read at byte %1</source>
        <translation>kann bei Byte %1 nicht gelesen werden</translation>
    </message>
    <message>
        <source>cannot read</source>
        <translation>kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>the file was cut short while it was read at byte %1</source>
        <translation>die Datei wurde beim Lesen bei Byte %1 gekürzt</translation>
    </message>
    <message>
        <source>the file was cut short while it was read</source>
        <translation>die Datei wurde beim Lesen gekürzt</translation>
    </message>
    <message>
        <source>not a Windows program, library, icon or cursor file</source>
        <translation>kein Windows-Programm, keine Bibliothek, Symbol- oder Mauszeigerdatei</translation>
    </message>
    <message>
        <source>data cut off at byte %1</source>
        <translation>Daten bei Byte %1 abgeschnitten</translation>
    </message>
    <message>
        <source>data cut off</source>
        <translation>Daten abgeschnitten</translation>
    </message>
    <message>
        <source>%1 cut off at byte %2</source>
        <translation>„%1“ bei Byte %2 abgeschnitten</translation>
    </message>
    <message>
        <source>%1 cut off</source>
        <translation>„%1“ abgeschnitten</translation>
    </message>
    <message>
        <source>a value is not valid at byte %1</source>
        <translation>ein Wert bei Byte %1 ist ungültig</translation>
    </message>
    <message>
        <source>a value is not valid</source>
        <translation>ein Wert ist ungültig</translation>
    </message>
    <message>
        <source>%1 is not valid at byte %2</source>
        <translation>„%1“ bei Byte %2 ist ungültig</translation>
    </message>
    <message>
        <source>%1 is not valid</source>
        <translation>„%1“ ist ungültig</translation>
    </message>
    <message>
        <source>an image is not in the file</source>
        <translation>ein Bild fehlt in der Datei</translation>
    </message>
    <message>
        <source>%1 is not in the file</source>
        <translation>„%1“ fehlt in der Datei</translation>
    </message>
    <message>
        <source>stopped at a limit: %1</source>
        <translation>an einer Grenze angehalten: %1</translation>
    </message>
    <message>
        <source>an image of a kind that is not read</source>
        <translation>ein Bild einer Art, die nicht gelesen wird</translation>
    </message>
    <message>
        <source>an image of a kind that is not read (%1)</source>
        <translation>ein Bild einer Art, die nicht gelesen wird (%1)</translation>
    </message>
    <message>
        <source>damaged image data</source>
        <translation>beschädigte Bilddaten</translation>
    </message>
    <message>
        <source>damaged image data (%1)</source>
        <translation>beschädigte Bilddaten (%1)</translation>
    </message>
    <message>
        <source>%1 at byte %2</source>
        <translation>%1 bei Byte %2</translation>
    </message>
    <message>
        <source>no such icon</source>
        <translation>kein solches Symbol</translation>
    </message>
    <message>
        <source>no %1</source>
        <translation>kein(e) %1</translation>
    </message>
    <message>
        <source>none of its images can be read</source>
        <translation>keines ihrer Bilder kann gelesen werden</translation>
    </message>
    <message>
        <source>cannot be encoded</source>
        <translation>lässt sich nicht kodieren</translation>
    </message>
    <message>
        <source>cannot be encoded: %1</source>
        <translation>lässt sich nicht kodieren: %1</translation>
    </message>
    <message>
        <source>cannot write</source>
        <translation>kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>cannot write: %1</source>
        <translation>kann nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <source>It is a symbolic link that someone else put in a folder everyone may write to; it is not followed</source>
        <translation>Es ist eine symbolische Verknüpfung, die jemand anderes in einen Ordner gelegt hat, in den alle schreiben dürfen; ihr wird nicht gefolgt</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a symbolic link that someone else put in a folder everyone may write to; it is not followed</source>
        <translation>„%1“ ist eine symbolische Verknüpfung, die jemand anderes in einen Ordner gelegt hat, in den alle schreiben dürfen; ihr wird nicht gefolgt</translation>
    </message>
    <message>
        <source>It is a symbolic link that someone else made; it is not followed</source>
        <translation>Es ist eine symbolische Verknüpfung, die jemand anderes angelegt hat; ihr wird nicht gefolgt</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a symbolic link that someone else made; it is not followed</source>
        <translation>„%1“ ist eine symbolische Verknüpfung, die jemand anderes angelegt hat; ihr wird nicht gefolgt</translation>
    </message>
    <message>
        <source>It is a symbolic link in a folder that someone else owns or may write to; it is not followed</source>
        <translation>Es ist eine symbolische Verknüpfung in einem Ordner, der jemand anderem gehört oder in den jemand anderes schreiben darf; ihr wird nicht gefolgt</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a symbolic link in a folder that someone else owns or may write to; it is not followed</source>
        <translation>„%1“ ist eine symbolische Verknüpfung in einem Ordner, der jemand anderem gehört oder in den jemand anderes schreiben darf; ihr wird nicht gefolgt</translation>
    </message>
    <message>
        <source>It is a symbolic link; this file is never written through one</source>
        <translation>Es ist eine symbolische Verknüpfung; diese Datei wird nie durch eine geschrieben</translation>
    </message>
    <message>
        <source>There is no file name in it</source>
        <translation>Es enthält keinen Dateinamen</translation>
    </message>
    <message>
        <source>not chosen</source>
        <translation>nicht gewählt</translation>
    </message>
    <message>
        <source>a limit</source>
        <translation>eine Grenze</translation>
    </message>
    <message>
        <source>%1 images read of one file&apos;s groups</source>
        <translation>%1 gelesene Bilder aus den Gruppen einer Datei</translation>
    </message>
    <message>
        <source>%1 images of one group; the rest are left out</source>
        <translation>%1 Bilder einer Gruppe; die übrigen bleiben weg</translation>
    </message>
    <message>
        <source>%1 MB of one image or resource</source>
        <translation>%1 MB eines Bildes oder einer Ressource</translation>
    </message>
    <message>
        <source>the bytes one read may take</source>
        <translation>die Bytes, die ein Lesevorgang nehmen darf</translation>
    </message>
    <message>
        <source>%1 MB of image data held of one file</source>
        <translation>%1 MB Bilddaten einer Datei im Speicher</translation>
    </message>
    <message>
        <source>%1 characters of resource names of one file; the groups after are not named</source>
        <translation>%1 Zeichen Ressourcennamen einer Datei; die Gruppen danach bleiben ohne Namen</translation>
    </message>
    <message>
        <source>resource names are cut to %1 characters</source>
        <translation>Ressourcennamen werden auf %1 Zeichen gekürzt</translation>
    </message>
    <message>
        <source>%1 further languages of one file&apos;s resources; the rest are left out</source>
        <translation>%1 weitere Sprachen der Ressourcen einer Datei; die übrigen bleiben weg</translation>
    </message>
    <message>
        <source>images of %1 pixels a side</source>
        <translation>Bilder von %1 Pixeln Seitenlänge</translation>
    </message>
    <message>
        <source>pictures of %1 pixels a side</source>
        <translation>Bilder von %1 Pixeln Seitenlänge</translation>
    </message>
    <message>
        <source>%1 pixels a side of a JPEG picture</source>
        <translation>%1 Pixel Seitenlänge eines JPEG-Bildes</translation>
    </message>
    <message>
        <source>%1 GB read from a pipe</source>
        <translation>%1 GB aus einer Pipe gelesen</translation>
    </message>
    <message>
        <source>what the icons of one file may make a save write: %1 MB, or %2 times the file&apos;s size when that is more</source>
        <translation>was die Symbole einer Datei ein Speichern schreiben lassen dürfen: %1 MB oder das %2-Fache der Dateigröße, wenn das mehr ist</translation>
    </message>
    <message>
        <source>%1 MB of a settings file</source>
        <translation>%1 MB einer Einstellungsdatei</translation>
    </message>
    <message>
        <source>a link to a folder: not followed</source>
        <translation>eine Verknüpfung auf einen Ordner: ihr wird nicht gefolgt</translation>
    </message>
    <message>
        <source>its listing failed part way (%1); the entries listed before are taken</source>
        <translation>sein Auflisten brach mittendrin ab (%1); die Einträge davor werden genommen</translation>
    </message>
    <message>
        <source>a view the system gives of itself (such as /proc): not entered</source>
        <translation>eine Sicht des Systems auf sich selbst (wie /proc): nicht betreten</translation>
    </message>
    <message>
        <source>walked already, reached another way</source>
        <translation>schon durchsucht, auf anderem Weg erreicht</translation>
    </message>
    <message>
        <source>moved or replaced while it was walked: the rest of it is left out</source>
        <translation>beim Durchsuchen verschoben oder ersetzt: der Rest bleibt weg</translation>
    </message>
    <message>
        <source>%1 MB of a version resource</source>
        <translation>%1 MB einer Versionsressource</translation>
    </message>
    <message>
        <source>%1 blocks of one version resource</source>
        <translation>%1 Blöcke einer Versionsressource</translation>
    </message>
    <message>
        <source>%1 frames of one animation</source>
        <translation>%1 Einzelbilder einer Animation</translation>
    </message>
    <message>
        <source>%1 steps of one animation</source>
        <translation>%1 Schritte einer Animation</translation>
    </message>
    <message>
        <source>%1 chunks of one file&apos;s animations</source>
        <translation>%1 Abschnitte der Animationen einer Datei</translation>
    </message>
    <message>
        <source>%1 bytes of an animation&apos;s title or artist</source>
        <translation>%1 Bytes des Titels oder Künstlers einer Animation</translation>
    </message>
    <message>
        <source>%1 MB of one X cursor file</source>
        <translation>%1 MB einer X-Mauszeigerdatei</translation>
    </message>
    <message>
        <source>%1 entries of a cursor set&apos;s folder</source>
        <translation>%1 Einträge des Ordners eines Mauszeigersatzes</translation>
    </message>
</context>
<context>
    <name>ResultList</name>
    <message>
        <source>Icons</source>
        <translation>Symbole</translation>
    </message>
    <message>
        <source>Location</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
</context>
<context>
    <name>RowPreview</name>
    <message>
        <source>%1, image %2</source>
        <translation>%1, Bild %2</translation>
    </message>
    <message>
        <source>%1, icon %2</source>
        <translation>%1, Symbol %2</translation>
    </message>
    <message>
        <source>%1, cursor %2</source>
        <translation>%1, Mauszeiger %2</translation>
    </message>
</context>
<context>
    <name>pellimar::AboutDialog</name>
    <message>
        <source>About</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Contact us:</source>
        <translation>Kontakt:</translation>
    </message>
    <message>
        <source>Go To Pellimar&apos;s !</source>
        <translation>Zur Pellimar-Website!</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Version number:     %1   </source>
        <translation>Versionsnummer:     %1   </translation>
    </message>
</context>
<context>
    <name>pellimar::CommandTable</name>
    <message>
        <source> &amp;File  </source>
        <translation> &amp;Datei  </translation>
    </message>
    <message>
        <source>&amp;Import from a File   </source>
        <translation>Aus einer Datei &amp;importieren   </translation>
    </message>
    <message>
        <source>Sca&amp;n a Folder</source>
        <translation>&amp;Ordner durchsuchen</translation>
    </message>
    <message>
        <source>&amp;Save Selected</source>
        <translation>Auswahl &amp;speichern</translation>
    </message>
    <message>
        <source>Save &amp;All</source>
        <translation>&amp;Alle speichern</translation>
    </message>
    <message>
        <source>&amp;Clear All</source>
        <translation>Alles &amp;leeren</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source> &amp;View  </source>
        <translation> &amp;Ansicht  </translation>
    </message>
    <message>
        <source>&amp;Thumbnail View</source>
        <translation>&amp;Miniaturansicht</translation>
    </message>
    <message>
        <source>&amp;List View</source>
        <translation>&amp;Listenansicht</translation>
    </message>
    <message>
        <source>&amp;Detail View</source>
        <translation>&amp;Detailansicht</translation>
    </message>
    <message>
        <source>&amp;Show Tips</source>
        <translation>&amp;Tipps anzeigen</translation>
    </message>
    <message>
        <source>&amp;Result Report</source>
        <translation>&amp;Ergebnisbericht</translation>
    </message>
    <message>
        <source> &amp;Options </source>
        <translation> &amp;Optionen </translation>
    </message>
    <message>
        <source>&amp;Import Options</source>
        <translation>&amp;Importoptionen</translation>
    </message>
    <message>
        <source>&amp;Export Options</source>
        <translation>&amp;Exportoptionen</translation>
    </message>
    <message>
        <source>&amp;Search setting</source>
        <translation>&amp;Sucheinstellungen</translation>
    </message>
    <message>
        <source> &amp;Help   </source>
        <translation> &amp;Hilfe   </translation>
    </message>
    <message>
        <source>&amp;About Pellimar...</source>
        <translation>Ü&amp;ber Pellimar...</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Sa&amp;ve All</source>
        <translation>Alle spei&amp;chern</translation>
    </message>
    <message>
        <source>&amp;Delete Selected </source>
        <translation>Auswahl ent&amp;fernen </translation>
    </message>
    <message>
        <source>&amp;Clear all</source>
        <translation>Alles l&amp;eeren</translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation>&amp;Alles auswählen</translation>
    </message>
    <message>
        <source>C&amp;opy Icon</source>
        <translation>Symbol &amp;kopieren</translation>
    </message>
    <message>
        <source>D&amp;etail View</source>
        <translation>De&amp;tailansicht</translation>
    </message>
    <message>
        <source>Grab icons from a File</source>
        <translation>Symbole aus einer Datei holen</translation>
    </message>
    <message>
        <source>Scan icons from a folder</source>
        <translation>Symbole in einem Ordner suchen</translation>
    </message>
    <message>
        <source>Clear All</source>
        <translation>Alles leeren</translation>
    </message>
    <message>
        <source>Save Icon(s)</source>
        <translation>Symbol(e) speichern</translation>
    </message>
    <message>
        <source>View Style</source>
        <translation>Ansicht</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>S&amp;ort By</source>
        <translation>&amp;Sortieren nach</translation>
    </message>
    <message>
        <source>&amp;Icons</source>
        <translation>&amp;Symbole</translation>
    </message>
    <message>
        <source>&amp;Location</source>
        <translation>P&amp;osition</translation>
    </message>
    <message>
        <source>&amp;Resource</source>
        <translation>&amp;Ressource</translation>
    </message>
    <message>
        <source>&amp;Path</source>
        <translation>&amp;Pfad</translation>
    </message>
    <message>
        <source>&amp;Ascending</source>
        <translation>Au&amp;fsteigend</translation>
    </message>
    <message>
        <source>&amp;Descending</source>
        <translation>&amp;Absteigend</translation>
    </message>
    <message>
        <source>Tool bar</source>
        <translation>Werkzeugleiste</translation>
    </message>
</context>
<context>
    <name>pellimar::ExportOptionsDialog</name>
    <message>
        <source>Export options</source>
        <translation>Exportoptionen</translation>
    </message>
    <message>
        <source> Image size </source>
        <translation> Bildgröße </translation>
    </message>
    <message>
        <source>  128 X 128</source>
        <translation>  128 X 128</translation>
    </message>
    <message>
        <source>  64 X 64</source>
        <translation>  64 X 64</translation>
    </message>
    <message>
        <source>  48 X 48</source>
        <translation>  48 X 48</translation>
    </message>
    <message>
        <source>  32 X 32</source>
        <translation>  32 X 32</translation>
    </message>
    <message>
        <source>  16 X 16</source>
        <translation>  16 X 16</translation>
    </message>
    <message>
        <source> File formats </source>
        <translation> Dateiformate </translation>
    </message>
    <message>
        <source>  ICON file</source>
        <translation>  ICON-Datei</translation>
    </message>
    <message>
        <source>  BMP file</source>
        <translation>  BMP-Datei</translation>
    </message>
    <message>
        <source>  JPG file</source>
        <translation>  JPG-Datei</translation>
    </message>
    <message>
        <source>  PNG file</source>
        <translation>  PNG-Datei</translation>
    </message>
    <message>
        <source>  Original icon</source>
        <translation>  Originalsymbol</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>programs: 32 and 16 px, 256 colours at most</source>
        <translation>Programme: 32 und 16 px, bis 256 Farben</translation>
    </message>
    <message>
        <source>programs: 32 and 16 px, drawn on white</source>
        <translation>Programme: 32 und 16 px, auf Weiß</translation>
    </message>
    <message>
        <source>every size chosen, with its transparency</source>
        <translation>jede gewählte Größe, mit Transparenz</translation>
    </message>
    <message>
        <source>as stored, every image: nothing left out</source>
        <translation>wie gespeichert, jedes Bild: nichts fehlt</translation>
    </message>
</context>
<context>
    <name>pellimar::IconViewer</name>
    <message>
        <source>get icon</source>
        <translation>Symbol holen</translation>
    </message>
    <message>
        <source>save as bmp</source>
        <translation>als BMP speichern</translation>
    </message>
    <message>
        <source>save as icon</source>
        <translation>als Symbol speichern</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>Bild</translation>
    </message>
    <message>
        <source>Size and colours of the image shown in the preview</source>
        <translation>Größe und Farben des Bildes in der Vorschau</translation>
    </message>
    <message>
        <source>Images of the file</source>
        <translation>Bilder der Datei</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>save as jpeg</source>
        <translation>als JPEG speichern</translation>
    </message>
    <message>
        <source>save as PNG</source>
        <translation>als PNG speichern</translation>
    </message>
    <message>
        <source>  Bmp count:  </source>
        <translation>  Bilder:  </translation>
    </message>
    <message>
        <source>ICON VIEWS</source>
        <translation>SYMBOLANSICHT</translation>
    </message>
    <message>
        <source>copy</source>
        <translation>kopieren</translation>
    </message>
    <message>
        <source>%1*%2 %3colors</source>
        <translation>%1*%2 %3 Farben</translation>
    </message>
    <message>
        <source>%1*%2 XPcolors</source>
        <translation>%1*%2 XP-Farben</translation>
    </message>
    <message>
        <source>Cannot show %1: %2.</source>
        <translation>%1 kann nicht gezeigt werden: %2.</translation>
    </message>
    <message>
        <source>  Bmp count:  %1 (the header claims %2)</source>
        <translation>  Bilder:  %1 (laut Kopf %2)</translation>
    </message>
    <message>
        <source>  Bmp count:  %1 (the first %2 listed)</source>
        <translation>  Bilder:  %1 (die ersten %2 gelistet)</translation>
    </message>
    <message>
        <source>it is not an icon file</source>
        <translation>es ist keine Symboldatei</translation>
    </message>
    <message>
        <source>it holds no images</source>
        <translation>sie enthält keine Bilder</translation>
    </message>
    <message>
        <source>none of its images can be read (%1)</source>
        <translation>keines ihrer Bilder kann gelesen werden (%1)</translation>
    </message>
    <message>
        <source>%1 of the images of %2 cannot be shown:</source>
        <translation>%1 der Bilder von %2 können nicht gezeigt werden:</translation>
    </message>
    <message>
        <source>and %1 more.</source>
        <translation>und %1 weitere.</translation>
    </message>
    <message>
        <source>Thumbnails stop at %1 pictures or %2 MB: the other images are shown as empty cells.</source>
        <translation>Miniaturen enden bei %1 Bildern oder %2 MB: die übrigen Bilder erscheinen als leere Zellen.</translation>
    </message>
    <message>
        <source>%1 already exists. Replace it?</source>
        <translation>%1 gibt es schon. Ersetzen?</translation>
    </message>
    <message>
        <source>Cannot save %1: %2.</source>
        <translation>%1 kann nicht gespeichert werden: %2.</translation>
    </message>
    <message>
        <source>it is the file being viewed</source>
        <translation>es ist die angezeigte Datei</translation>
    </message>
    <message>
        <source>no image is chosen</source>
        <translation>kein Bild ist gewählt</translation>
    </message>
    <message>
        <source>no image is shown</source>
        <translation>kein Bild wird gezeigt</translation>
    </message>
    <message>
        <source>the image cannot be encoded as PNG</source>
        <translation>das Bild lässt sich nicht als PNG schreiben</translation>
    </message>
    <message>
        <source>%1 was not saved: a file of that name came meanwhile and was kept as it was.</source>
        <translation>%1 wurde nicht gespeichert: Eine Datei dieses Namens ist inzwischen entstanden und wurde unverändert behalten.</translation>
    </message>
    <message>
        <source>The image cannot be copied: %1.</source>
        <translation>Das Bild kann nicht kopiert werden: %1.</translation>
    </message>
    <message>
        <source>image %1: %2</source>
        <translation>Bild %1: %2</translation>
    </message>
    <message>
        <source>Image %1 (%2) cannot be drawn:
%3</source>
        <translation>Bild %1 (%2) kann nicht gezeichnet werden:
%3</translation>
    </message>
    <message>
        <source>Image %1 cannot be drawn: %2</source>
        <translation>Bild %1 kann nicht gezeichnet werden: %2</translation>
    </message>
    <message>
        <source>Cannot show image %1</source>
        <translation>Bild %1 nicht darstellbar</translation>
    </message>
    <message>
        <source>Tool bar</source>
        <translation>Werkzeugleiste</translation>
    </message>
</context>
<context>
    <name>pellimar::ImportFlow</name>
    <message>
        <source>Cannot find these %1 files or folders:</source>
        <translation>Diese %1 Dateien oder Ordner wurden nicht gefunden:</translation>
    </message>
    <message>
        <source>Stop reading files (Esc); the icons found so far stay</source>
        <translation>Das Lesen der Dateien beenden (Esc); die bisher gefundenen Symbole bleiben</translation>
    </message>
    <message>
        <source>Looking at files: %1</source>
        <translation>Dateien durchgesehen: %1</translation>
    </message>
    <message>
        <source>Files read: %1 of %2, icons found: %3</source>
        <translation>Dateien gelesen: %1 von %2, Symbole gefunden: %3</translation>
    </message>
    <message>
        <source>no icons in %1: %2</source>
        <translation>keine Symbole in %1: %2</translation>
    </message>
    <message>
        <source>no icons in %1: it holds none</source>
        <translation>keine Symbole in %1: die Datei enthält keine</translation>
    </message>
    <message>
        <source>%1 files gave no icons (first: %2: %3)</source>
        <translation>%1 Dateien ergaben keine Symbole (erste: %2: %3)</translation>
    </message>
    <message>
        <source>%1 icons could not be read (first: %2: %3)</source>
        <translation>%1 Symbole konnten nicht gelesen werden (erstes: %2: %3)</translation>
    </message>
    <message>
        <source>%1 folders were left out or read only in part (first: %2: %3)</source>
        <translation>%1 Ordner wurden ausgelassen oder nur teilweise durchsucht (erster: %2: %3)</translation>
    </message>
    <message>
        <source>the scan ended at its maximum of %1 icons (Import Options)</source>
        <translation>die Suche endete bei ihrem Höchstwert von %1 Symbolen (Importoptionen)</translation>
    </message>
    <message>
        <source>stopped; the icons found so far stay</source>
        <translation>beendet; die bisher gefundenen Symbole bleiben</translation>
    </message>
    <message>
        <source>the folder %1 cannot be read: %2</source>
        <translation>der Ordner %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>no icons found in %1</source>
        <translation>keine Symbole in %1 gefunden</translation>
    </message>
    <message>
        <source>the folder %1 was read only in part: %2</source>
        <translation>der Ordner %1 wurde nur teilweise gelesen: %2</translation>
    </message>
    <message>
        <source>1 file gave no icons: %1: %2</source>
        <translation>1 Datei ergab keine Symbole: %1: %2</translation>
    </message>
    <message>
        <source>1 icon could not be read: %1: %2</source>
        <translation>1 Symbol konnte nicht gelesen werden: %1: %2</translation>
    </message>
    <message>
        <source>1 folder was left out or read only in part: %1: %2</source>
        <translation>1 Ordner wurde ausgelassen oder nur teilweise durchsucht: %1: %2</translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation>und %1 weitere</translation>
    </message>
</context>
<context>
    <name>pellimar::ImportOptionsDialog</name>
    <message>
        <source>Import options</source>
        <translation>Importoptionen</translation>
    </message>
    <message>
        <source> Search maximum  </source>
        <translation> Suchgrenze  </translation>
    </message>
    <message>
        <source> No more than </source>
        <translation> Höchstens </translation>
    </message>
    <message>
        <source>icons.</source>
        <translation>Symbole.</translation>
    </message>
    <message>
        <source> No limit.</source>
        <translation> Keine Grenze.</translation>
    </message>
    <message>
        <source> Search these files </source>
        <translation> Diese Dateien suchen </translation>
    </message>
    <message>
        <source> *.EXE</source>
        <translation> *.EXE</translation>
    </message>
    <message>
        <source> *.DLL</source>
        <translation> *.DLL</translation>
    </message>
    <message>
        <source> *.ICO</source>
        <translation> *.ICO</translation>
    </message>
    <message>
        <source> *.ICL</source>
        <translation> *.ICL</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
</context>
<context>
    <name>pellimar::MainWindow</name>
    <message>
        <source>Pellimar</source>
        <translation>Pellimar</translation>
    </message>
    <message>
        <source>Cannot show %1: %2.</source>
        <translation>%1 kann nicht gezeigt werden: %2.</translation>
    </message>
    <message>
        <source>its picture could not be written in %1 (%2)</source>
        <translation>sein Bild konnte nicht in %1 geschrieben werden (%2)</translation>
    </message>
    <message>
        <source>Cannot copy %1: %2.</source>
        <translation>%1 kann nicht kopiert werden: %2.</translation>
    </message>
    <message>
        <source>The help cannot be opened: %1.</source>
        <translation>Die Hilfe kann nicht geöffnet werden: %1.</translation>
    </message>
    <message>
        <source>The help cannot be opened: neither the help file (%1) nor its pages (%2) are installed.</source>
        <translation>Die Hilfe kann nicht geöffnet werden: Weder die Hilfedatei (%1) noch ihre Seiten (%2) sind installiert.</translation>
    </message>
    <message>
        <source>The help cannot be opened: this desktop has no viewer for the help file (%1) and no web browser for its pages (%2).</source>
        <translation>Die Hilfe kann nicht geöffnet werden: Auf diesem Desktop gibt es kein Programm für die Hilfedatei (%1) und keinen Webbrowser für ihre Seiten (%2).</translation>
    </message>
</context>
<context>
    <name>pellimar::ReportDialog</name>
    <message>
        <source>Report</source>
        <translation>Bericht</translation>
    </message>
    <message>
        <source>Folder of the saved files</source>
        <translation>Ordner der gespeicherten Dateien</translation>
    </message>
    <message>
        <source>&amp;Go to the directory</source>
        <translation>Zum &amp;Ordner gehen</translation>
    </message>
    <message>
        <source>Saved files</source>
        <translation>Gespeicherte Dateien</translation>
    </message>
    <message>
        <source>Clicking a file shows it in the preview</source>
        <translation>Ein Klick auf eine Datei zeigt sie in der Vorschau</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>&amp;Open with default viewer</source>
        <translation>Standardmäßig ö&amp;ffnen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>You haven&apos;t saved any file yet.</source>
        <translation>Sie haben noch keine Datei gespeichert.</translation>
    </message>
    <message>
        <source>%1 files are saved in the directory of ...</source>
        <translation>%1 Dateien wurden im Ordner gespeichert ...</translation>
    </message>
    <message>
        <source>Not saved, with why</source>
        <translation>Nicht gespeichert, mit Grund</translation>
    </message>
    <message>
        <source>%1: exists already, kept as it was</source>
        <translation>%1: schon vorhanden, unverändert behalten</translation>
    </message>
    <message>
        <source>Stopped after row %1 of %2: the rows after it were not saved</source>
        <translation>Nach Zeile %1 von %2 beendet: Die Zeilen danach wurden nicht gespeichert</translation>
    </message>
    <message>
        <source>%1 (saving ended there: nothing after it was saved)</source>
        <translation>%1 (das Speichern endete dort: nichts danach wurde gespeichert)</translation>
    </message>
    <message>
        <source>The folder %1 cannot be opened: this desktop has no program set to show folders.</source>
        <translation>Der Ordner %1 kann nicht geöffnet werden: Auf diesem Desktop ist kein Programm zum Anzeigen von Ordnern eingerichtet.</translation>
    </message>
    <message>
        <source>Choose a file in the file list first.</source>
        <translation>Wählen Sie zuerst eine Datei in der Dateiliste.</translation>
    </message>
    <message>
        <source>%1 cannot be opened: this desktop has no program set to show files of its type.</source>
        <translation>%1 kann nicht geöffnet werden: Auf diesem Desktop ist kein Programm für Dateien dieses Typs eingerichtet.</translation>
    </message>
    <message>
        <source>The picture could not be encoded.</source>
        <translation>Das Bild ließ sich nicht kodieren.</translation>
    </message>
    <message>
        <source>The picture could not be encoded: %1.</source>
        <translation>Das Bild ließ sich nicht kodieren: %1.</translation>
    </message>
    <message>
        <source>The icons of one file may make a save write at most %1 MB, or %2 times the file&apos;s size when that is more.</source>
        <translation>Die Symbole einer Datei dürfen ein Speichern höchstens %1 MB schreiben lassen, oder das %2-Fache der Dateigröße, wenn das mehr ist.</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. %2</source>
        <translation>Die Datei „%1“ kann nicht angelegt werden. %2</translation>
    </message>
    <message>
        <source>%1: icon files of programs are saved at 32 and 16 pixels, and neither is chosen</source>
        <translation>%1: Symboldateien von Programmen werden mit 32 und 16 Pixeln gespeichert, und keine der beiden Größen ist gewählt</translation>
    </message>
    <message>
        <source>%1: pictures of programs are saved at 32 and 16 pixels, and neither is chosen</source>
        <translation>%1: Bilder von Programmen werden mit 32 und 16 Pixeln gespeichert, und keine der beiden Größen ist gewählt</translation>
    </message>
    <message>
        <source>%1: its image is %2 x %3, and that size is not chosen</source>
        <translation>%1: sein Bild ist %2 x %3 groß, und diese Größe ist nicht gewählt</translation>
    </message>
    <message>
        <source>%1: no size is chosen</source>
        <translation>%1: keine Größe ist gewählt</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Saved with less than chosen: icon files of programs are saved at 32 and 16 pixels, in 16 or 256 colours with a 1-bit mask. &quot;Original icon&quot; in the Export options keeps every image as stored.</source>
        <translation>Mit weniger als gewählt gespeichert: Symboldateien von Programmen werden mit 32 und 16 Pixeln, in 16 oder 256 Farben mit einer 1-Bit-Maske gespeichert. „Originalsymbol“ in den Exportoptionen behält jedes Bild, wie es gespeichert ist.</translation>
    </message>
    <message>
        <source>Saved with less than chosen: pictures of programs are saved at 32 and 16 pixels. PNG in the Export options saves every size chosen.</source>
        <translation>Mit weniger als gewählt gespeichert: Bilder von Programmen werden mit 32 und 16 Pixeln gespeichert. PNG in den Exportoptionen speichert jede gewählte Größe.</translation>
    </message>
    <message>
        <source>Saved with less than chosen:</source>
        <translation>Mit weniger als gewählt gespeichert:</translation>
    </message>
    <message>
        <source>the size %1 px left out</source>
        <translation>die Größe %1 px weggelassen</translation>
    </message>
    <message>
        <source>the sizes %1 px left out</source>
        <translation>die Größen %1 px weggelassen</translation>
    </message>
    <message>
        <source>its %1-bit colours reduced to 16 or 256</source>
        <translation>seine %1-Bit-Farben auf 16 oder 256 verringert</translation>
    </message>
    <message>
        <source>its soft transparency reduced to a 1-bit mask</source>
        <translation>seine weiche Transparenz auf eine 1-Bit-Maske verringert</translation>
    </message>
    <message>
        <source>; </source>
        <translation>; </translation>
    </message>
    <message>
        <source>Saved &amp;files</source>
        <translation>Gespeicherte &amp;Dateien</translation>
    </message>
    <message>
        <source>&amp;Not saved, or saved with less</source>
        <translation>&amp;Nicht oder nicht ganz gespeichert</translation>
    </message>
    <message>
        <source>No file saved: every row was left out.</source>
        <translation>Keine Datei gespeichert: alle Zeilen ausgelassen.</translation>
    </message>
    <message>
        <source>No file saved: the files existed and were kept.</source>
        <translation>Keine Datei gespeichert: alle gab es schon.</translation>
    </message>
    <message>
        <source>No file saved: saving was stopped.</source>
        <translation>Keine Datei gespeichert: abgebrochen.</translation>
    </message>
    <message>
        <source>No file saved.</source>
        <translation>Keine Datei gespeichert.</translation>
    </message>
    <message>
        <source>No file saved: see below for why.</source>
        <translation>Keine Datei gespeichert: warum, steht unten.</translation>
    </message>
</context>
<context>
    <name>pellimar::ResultList</name>
    <message>
        <source>Icons found</source>
        <translation>Gefundene Symbole</translation>
    </message>
    <message>
        <source>One entry per icon; Return opens the selected one in the viewer</source>
        <translation>Ein Eintrag je Symbol; die Eingabetaste öffnet das gewählte im Betrachter</translation>
    </message>
    <message>
        <source>One row per icon: caption, icon number and file; Return opens the selected one in the viewer</source>
        <translation>Eine Zeile je Symbol: Beschriftung, Symbolnummer und Datei; die Eingabetaste öffnet das gewählte im Betrachter</translation>
    </message>
</context>
<context>
    <name>pellimar::ResultModel</name>
    <message>
        <source>Resource</source>
        <translation>Ressource</translation>
    </message>
    <message>
        <source>cursor %1</source>
        <translation>Mauszeiger %1</translation>
    </message>
    <message>
        <source>Sort by this column (Ctrl+%1); again: the other way</source>
        <translation>Nach dieser Spalte sortieren (Strg+%1); noch einmal: umgekehrt</translation>
    </message>
</context>
<context>
    <name>pellimar::SaveFlow</name>
    <message>
        <source>Stop saving (Esc); the files written so far stay</source>
        <translation>Das Speichern beenden (Esc); die bisher geschriebenen Dateien bleiben</translation>
    </message>
    <message>
        <source>Files are still being saved.
Stop and quit?</source>
        <translation>Es werden noch Dateien gespeichert.
Anhalten und beenden?</translation>
    </message>
    <message>
        <source>Saving: row %1 of %2</source>
        <translation>Speichern: Zeile %1 von %2</translation>
    </message>
    <message>
        <source>%1 already exists: replace it?</source>
        <translation>%1 ist schon vorhanden: ersetzen?</translation>
    </message>
    <message>
        <source>%1 files already exist: replace them?</source>
        <translation>%1 Dateien sind schon vorhanden: ersetzen?</translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation>und %1 weitere</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation>&amp;Ersetzen</translation>
    </message>
    <message>
        <source>&amp;Skip existing</source>
        <translation>Vorhandene &amp;überspringen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Saving cancelled: nothing was written.</source>
        <translation>Speichern abgebrochen: Es wurde nichts geschrieben.</translation>
    </message>
    <message>
        <source>Saving stopped after row %1 of %2; the files written so far stay.</source>
        <translation>Speichern nach Zeile %1 von %2 beendet; die bisher geschriebenen Dateien bleiben.</translation>
    </message>
    <message>
        <source>Nothing was saved: icons are saved as .ico, .bmp, .jpg or .png files, and the name chosen ends otherwise.</source>
        <translation>Nichts wurde gespeichert: Symbole werden als .ico-, .bmp-, .jpg- oder .png-Dateien gespeichert, und der gewählte Name endet anders.</translation>
    </message>
    <message>
        <source>These rows could not be read, so nothing was saved of them:</source>
        <translation>Diese Zeilen konnten nicht gelesen werden; von ihnen wurde nichts gespeichert:</translation>
    </message>
    <message>
        <source> more rows could not be read either.</source>
        <translation> weitere Zeilen konnten ebenfalls nicht gelesen werden.</translation>
    </message>
    <message>
        <source> more files could not be written either.</source>
        <translation> weitere Dateien konnten ebenfalls nicht geschrieben werden.</translation>
    </message>
</context>
<context>
    <name>pellimar::SearchSettingsDialog</name>
    <message>
        <source>Other search setting</source>
        <translation>Weitere Sucheinstellungen</translation>
    </message>
    <message>
        <source>Other search option</source>
        <translation>Weitere Suchoptionen</translation>
    </message>
    <message>
        <source>  Search child folder</source>
        <translation>  Unterordner durchsuchen</translation>
    </message>
    <message>
        <source>  Clear result</source>
        <translation>  Ergebnis leeren</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Cannot save the search settings to %1: %2.</source>
        <translation>Die Sucheinstellungen können nicht in %1 gespeichert werden: %2.</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>es ist keine reguläre Datei</translation>
    </message>
</context>
<context>
    <name>pellimar::StatusPanels</name>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Idle ...</source>
        <translation>Bereit ...</translation>
    </message>
    <message>
        <source>Icons: 0</source>
        <translation>Symbole: 0</translation>
    </message>
    <message>
        <source>Selected: 0</source>
        <translation>Ausgewählt: 0</translation>
    </message>
    <message>
        <source>Icons: %1</source>
        <translation>Symbole: %1</translation>
    </message>
    <message>
        <source>Selected: %1</source>
        <translation>Ausgewählt: %1</translation>
    </message>
    <message>
        <source>Searching ...</source>
        <translation>Suche ...</translation>
    </message>
    <message>
        <source>Saving ...</source>
        <translation>Speichern ...</translation>
    </message>
</context>
<context>
    <name>pellimar::TipsDialog</name>
    <message>
        <source>Tips!</source>
        <translation>Tipps!</translation>
    </message>
    <message>
        <source>What can Pellimar do for you?</source>
        <translation>Was kann Pellimar für Sie tun?</translation>
    </message>
    <message>
        <source>Tip</source>
        <translation>Tipp</translation>
    </message>
    <message>
        <source>Show tips when Pellimar starts up.</source>
        <translation>Tipps beim Start zeigen.</translation>
    </message>
    <message>
        <source>&amp;Next</source>
        <translation>&amp;Weiter</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <source>

 Welcome to Pellimar!</source>
        <translation>

 Willkommen bei Pellimar!</translation>
    </message>
    <message>
        <source>No tips today: the file tips.dat is missing or empty.</source>
        <translation>Heute keine Tipps: Die Datei tips.dat fehlt oder ist leer.</translation>
    </message>
    <message>
        <source>tips.dat</source>
        <comment>the file of the tips in this language</comment>
        <translation>tips_de.dat</translation>
    </message>
</context>
<context>
    <name>pellimar::WorkController</name>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Stop reading files (Esc); the icons found so far stay</source>
        <translation>Das Lesen der Dateien beenden (Esc); die bisher gefundenen Symbole bleiben</translation>
    </message>
    <message>
        <source>Stopping ...</source>
        <translation>Wird beendet ...</translation>
    </message>
</context>
</TS>
