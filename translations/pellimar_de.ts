<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
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
        <source>Cannot show %1</source>
        <translation>%1 kann nicht gezeigt werden</translation>
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
        <source>no icons found in the folder</source>
        <translation>keine Symbole im Ordner gefunden</translation>
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
        <source>// File List</source>
        <translation>// Dateiliste</translation>
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
        <source>// Preview</source>
        <translation>// Vorschau</translation>
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
        <source>// Not saved</source>
        <translation>// Nicht gespeichert</translation>
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
