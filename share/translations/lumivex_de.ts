<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>Dialogs</name>
    <message>
        <source>Lumivex</source>
        <translation>Lumivex</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Speichern unter</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Farbe</translation>
    </message>
    <message>
        <source>Choose Folder</source>
        <translation>Ordner wählen</translation>
    </message>
</context>
<context>
    <name>EditCommands</name>
    <message>
        <source>Change Setting</source>
        <translation>Einstellung ändern</translation>
    </message>
    <message>
        <source>Change Option</source>
        <translation>Option ändern</translation>
    </message>
    <message>
        <source>Change Item</source>
        <translation>Element ändern</translation>
    </message>
    <message>
        <source>Change Items</source>
        <translation>Elemente ändern</translation>
    </message>
    <message>
        <source>Insert</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Move Up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Move Down</source>
        <translation>Nach unten</translation>
    </message>
    <message>
        <source>Add Photo</source>
        <translation>Foto hinzufügen</translation>
    </message>
    <message>
        <source>Move</source>
        <translation>Verschieben</translation>
    </message>
    <message numerus="yes">
        <source>Add %n Photos</source>
        <translation>
            <numerusform>%n Foto hinzufügen</numerusform>
            <numerusform>%n Fotos hinzufügen</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ErrorReport</name>
    <message>
        <source>An unexpected error occurred.</source>
        <translation>Ein unerwarteter Fehler ist aufgetreten.</translation>
    </message>
</context>
<context>
    <name>MainForm</name>
    <message>
        <source>Lumivex</source>
        <translation>Lumivex</translation>
    </message>
    <message>
        <source>Add, remove or move items by right-clicking the mouse.</source>
        <translation>Elemente mit der rechten Maustaste einfügen, löschen oder verschieben.</translation>
    </message>
    <message>
        <source>Slides</source>
        <translation>Folien</translation>
    </message>
    <message>
        <source>Script</source>
        <translation>Skript</translation>
    </message>
    <message>
        <source>Settings of the whole slideshow</source>
        <translation>Einstellungen der ganzen Diashow</translation>
    </message>
    <message>
        <source>Slideshow</source>
        <translation>Diashow</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>The slideshow&apos;s name: letters, digits and &quot;_&quot;, not starting with a digit</source>
        <translation>Der Name der Diashow: Buchstaben, Ziffern und „_“, nicht mit einer Ziffer am Anfang</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Farbe</translation>
    </message>
    <message>
        <source>Background Color</source>
        <translation>Hintergrundfarbe</translation>
    </message>
    <message>
        <source>T</source>
        <translation>T</translation>
    </message>
    <message>
        <source>Transparent</source>
        <translation>Transparent</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Breite</translation>
    </message>
    <message>
        <source> px</source>
        <translation> px</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Höhe</translation>
    </message>
    <message>
        <source>Z-Index</source>
        <translation>Z-Index</translation>
    </message>
    <message>
        <source>Help on &quot;Slideshow&quot;</source>
        <translation>Hilfe zu „Diashow“</translation>
    </message>
    <message>
        <source>Help on Slideshow</source>
        <translation>Hilfe zu Diashow</translation>
    </message>
    <message>
        <source>Effects</source>
        <translation>Effekte</translation>
    </message>
    <message>
        <source>Image Rotation Delay</source>
        <translation>Standzeit je Bild</translation>
    </message>
    <message>
        <source> ms</source>
        <translation> ms</translation>
    </message>
    <message>
        <source>Image Transition Duration</source>
        <translation>Dauer des Bildwechsels</translation>
    </message>
    <message>
        <source>Image Transition Steps</source>
        <translation>Schritte des Bildwechsels</translation>
    </message>
    <message>
        <source>Help on &quot;Effects&quot;</source>
        <translation>Hilfe zu „Effekte“</translation>
    </message>
    <message>
        <source>Help on Effects</source>
        <translation>Hilfe zu Effekte</translation>
    </message>
    <message>
        <source>Loading Page</source>
        <translation>Ladeseite</translation>
    </message>
    <message>
        <source>Indicator Image</source>
        <translation>Ladebild</translation>
    </message>
    <message>
        <source>The picture shown while the slideshow loads</source>
        <translation>Das Bild, das erscheint, solange die Diashow lädt</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Choose the loading indicator image</source>
        <translation>Das Ladebild wählen</translation>
    </message>
    <message>
        <source>Help on &quot;Loading Page&quot;</source>
        <translation>Hilfe zu „Ladeseite“</translation>
    </message>
    <message>
        <source>Help on Loading Page</source>
        <translation>Hilfe zu Ladeseite</translation>
    </message>
    <message>
        <source>Web Output</source>
        <translation>Web-Ausgabe</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Ausgabe</translation>
    </message>
    <message>
        <source>Classic: the page as earlier versions publish it. Modern: sharp slides on high-density screens, AVIF images, a box that shrinks to fit phones, swipe and arrow keys</source>
        <translation>Klassisch: die Seite, wie frühere Versionen sie veröffentlichen. Modern: scharfe Folien auf hochauflösenden Bildschirmen, AVIF-Bilder, ein Kasten, der sich an Telefone anpasst, Wischen und Pfeiltasten</translation>
    </message>
    <message>
        <source>Classic</source>
        <translation>Klassisch</translation>
    </message>
    <message>
        <source>Modern</source>
        <translation>Modern</translation>
    </message>
    <message>
        <source>Help on &quot;Web Output&quot;</source>
        <translation>Hilfe zu „Web-Ausgabe“</translation>
    </message>
    <message>
        <source>Help on Web Output</source>
        <translation>Hilfe zu Web-Ausgabe</translation>
    </message>
    <message>
        <source>Look</source>
        <translation>Aussehen</translation>
    </message>
    <message>
        <source>Slide fit</source>
        <translation>Einpassung</translation>
    </message>
    <message>
        <source>Fit: each photo whole inside the box. Fill: every slide the box&apos;s size, cropped around the photo&apos;s point of interest</source>
        <translation>Einpassen: jedes Foto ganz im Kasten. Füllen: jede Folie in Kastengröße, um den Blickpunkt des Fotos beschnitten</translation>
    </message>
    <message>
        <source>Slide Fit</source>
        <translation>Einpassung</translation>
    </message>
    <message>
        <source>Fit</source>
        <translation>Einpassen</translation>
    </message>
    <message>
        <source>Fill</source>
        <translation>Füllen</translation>
    </message>
    <message>
        <source>Transition</source>
        <translation>Übergang</translation>
    </message>
    <message>
        <source>How one slide gives way to the next</source>
        <translation>Wie eine Folie der nächsten weicht</translation>
    </message>
    <message>
        <source>Fade</source>
        <translation>Überblenden</translation>
    </message>
    <message>
        <source>Slide</source>
        <translation>Schieben</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>Zoomen</translation>
    </message>
    <message>
        <source>Navigation</source>
        <translation>Navigation</translation>
    </message>
    <message>
        <source>Previous and next buttons, and a dot for each slide, for visitors with a mouse or a finger</source>
        <translation>Schaltflächen für zurück und weiter und ein Punkt je Folie, für Besucher mit Maus oder Finger</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keine</translation>
    </message>
    <message>
        <source>Arrows</source>
        <translation>Pfeile</translation>
    </message>
    <message>
        <source>Arrows and dots</source>
        <translation>Pfeile und Punkte</translation>
    </message>
    <message>
        <source>Help on &quot;Look&quot;</source>
        <translation>Hilfe zu „Aussehen“</translation>
    </message>
    <message>
        <source>Help on Look</source>
        <translation>Hilfe zu Aussehen</translation>
    </message>
    <message>
        <source>Slide Info</source>
        <translation>Bildinfo</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Automatisch</translation>
    </message>
    <message>
        <source>Text Indent</source>
        <translation>Texteinzug</translation>
    </message>
    <message>
        <source>Opacity</source>
        <translation>Deckkraft</translation>
    </message>
    <message>
        <source> %</source>
        <translation> %</translation>
    </message>
    <message>
        <source>Help on &quot;Slide Info&quot;</source>
        <translation>Hilfe zu „Bildinfo“</translation>
    </message>
    <message>
        <source>Help on Slide Info</source>
        <translation>Hilfe zu Bildinfo</translation>
    </message>
    <message>
        <source>Slide Info Effect</source>
        <translation>Bildinfo-Effekt</translation>
    </message>
    <message>
        <source>Sliding Duration</source>
        <translation>Dauer des Einschiebens</translation>
    </message>
    <message>
        <source>Sliding Steps</source>
        <translation>Schritte des Einschiebens</translation>
    </message>
    <message>
        <source>Delay Show</source>
        <translation>Verzögerung Einblenden</translation>
    </message>
    <message>
        <source>Delay Hide</source>
        <translation>Verzögerung Ausblenden</translation>
    </message>
    <message>
        <source>Help on &quot;Slide Info Effect&quot;</source>
        <translation>Hilfe zu „Bildinfo-Effekt“</translation>
    </message>
    <message>
        <source>Help on Slide Info Effect</source>
        <translation>Hilfe zu Bildinfo-Effekt</translation>
    </message>
    <message>
        <source>Slide Info Title</source>
        <translation>Bildinfo-Titel</translation>
    </message>
    <message>
        <source>Font</source>
        <translation>Schrift</translation>
    </message>
    <message>
        <source>Font Family</source>
        <translation>Schriftart</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Font Size</source>
        <translation>Schriftgröße</translation>
    </message>
    <message>
        <source>Text Color</source>
        <translation>Textfarbe</translation>
    </message>
    <message>
        <source>Bold</source>
        <translation>Fett</translation>
    </message>
    <message>
        <source>Italic</source>
        <translation>Kursiv</translation>
    </message>
    <message>
        <source>U</source>
        <translation>U</translation>
    </message>
    <message>
        <source>Underline</source>
        <translation>Unterstrichen</translation>
    </message>
    <message>
        <source>Padding-Left</source>
        <translation>Innenabstand links</translation>
    </message>
    <message>
        <source>Help on &quot;Slide Info Title&quot;</source>
        <translation>Hilfe zu „Bildinfo-Titel“</translation>
    </message>
    <message>
        <source>Help on Slide Info Title</source>
        <translation>Hilfe zu Bildinfo-Titel</translation>
    </message>
    <message>
        <source>Slide Info Description</source>
        <translation>Bildinfo-Beschreibung</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>Rechts</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>Oben</translation>
    </message>
    <message>
        <source>Bottom</source>
        <translation>Unten</translation>
    </message>
    <message>
        <source>Help on &quot;Slide Info Description&quot;</source>
        <translation>Hilfe zu „Bildinfo-Beschreibung“</translation>
    </message>
    <message>
        <source>Help on Slide Info Description</source>
        <translation>Hilfe zu Bildinfo-Beschreibung</translation>
    </message>
    <message>
        <source>Item</source>
        <translation>Element</translation>
    </message>
    <message>
        <source>Original Image Path</source>
        <translation>Pfad des Originalbilds</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>Bild</translation>
    </message>
    <message>
        <source>The photo or picture this slide shows</source>
        <translation>Das Foto oder Bild, das diese Folie zeigt</translation>
    </message>
    <message>
        <source>Choose the slide&apos;s image</source>
        <translation>Das Bild der Folie wählen</translation>
    </message>
    <message>
        <source>Help on &quot;Original Image Path&quot;</source>
        <translation>Hilfe zu „Pfad des Originalbilds“</translation>
    </message>
    <message>
        <source>Help on Original Image Path</source>
        <translation>Hilfe zu Pfad des Originalbilds</translation>
    </message>
    <message>
        <source>Link</source>
        <translation>Link</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>Where a click on the slide leads</source>
        <translation>Wohin ein Klick auf die Folie führt</translation>
    </message>
    <message>
        <source>Link to a page on this computer</source>
        <translation>Link auf eine Seite auf diesem Rechner</translation>
    </message>
    <message>
        <source>Target</source>
        <translation>Ziel</translation>
    </message>
    <message>
        <source>The window or frame the link opens in</source>
        <translation>Das Fenster oder der Rahmen, in dem der Link sich öffnet</translation>
    </message>
    <message>
        <source>Help on &quot;Link&quot;</source>
        <translation>Hilfe zu „Link“</translation>
    </message>
    <message>
        <source>Help on Link</source>
        <translation>Hilfe zu Link</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>The caption&apos;s title</source>
        <translation>Der Titel der Bildunterschrift</translation>
    </message>
    <message>
        <source>Desc</source>
        <translation>Beschr.</translation>
    </message>
    <message>
        <source>The caption&apos;s description</source>
        <translation>Die Beschreibung der Bildunterschrift</translation>
    </message>
    <message>
        <source>Tooltip</source>
        <translation>Kurzinfo</translation>
    </message>
    <message>
        <source>Shown when the pointer rests on the slide</source>
        <translation>Erscheint, wenn der Mauszeiger auf der Folie ruht</translation>
    </message>
    <message>
        <source>Help on &quot;Tooltip&quot;</source>
        <translation>Hilfe zu „Kurzinfo“</translation>
    </message>
    <message>
        <source>Help on Tooltip</source>
        <translation>Hilfe zu Kurzinfo</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
    <message>
        <source>Path Replacement for Publishing</source>
        <translation>Pfadersetzung beim Veröffentlichen</translation>
    </message>
    <message>
        <source>If item&apos;s URL contains either local or web path you specified here, one path will be replaced by another depending on the choice below. Local path will be replaced by web path for uploading if you need to upload the menu to web server to test or publish. </source>
        <translation>Enthält die URL eines Elements den hier angegebenen lokalen Pfad oder Webpfad, wird je nach Auswahl unten der eine durch den anderen ersetzt. Zum Hochladen auf den Webserver, zum Testen oder Veröffentlichen, wird der lokale Pfad durch den Webpfad ersetzt. </translation>
    </message>
    <message>
        <source>Root Directory for Local Computer</source>
        <translation>Stammordner auf dem lokalen Rechner</translation>
    </message>
    <message>
        <source>e.g. file:///home/me/site/</source>
        <translation>z. B. file:///home/ich/site/</translation>
    </message>
    <message>
        <source>The site&apos;s folder on this computer, as a file URL</source>
        <translation>Der Ordner der Website auf diesem Rechner, als Datei-URL</translation>
    </message>
    <message>
        <source>Root Directory for Web Server</source>
        <translation>Stammordner auf dem Webserver</translation>
    </message>
    <message>
        <source>e.g. http://www.example.com/</source>
        <translation>z. B. http://www.example.com/</translation>
    </message>
    <message>
        <source>The site&apos;s address on the web server</source>
        <translation>Die Adresse der Website auf dem Webserver</translation>
    </message>
    <message>
        <source>Test on Local Computer (Convert to Local Path)</source>
        <translation>Auf dem lokalen Rechner testen (in lokalen Pfad umwandeln)</translation>
    </message>
    <message>
        <source>Upload to Web Server (Convert to Web Path)</source>
        <translation>Auf den Webserver hochladen (in Webpfad umwandeln)</translation>
    </message>
    <message>
        <source>The leading path is the web folder put in front of the slide image file names. Leave it blank for testing (preview) locally.</source>
        <translation>Der vorangestellte Pfad ist der Webordner vor den Dateinamen der Folienbilder. Zum lokalen Testen (Vorschau) leer lassen.</translation>
    </message>
    <message>
        <source>The web folder of the slide images</source>
        <translation>Der Webordner der Folienbilder</translation>
    </message>
    <message>
        <source>Image Leading Path</source>
        <translation>Vorangestellter Bildpfad</translation>
    </message>
    <message>
        <source>Help on &quot;Path Replacement for Publishing&quot;</source>
        <translation>Hilfe zu „Pfadersetzung beim Veröffentlichen“</translation>
    </message>
    <message>
        <source>Help on Path Replacement for Publishing</source>
        <translation>Hilfe zu Pfadersetzung beim Veröffentlichen</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Recent Files</source>
        <translation>&amp;Zuletzt geöffnet</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Item</source>
        <translation>&amp;Element</translation>
    </message>
    <message>
        <source>&amp;Script</source>
        <translation>&amp;Skript</translation>
    </message>
    <message>
        <source>&amp;Option</source>
        <translation>&amp;Optionen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Items</source>
        <translation>Elemente</translation>
    </message>
    <message>
        <source>Tool Bar</source>
        <translation>Werkzeugleiste</translation>
    </message>
    <message>
        <source>&amp;New...</source>
        <translation>&amp;Neu...</translation>
    </message>
    <message>
        <source>Ctrl+N</source>
        <translation>Ctrl+N</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>Ö&amp;ffnen...</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>Ctrl+S</source>
        <translation>Ctrl+S</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Speichern &amp;unter...</translation>
    </message>
    <message>
        <source>Ctrl+Shift+S</source>
        <translation>Ctrl+Shift+S</translation>
    </message>
    <message>
        <source>&amp;Publish to Server...</source>
        <translation>Auf Se&amp;rver veröffentlichen...</translation>
    </message>
    <message>
        <source>Publish the slideshow to a web server over SFTP, sending only what changed</source>
        <translation>Die Diashow über SFTP auf einem Webserver veröffentlichen und nur Geändertes senden</translation>
    </message>
    <message>
        <source>&amp;Templates</source>
        <translation>&amp;Vorlagen</translation>
    </message>
    <message>
        <source>Open predefine templets</source>
        <translation>Vorgefertigte Vorlagen öffnen</translation>
    </message>
    <message>
        <source>Save As Te&amp;mplate</source>
        <translation>Als Vorl&amp;age speichern</translation>
    </message>
    <message>
        <source>&amp;Import Menu Structure</source>
        <translation>Menüstruktur &amp;importieren</translation>
    </message>
    <message>
        <source>&amp;Export Menu Structure</source>
        <translation>Menüstruktur &amp;exportieren</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation>Ctrl+Q</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>Ctrl+Z</source>
        <translation>Ctrl+Z</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Wiederholen</translation>
    </message>
    <message>
        <source>Ctrl+Shift+Z</source>
        <translation>Ctrl+Shift+Z</translation>
    </message>
    <message>
        <source>&amp;Tool Bar</source>
        <translation>&amp;Werkzeugleiste</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>&amp;Statusleiste</translation>
    </message>
    <message>
        <source>&amp;Preview Window</source>
        <translation>&amp;Vorschaufenster</translation>
    </message>
    <message>
        <source>Add &amp;Photos...</source>
        <translation>&amp;Fotos hinzufügen...</translation>
    </message>
    <message>
        <source>Add photos as new items, many at once</source>
        <translation>Fotos als neue Elemente hinzufügen, viele auf einmal</translation>
    </message>
    <message>
        <source>Ctrl+Shift+I</source>
        <translation>Ctrl+Shift+I</translation>
    </message>
    <message>
        <source>I&amp;nsert</source>
        <translation>&amp;Einfügen</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>Move &amp;Up</source>
        <translation>Nach &amp;oben</translation>
    </message>
    <message>
        <source>Move Do&amp;wn</source>
        <translation>Nach &amp;unten</translation>
    </message>
    <message>
        <source>&amp;Preview</source>
        <translation>&amp;Vorschau</translation>
    </message>
    <message>
        <source>Ctrl+P</source>
        <translation>Ctrl+P</translation>
    </message>
    <message>
        <source>Build &amp;HTML...</source>
        <translation>&amp;HTML erzeugen...</translation>
    </message>
    <message>
        <source>Pu&amp;blish...</source>
        <translation>Ver&amp;öffentlichen...</translation>
    </message>
    <message>
        <source>Web &amp;Browser...</source>
        <translation>Web&amp;browser...</translation>
    </message>
    <message>
        <source>Help &amp;Topics</source>
        <translation>Hilfe&amp;themen</translation>
    </message>
    <message>
        <source>View &amp;Sample...</source>
        <translation>&amp;Beispiel ansehen...</translation>
    </message>
    <message>
        <source>&amp;Homepage</source>
        <translation>&amp;Homepage</translation>
    </message>
    <message>
        <source>&amp;Contact Us</source>
        <translation>&amp;Kontakt</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;Über</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Neu</translation>
    </message>
    <message>
        <source>Create a new project</source>
        <translation>Ein neues Projekt anlegen</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Open a project from the file that you saved before</source>
        <translation>Ein Projekt aus einer früher gespeicherten Datei öffnen</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Save the current project to a file</source>
        <translation>Das aktuelle Projekt in eine Datei speichern</translation>
    </message>
    <message>
        <source>Insert</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Insert a new item</source>
        <translation>Ein neues Element einfügen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Delete selected item</source>
        <translation>Das gewählte Element löschen</translation>
    </message>
    <message>
        <source>Move Up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Move the selected item up</source>
        <translation>Das gewählte Element nach oben schieben</translation>
    </message>
    <message>
        <source>Move Down</source>
        <translation>Nach unten</translation>
    </message>
    <message>
        <source>Move the selected item down</source>
        <translation>Das gewählte Element nach unten schieben</translation>
    </message>
    <message>
        <source>Build HTML</source>
        <translation>HTML erzeugen</translation>
    </message>
    <message>
        <source>Build the HTML code</source>
        <translation>Den HTML-Code erzeugen</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>preview the applet in web browser</source>
        <translation>Vorschau im Webbrowser</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Show help document</source>
        <translation>Die Hilfe zeigen</translation>
    </message>
    <message>
        <source>&amp;Find Missing Photos...</source>
        <translation>Fehlende Fotos &amp;suchen...</translation>
    </message>
    <message>
        <source>Relink the photos that moved, from a folder you pick</source>
        <translation>Verschobene Fotos aus einem gewählten Ordner neu verknüpfen</translation>
    </message>
    <message>
        <source>&amp;Find and Replace...</source>
        <translation>&amp;Suchen und Ersetzen...</translation>
    </message>
    <message>
        <source>Replace a text in every slide&apos;s title, description, tooltip and link</source>
        <translation>Einen Text in Titel, Beschreibung, Tooltip und Link jeder Folie ersetzen</translation>
    </message>
    <message>
        <source>Ctrl+H</source>
        <translation>Ctrl+H</translation>
    </message>
    <message>
        <source>Focal Point</source>
        <translation>Blickpunkt</translation>
    </message>
    <message>
        <source>Click where the subject is; Delete finds it again</source>
        <translation>Klicken Sie auf das Motiv; Entf sucht es wieder selbst</translation>
    </message>
    <message>
        <source>Help on &quot;Focal Point&quot;</source>
        <translation>Hilfe zu „Blickpunkt“</translation>
    </message>
    <message>
        <source>Help on Focal Point</source>
        <translation>Hilfe zu Blickpunkt</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatisch</translation>
    </message>
    <message>
        <source>Let the focal point be found in the photo</source>
        <translation>Den Blickpunkt im Foto finden lassen</translation>
    </message>
    <message>
        <source>Filled slides keep it in view; Zoom moves towards it.</source>
        <translation>Füllende Folien behalten ihn im Bild; Zoom fährt auf ihn zu.</translation>
    </message>
</context>
<context>
    <name>Progress</name>
    <message>
        <source>Loading Data ... ...</source>
        <translation>Daten werden geladen ... ...</translation>
    </message>
    <message>
        <source>Saving Data ... ...</source>
        <translation>Daten werden gespeichert ... ...</translation>
    </message>
    <message>
        <source>Making HTML Codes ... ...</source>
        <translation>HTML-Code wird erzeugt ... ...</translation>
    </message>
    <message>
        <source>Copying Resource Files ... ...</source>
        <translation>Ressourcendateien werden kopiert ... ...</translation>
    </message>
    <message>
        <source>Copying Publishable Files ... ...</source>
        <translation>Dateien zum Veröffentlichen werden kopiert ... ...</translation>
    </message>
    <message>
        <source>Making Publish Report ... ...</source>
        <translation>Veröffentlichungsbericht wird erstellt ... ...</translation>
    </message>
    <message>
        <source>Adding Photos ... ...</source>
        <translation>Fotos werden hinzugefügt ... ...</translation>
    </message>
</context>
<context>
    <name>Shell</name>
    <message>
        <source>No program could be started to show &quot;%1&quot;. Set a default web browser for your desktop, or open it yourself.</source>
        <translation>Es konnte kein Programm gestartet werden, um „%1“ anzuzeigen. Legen Sie einen Standard-Webbrowser für Ihren Desktop fest oder öffnen Sie es selbst.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be started to show &quot;%2&quot;.</source>
        <translation>„%1“ konnte nicht gestartet werden, um „%2“ anzuzeigen.</translation>
    </message>
</context>
<context>
    <name>TformAbout</name>
    <message>
        <source>Lumivex</source>
        <translation>Lumivex</translation>
    </message>
    <message>
        <source>Version 1.0</source>
        <translation>Version 1.0</translation>
    </message>
    <message>
        <source>Web Site</source>
        <translation>Website</translation>
    </message>
    <message>
        <source>Tech Support</source>
        <translation>Technischer Support</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>TformHTML</name>
    <message>
        <source>HTML</source>
        <translation>HTML</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Copy to Clipboard</source>
        <translation>In die Zwischenablage &amp;kopieren</translation>
    </message>
</context>
<context>
    <name>TformWebBrowser</name>
    <message>
        <source>Web Browser</source>
        <translation>Webbrowser</translation>
    </message>
    <message>
        <source>Use Default Browser</source>
        <translation>Standardbrowser verwenden</translation>
    </message>
    <message>
        <source>Use Known Browser in System</source>
        <translation>Einen im System bekannten Browser verwenden</translation>
    </message>
    <message>
        <source>User Specified Browser Program</source>
        <translation>Selbst gewähltes Browserprogramm</translation>
    </message>
    <message>
        <source>Execute File:</source>
        <translation>Programmdatei:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>TfrmFindReplace</name>
    <message>
        <source>Find and Replace</source>
        <translation>Suchen und Ersetzen</translation>
    </message>
    <message>
        <source>&amp;Find</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message>
        <source>Replace &amp;with</source>
        <translation>&amp;Ersetzen durch</translation>
    </message>
    <message>
        <source>&amp;Match case</source>
        <translation>&amp;Groß-/Kleinschreibung beachten</translation>
    </message>
    <message>
        <source>Titles, descriptions, tooltips and links of every slide.</source>
        <translation>Titel, Beschreibungen, Tooltips und Links aller Folien.</translation>
    </message>
    <message>
        <source>Replace &amp;All</source>
        <translation>&amp;Alle ersetzen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>TfrmHelp</name>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
</context>
<context>
    <name>TfrmMsgBox_LinkTip</name>
    <message>
        <source>Important!</source>
        <translation>Wichtig!</translation>
    </message>
    <message>
        <source>Local link may not work for security reason. Please click the &apos;?&apos; book icon within link group to learn more details.</source>
        <translation>Lokale Links funktionieren aus Sicherheitsgründen vielleicht nicht. Mehr dazu unter dem Buchsymbol „?“ in der Gruppe „Link“.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Do not show this dialog again.</source>
        <translation>Diesen Dialog nicht mehr zeigen.</translation>
    </message>
</context>
<context>
    <name>TfrmPreview</name>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Auto Refresh</source>
        <translation>Automatisch aktualisieren</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Preview size</source>
        <translation>Vorschaugröße</translation>
    </message>
    <message>
        <source>The width the slideshow is seen at</source>
        <translation>Die Breite, in der die Diashow zu sehen ist</translation>
    </message>
    <message>
        <source>Desktop</source>
        <translation>Desktop</translation>
    </message>
    <message>
        <source>Tablet</source>
        <translation>Tablet</translation>
    </message>
    <message>
        <source>Phone</source>
        <translation>Telefon</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
</context>
<context>
    <name>TfrmPublishReport</name>
    <message>
        <source>Applet Publish Report</source>
        <translation>Veröffentlichungsbericht</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>TfrmPublishToServer</name>
    <message>
        <source>Publish to Server</source>
        <translation>Auf Server veröffentlichen</translation>
    </message>
    <message>
        <source>The slideshow is published, then sent over SFTP: only the files that changed since the last upload go up, and the page last.</source>
        <translation>Die Diashow wird veröffentlicht und dann über SFTP gesendet: nur die seit dem letzten Hochladen geänderten Dateien, und die Seite zuletzt.</translation>
    </message>
    <message>
        <source>&amp;Server:</source>
        <translation>&amp;Server:</translation>
    </message>
    <message>
        <source>host name or host:port</source>
        <translation>Rechnername oder Rechner:Port</translation>
    </message>
    <message>
        <source>&amp;Folder:</source>
        <translation>&amp;Ordner:</translation>
    </message>
    <message>
        <source>/var/www/show, or ~/public_html/show</source>
        <translation>/var/www/show oder ~/public_html/show</translation>
    </message>
    <message>
        <source>&amp;User:</source>
        <translation>&amp;Benutzer:</translation>
    </message>
    <message>
        <source>from ~/.ssh/config, else your login name</source>
        <translation>aus ~/.ssh/config, sonst Ihr Anmeldename</translation>
    </message>
    <message>
        <source>The server&apos;s key is checked against ~/.ssh/known_hosts. Your SSH agent, keys and ~/.ssh/config log you in; a password is asked when the server wants one and kept only in the desktop keyring.</source>
        <translation>Der Schlüssel des Servers wird mit ~/.ssh/known_hosts verglichen. Ihr SSH-Agent, Ihre Schlüssel und ~/.ssh/config melden Sie an; ein Passwort wird erfragt, wenn der Server eines verlangt, und nur im Schlüsselbund des Desktops aufbewahrt.</translation>
    </message>
</context>
<context>
    <name>TfrmTemplatePreview</name>
    <message>
        <source>Template Preview</source>
        <translation>Vorlagenvorschau</translation>
    </message>
    <message>
        <source>Preparing the preview…</source>
        <translation>Die Vorschau wird vorbereitet…</translation>
    </message>
    <message>
        <source>Cannot create %1</source>
        <translation>%1 lässt sich nicht anlegen</translation>
    </message>
    <message>
        <source>This template cannot be read.</source>
        <translation>Diese Vorlage kann nicht gelesen werden.</translation>
    </message>
</context>
<context>
    <name>TfrmTemplet</name>
    <message>
        <source>Template</source>
        <translation>Vorlage</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Click OK to open selected template or cancel to create a new project.</source>
        <translation>OK öffnet die gewählte Vorlage, Abbrechen legt ein neues Projekt an.</translation>
    </message>
    <message>
        <source>Do not show this dialog again.</source>
        <translation>Diesen Dialog nicht mehr zeigen.</translation>
    </message>
    <message>
        <source>%1: %2 x %3 px</source>
        <translation>%1: %2 x %3 px</translation>
    </message>
</context>
<context>
    <name>lumivex::ui::BackgroundPublish</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Stop the publish (Esc)</source>
        <translation>Das Veröffentlichen anhalten (Esc)</translation>
    </message>
</context>
<context>
    <name>lumivex::ui::FocalPointPicker</name>
    <message>
        <source>No photo</source>
        <translation>Kein Foto</translation>
    </message>
    <message>
        <source>The photo cannot be shown.</source>
        <translation>Das Foto kann nicht angezeigt werden.</translation>
    </message>
    <message>
        <source>(mixed)</source>
        <translation>(gemischt)</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatisch</translation>
    </message>
</context>
<context>
    <name>lumivex::ui::PhotosIn</name>
    <message>
        <source>1 file was not added: it cannot be read as a picture.</source>
        <translation>1 Datei wurde nicht hinzugefügt: Sie lässt sich nicht als Bild lesen.</translation>
    </message>
    <message>
        <source>%1 files were not added: they cannot be read as pictures.</source>
        <translation>%1 Dateien wurden nicht hinzugefügt: Sie lassen sich nicht als Bilder lesen.</translation>
    </message>
    <message>
        <source>
... and %1 more.</source>
        <translation>
... und %1 weitere.</translation>
    </message>
    <message>
        <source>

The other %1 photos were added.</source>
        <translation>

Die übrigen %1 Fotos wurden hinzugefügt.</translation>
    </message>
    <message>
        <source>Photos (*.jpg;*.jpeg;*.png;*.webp;*.heic;*.heif;*.avif;*.gif;*.bmp)|*.jpg;*.jpeg;*.png;*.webp;*.heic;*.heif;*.avif;*.gif;*.bmp|All files (*)|*</source>
        <translation>Fotos (*.jpg;*.jpeg;*.png;*.webp;*.heic;*.heif;*.avif;*.gif;*.bmp)|*.jpg;*.jpeg;*.png;*.webp;*.heic;*.heif;*.avif;*.gif;*.bmp|Alle Dateien (*)|*</translation>
    </message>
    <message>
        <source>No photo of this project is missing.</source>
        <translation>In diesem Projekt fehlt kein Foto.</translation>
    </message>
    <message>
        <source>Looking for the missing photos ...</source>
        <translation>Fehlende Fotos werden gesucht ...</translation>
    </message>
    <message>
        <source>Find Missing Photos</source>
        <translation>Fehlende Fotos suchen</translation>
    </message>
    <message numerus="yes">
        <source>All %n missing photos were found in &quot;%1&quot; and relinked.</source>
        <translation>
            <numerusform>Das fehlende Foto wurde in „%1“ gefunden und neu verknüpft.</numerusform>
            <numerusform>Alle %n fehlenden Fotos wurden in „%1“ gefunden und neu verknüpft.</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 of %2 missing photos were found in &quot;%3&quot; and relinked; %4 were not found.</source>
        <translation>%1 von %2 fehlenden Fotos wurden in „%3“ gefunden und neu verknüpft; %4 wurden nicht gefunden.</translation>
    </message>
</context>
<context>
    <name>lumivex::ui::PreviewController</name>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Live Pre&amp;view</source>
        <translation>&amp;Live-Vorschau</translation>
    </message>
    <message>
        <source>No item to build. Please add item to left pane and try again.</source>
        <translation>Kein Element zum Erzeugen. Bitte links ein Element hinzufügen und es erneut versuchen.</translation>
    </message>
    <message>
        <source>Preview (slides to make: %1)</source>
        <translation>Vorschau (noch zu erzeugende Folien: %1)</translation>
    </message>
</context>
<context>
    <name>lumivex::ui::ProjectDocument</name>
    <message>
        <source>&quot;%1&quot; was not opened. %2</source>
        <translation>„%1“ wurde nicht geöffnet. %2</translation>
    </message>
    <message>
        <source>The project &quot;%1&quot; is incomplete. %2 What it holds is shown; Save asks before writing over the file.</source>
        <translation>Das Projekt „%1“ ist unvollständig. %2 Sein Inhalt wird gezeigt; Speichern fragt, bevor es die Datei überschreibt.</translation>
    </message>
    <message>
        <source>The project was opened, but the list of recent files could not be updated. %1</source>
        <translation>Das Projekt wurde geöffnet, aber die Liste der zuletzt geöffneten Dateien ließ sich nicht aktualisieren. %1</translation>
    </message>
    <message>
        <source>Save changes to files?</source>
        <translation>Änderungen in Dateien speichern?</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was incomplete when it was opened. Saving writes the project as it is shown over it. Save over it?</source>
        <translation>„%1“ war beim Öffnen unvollständig. Speichern überschreibt die Datei mit dem Projekt, wie es gezeigt wird. Überschreiben?</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was changed on disk since it was opened or last saved, perhaps by another program. Save over it, losing those changes?</source>
        <translation>„%1“ wurde seit dem Öffnen oder letzten Speichern auf dem Datenträger geändert, vielleicht von einem anderen Programm. Überschreiben und diese Änderungen verlieren?</translation>
    </message>
    <message>
        <source>Save changes to files before Exit?</source>
        <translation>Änderungen vor dem Beenden in Dateien speichern?</translation>
    </message>
    <message>
        <source>Lumivex Files (*.lvx)|*.lvx</source>
        <translation>Lumivex-Dateien (*.lvx)|*.lvx</translation>
    </message>
    <message>
        <source>General Menu Structure File (*.gms)|*.gms</source>
        <translation>Allgemeine Menüstruktur-Datei (*.gms)|*.gms</translation>
    </message>
</context>
<context>
    <name>lumivex::ui::PropertyBinder</name>
    <message>
        <source>The text can&apos;t include &quot;#$@&quot;, it is used by system!</source>
        <translation>Der Text darf „#$@“ nicht enthalten, das System verwendet es!</translation>
    </message>
    <message>
        <source>All Image Files(*.gif;*.jpg;*.jpeg)|*.gif;*.jpg;*.jpeg|GIF Image File (*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg</source>
        <translation>Alle Bilddateien (*.gif;*.jpg;*.jpeg)|*.gif;*.jpg;*.jpeg|GIF-Bilddatei (*.gif)|*.gif|JPEG-Bilddatei (*.jpg)|*.jpg|JPEG-Bilddatei (*.jpeg)|*.jpeg</translation>
    </message>
    <message>
        <source>HTML files(*.htm;*.html)|*.htm;*.html|Any file (*.*)|*.*</source>
        <translation>HTML-Dateien (*.htm;*.html)|*.htm;*.html|Alle Dateien (*.*)|*.*</translation>
    </message>
    <message>
        <source>(mixed)</source>
        <translation>(gemischt)</translation>
    </message>
    <message>
        <source>Change Setting</source>
        <translation>Einstellung ändern</translation>
    </message>
    <message>
        <source>Typing %1</source>
        <translation>Eingabe %1</translation>
    </message>
    <message>
        <source>Change %1</source>
        <translation>%1 ändern</translation>
    </message>
</context>
<context>
    <name>lumivex::ui::Publisher</name>
    <message>
        <source>A publish is running already.</source>
        <translation>Eine Veröffentlichung läuft schon.</translation>
    </message>
</context>
<context>
    <name>lumivex::ui::RecoveryCopy</name>
    <message>
        <source>an untitled project</source>
        <translation>ein unbenanntes Projekt</translation>
    </message>
    <message>
        <source>Lumivex ended without saving the changes to %1. Restore them?

Yes restores them, No discards them, Cancel keeps them for the next start.</source>
        <translation>Lumivex wurde beendet, ohne die Änderungen an %1 zu speichern. Wiederherstellen?

Ja stellt sie wieder her, Nein verwirft sie, Abbrechen hebt sie für den nächsten Start auf.</translation>
    </message>
</context>
<context>
    <name>lumivex::ui::ServerUpload</name>
    <message>
        <source>Change Upload Destination</source>
        <translation>Ziel des Hochladens ändern</translation>
    </message>
    <message>
        <source>Upload Report</source>
        <translation>Bericht über das Hochladen</translation>
    </message>
    <message>
        <source>The upload was cancelled. The files on the server are as they were.</source>
        <translation>Das Hochladen wurde abgebrochen. Die Dateien auf dem Server sind unverändert.</translation>
    </message>
    <message>
        <source>The upload to %1 failed: %2</source>
        <translation>Das Hochladen nach %1 ist fehlgeschlagen: %2</translation>
    </message>
    <message>
        <source>Cannot create a staging folder in %1: %2</source>
        <translation>In %1 lässt sich kein Zwischenordner anlegen: %2</translation>
    </message>
</context>
<context>
    <name>lumivex::ui::SlideTexts</name>
    <message>
        <source>Replace &quot;%1&quot;</source>
        <translation>„%1“ ersetzen</translation>
    </message>
</context>
<context>
    <name>lumivex::ui::TMainForm</name>
    <message>
        <source>A publish is running. Stop it and close?</source>
        <translation>Eine Veröffentlichung läuft. Anhalten und schließen?</translation>
    </message>
    <message>
        <source>Lumivex</source>
        <translation>Lumivex</translation>
    </message>
</context>
<context>
    <name>lumivex::ui::TformAbout</name>
    <message>
        <source>Lumivex</source>
        <translation>Lumivex</translation>
    </message>
    <message>
        <source>Version 1.0</source>
        <translation>Version 1.0</translation>
    </message>
</context>
<context>
    <name>lumivex::ui::TformWebBrowser</name>
    <message>
        <source>All Files|*</source>
        <translation>Alle Dateien|*</translation>
    </message>
</context>
<context>
    <name>lumivex::ui::TfrmFindReplace</name>
    <message>
        <source>&quot;%1&quot; was not found.</source>
        <translation>„%1“ wurde nicht gefunden.</translation>
    </message>
    <message numerus="yes">
        <source>Replaced in %n slides.</source>
        <translation>
            <numerusform>In %n Folie ersetzt.</numerusform>
            <numerusform>In %n Folien ersetzt.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>lumivex::ui::TfrmPublishToServer</name>
    <message>
        <source>&amp;Publish</source>
        <translation>&amp;Veröffentlichen</translation>
    </message>
    <message>
        <source>The destination cannot be used: %1.</source>
        <translation>Das Ziel ist nicht verwendbar: %1.</translation>
    </message>
    <message>
        <source>Please enter the server to publish to.</source>
        <translation>Bitte den Server eingeben, auf dem veröffentlicht wird.</translation>
    </message>
    <message>
        <source>Please enter the folder on the server (&quot;~&quot; for your login folder).</source>
        <translation>Bitte den Ordner auf dem Server eingeben („~“ für Ihren Anmeldeordner).</translation>
    </message>
</context>
<context>
    <name>lumivex::ui::TfrmTemplatePreview</name>
    <message>
        <source>The preview cannot be shown.</source>
        <translation>Die Vorschau kann nicht angezeigt werden.</translation>
    </message>
    <message>
        <source>Preparing the preview…</source>
        <translation>Die Vorschau wird vorbereitet…</translation>
    </message>
    <message>
        <source>Cannot create %1</source>
        <translation>%1 lässt sich nicht anlegen</translation>
    </message>
</context>
<context>
    <name>lumivex::ui::TfrmTemplet</name>
    <message>
        <source>Cannot create %1</source>
        <translation>%1 lässt sich nicht anlegen</translation>
    </message>
</context>
<context>
    <name>lumivex::ui::TreePanel</name>
    <message>
        <source>Root item cannot be deleted.</source>
        <translation>Das Wurzelelement lässt sich nicht löschen.</translation>
    </message>
    <message>
        <source>Are you sure to delete this item and all its children?</source>
        <translation>Dieses Element und alle seine Unterelemente wirklich löschen?</translation>
    </message>
    <message numerus="yes">
        <source>Are you sure to delete these %n items and all their children?</source>
        <translation>
            <numerusform>Soll %n Element mit allen Unterelementen gelöscht werden?</numerusform>
            <numerusform>Sollen diese %n Elemente mit allen Unterelementen gelöscht werden?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Delete %n Items</source>
        <translation>
            <numerusform>%n Element löschen</numerusform>
            <numerusform>%n Elemente löschen</numerusform>
        </translation>
    </message>
    <message>
        <source>Move Up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Move Down</source>
        <translation>Nach unten</translation>
    </message>
    <message>
        <source>Move</source>
        <translation>Verschieben</translation>
    </message>
    <message numerus="yes">
        <source>Move %n Items</source>
        <translation>
            <numerusform>%n Element verschieben</numerusform>
            <numerusform>%n Elemente verschieben</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>lumivex::ui::UploadRun</name>
    <message>
        <source>Publish to Server</source>
        <translation>Auf Server veröffentlichen</translation>
    </message>
    <message>
        <source>Publishing to %1 ...</source>
        <translation>Veröffentlichen nach %1 ...</translation>
    </message>
    <message>
        <source>Cancelling; the files on the server stay as they were ...</source>
        <translation>Wird abgebrochen; die Dateien auf dem Server bleiben unverändert ...</translation>
    </message>
    <message>
        <source>
%1 of %2</source>
        <translation>
%1 von %2</translation>
    </message>
    <message>
        <source>, about %1 s left</source>
        <translation>, noch etwa %1 s</translation>
    </message>
    <message>
        <source>The server %1 is not known yet. It shows the %2 key

%3

Check this fingerprint with the server&apos;s administrator. Trust the key and add it to ~/.ssh/known_hosts?</source>
        <translation>Der Server %1 ist noch nicht bekannt. Er zeigt den %2-Schlüssel

%3

Prüfen Sie diesen Fingerabdruck mit dem Verwalter des Servers. Dem Schlüssel vertrauen und ihn in ~/.ssh/known_hosts aufnehmen?</translation>
    </message>
    <message>
        <source>The server refused the password. Password for %1:</source>
        <translation>Der Server hat das Passwort abgelehnt. Passwort für %1:</translation>
    </message>
    <message>
        <source>Password for %1:</source>
        <translation>Passwort für %1:</translation>
    </message>
    <message>
        <source>Published to %1</source>
        <translation>Veröffentlicht nach %1</translation>
    </message>
    <message>
        <source>[Sent]: %1 file(s), %2</source>
        <translation>[Gesendet]: %1 Datei(en), %2</translation>
    </message>
    <message>
        <source>[Removed]: %1 file(s) of an earlier upload</source>
        <translation>[Entfernt]: %1 Datei(en) eines früheren Hochladens</translation>
    </message>
    <message>
        <source>[Unchanged]: %1 file(s) already on the server</source>
        <translation>[Unverändert]: %1 Datei(en) schon auf dem Server</translation>
    </message>
    <message>
        <source>End of Upload Report</source>
        <translation>Ende des Berichts über das Hochladen</translation>
    </message>
    <message>
        <source>%1 KB</source>
        <translation>%1 KB</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
</context>
<context>
    <name>lumivex::ui::WindowSupport</name>
    <message>
        <source>Cannot write the setting &quot;%1&quot;.</source>
        <translation>Die Einstellung „%1“ lässt sich nicht schreiben.</translation>
    </message>
</context>
</TS>
