<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About Quendra Tools</source>
        <translation>Über Quendra Tools</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;body style=&quot;font-family:&apos;MS Shell Dlg&apos;; font-size:8.25pt;&quot;&gt;&lt;p&gt;&lt;span style=&quot;font-size:26pt; font-weight:600;&quot;&gt;Quendra Tool&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;body style=&quot;font-family:&apos;MS Shell Dlg&apos;; font-size:8.25pt;&quot;&gt;&lt;p&gt;&lt;span style=&quot;font-size:26pt; font-weight:600;&quot;&gt;Quendra Tool&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;body style=&quot;font-family:&apos;MS Shell Dlg&apos;; font-size:8.25pt;&quot;&gt;&lt;p&gt;&lt;span style=&quot;font-size:8pt;&quot;&gt;This software package offers computer vision tools for the analysis of vasculature.&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;body style=&quot;font-family:&apos;MS Shell Dlg&apos;; font-size:8.25pt;&quot;&gt;&lt;p&gt;&lt;span style=&quot;font-size:8pt;&quot;&gt;Dieses Softwarepaket bietet Werkzeuge des maschinellen Sehens für die Analyse von Gefäßsystemen.&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;body style=&quot;font-family:&apos;MS Shell Dlg&apos;; font-size:8.25pt;&quot;&gt;&lt;p&gt;&lt;b&gt;Authors:&lt;/b&gt; the Quendra Tool developers, a small team of engineers and vessel-imaging researchers.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;body style=&quot;font-family:&apos;MS Shell Dlg&apos;; font-size:8.25pt;&quot;&gt;&lt;p&gt;&lt;b&gt;Autoren:&lt;/b&gt; die Entwickler von Quendra Tool, ein kleines Team aus Ingenieuren und Forschenden der Gefäßbildgebung.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;body style=&quot;font-family:&apos;MS Shell Dlg&apos;; font-size:8.25pt;&quot;&gt;&lt;p&gt;With thanks to the imaging laboratories whose photographs and angiograms shaped the presets.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;body style=&quot;font-family:&apos;MS Shell Dlg&apos;; font-size:8.25pt;&quot;&gt;&lt;p&gt;Mit Dank an die Bildgebungslabore, deren Fotografien und Angiogramme die Voreinstellungen geprägt haben.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;body style=&quot;font-family:&apos;MS Shell Dlg&apos;; font-size:8.25pt;&quot;&gt;&lt;p&gt;&lt;b&gt;Programming:&lt;/b&gt; the contributors to the Quendra Tool project.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;body style=&quot;font-family:&apos;MS Shell Dlg&apos;; font-size:8.25pt;&quot;&gt;&lt;p&gt;&lt;b&gt;Programmierung:&lt;/b&gt; die Mitwirkenden des Projekts Quendra Tool.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;body style=&quot;font-family:&apos;MS Shell Dlg&apos;; font-size:8.25pt;&quot;&gt;&lt;p&gt;&lt;span style=&quot;font-size:8pt;&quot;&gt;Version %1&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;body style=&quot;font-family:&apos;MS Shell Dlg&apos;; font-size:8.25pt;&quot;&gt;&lt;p&gt;&lt;span style=&quot;font-size:8pt;&quot;&gt;Version %1&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CImgDoc</name>
    <message>
        <source>Save image</source>
        <translation>Bild speichern</translation>
    </message>
    <message>
        <source>Image not saved</source>
        <translation>Bild nicht gespeichert</translation>
    </message>
    <message>
        <source>The image could not be saved as %1: %2</source>
        <translation>Das Bild konnte nicht als %1 gespeichert werden: %2</translation>
    </message>
    <message>
        <source>Image %1</source>
        <translation>Bild %1</translation>
    </message>
    <message>
        <source>%1 - Image %2</source>
        <translation>%1 - Bild %2</translation>
    </message>
    <message>
        <source>%1 (%2%)</source>
        <translation>%1 (%2%)</translation>
    </message>
    <message>
        <source>16-bit PNG image (*.png)</source>
        <translation>PNG-Bild mit 16 Bit (*.png)</translation>
    </message>
    <message>
        <source>16-bit TIFF image (*.tif)</source>
        <translation>TIFF-Bild mit 16 Bit (*.tif)</translation>
    </message>
    <message>
        <source>CImg image of doubles (*.cimg)</source>
        <translation>CImg-Bild aus Gleitkommawerten (*.cimg)</translation>
    </message>
    <message>
        <source>PNG image (*.png)</source>
        <translation>PNG-Bild (*.png)</translation>
    </message>
    <message>
        <source>TIFF image (*.tif)</source>
        <translation>TIFF-Bild (*.tif)</translation>
    </message>
    <message>
        <source>BMP image (*.bmp)</source>
        <translation>BMP-Bild (*.bmp)</translation>
    </message>
    <message>
        <source>JPEG image (*.jpg)</source>
        <translation>JPEG-Bild (*.jpg)</translation>
    </message>
</context>
<context>
    <name>Dialog</name>
    <message>
        <source>Image navigation</source>
        <translation>Bildnavigation</translation>
    </message>
</context>
<context>
    <name>DlgSettings</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Sprache</translation>
    </message>
    <message>
        <source>Please choose:</source>
        <translation>Bitte wählen:</translation>
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
    <name>HelpBrowser</name>
    <message>
        <source>&amp;Home</source>
        <translation>&amp;Startseite</translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation>&amp;Zurück</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>&amp;Drucken</translation>
    </message>
    <message>
        <source>Help: %1</source>
        <translation>Hilfe: %1</translation>
    </message>
</context>
<context>
    <name>HystTDialog</name>
    <message>
        <source>Vessel Segmentation, Hysteresis Thresholding</source>
        <translation>Gefäßsegmentierung, Hysterese-Schwellwertverfahren</translation>
    </message>
    <message>
        <source>Top-Hat transformation</source>
        <translation>Zylinderhut-Transformation (Top-hat)</translation>
    </message>
    <message>
        <source>Disc size:</source>
        <translation>Scheibengröße:</translation>
    </message>
    <message>
        <source>pixel</source>
        <translation>Pixel</translation>
    </message>
    <message>
        <source>Calcluate vessel enhancement</source>
        <translation>Gefäßverstärkung berechnen</translation>
    </message>
    <message>
        <source>Threshold borders</source>
        <translation>Schwellwertgrenzen</translation>
    </message>
    <message>
        <source>Retina image: Vessel  coverge 6%, Background coverage 87%</source>
        <translation>Netzhautbild: Gefäßanteil 6 %, Hintergrundanteil 87 %</translation>
    </message>
    <message>
        <source>Skin transplant: Vessel coverage 3%, Background coverage 85%</source>
        <translation>Hauttransplantat: Gefäßanteil 3 %, Hintergrundanteil 85 %</translation>
    </message>
    <message>
        <source>Coronary angiogram: Vessel coverage 0.1%, Background coverage 84%</source>
        <translation>Koronarangiogramm: Gefäßanteil 0,1 %, Hintergrundanteil 84 %</translation>
    </message>
    <message>
        <source>Own values:</source>
        <translation>Eigene Werte:</translation>
    </message>
    <message>
        <source>Vessel coverage:</source>
        <translation>Gefäßanteil:</translation>
    </message>
    <message>
        <source>%</source>
        <translation>%</translation>
    </message>
    <message>
        <source>Background coverage:</source>
        <translation>Hintergrundanteil:</translation>
    </message>
    <message>
        <source>Calculate</source>
        <translation>Berechnen</translation>
    </message>
    <message>
        <source>&lt;b&gt;Reference image: %1&lt;/b&gt;</source>
        <translation>&lt;b&gt;Referenzbild: %1&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>MemoryEstimate</name>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>%1 GB</source>
        <translation>%1 GB</translation>
    </message>
    <message>
        <source>%1 needs about %2 of memory, and %3 are free</source>
        <translation>%1 braucht etwa %2 Speicher, und %3 sind frei</translation>
    </message>
</context>
<context>
    <name>FileWrite</name>
    <message>
        <source>it is a symbolic link; results are not written through links</source>
        <translation>es ist ein symbolischer Link; Ergebnisse werden nicht über Links geschrieben</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>es ist keine gewöhnliche Datei</translation>
    </message>
</context>
<context>
    <name>ImageIO</name>
    <message>
        <source>The file %1 could not be opened as an image: %2</source>
        <translation>Die Datei %1 konnte nicht als Bild geöffnet werden: %2</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>es handelt sich um einen Ordner</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>es handelt sich nicht um eine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>the file does not exist</source>
        <translation>die Datei existiert nicht</translation>
    </message>
    <message>
        <source>the picture is too large (%1 x %2 pixels)</source>
        <translation>das Bild ist zu groß (%1 x %2 Pixel)</translation>
    </message>
    <message>
        <source>not enough memory</source>
        <translation>nicht genügend Arbeitsspeicher</translation>
    </message>
    <message>
        <source>Open image</source>
        <translation>Bild öffnen</translation>
    </message>
    <message>
        <source>Open &amp; convert to grayscale ...</source>
        <translation>Öffnen &amp; in Graustufen umwandeln ...</translation>
    </message>
    <message>
        <source>it holds no pixels</source>
        <translation>sie enthält keine Pixel</translation>
    </message>
    <message>
        <source>only two-dimensional gray images are supported</source>
        <translation>nur zweidimensionale Graustufenbilder werden unterstützt</translation>
    </message>
    <message>
        <source>the file ends before its picture does (it may be truncated)</source>
        <translation>die Datei endet vor dem Ende ihres Bildes (sie ist möglicherweise abgeschnitten)</translation>
    </message>
    <message>
        <source>it has no CImg header</source>
        <translation>sie hat keinen CImg-Header</translation>
    </message>
    <message>
        <source>its pixel type &quot;%1&quot; is not supported</source>
        <translation>ihr Pixeltyp „%1“ wird nicht unterstützt</translation>
    </message>
    <message>
        <source>it names an invalid image size</source>
        <translation>sie gibt eine ungültige Bildgröße an</translation>
    </message>
    <message>
        <source>the picture is too large (%1 x %2 x %3 x %4 values)</source>
        <translation>das Bild ist zu groß (%1 x %2 x %3 x %4 Werte)</translation>
    </message>
    <message>
        <source>compressed .cimg files are not supported</source>
        <translation>komprimierte .cimg-Dateien werden nicht unterstützt</translation>
    </message>
    <message>
        <source>it has %1 pages; at most %2 can be opened</source>
        <translation>sie hat %1 Seiten; höchstens %2 können geöffnet werden</translation>
    </message>
    <message>
        <source>reading its %1 x %2 pixels</source>
        <translation>das Lesen ihrer %1 x %2 Pixel</translation>
    </message>
    <message>
        <source>it holds no picture (no rows or columns)</source>
        <translation>sie enthält kein Bild (keine Zeilen oder Spalten)</translation>
    </message>
    <message>
        <source>it names %1 frames</source>
        <translation>sie nennt %1 Einzelbilder</translation>
    </message>
    <message>
        <source>%1 bits per pixel are not supported (8 or 16 are)</source>
        <translation>%1 Bit pro Pixel werden nicht unterstützt (8 oder 16 schon)</translation>
    </message>
    <message>
        <source>its bit layout (%1 stored, high bit %2) does not fit %3 bits</source>
        <translation>ihre Bitbelegung (%1 gespeichert, höchstes Bit %2) passt nicht in %3 Bit</translation>
    </message>
    <message>
        <source>its colour model %1 with %2 samples per pixel is not supported</source>
        <translation>ihr Farbmodell %1 mit %2 Werten pro Pixel wird nicht unterstützt</translation>
    </message>
    <message>
        <source>its rescale (slope %1, intercept %2) is not usable</source>
        <translation>ihre Umskalierung (Steigung %1, Achsenabschnitt %2) ist nicht verwendbar</translation>
    </message>
    <message>
        <source>the picture is too large (%1 x %2 pixels, %3 frames)</source>
        <translation>das Bild ist zu groß (%1 x %2 Pixel, %3 Einzelbilder)</translation>
    </message>
    <message>
        <source>it holds no pixel data</source>
        <translation>sie enthält keine Pixeldaten</translation>
    </message>
    <message>
        <source>its decoded pixels do not match the declared picture</source>
        <translation>ihre dekodierten Pixel passen nicht zum angegebenen Bild</translation>
    </message>
    <message>
        <source>its pixel data (%1 bytes) is shorter than the picture it declares (%2 bytes)</source>
        <translation>ihre Pixeldaten (%1 Bytes) sind kürzer als das angegebene Bild (%2 Bytes)</translation>
    </message>
    <message>
        <source>its pixel data cannot be read (%1)</source>
        <translation>ihre Pixeldaten können nicht gelesen werden (%1)</translation>
    </message>
    <message>
        <source>its page %1 cannot be read</source>
        <translation>ihre Seite %1 kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>its pages differ in size</source>
        <translation>ihre Seiten sind verschieden groß</translation>
    </message>
    <message>
        <source>its number of frames &quot;%1&quot; is no whole number</source>
        <translation>ihre Bildanzahl „%1“ ist keine ganze Zahl</translation>
    </message>
    <message>
        <source>it declares %1 frames; at most %2 are read</source>
        <translation>sie gibt %1 Einzelbilder an; höchstens %2 werden gelesen</translation>
    </message>
    <message>
        <source>it is no readable DICOM file</source>
        <translation>sie ist keine lesbare DICOM-Datei</translation>
    </message>
    <message>
        <source>its encoding %1 cannot be decoded here</source>
        <translation>ihre Kodierung %1 kann hier nicht dekodiert werden</translation>
    </message>
    <message>
        <source>an attribute the picture needs is missing</source>
        <translation>ein Attribut, das das Bild braucht, fehlt</translation>
    </message>
    <message>
        <source>an attribute of the picture has an invalid value</source>
        <translation>ein Attribut des Bildes hat einen ungültigen Wert</translation>
    </message>
    <message>
        <source>an attribute of the picture has a value that is not supported</source>
        <translation>ein Attribut des Bildes hat einen Wert, der nicht unterstützt wird</translation>
    </message>
    <message>
        <source>its pixels cannot be decoded</source>
        <translation>ihre Pixel können nicht dekodiert werden</translation>
    </message>
</context>
<context>
    <name>ImgNavDlg</name>
    <message>
        <source>Image navigation (%1/%2)</source>
        <translation>Bildnavigation (%1/%2)</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Anhalten</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Vessel enhancement with laplacian pyramid decomposition</source>
        <translation>Gefäßverstärkung durch Zerlegung in eine Laplace-Pyramide</translation>
    </message>
    <message>
        <source>Vessel enhancement with hessian matrix calculations</source>
        <translation>Gefäßverstärkung mit Berechnungen der Hesse-Matrix</translation>
    </message>
    <message>
        <source>Vessel enhancement by high-pass channel amplifiction</source>
        <translation>Gefäßverstärkung durch Anheben des Hochpasskanals</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>&amp;Öffnen...</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>Open an existing file</source>
        <translation>Eine vorhandene Datei öffnen</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Speichern &amp;unter...</translation>
    </message>
    <message>
        <source>Save the document under a new name</source>
        <translation>Das Dokument unter einem neuen Namen speichern</translation>
    </message>
    <message>
        <source>&amp;Print...</source>
        <translation>&amp;Drucken...</translation>
    </message>
    <message>
        <source>Prints the active image</source>
        <translation>Druckt das aktive Bild</translation>
    </message>
    <message>
        <source>&amp;Settings...</source>
        <translation>&amp;Einstellungen...</translation>
    </message>
    <message>
        <source>Opens the configuration</source>
        <translation>Öffnet die Konfiguration</translation>
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
        <source>Exit the application</source>
        <translation>Die Anwendung beenden</translation>
    </message>
    <message>
        <source>Show image navigation</source>
        <translation>Bildnavigation anzeigen</translation>
    </message>
    <message>
        <source>New window when editing</source>
        <translation>Neues Fenster beim Bearbeiten</translation>
    </message>
    <message>
        <source>When activated, opens a new window when editing an image</source>
        <translation>Wenn aktiviert, wird beim Bearbeiten eines Bildes ein neues Fenster geöffnet</translation>
    </message>
    <message>
        <source>Show toolbar</source>
        <translation>Werkzeugleiste anzeigen</translation>
    </message>
    <message>
        <source>Minimize window</source>
        <translation>Fenster minimieren</translation>
    </message>
    <message>
        <source>Cl&amp;ose</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <source>Ctrl+F4</source>
        <translation>Ctrl+F4</translation>
    </message>
    <message>
        <source>Close the active window</source>
        <translation>Das aktive Fenster schließen</translation>
    </message>
    <message>
        <source>Close &amp;All</source>
        <translation>&amp;Alle schließen</translation>
    </message>
    <message>
        <source>Close all the windows</source>
        <translation>Alle Fenster schließen</translation>
    </message>
    <message>
        <source>&amp;Tile</source>
        <translation>&amp;Nebeneinander</translation>
    </message>
    <message>
        <source>Tile the windows</source>
        <translation>Die Fenster nebeneinander anordnen</translation>
    </message>
    <message>
        <source>&amp;Cascade</source>
        <translation>&amp;Überlappend</translation>
    </message>
    <message>
        <source>Cascade the windows</source>
        <translation>Die Fenster überlappend anordnen</translation>
    </message>
    <message>
        <source>Arrange &amp;icons</source>
        <translation>S&amp;ymbole anordnen</translation>
    </message>
    <message>
        <source>Arrange the icons</source>
        <translation>Die Symbole anordnen</translation>
    </message>
    <message>
        <source>Ne&amp;xt</source>
        <translation>Nä&amp;chstes</translation>
    </message>
    <message>
        <source>Ctrl+F6</source>
        <translation>Ctrl+F6</translation>
    </message>
    <message>
        <source>Move the focus to the next window</source>
        <translation>Den Fokus auf das nächste Fenster setzen</translation>
    </message>
    <message>
        <source>Pre&amp;vious</source>
        <translation>&amp;Vorheriges</translation>
    </message>
    <message>
        <source>Ctrl+Shift+F6</source>
        <translation>Ctrl+Shift+F6</translation>
    </message>
    <message>
        <source>Move the focus to the previous window</source>
        <translation>Den Fokus auf das vorherige Fenster setzen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>F1</source>
        <translation>F1</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;Über</translation>
    </message>
    <message>
        <source>Show the application&apos;s About box</source>
        <translation>Das Info-Fenster der Anwendung anzeigen</translation>
    </message>
    <message>
        <source>About &amp;Qt</source>
        <translation>Über &amp;Qt</translation>
    </message>
    <message>
        <source>Show the Qt library&apos;s About box</source>
        <translation>Das Info-Fenster der Qt-Bibliothek anzeigen</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Image</source>
        <translation>&amp;Bild</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>Auswählen</translation>
    </message>
    <message>
        <source>Image statistics</source>
        <translation>Bildstatistik</translation>
    </message>
    <message>
        <source>&amp;General actions</source>
        <translation>&amp;Allgemeine Funktionen</translation>
    </message>
    <message>
        <source>Morphological filters</source>
        <translation>Morphologische Filter</translation>
    </message>
    <message>
        <source>Vessel enhancement filters</source>
        <translation>Filter zur Gefäßverstärkung</translation>
    </message>
    <message>
        <source>Non-linear filters</source>
        <translation>Nichtlineare Filter</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>General actions</source>
        <translation>Allgemeine Funktionen</translation>
    </message>
    <message>
        <source>Morphological operations</source>
        <translation>Morphologische Operationen</translation>
    </message>
    <message>
        <source>Vessel enhancement operations</source>
        <translation>Operationen zur Gefäßverstärkung</translation>
    </message>
    <message>
        <source>New Window</source>
        <translation>Neues Fenster</translation>
    </message>
    <message>
        <source>There is not enough memory for this operation.</source>
        <translation>Für diese Operation ist nicht genügend Arbeitsspeicher vorhanden.</translation>
    </message>
    <message>
        <source>Operation failed</source>
        <translation>Operation fehlgeschlagen</translation>
    </message>
    <message>
        <source>%1 failed: %2</source>
        <translation>%1 fehlgeschlagen: %2</translation>
    </message>
    <message>
        <source>Image not loaded</source>
        <translation>Bild nicht geladen</translation>
    </message>
    <message>
        <source>File loaded</source>
        <translation>Datei geladen</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>Datei öffnen</translation>
    </message>
    <message>
        <source>Image saved</source>
        <translation>Bild gespeichert</translation>
    </message>
    <message>
        <source>File saved</source>
        <translation>Datei gespeichert</translation>
    </message>
    <message>
        <source>&amp;%1 %2</source>
        <translation>&amp;%1 %2</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>Quendra Tool - V%1</source>
        <translation>Quendra Tool - V%1</translation>
    </message>
    <message>
        <source>Question</source>
        <translation>Frage</translation>
    </message>
    <message>
        <source>Do you really want to close Quendra?</source>
        <translation>Möchten Sie Quendra wirklich beenden?</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>English</source>
        <translation>Englisch</translation>
    </message>
    <message>
        <source>German</source>
        <translation>Deutsch</translation>
    </message>
    <message>
        <source>Settings saved</source>
        <translation>Einstellungen gespeichert</translation>
    </message>
    <message>
        <source>The settings have been saved.&lt;br&gt;Please restart the program to enable the changes.</source>
        <translation>Die Einstellungen wurden gespeichert.&lt;br&gt;Bitte starten Sie das Programm neu, damit die Änderungen wirksam werden.</translation>
    </message>
    <message>
        <source>Erosion</source>
        <translation>Erosion</translation>
    </message>
    <message>
        <source>Dilation</source>
        <translation>Dilatation</translation>
    </message>
    <message>
        <source>Opening</source>
        <translation>Öffnung</translation>
    </message>
    <message>
        <source>Closing</source>
        <translation>Schließung</translation>
    </message>
    <message>
        <source>Invert</source>
        <translation>Invertieren</translation>
    </message>
    <message>
        <source>Top-hat</source>
        <translation>Zylinderhut (Top-hat)</translation>
    </message>
    <message>
        <source>Morph. gradient</source>
        <translation>Morph. Gradient</translation>
    </message>
    <message>
        <source>Normalize</source>
        <translation>Normalisieren</translation>
    </message>
    <message>
        <source>Gaussian blur</source>
        <translation>Gauß-Weichzeichner</translation>
    </message>
    <message>
        <source>Square root</source>
        <translation>Quadratwurzel</translation>
    </message>
    <message>
        <source>Power</source>
        <translation>Potenz</translation>
    </message>
    <message>
        <source>Logarithm 2</source>
        <translation>Logarithmus 2</translation>
    </message>
    <message>
        <source>Magnitude spectrum</source>
        <translation>Betragsspektrum</translation>
    </message>
    <message>
        <source>Laplacian pyramid</source>
        <translation>Laplace-Pyramide</translation>
    </message>
    <message>
        <source>Hessian enhancement</source>
        <translation>Hesse-Gefäßverstärkung</translation>
    </message>
    <message>
        <source>Homomorphic filter</source>
        <translation>Homomorpher Filter</translation>
    </message>
    <message>
        <source>Non-linear filter</source>
        <translation>Nichtlinearer Filter</translation>
    </message>
    <message>
        <source>Hysteresis thresholding</source>
        <translation>Hysterese-Schwellwertverfahren</translation>
    </message>
    <message>
        <source>Fuzzy clustering</source>
        <translation>Fuzzy-Clustering</translation>
    </message>
    <message>
        <source>Vessel classifier...</source>
        <translation>Gefäßklassifikator...</translation>
    </message>
    <message>
        <source>Morphometry overlay...</source>
        <translation>Morphometrie-Überlagerung...</translation>
    </message>
    <message>
        <source>Skeletonizing</source>
        <translation>Skelettierung</translation>
    </message>
    <message>
        <source>Select rectangle</source>
        <translation>Rechteck auswählen</translation>
    </message>
    <message>
        <source>Select ellipse</source>
        <translation>Ellipse auswählen</translation>
    </message>
    <message>
        <source>Selection mode</source>
        <translation>Auswahlmodus</translation>
    </message>
    <message>
        <source>Graylevel image statistics</source>
        <translation>Grauwertbild-Statistik</translation>
    </message>
    <message>
        <source>Binary image statistics</source>
        <translation>Binärbild-Statistik</translation>
    </message>
    <message>
        <source>Thinning</source>
        <translation>Ausdünnung</translation>
    </message>
    <message>
        <source>Select polygon</source>
        <translation>Polygon auswählen</translation>
    </message>
    <message>
        <source>Images (*.png *.bmp *.jpg *.tif *.tiff *.dcm)</source>
        <translation>Bilder (*.png *.bmp *.jpg *.tif *.tiff *.dcm)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Colour channel:</source>
        <translation>Farbkanal:</translation>
    </message>
    <message>
        <source>Gray (weighted sum)</source>
        <translation>Grau (gewichtete Summe)</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Rot</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Grün</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Blau</translation>
    </message>
    <message>
        <source>Train classifier by scribbles...</source>
        <translation>Klassifikator mit Strichen trainieren...</translation>
    </message>
    <message>
        <source>Filter applied</source>
        <translation>Filter angewandt</translation>
    </message>
    <message>
        <source>The classifier's result was added to the image list.</source>
        <translation>Das Ergebnis des Klassifikators wurde der Bildliste hinzugefügt.</translation>
    </message>
    <message>
        <source>Ctrl+Shift+S</source>
        <translation>Ctrl+Shift+S</translation>
    </message>
    <message>
        <source>Ctrl+P</source>
        <translation>Ctrl+P</translation>
    </message>
    <message>
        <source>&amp;Fit to window</source>
        <translation>An &amp;Fenster anpassen</translation>
    </message>
    <message>
        <source>Ctrl+0</source>
        <translation>Ctrl+0</translation>
    </message>
    <message>
        <source>Zoom the active image to fill its window</source>
        <translation>Das aktive Bild so zoomen, dass es sein Fenster füllt</translation>
    </message>
    <message>
        <source>Act&amp;ual size</source>
        <translation>&amp;Originalgröße</translation>
    </message>
    <message>
        <source>Ctrl+1</source>
        <translation>Ctrl+1</translation>
    </message>
    <message>
        <source>Show the active image at 100 %</source>
        <translation>Das aktive Bild in 100 % zeigen</translation>
    </message>
    <message>
        <source>DICOM gray levels:</source>
        <translation>DICOM-Grauwerte:</translation>
    </message>
    <message>
        <source>The file&apos;s window</source>
        <translation>Die Fensterung der Datei</translation>
    </message>
    <message>
        <source>The full stored range</source>
        <translation>Der ganze gespeicherte Wertebereich</translation>
    </message>
    <message>
        <source>Vessel image analysis</source>
        <translation>Gefäßbildanalyse</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>RETINA  ·  SKIN GRAFTS  ·  CORONARY ANGIOGRAMS</source>
        <translation>NETZHAUT  ·  HAUTTRANSPLANTATE  ·  KORONARANGIOGRAMME</translation>
    </message>
    <message>
        <source>Vessel stenosis...</source>
        <translation>Gefäßstenose...</translation>
    </message>
    <message>
        <source>Segment every frame...</source>
        <translation>Jedes Einzelbild segmentieren...</translation>
    </message>
    <message>
        <source>Run curve...</source>
        <translation>Serienkurve...</translation>
    </message>
    <message>
        <source>Segments every frame of the run with one method and appends the results</source>
        <translation>Segmentiert jedes Einzelbild der Serie mit einem Verfahren und hängt die Ergebnisse an</translation>
    </message>
    <message>
        <source>Plots vessel area and length against the frame number</source>
        <translation>Zeichnet Gefäßfläche und -länge über der Nummer des Einzelbilds</translation>
    </message>
</context>
<context>
    <name>OverlayViewer</name>
    <message>
        <source>Save picture...</source>
        <translation>Bild speichern...</translation>
    </message>
    <message>
        <source>Save picture</source>
        <translation>Bild speichern</translation>
    </message>
    <message>
        <source>PNG picture (*.png)</source>
        <translation>PNG-Bild (*.png)</translation>
    </message>
    <message>
        <source>The picture could not be written to %1: %2</source>
        <translation>Das Bild konnte nicht nach %1 geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>PixmapWidget</name>
    <message>
        <source>&lt;p&gt;&lt;h3&gt;Inside the field of view&lt;/h3&gt;&lt;/p&gt;&lt;p&gt;Found on image 1: %1 px (%2 % of the image)&lt;br&gt;&lt;b&gt;Vessel area:&lt;/b&gt; %3 px&lt;br&gt;White coverage of the field of view: %4 %&lt;br&gt;&lt;b&gt;Length density:&lt;/b&gt; %5 px/px&amp;sup2;&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;h3&gt;Innerhalb des Bildfelds&lt;/h3&gt;&lt;/p&gt;&lt;p&gt;Auf Bild 1 gefunden: %1 px (%2 % des Bildes)&lt;br&gt;&lt;b&gt;Gefäßfläche:&lt;/b&gt; %3 px&lt;br&gt;Weißanteil des Bildfelds: %4 %&lt;br&gt;&lt;b&gt;Längendichte:&lt;/b&gt; %5 px/px&amp;sup2;&lt;/p&gt;</translation>
    </message>
    <message>
        <source>There is no vessel stroke inside the field of view.</source>
        <translation>Innerhalb des Bildfelds gibt es keinen Gefäßstrich.</translation>
    </message>
    <message>
        <source>There is no background stroke inside the field of view.</source>
        <translation>Innerhalb des Bildfelds gibt es keinen Hintergrundstrich.</translation>
    </message>
    <message>
        <source>There is no labelled pixel to learn from.</source>
        <translation>Es gibt kein markiertes Pixel, aus dem gelernt werden könnte.</translation>
    </message>
    <message>
        <source>Only a network model trained by this program can be trained further.</source>
        <translation>Nur ein mit diesem Programm trainiertes Netzmodell kann weiter trainiert werden.</translation>
    </message>
    <message>
        <source>%1 is not a usable vessel network: %2</source>
        <translation>%1 ist kein verwendbares Gefäßnetz: %2</translation>
    </message>
    <message>
        <source>The vessel classifier needs an image without NaN or infinite values.</source>
        <translation>Der Gefäßklassifikator braucht ein Bild ohne NaN- oder unendliche Werte.</translation>
    </message>
    <message>
        <source>Homomorphic filter needs values greater than -1 (it takes ln(v + 1)); this image holds %1.</source>
        <translation>Der homomorphe Filter braucht Werte größer als -1 (er berechnet ln(v + 1)); dieses Bild enthält %1.</translation>
    </message>
    <message>
        <source>Hysteresis thresholding needs the vessel enhancement first: the reference image is empty</source>
        <translation>Die Hysterese-Schwellwertbildung braucht zuerst die Gefäßverstärkung: das Referenzbild ist leer</translation>
    </message>
    <message>
        <source>Power: the exponent must lie between 0 and 100</source>
        <translation>Potenz: Der Exponent muss zwischen 0 und 100 liegen</translation>
    </message>
    <message>
        <source>Retina photographs (network)</source>
        <translation>Netzhautfotos (Netz)</translation>
    </message>
    <message>
        <source>Coronary angiograms (network)</source>
        <translation>Koronarangiogramme (Netz)</translation>
    </message>
    <message>
        <source>Retina photographs (boosted trees)</source>
        <translation>Netzhautfotos (Entscheidungsbäume)</translation>
    </message>
    <message>
        <source>Model file...</source>
        <translation>Modelldatei...</translation>
    </message>
    <message>
        <source>Vessel classifier</source>
        <translation>Gefäßklassifikator</translation>
    </message>
    <message>
        <source>Model:</source>
        <translation>Modell:</translation>
    </message>
    <message>
        <source>Open vessel model</source>
        <translation>Gefäßmodell öffnen</translation>
    </message>
    <message>
        <source>Vessel models (*.qvm *.pt)</source>
        <translation>Gefäßmodelle (*.qvm *.pt)</translation>
    </message>
    <message>
        <source>Vessel models (*.qvm)</source>
        <translation>Gefäßmodelle (*.qvm)</translation>
    </message>
    <message>
        <source>Vessels classified: %1 % of the field of view</source>
        <translation>Gefäße klassifiziert: %1 % des Bildfelds</translation>
    </message>
    <message>
        <source>Reading the model ...</source>
        <translation>Das Modell wird gelesen ...</translation>
    </message>
    <message>
        <source>Finding the field of view ...</source>
        <translation>Das Bildfeld wird gesucht ...</translation>
    </message>
    <message>
        <source>Classifying the pixels ...</source>
        <translation>Die Pixel werden klassifiziert ...</translation>
    </message>
    <message>
        <source>red</source>
        <translation>roten</translation>
    </message>
    <message>
        <source>green</source>
        <translation>grünen</translation>
    </message>
    <message>
        <source>blue</source>
        <translation>blauen</translation>
    </message>
    <message>
        <source>gray</source>
        <translation>grauen</translation>
    </message>
    <message>
        <source>dark</source>
        <translation>dunklen</translation>
    </message>
    <message>
        <source>bright</source>
        <translation>hellen</translation>
    </message>
    <message>
        <source>The model was trained on the %1 channel of photographs with %2 vessels inside their field of view.</source>
        <translation>Das Modell wurde mit dem %1 Kanal von Fotografien mit %2 Gefäßen in ihrem Bildfeld trainiert.</translation>
    </message>
    <message>
        <source>The model was trained on the %1 channel; this document holds the %2 channel.</source>
        <translation>Das Modell wurde mit dem %1 Kanal trainiert; dieses Dokument enthält den %2 Kanal.</translation>
    </message>
    <message>
        <source>Reload in the %1 channel</source>
        <translation>Im %1 Kanal neu laden</translation>
    </message>
    <message>
        <source>Classify as it is</source>
        <translation>So klassifizieren</translation>
    </message>
    <message>
        <source>Read %1 again in the model&apos;s channel and classify that?</source>
        <translation>%1 im Kanal des Modells neu lesen und das klassifizieren?</translation>
    </message>
    <message>
        <source>No field of view was found: the whole image was classified.</source>
        <translation>Es wurde kein Bildfeld gefunden: das ganze Bild wurde klassifiziert.</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;b&gt;This image is not binary:&lt;/b&gt; %1 % of its pixels are neither 0 nor 255. Only the pixels of value 255 are read as vessel, every other pixel as background.&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;Dieses Bild ist nicht binär:&lt;/b&gt; %1 % seiner Pixel sind weder 0 noch 255. Nur die Pixel mit dem Wert 255 werden als Gefäß gelesen, alle anderen als Hintergrund.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>Fuzzy clustering</source>
        <translation>Fuzzy-Clustering</translation>
    </message>
    <message>
        <source>Initialize clustering algorithm ...</source>
        <translation>Clustering-Algorithmus wird initialisiert ...</translation>
    </message>
    <message>
        <source>%1. iteration ...</source>
        <translation>%1. Iteration ...</translation>
    </message>
    <message>
        <source>Fuzzy clustering stopped in iteration %1: no pixel belonged to the background cluster, so every pixel counts as vessel.</source>
        <translation>Das Fuzzy-Clustering endete in Iteration %1: Kein Pixel gehörte zum Hintergrundcluster, daher zählt jedes Pixel als Gefäß.</translation>
    </message>
    <message>
        <source>Fuzzy clustering stopped in iteration %1: no pixel belonged to the vessel cluster (for example because the image is constant), so no pixel counts as vessel.</source>
        <translation>Das Fuzzy-Clustering endete in Iteration %1: Kein Pixel gehörte zum Gefäßcluster (zum Beispiel, weil das Bild konstant ist), daher zählt kein Pixel als Gefäß.</translation>
    </message>
    <message>
        <source>Fuzzy clustering: %1 times a pixel&apos;s features lay exactly at the vessel centre; such a pixel has no distance ratio and was taken as a vessel pixel.</source>
        <translation>Fuzzy-Clustering: %1-mal lagen die Merkmale eines Pixels genau im Gefäßzentrum; ein solches Pixel hat kein Abstandsverhältnis und wurde als Gefäßpixel gewertet.</translation>
    </message>
    <message>
        <source>Fuzzy clustering: %1 times a pixel&apos;s features lay exactly at both centres, which coincided; such a pixel was given the membership 0.5.</source>
        <translation>Fuzzy-Clustering: %1-mal lagen die Merkmale eines Pixels genau in beiden Zentren, die zusammenfielen; ein solches Pixel erhielt die Zugehörigkeit 0,5.</translation>
    </message>
    <message>
        <source>Hysteresis Thresholding</source>
        <translation>Hysterese-Schwellwertverfahren</translation>
    </message>
    <message>
        <source>Normalizing ...</source>
        <translation>Normalisieren ...</translation>
    </message>
    <message>
        <source>Calculate histogram ...</source>
        <translation>Histogramm berechnen ...</translation>
    </message>
    <message>
        <source>Calculate thresholded images ...</source>
        <translation>Schwellwertbilder berechnen ...</translation>
    </message>
    <message>
        <source>Calculate combined thresholded image ...</source>
        <translation>Kombiniertes Schwellwertbild berechnen ...</translation>
    </message>
    <message>
        <source>Erosion</source>
        <translation>Erosion</translation>
    </message>
    <message>
        <source>Dilation</source>
        <translation>Dilatation</translation>
    </message>
    <message>
        <source>Working ...</source>
        <translation>Wird bearbeitet ...</translation>
    </message>
    <message>
        <source>%1 values were too large in magnitude for a number; they were set to the largest (white) or lowest (black) finite result.</source>
        <translation>%1 Werte waren betragsmäßig zu groß für eine Zahl; sie wurden auf das größte (weiß) bzw. kleinste (schwarz) endliche Ergebnis gesetzt.</translation>
    </message>
    <message>
        <source>%1 values of the image were undefined (not a number); they are shown black.</source>
        <translation>%1 Werte des Bildes waren undefiniert (keine Zahl); sie werden schwarz dargestellt.</translation>
    </message>
    <message>
        <source>%1 values were 0 or negative and have no logarithm; they were given the lowest logarithm of the image, so they show black.</source>
        <translation>%1 Werte waren 0 oder negativ und haben keinen Logarithmus; sie erhielten den kleinsten Logarithmus des Bildes und erscheinen daher schwarz.</translation>
    </message>
    <message>
        <source>%1 values were negative and have no square root; they were taken as 0, so they show black.</source>
        <translation>%1 Werte waren negativ und haben keine Quadratwurzel; sie wurden als 0 gewertet und erscheinen daher schwarz.</translation>
    </message>
    <message>
        <source>%1 values were negative and have no power by %2; they were taken as 0, so they show black.</source>
        <translation>%1 Werte waren negativ und haben keine Potenz mit dem Exponenten %2; sie wurden als 0 gewertet und erscheinen daher schwarz.</translation>
    </message>
    <message>
        <source>New window</source>
        <translation>Neues Fenster</translation>
    </message>
    <message>
        <source>Image %1</source>
        <translation>Bild %1</translation>
    </message>
    <message>
        <source>Choose window</source>
        <translation>Fenster wählen</translation>
    </message>
    <message>
        <source>Please choose the target window.</source>
        <translation>Bitte wählen Sie das Zielfenster.</translation>
    </message>
    <message>
        <source>New window?</source>
        <translation>Neues Fenster?</translation>
    </message>
    <message>
        <source>Open a new window?</source>
        <translation>Ein neues Fenster öffnen?</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Cannot copy to image %1, because of different heights and widths.</source>
        <translation>Kopieren in Bild %1 nicht möglich, da Höhe und Breite verschieden sind.</translation>
    </message>
    <message>
        <source>Debug info</source>
        <translation>Debug-Information</translation>
    </message>
    <message>
        <source>txoffset: %1, tyoffset: %2</source>
        <translation>txoffset: %1, tyoffset: %2</translation>
    </message>
    <message>
        <source>Magnitude spectrum was calculated</source>
        <translation>Das Betragsspektrum wurde berechnet</translation>
    </message>
    <message>
        <source>Inverse FFT was calculated</source>
        <translation>Die inverse FFT wurde berechnet</translation>
    </message>
    <message>
        <source>Vessel enhancement calculated</source>
        <translation>Gefäßverstärkung berechnet</translation>
    </message>
    <message>
        <source>Homomorphic vessel enhancement was calculated</source>
        <translation>Die homomorphe Gefäßverstärkung wurde berechnet</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>Please wait</source>
        <translation>Bitte warten</translation>
    </message>
    <message>
        <source>Question</source>
        <translation>Frage</translation>
    </message>
    <message>
        <source>The vessels have to be white in order to work well with the algorithm.</source>
        <translation>Die Gefäße müssen weiß sein, damit der Algorithmus gut funktioniert.</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>The image was eroded</source>
        <translation>Das Bild wurde erodiert</translation>
    </message>
    <message>
        <source>The image was dilated</source>
        <translation>Das Bild wurde dilatiert</translation>
    </message>
    <message>
        <source>The image was opened</source>
        <translation>Auf das Bild wurde eine Öffnung angewandt</translation>
    </message>
    <message>
        <source>The image was closed</source>
        <translation>Auf das Bild wurde eine Schließung angewandt</translation>
    </message>
    <message>
        <source>The image was top-hat transformed</source>
        <translation>Auf das Bild wurde eine Zylinderhut-Transformation (Top-hat) angewandt</translation>
    </message>
    <message>
        <source>The morphological gradient was calculated</source>
        <translation>Der morphologische Gradient wurde berechnet</translation>
    </message>
    <message>
        <source>The image was thinned</source>
        <translation>Das Bild wurde ausgedünnt</translation>
    </message>
    <message>
        <source>Filter applied</source>
        <translation>Filter angewandt</translation>
    </message>
    <message>
        <source>You cannot zoom in this mode.&lt;br&gt;Press &lt;b&gt;SPACE&lt;/b&gt; to return to normal mode.</source>
        <translation>In diesem Modus können Sie nicht zoomen.&lt;br&gt;Drücken Sie die &lt;b&gt;LEERTASTE&lt;/b&gt;, um in den normalen Modus zurückzukehren.</translation>
    </message>
    <message>
        <source>x scrolloffset: %1</source>
        <translation>x-Bildlaufversatz: %1</translation>
    </message>
    <message>
        <source>y scrolloffset: %1</source>
        <translation>y-Bildlaufversatz: %1</translation>
    </message>
    <message>
        <source>white coverage: %1 %</source>
        <translation>Weißanteil: %1 %</translation>
    </message>
    <message>
        <source>w: %1px, h: %2px</source>
        <translation>B: %1px, H: %2px</translation>
    </message>
    <message>
        <source>Image loaded</source>
        <translation>Bild geladen</translation>
    </message>
    <message>
        <source>Image was loaded and converted to grayscale</source>
        <translation>Das Bild wurde geladen und in Graustufen umgewandelt</translation>
    </message>
    <message>
        <source>Delete image</source>
        <translation>Bild löschen</translation>
    </message>
    <message>
        <source>Do you really want to delete the image?</source>
        <translation>Möchten Sie das Bild wirklich löschen?</translation>
    </message>
    <message>
        <source>Image deleted.</source>
        <translation>Bild gelöscht.</translation>
    </message>
    <message>
        <source>The image was inverted</source>
        <translation>Das Bild wurde invertiert</translation>
    </message>
    <message>
        <source>The image was normalized</source>
        <translation>Das Bild wurde normalisiert</translation>
    </message>
    <message>
        <source>The image by its logarithm to the base of 2 was calculated</source>
        <translation>Der Logarithmus des Bildes zur Basis 2 wurde berechnet</translation>
    </message>
    <message>
        <source>Square root image was calculated</source>
        <translation>Das Quadratwurzelbild wurde berechnet</translation>
    </message>
    <message>
        <source>Exponent</source>
        <translation>Exponent</translation>
    </message>
    <message>
        <source>Please enter the exponent:</source>
        <translation>Bitte geben Sie den Exponenten ein:</translation>
    </message>
    <message>
        <source>Disc size</source>
        <translation>Scheibengröße</translation>
    </message>
    <message>
        <source>The image by its power by %1 was calculated</source>
        <translation>Das Bild wurde mit %1 potenziert</translation>
    </message>
    <message>
        <source>Thresholding: the image is empty</source>
        <translation>Schwellwertbildung: Das Bild ist leer</translation>
    </message>
    <message>
        <source>Color %1 at (%2,%3)</source>
        <translation>Farbe %1 bei (%2,%3)</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Auswahl</translation>
    </message>
    <message>
        <source>Copy selection?</source>
        <translation>Auswahl kopieren?</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;h3&gt;Graylevel image information&lt;br&gt;Image %1&lt;/h3&gt;&lt;/p&gt;&lt;p&gt;&lt;b&gt;Width:&lt;/b&gt; %2 px&lt;br&gt;&lt;b&gt;Height:&lt;/b&gt; %3 px&lt;/p&gt;&lt;p&gt;&lt;b&gt;Minimum value:&lt;/b&gt; %4&lt;br&gt;&lt;b&gt;Maximum value:&lt;/b&gt; %5&lt;/p&gt;&lt;p&gt;&lt;b&gt;Mean:&lt;/b&gt; %6&lt;br&gt;&lt;b&gt;Variance:&lt;/b&gt; %7&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;h3&gt;Grauwertbild-Information&lt;br&gt;Bild %1&lt;/h3&gt;&lt;/p&gt;&lt;p&gt;&lt;b&gt;Breite:&lt;/b&gt; %2 px&lt;br&gt;&lt;b&gt;Höhe:&lt;/b&gt; %3 px&lt;/p&gt;&lt;p&gt;&lt;b&gt;Minimalwert:&lt;/b&gt; %4&lt;br&gt;&lt;b&gt;Maximalwert:&lt;/b&gt; %5&lt;/p&gt;&lt;p&gt;&lt;b&gt;Mittelwert:&lt;/b&gt; %6&lt;br&gt;&lt;b&gt;Varianz:&lt;/b&gt; %7&lt;/p&gt;</translation>
    </message>
    <message>
        <source>Graylevel image information</source>
        <translation>Grauwertbild-Information</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;h3&gt;Binary image information&lt;br&gt;Image %1&lt;/h3&gt;&lt;/p&gt;&lt;p&gt;&lt;b&gt;Width:&lt;/b&gt; %2 px&lt;br&gt;&lt;b&gt;Height:&lt;/b&gt; %3 px&lt;/p&gt;&lt;p&gt;&lt;b&gt;Area:&lt;/b&gt; %4 px&lt;br&gt;&lt;b&gt;Length:&lt;/b&gt; %5 px&lt;/p&gt;&lt;p&gt;White coverage: %6 %&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;h3&gt;Binärbild-Information&lt;br&gt;Bild %1&lt;/h3&gt;&lt;/p&gt;&lt;p&gt;&lt;b&gt;Breite:&lt;/b&gt; %2 px&lt;br&gt;&lt;b&gt;Höhe:&lt;/b&gt; %3 px&lt;/p&gt;&lt;p&gt;&lt;b&gt;Fläche:&lt;/b&gt; %4 px&lt;br&gt;&lt;b&gt;Länge:&lt;/b&gt; %5 px&lt;/p&gt;&lt;p&gt;Weißanteil: %6 %&lt;/p&gt;</translation>
    </message>
    <message>
        <source>Binary image information</source>
        <translation>Binärbild-Information</translation>
    </message>
    <message>
        <source>Previous image</source>
        <translation>Vorheriges Bild</translation>
    </message>
    <message>
        <source>Next image</source>
        <translation>Nächstes Bild</translation>
    </message>
    <message>
        <source>Select by clicking into the image. You can either press SPACE for copying or DELETE for deleting. Use the RIGHT mouse button for erasing.</source>
        <translation>Wählen Sie durch Klicken in das Bild aus. Drücken Sie die LEERTASTE zum Kopieren oder ENTF zum Löschen. Radieren Sie mit der RECHTEN Maustaste.</translation>
    </message>
    <message>
        <source>Erase</source>
        <translation>Radieren</translation>
    </message>
    <message>
        <source>&lt;p&gt;Erase by pressing the left mouse button&lt;/p&gt;&lt;p&gt;Pressing &lt;b&gt;SPACE&lt;/b&gt; will finish erasing.&lt;/p&gt;</source>
        <translation>&lt;p&gt;Radieren Sie mit gedrückter linker Maustaste.&lt;/p&gt;&lt;p&gt;Mit der &lt;b&gt;LEERTASTE&lt;/b&gt; beenden Sie das Radieren.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;h3&gt;Vessel measurements&lt;/h3&gt;&lt;/p&gt;&lt;p&gt;&lt;b&gt;End points:&lt;/b&gt; %1&lt;br&gt;&lt;b&gt;Branch points:&lt;/b&gt; %2&lt;br&gt;&lt;b&gt;Segments:&lt;/b&gt; %3&lt;/p&gt;&lt;p&gt;&lt;b&gt;Skeleton length (diagonal steps as &amp;radic;2):&lt;/b&gt; %4 px&lt;br&gt;&lt;b&gt;Mean vessel width (area / skeleton length):&lt;/b&gt; %5 px&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;h3&gt;Gefäßmessungen&lt;/h3&gt;&lt;/p&gt;&lt;p&gt;&lt;b&gt;Endpunkte:&lt;/b&gt; %1&lt;br&gt;&lt;b&gt;Verzweigungspunkte:&lt;/b&gt; %2&lt;br&gt;&lt;b&gt;Segmente:&lt;/b&gt; %3&lt;/p&gt;&lt;p&gt;&lt;b&gt;Skelettlänge (Diagonalschritte als &amp;radic;2):&lt;/b&gt; %4 px&lt;br&gt;&lt;b&gt;Mittlere Gefäßbreite (Fläche / Skelettlänge):&lt;/b&gt; %5 px&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;b&gt;Vessel area fraction:&lt;/b&gt; %1 %&lt;br&gt;&lt;b&gt;Vessel length (along the centre lines):&lt;/b&gt; %2 px&lt;br&gt;&lt;b&gt;Length density:&lt;/b&gt; %3 px/px&amp;sup2;&lt;br&gt;&lt;b&gt;Junction density:&lt;/b&gt; %4 per 10000 px&amp;sup2;&lt;/p&gt;&lt;p&gt;&lt;b&gt;Mean diameter:&lt;/b&gt; %5 px&lt;br&gt;&lt;b&gt;Median diameter:&lt;/b&gt; %6 px&lt;br&gt;&lt;b&gt;Diameters below 3 px:&lt;/b&gt; %7 %&lt;br&gt;&lt;b&gt;Diameters from 3 to 6 px:&lt;/b&gt; %8 %&lt;br&gt;&lt;b&gt;Diameters of 6 px and above:&lt;/b&gt; %9 %&lt;/p&gt;&lt;p&gt;&lt;b&gt;Mean tortuosity (length-weighted):&lt;/b&gt; %10&lt;br&gt;&lt;b&gt;Fractal dimension (boxes of %11 to %12 px):&lt;/b&gt; %13 (vessels), %14 (skeleton)&lt;br&gt;&lt;b&gt;Lacunarity (gliding boxes of %15 to %16 px):&lt;/b&gt; %17&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;Gefäßflächenanteil:&lt;/b&gt; %1 %&lt;br&gt;&lt;b&gt;Gefäßlänge (entlang der Mittellinien):&lt;/b&gt; %2 px&lt;br&gt;&lt;b&gt;Längendichte:&lt;/b&gt; %3 px/px&amp;sup2;&lt;br&gt;&lt;b&gt;Verzweigungsdichte:&lt;/b&gt; %4 je 10000 px&amp;sup2;&lt;/p&gt;&lt;p&gt;&lt;b&gt;Mittlerer Durchmesser:&lt;/b&gt; %5 px&lt;br&gt;&lt;b&gt;Median des Durchmessers:&lt;/b&gt; %6 px&lt;br&gt;&lt;b&gt;Durchmesser unter 3 px:&lt;/b&gt; %7 %&lt;br&gt;&lt;b&gt;Durchmesser von 3 bis 6 px:&lt;/b&gt; %8 %&lt;br&gt;&lt;b&gt;Durchmesser ab 6 px:&lt;/b&gt; %9 %&lt;/p&gt;&lt;p&gt;&lt;b&gt;Mittlere Tortuosität (längengewichtet):&lt;/b&gt; %10&lt;br&gt;&lt;b&gt;Fraktale Dimension (Boxen von %11 bis %12 px):&lt;/b&gt; %13 (Gefäße), %14 (Skelett)&lt;br&gt;&lt;b&gt;Lakunarität (gleitende Boxen von %15 bis %16 px):&lt;/b&gt; %17&lt;/p&gt;</translation>
    </message>
    <message>
        <source>DICOM Pixel Spacing</source>
        <translation>DICOM-Pixelabstand (Pixel Spacing)</translation>
    </message>
    <message>
        <source>DICOM Imager Pixel Spacing, at the detector</source>
        <translation>DICOM-Detektorpixelabstand (Imager Pixel Spacing), am Detektor</translation>
    </message>
    <message>
        <source>TIFF resolution</source>
        <translation>TIFF-Auflösung</translation>
    </message>
    <message>
        <source>PNG pixel dimensions</source>
        <translation>PNG-Pixelmaße</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;b&gt;Pixel size:&lt;/b&gt; %1 mm (from the file&apos;s %2)&lt;br&gt;&lt;b&gt;Skeleton length:&lt;/b&gt; %3 mm&lt;br&gt;&lt;b&gt;Mean vessel width:&lt;/b&gt; %4 mm&lt;br&gt;&lt;b&gt;Length density:&lt;/b&gt; %5 mm/mm&amp;sup2;&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;Pixelgröße:&lt;/b&gt; %1 mm (aus der Angabe der Datei: %2)&lt;br&gt;&lt;b&gt;Skelettlänge:&lt;/b&gt; %3 mm&lt;br&gt;&lt;b&gt;Mittlere Gefäßbreite:&lt;/b&gt; %4 mm&lt;br&gt;&lt;b&gt;Längendichte:&lt;/b&gt; %5 mm/mm&amp;sup2;&lt;/p&gt;</translation>
    </message>
    <message>
        <source>Mean diameter</source>
        <translation>Mittlerer Durchmesser</translation>
    </message>
    <message>
        <source>Tortuosity</source>
        <translation>Tortuosität</translation>
    </message>
    <message>
        <source>Morphometry overlay</source>
        <translation>Morphometrie-Überlagerung</translation>
    </message>
    <message>
        <source>Colour the vessel segments by:</source>
        <translation>Gefäßsegmente einfärben nach:</translation>
    </message>
    <message>
        <source>Morphometry overlay: %1, image %2</source>
        <translation>Morphometrie-Überlagerung: %1, Bild %2</translation>
    </message>
    <message>
        <source>The image must be at least %1 pixels wide and high to train a classifier.</source>
        <translation>Das Bild muss mindestens %1 Pixel breit und hoch sein, um einen Klassifikator zu trainieren.</translation>
    </message>
    <message>
        <source>Paint a few strokes of each kind, then press Train.</source>
        <translation>Malen Sie einige Striche jeder Art und drücken Sie dann „Trainieren“.</translation>
    </message>
    <message>
        <source>Paint vessels with the left button and background with the right button.</source>
        <translation>Malen Sie Gefäße mit der linken und Hintergrund mit der rechten Maustaste.</translation>
    </message>
    <message>
        <source>Train classifier</source>
        <translation>Klassifikator trainieren</translation>
    </message>
    <message>
        <source>Paint at least one vessel stroke (left button) and one background stroke (right button) inside the field of view, then press Train again.</source>
        <translation>Malen Sie mindestens einen Gefäßstrich (linke Maustaste) und einen Hintergrundstrich (rechte Maustaste) innerhalb des Bildfelds und drücken Sie dann erneut „Trainieren“.</translation>
    </message>
    <message>
        <source>There is not enough memory to train the classifier.</source>
        <translation>Es ist nicht genug Speicher vorhanden, um den Klassifikator zu trainieren.</translation>
    </message>
    <message>
        <source>The classifier could not be trained: %1</source>
        <translation>Der Klassifikator konnte nicht trainiert werden: %1</translation>
    </message>
    <message>
        <source>Trained on %1 vessel and %2 background pixels in %3 s: %4 % of the field of view is vessel.</source>
        <translation>Trainiert mit %1 Gefäß- und %2 Hintergrundpixeln in %3 s: %4 % des Bildfelds sind Gefäß.</translation>
    </message>
    <message>
        <source>Save vessel model</source>
        <translation>Gefäßmodell speichern</translation>
    </message>
    <message>
        <source>The model could not be saved: %1</source>
        <translation>Das Modell konnte nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>Vessel model saved to %1</source>
        <translation>Gefäßmodell gespeichert unter %1</translation>
    </message>
    <message>
        <source>Training the vessel network</source>
        <translation>Gefäßnetz wird trainiert</translation>
    </message>
    <message>
        <source>step %1 of %2, loss %3, %4 left</source>
        <translation>Schritt %1 von %2, Verlust %3, noch %4</translation>
    </message>
    <message>
        <source>step %1, loss %2, %3 left</source>
        <translation>Schritt %1, Verlust %2, noch %3</translation>
    </message>
    <message>
        <source>%1 min %2 s</source>
        <translation>%1 min %2 s</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>Vessel network</source>
        <translation>Gefäßnetz</translation>
    </message>
    <message>
        <source>Classifying the image in tiles ...</source>
        <translation>Bild wird in Kacheln klassifiziert ...</translation>
    </message>
    <message>
        <source>mean diameter</source>
        <translation>mittlerer Durchmesser</translation>
    </message>
    <message>
        <source>tortuosity</source>
        <translation>Tortuosität</translation>
    </message>
    <message>
        <source>Hysteresis thresholding needs an image of at least %1 by %1 pixels, not %2 by %3</source>
        <translation>Die Hysterese-Schwellwertbildung braucht ein Bild von mindestens %1 mal %1 Pixeln, nicht %2 mal %3</translation>
    </message>
    <message>
        <source>Hysteresis thresholding needs a disc size of at least 1, not %1</source>
        <translation>Die Hysterese-Schwellwertbildung braucht eine Scheibengröße von mindestens 1, nicht %1</translation>
    </message>
    <message>
        <source>Fuzzy clustering needs an image of at least %1 by %1 pixels, not %2 by %3</source>
        <translation>Das Fuzzy-Clustering braucht ein Bild von mindestens %1 mal %1 Pixeln, nicht %2 mal %3</translation>
    </message>
    <message>
        <source>catheter</source>
        <translation>Katheter</translation>
    </message>
    <message>
        <source>Vessel stenosis</source>
        <translation>Gefäßstenose</translation>
    </message>
    <message>
        <source>The current image must be a segmentation: white vessels (255) on black (0).</source>
        <translation>Das aktuelle Bild muss eine Segmentierung sein: weiße Gefäße (255) auf Schwarz (0).</translation>
    </message>
    <message>
        <source>Vessel stenosis: image %1</source>
        <translation>Gefäßstenose: Bild %1</translation>
    </message>
    <message>
        <source>%1 holds no network the program can fine-tune: choose a network model it trained.</source>
        <translation>%1 enthält kein Netz, das das Programm nachtrainieren kann: wählen Sie ein Netzmodell, das es trainiert hat.</translation>
    </message>
    <message>
        <source>The model could not be read: %1</source>
        <translation>Das Modell konnte nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>Training cancelled: the last result is kept.</source>
        <translation>Training abgebrochen: das letzte Ergebnis bleibt erhalten.</translation>
    </message>
    <message>
        <source>Training cancelled.</source>
        <translation>Training abgebrochen.</translation>
    </message>
    <message>
        <source>Network fine-tuned in %1 steps on %2 vessel and %3 background pixels in %4 s: %5 % of the field of view is vessel. Train again goes on from this network.</source>
        <translation>Netz in %1 Schritten mit %2 Gefäß- und %3 Hintergrundpixeln in %4 s nachtrainiert: %5 % des Bildfelds sind Gefäß. Erneutes „Trainieren“ setzt bei diesem Netz fort.</translation>
    </message>
    <message>
        <source>Segment every frame</source>
        <translation>Jedes Einzelbild segmentieren</translation>
    </message>
    <message>
        <source>Are the vessels darker than their surround, as in an angiogram? Each frame is then inverted first.</source>
        <translation>Sind die Gefäße dunkler als ihre Umgebung, wie in einem Angiogramm? Dann wird jedes Einzelbild zuerst invertiert.</translation>
    </message>
    <message>
        <source>Dark vessels</source>
        <translation>Dunkle Gefäße</translation>
    </message>
    <message>
        <source>Bright vessels</source>
        <translation>Helle Gefäße</translation>
    </message>
    <message>
        <source>This document holds a single frame. Open a run of several frames (a DICOM cine run, a multi-page TIFF file) to segment every frame.</source>
        <translation>Dieses Dokument enthält nur ein Einzelbild. Öffnen Sie eine Serie aus mehreren Einzelbildern (eine DICOM-Cine-Serie, eine mehrseitige TIFF-Datei), um jedes Einzelbild zu segmentieren.</translation>
    </message>
    <message>
        <source>Method:</source>
        <translation>Verfahren:</translation>
    </message>
    <message>
        <source>Coronary angiogram</source>
        <translation>Koronarangiogramm</translation>
    </message>
    <message>
        <source>Retina</source>
        <translation>Netzhaut</translation>
    </message>
    <message>
        <source>Skin transplant</source>
        <translation>Hauttransplantat</translation>
    </message>
    <message>
        <source>Preset:</source>
        <translation>Voreinstellung:</translation>
    </message>
    <message>
        <source>The model was trained on another colour channel than the one this document holds; the frames were classified as they are.</source>
        <translation>Das Modell wurde auf einem anderen Farbkanal trainiert als dem, den dieses Dokument enthält; die Einzelbilder wurden so klassifiziert, wie sie sind.</translation>
    </message>
    <message>
        <source>Frame %1 of %2</source>
        <translation>Einzelbild %1 von %2</translation>
    </message>
    <message>
        <source>Frame %1: %2</source>
        <translation>Einzelbild %1: %2</translation>
    </message>
    <message>
        <source>frame %1: %2</source>
        <translation>Einzelbild %1: %2</translation>
    </message>
    <message>
        <source>Run curve</source>
        <translation>Serienkurve</translation>
    </message>
    <message>
        <source>There are no results per frame yet: segment every frame of the run first.</source>
        <translation>Es gibt noch keine Ergebnisse je Einzelbild: Segmentieren Sie zuerst jedes Einzelbild der Serie.</translation>
    </message>
    <message>
        <source>Run curve: image %1</source>
        <translation>Serienkurve: Bild %1</translation>
    </message>
</context>
<context>
    <name>RunCurve</name>
    <message>
        <source>Vessel area (blue) and length (green); largest area at frame %1</source>
        <translation>Gefäßfläche (blau) und -länge (grün); größte Fläche bei Bild %1</translation>
    </message>
    <message>
        <source>Frame</source>
        <translation>Bild</translation>
    </message>
</context>
<context>
    <name>RunCurveWindow</name>
    <message>
        <source>Largest vessel area: %1 pixels in frame %2 (of %3 frames); vessel length there: %4 pixels.</source>
        <translation>Größte Gefäßfläche: %1 Pixel in Einzelbild %2 (von %3 Einzelbildern); Gefäßlänge dort: %4 Pixel.</translation>
    </message>
    <message>
        <source>Save picture...</source>
        <translation>Bild speichern...</translation>
    </message>
    <message>
        <source>Save numbers...</source>
        <translation>Zahlen speichern...</translation>
    </message>
    <message>
        <source>Save run curve picture</source>
        <translation>Bild der Serienkurve speichern</translation>
    </message>
    <message>
        <source>PNG picture (*.png)</source>
        <translation>PNG-Bild (*.png)</translation>
    </message>
    <message>
        <source>Run curve</source>
        <translation>Serienkurve</translation>
    </message>
    <message>
        <source>The picture could not be written to %1: %2</source>
        <translation>Das Bild konnte nicht nach %1 geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Save run curve numbers</source>
        <translation>Zahlen der Serienkurve speichern</translation>
    </message>
    <message>
        <source>CSV table (*.csv)</source>
        <translation>CSV-Tabelle (*.csv)</translation>
    </message>
    <message>
        <source>The numbers could not be written to %1: %2</source>
        <translation>Die Zahlen konnten nicht nach %1 geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>ScribblePanel</name>
    <message>
        <source>Train classifier by scribbles</source>
        <translation>Klassifikator mit Strichen trainieren</translation>
    </message>
    <message>
        <source>Left button: vessel</source>
        <translation>Linke Maustaste: Gefäß</translation>
    </message>
    <message>
        <source>Right button: background</source>
        <translation>Rechte Maustaste: Hintergrund</translation>
    </message>
    <message>
        <source> px</source>
        <translation> px</translation>
    </message>
    <message>
        <source>Brush width:</source>
        <translation>Pinselbreite:</translation>
    </message>
    <message>
        <source>Vessels darker than the background</source>
        <translation>Gefäße dunkler als der Hintergrund</translation>
    </message>
    <message>
        <source>Show result</source>
        <translation>Ergebnis zeigen</translation>
    </message>
    <message>
        <source>Train</source>
        <translation>Trainieren</translation>
    </message>
    <message>
        <source>Keep</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>Save model...</source>
        <translation>Modell speichern...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Undo stroke</source>
        <translation>Strich zurücknehmen</translation>
    </message>
    <message>
        <source>Boosted trees learn from the strokes alone; a network starts from the chosen model and is fine-tuned by the strokes, and Train again goes on from the last result.</source>
        <translation>Entscheidungsbäume lernen allein aus den Strichen; ein Netz beginnt beim gewählten Modell und wird mit den Strichen nachtrainiert, erneutes „Trainieren“ setzt beim letzten Ergebnis fort.</translation>
    </message>
    <message>
        <source>Boosted trees</source>
        <translation>Entscheidungsbäume</translation>
    </message>
    <message>
        <source>Classifier:</source>
        <translation>Klassifikator:</translation>
    </message>
</context>
<context>
    <name>StenosisWindow</name>
    <message>
        <source>Diameters from the gray levels</source>
        <translation>Durchmesser aus den Grauwerten</translation>
    </message>
    <message>
        <source>Diameters from the segmentation</source>
        <translation>Durchmesser aus der Segmentierung</translation>
    </message>
    <message>
        <source>Mark catheter</source>
        <translation>Katheter markieren</translation>
    </message>
    <message>
        <source>The catheter's size in French (6F) or millimetres (2.0mm)</source>
        <translation>Die Größe des Katheters in French (6F) oder Millimetern (2.0mm)</translation>
    </message>
    <message>
        <source>Catheter size:</source>
        <translation>Kathetergröße:</translation>
    </message>
    <message>
        <source>Click two points on the catheter's centre line.</source>
        <translation>Klicken Sie zwei Punkte auf der Mittellinie des Katheters an.</translation>
    </message>
    <message>
        <source>Click the distal point.</source>
        <translation>Klicken Sie den distalen Punkt an.</translation>
    </message>
    <message>
        <source>Calibrated on the catheter: mean width %1 pixels for %2 mm, %3 mm per pixel.</source>
        <translation>Am Katheter kalibriert: mittlere Breite %1 Pixel für %2 mm, %3 mm pro Pixel.</translation>
    </message>
    <message>
        <source>mm</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>pixels</source>
        <translation>Pixel</translation>
    </message>
    <message>
        <source>Minimal lumen diameter: %1 %2, at %3 %2 along the path</source>
        <translation>Minimaler Lumendurchmesser: %1 %2, bei %3 %2 entlang des Pfades</translation>
    </message>
    <message>
        <source>Reference diameter: %1 %2</source>
        <translation>Referenzdurchmesser: %1 %2</translation>
    </message>
    <message>
        <source>Diameter stenosis: %1 %, area stenosis: %2 %</source>
        <translation>Durchmesserstenose: %1 %, Flächenstenose: %2 %</translation>
    </message>
    <message>
        <source>Lesion length: %1 %2; path length: %3 %2</source>
        <translation>Läsionslänge: %1 %2; Pfadlänge: %3 %2</translation>
    </message>
    <message>
        <source>Click the proximal point of the vessel, then the distal point.</source>
        <translation>Klicken Sie den proximalen Punkt des Gefäßes an, dann den distalen Punkt.</translation>
    </message>
    <message>
        <source>Calibration: %1 mm per pixel (%2)</source>
        <translation>Kalibrierung: %1 mm pro Pixel (%2)</translation>
    </message>
    <message>
        <source>Not calibrated: lengths in pixels. Mark a catheter to calibrate.</source>
        <translation>Nicht kalibriert: Längen in Pixeln. Markieren Sie einen Katheter, um zu kalibrieren.</translation>
    </message>
</context>
<context>
    <name>StructElDlg</name>
    <message>
        <source>Shape</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>Disc</source>
        <translation>Scheibe</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Structuring element</source>
        <translation>Strukturelement</translation>
    </message>
</context>
<context>
    <name>ThresholdDialog</name>
    <message>
        <source>Threshold</source>
        <translation>Schwellwert</translation>
    </message>
    <message>
        <source>Threshold border</source>
        <translation>Schwellwertgrenze</translation>
    </message>
    <message>
        <source>&lt;span style=&quot;font-size:8pt&quot;&gt;Coverage:&lt;/span&gt;</source>
        <translation>&lt;span style=&quot;font-size:8pt&quot;&gt;Flächenanteil:&lt;/span&gt;</translation>
    </message>
    <message>
        <source>%</source>
        <translation>%</translation>
    </message>
    <message>
        <source>Invert image afterwards</source>
        <translation>Bild anschließend invertieren</translation>
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
    <name>UserDialogs</name>
    <message>
        <source>Copy figures</source>
        <translation>Werte kopieren</translation>
    </message>
</context>
<context>
    <name>VesselModel</name>
    <message>
        <source>cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>%1 is not a vessel model of Quendra Tool.</source>
        <translation>%1 ist kein Gefäßmodell von Quendra Tool.</translation>
    </message>
    <message>
        <source>%1 is damaged: its description cannot be read.</source>
        <translation>%1 ist beschädigt: seine Beschreibung kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>%1 was trained by Quendra Tool %2; this is version %3. Train the model again with this version.</source>
        <translation>%1 wurde von Quendra Tool %2 trainiert; dies ist Version %3. Trainieren Sie das Modell mit dieser Version neu.</translation>
    </message>
    <message>
        <source>of an unknown version</source>
        <translation>einer unbekannten Version</translation>
    </message>
    <message>
        <source>%1 was trained on other features than this program computes.</source>
        <translation>%1 wurde mit anderen Merkmalen trainiert, als dieses Programm berechnet.</translation>
    </message>
    <message>
        <source>%1 is damaged: its contents do not match their checksum.</source>
        <translation>%1 ist beschädigt: sein Inhalt passt nicht zu seiner Prüfsumme.</translation>
    </message>
    <message>
        <source>%1 is damaged: its channel or vessel polarity is unknown.</source>
        <translation>%1 ist beschädigt: sein Farbkanal oder seine Gefäßpolarität ist unbekannt.</translation>
    </message>
    <message>
        <source>%1 is damaged: its threshold or smallest vessel region is out of range.</source>
        <translation>%1 ist beschädigt: sein Schwellwert oder seine kleinste Gefäßregion liegt außerhalb des Bereichs.</translation>
    </message>
    <message>
        <source>%1 is damaged: its number of training pixels is out of range.</source>
        <translation>%1 ist beschädigt: seine Zahl der Trainingspixel liegt außerhalb des Bereichs.</translation>
    </message>
    <message>
        <source>%1 is damaged: %2.</source>
        <translation>%1 ist beschädigt: %2.</translation>
    </message>
    <message>
        <source>%1 is of model format %2, which this program does not know (it reads formats 1 to %3); a newer Quendra Tool wrote it.</source>
        <translation>%1 hat das Modellformat %2, das dieses Programm nicht kennt (es liest die Formate 1 bis %3); ein neueres Quendra Tool hat es geschrieben.</translation>
    </message>
    <message>
        <source>%1 holds a learner this program does not know (&quot;%2&quot;).</source>
        <translation>%1 enthält ein Lernverfahren, das dieses Programm nicht kennt (&quot;%2&quot;).</translation>
    </message>
    <message>
        <source>%1 is damaged: its scale is unknown.</source>
        <translation>%1 ist beschädigt: sein Maßstab ist unbekannt.</translation>
    </message>
    <message>
        <source>%1 is damaged: its network&apos;s size is out of range.</source>
        <translation>%1 ist beschädigt: die Größe seines Netzes liegt außerhalb des Bereichs.</translation>
    </message>
    <message>
        <source>%1 is damaged: its trees expect another number of features.</source>
        <translation>%1 ist beschädigt: seine Bäume erwarten eine andere Anzahl von Merkmalen.</translation>
    </message>
    <message>
        <source>%1 is damaged: its trees cannot be read.</source>
        <translation>%1 ist beschädigt: seine Bäume können nicht gelesen werden.</translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
</context>
<context>
    <name>VesselPath</name>
    <message>
        <source>The %1 point (%2, %3) lies outside the image (%4 x %5 pixels).</source>
        <translation>Der %1 Punkt (%2, %3) liegt außerhalb des Bildes (%4 x %5 Pixel).</translation>
    </message>
    <message>
        <source>The %1 point (%2, %3) is not on a vessel: the nearest vessel pixel is %4 pixels away.</source>
        <translation>Der %1 Punkt (%2, %3) liegt nicht auf einem Gefäß: das nächste Gefäßpixel ist %4 Pixel entfernt.</translation>
    </message>
    <message>
        <source>The segmentation holds no vessel pixel.</source>
        <translation>Die Segmentierung enthält kein Gefäßpixel.</translation>
    </message>
    <message>
        <source>proximal</source>
        <translation>proximale</translation>
    </message>
    <message>
        <source>distal</source>
        <translation>distale</translation>
    </message>
    <message>
        <source>The two points lie on vessels that do not connect: there is no path between them.</source>
        <translation>Die beiden Punkte liegen auf Gefäßen, die nicht verbunden sind: zwischen ihnen gibt es keinen Pfad.</translation>
    </message>
    <message>
        <source>The image (%1 x %2) and its segmentation (%3 x %4) differ in size.</source>
        <translation>Das Bild (%1 x %2) und seine Segmentierung (%3 x %4) sind verschieden groß.</translation>
    </message>
    <message>
        <source>The two points are too close together to measure a profile between them.</source>
        <translation>Die beiden Punkte liegen zu nah beieinander, um zwischen ihnen ein Profil zu messen.</translation>
    </message>
    <message>
        <source>The catheter's size must be given, for example 6F or 2.0mm.</source>
        <translation>Die Größe des Katheters muss angegeben werden, zum Beispiel 6F oder 2.0mm.</translation>
    </message>
    <message>
        <source>Catheter: %1</source>
        <translation>Katheter: %1</translation>
    </message>
    <message>
        <source>The catheter has no measurable width between the two points.</source>
        <translation>Der Katheter hat zwischen den beiden Punkten keine messbare Breite.</translation>
    </message>
    <message>
        <source>mm</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>px</source>
        <translation>px</translation>
    </message>
    <message>
        <source>Diameter (%1) along the vessel (%1)</source>
        <translation>Durchmesser (%1) entlang des Gefäßes (%1)</translation>
    </message>
</context>
</TS>
