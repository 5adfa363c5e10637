#!/usr/bin/env python3
"""Writes the user's guide, doc/help/de/*.html and doc/help/en/*.html, from
the page texts below. Each page gets the same head and the links to the
contents and to the pages before and after it. Run it after changing a text;
the pictures in images/ come from packaging/screenshots/take-screenshots.sh."""
import html, os

# (file, German title, English title, German body, English body)
PAGES = []

def page(name, de_title, en_title, de, en):
    PAGES.append((name, de_title, en_title, de.strip(), en.strip()))

page("start.html", "Erste Schritte", "Getting started", """
<p>Beim ersten Start legt Tessaron seine Einstellungsdatei <code>Tessaron.INI</code> und den
Datenordner <code>DATA</code> an und erzeugt darin alle Tabellen. Danach erscheint das
Hauptfenster mit Menü, Symbolleiste und Statuszeile.</p>
<p><img src="images/main-window.png" alt="Hauptfenster"></p>
<h2>Wo Tessaron seine Dateien ablegt</h2>
<p>Als Paket installiert, hält Tessaron Einstellungen, Daten und Protokolle in Ihrem eigenen
Datenordner <code>~/.local/share/tessaron</code>. Eine Kopie, die aus einem beschreibbaren
Ordner mit ihren Sprachdateien gestartet wird (etwa von einem USB-Stick), legt alles neben
sich selbst ab. Einen anderen Datenordner, zum Beispiel auf einem Server, stellen Sie unter
<a href="options.html">Extras / Optionen</a> ein; er gilt ab dem nächsten Start.</p>
<h2>Zugangspaßwort</h2>
<p>Unter <a href="options.html">Optionen</a> können Sie ein Passwort mit höchstens 12 Zeichen
festlegen. Tessaron fragt es dann bei jedem Start einmal ab; eine falsche Eingabe beendet
das Programm ohne Meldung. Groß- und Kleinschreibung zählen.</p>
<h2>Nur einmal gleichzeitig</h2>
<p>Tessaron läuft pro Benutzer nur einmal. Ein zweiter Start meldet „Tessaron läuft bereits !“,
holt das laufende Fenster nach vorn und endet.</p>
<h2>Sprache</h2>
<p>Bei einer deutschen Spracheinstellung des Systems erscheint Tessaron auf Deutsch, sonst auf
Englisch. Die Sprache lässt sich unter <a href="options.html">Optionen</a> ändern.</p>
""", """
<p>At its first start Tessaron creates its settings file <code>Tessaron.INI</code> and the
data folder <code>DATA</code>, and creates every table in it. Then the main window appears
with its menu, tool bar and status line.</p>
<p><img src="images/main-window.png" alt="Main window"></p>
<h2>Where Tessaron keeps its files</h2>
<p>Installed as a package, Tessaron keeps its settings, data and logs in your own data folder
<code>~/.local/share/tessaron</code>. A copy started from a folder it may write to that holds
its language files (on a USB stick, say) keeps everything beside itself. Another data folder,
for example on a server, is set under <a href="options.html">Extras / Options</a>; it takes
effect at the next start.</p>
<h2>Access password</h2>
<p>Under <a href="options.html">Options</a> you can set a password of at most 12 characters.
Tessaron then asks for it once at every start; a wrong entry ends the program without a
message. Upper and lower case count.</p>
<h2>Only once at a time</h2>
<p>Tessaron runs only once per user. A second start says "Tessaron läuft bereits !" (Tessaron
is running already), brings the running window to the front and ends.</p>
<h2>Language</h2>
<p>With a German language setting of the system Tessaron speaks German, otherwise English.
The language can be changed under <a href="options.html">Options</a>.</p>
""")

page("main-window.html", "Das Hauptfenster", "The main window", """
<p>Das Hauptfenster nimmt die Fenster der Sammlungen auf. Jede Sammlung ist höchstens einmal
geöffnet; solange ihr Fenster offen ist, sind ihr Knopf und ihr Menüpunkt gesperrt.</p>
<p><img src="images/main-window-address-book.png" alt="Hauptfenster mit Adressbuch"></p>
<p>Die Symbolleiste öffnet von links nach rechts: Adressen, Termine, Musik, Videos, Bücherei,
Drucken des aktiven Fensters, Kalender, Rechner, Datei-Manager, Referenz-Datenbanken,
Optionen, Programm-Info, diese Hilfe und Beenden. Zeigt der Mauszeiger auf einen Knopf,
erklärt ihn die Statuszeile.</p>
<h2>Menüs</h2>
<ul>
<li><b>Daten</b>: die Sammlungen, Drucker einrichten, Drucken, Beenden.</li>
<li><b>Bearbeiten</b>: Rückgängig, Ausschneiden, Kopieren und Einfügen im Eingabefeld.</li>
<li><b>Fenster</b>: Fenster nebeneinander oder übereinander anordnen, verkleinern, maximieren, schließen.</li>
<li><b>Extras</b>: Rechner, Datei-Manager, <a href="reference-tables.html">Referenz-Datenbanken warten</a>,
<a href="backup.html">Daten reorganisieren</a>, <a href="update.html">Programm-Update</a>,
<a href="options.html">Optionen</a>.</li>
<li><b>Hilfe</b>: Programm-Info.</li>
</ul>
<p><img src="images/menu-Extras1.png" alt="Menü Extras"></p>
<h2>Drucken</h2>
<p>„Drucken“ gibt ein Bild des aktiven Fensters auf dem Drucker aus, auf die Seite eingepasst.
Listen der Sammlungen druckt der Knopf „Drucken“ im Fenster der Sammlung, siehe
<a href="printing.html">Listen drucken</a>.</p>
""", """
<p>The main window holds the windows of the collections. Each collection is open at most
once; while its window is open, its button and menu item are disabled.</p>
<p><img src="images/main-window-address-book.png" alt="Main window with the address book"></p>
<p>From left to right the tool bar opens: addresses, appointments, music, videos, books,
printing of the active window, calendar, calculator, file manager, reference tables, options,
program information, this help, and exit. The status line explains the button under the
mouse pointer.</p>
<h2>Menus</h2>
<ul>
<li><b>Data</b>: the collections, printer setup, print, exit.</li>
<li><b>Edit</b>: undo, cut, copy and paste in the text field.</li>
<li><b>Window</b>: tile or cascade the windows, minimise, maximise, close.</li>
<li><b>Extras</b>: calculator, file manager, <a href="reference-tables.html">maintain the reference tables</a>,
<a href="backup.html">reorganise the data</a>, <a href="update.html">program update</a>,
<a href="options.html">options</a>.</li>
<li><b>Help</b>: program information.</li>
</ul>
<p><img src="images/menu-Extras1.png" alt="Extras menu"></p>
<h2>Printing</h2>
<p>"Print" prints a picture of the active window, fitted to the page. The lists of a
collection are printed with the window's own "Print" button, see
<a href="printing.html">Printing lists</a>.</p>
""")

page("collections.html", "Arbeiten mit den Sammlungen", "Working with the collections", """
<p>Adressen, Termine, Musik, Videos und Bücher arbeiten alle gleich:</p>
<ul>
<li>Ein Datensatz wird auf einer oder mehreren Seiten gezeigt; die Seite „Notizen“ hält
einen freien Text zu jedem Datensatz, die Seite „Tabelle“ eine Liste aller Datensätze.</li>
<li>Die Knöpfe unten blättern zum ersten, vorigen, nächsten und letzten Datensatz,
fügen einen neuen ein (+), löschen den aktuellen (−) und beginnen das Bearbeiten (▲).
Erst dann nehmen die Felder Eingaben an.</li>
<li>„OK“ speichert die Änderung, „Abbruch“ verwirft sie. Beim Speichern merkt sich der
Datensatz das Datum der letzten Änderung.</li>
<li>Die <b>Schnell-Suche</b> springt beim Tippen zum ersten Datensatz, der mit dem Getippten
beginnt, in der aktuellen Sortierung.</li>
<li>„Daten-Filter“ zeigt nur passende Datensätze (siehe <a href="filter.html">Filter</a>),
„Drucken“ druckt Listen (siehe <a href="printing.html">Listen drucken</a>).</li>
</ul>
<p>Solange Sie einen Datensatz bearbeiten, ist er für andere Computer am selben Datenordner
gesperrt, siehe <a href="sharing.html">Daten gemeinsam nutzen</a>.</p>
""", """
<p>Addresses, appointments, music, videos and books all work the same way:</p>
<ul>
<li>A record is shown on one or more pages; the "Notes" page holds a free text for every
record, the "Table" page a list of all records.</li>
<li>The buttons at the bottom move to the first, previous, next and last record, insert a
new one (+), delete the current one (−) and start editing (▲). Only then do the fields
take input.</li>
<li>"OK" stores the change, "Cancel" drops it. On storing, the record notes the date of its
last change.</li>
<li>The <b>quick search</b> jumps, as you type, to the first record that begins with what
you typed, in the current order.</li>
<li>"Data filter" shows only the records that match (see <a href="filter.html">Filter</a>),
"Print" prints lists (see <a href="printing.html">Printing lists</a>).</li>
</ul>
<p>While you edit a record it is locked for the other computers on the same data folder, see
<a href="sharing.html">Sharing a data folder</a>.</p>
""")

page("addresses.html", "Adressbuch", "Address book", """
<p>Das Adressbuch hält Personen, Vereine und Firmen.</p>
<p><img src="images/address-book.png" alt="Adressbuch"></p>
<ul>
<li>Die Anrede ergibt sich aus dem Titel, das Geschlecht wird aus dem Vornamen erraten;
neue Titel merkt sich Tessaron für die Auswahlliste.</li>
<li>Die Postleitzahl füllt Ort und Vorwahl aus, wenn „Vorwahl automatisch“ in den
<a href="options.html">Optionen</a> eingeschaltet ist.</li>
<li>Die Telefonknöpfe neben den Nummern wählen die Nummer, siehe <a href="dialler.html">Telefonwahl</a>.</li>
<li>Der Knopf neben der E-Mail-Adresse öffnet Ihr E-Mail-Programm, der neben der Homepage
den Web-Browser.</li>
<li>Nur im Adressbuch wirkt der Knopf „Sortierung“: nach Name, Postleitzahl und weiteren
Reihenfolgen.</li>
</ul>
<p>Beim allerersten Öffnen des Adressbuchs zeigt Tessaron einmalig einen Hinweis.</p>
""", """
<p>The address book keeps persons, clubs and companies.</p>
<p><img src="images/address-book.png" alt="Address book"></p>
<ul>
<li>The salutation follows from the title, the sex is guessed from the first name; new
titles are learnt for the pick list.</li>
<li>The postal code fills in the town and the area code when "automatic area code" is on in
the <a href="options.html">options</a>.</li>
<li>The phone buttons beside the numbers dial them, see <a href="dialler.html">Phone dialler</a>.</li>
<li>The button beside the e-mail address opens your mail program, the one beside the home
page the web browser.</li>
<li>Only in the address book does the "Sort order" button work: by name, by postal code and
in further orders.</li>
</ul>
<p>The very first time the address book opens, Tessaron shows a note once.</p>
""")

page("appointments.html", "Termine und Serientermine", "Appointments and series", """
<p>Das Terminbuch hält Datum, Beginn und Ende, einen kurzen Text, eine Notiz und eine
Telefonnummer je Termin. Es öffnet beim heutigen Datum; die Telefonnummer lässt sich wählen
(<a href="dialler.html">Telefonwahl</a>).</p>
<h2>Serientermine</h2>
<p>Jeder Termin lässt sich in einem festen Abstand bis zu einem Enddatum wiederholen: Tessaron
schreibt dann für jedes Datum einen gewöhnlichen Termin und kennzeichnet alle mit derselben
Seriennummer. Ein Termin einer Serie ist im Fenster als solcher markiert. Über denselben Knopf
lassen sich alle Termine einer Serie auf einmal löschen.</p>
""", """
<p>The appointment book keeps a date, start and end time, a short text, a note and a phone
number per appointment. It opens on today's date; the phone number can be dialled
(<a href="dialler.html">Phone dialler</a>).</p>
<h2>Recurring appointments</h2>
<p>Every appointment can be repeated at a fixed interval up to an end date: Tessaron then
writes one ordinary appointment for each date and marks them all with the same series
number. An appointment of a series is marked as such in the window. The same button deletes
all appointments of a series at once.</p>
""")

page("music.html", "Musiksammlung, CD und CDDB", "Music, CDs and CDDB", """
<p>Die Musiksammlung hält CDs, Kassetten und Schallplatten Titel für Titel: jeder Datensatz
ist ein Stück auf einem Tonträger, den seine Nummer und seine Beschreibung kennzeichnen. Eine
eigene Seite listet alle Titel des aktuellen Tonträgers.</p>
<h2>CD-Spieler</h2>
<p>Wählen Sie das Laufwerk; Abspielen, Pause, Zurück, Vor, Stopp und Auswerfen steuern die
CD. Normalerweise liest das Programm die Musik digital von der CD und spielt sie über die
Tonausgabe des Computers – das geht mit jedem Laufwerk. Unter
<a href="options.html">Optionen</a>, „CD-Wiedergabe“, lässt sich stattdessen der
Audioausgang des Laufwerks selbst wählen, den viele neuere Laufwerke nicht mehr haben (dann
ohne Pause). Eine unlesbare Stelle wird übersprungen, und die Anzeige meldet das kurz.</p>
<h2>CDDB-Abfrage</h2>
<p>„CD für CDDB einlesen“ liest das Inhaltsverzeichnis der eingelegten CD und setzt sie auf
eine Warteliste – das geht ohne Internet. „CDDB-Abfrage starten“ fragt dann den CDDB-Server
nach allen wartenden CDs, lässt Sie bei mehreren Treffern wählen und zeigt Album- und
Titelnamen zur Übernahme. Den Server wählen Sie unter
<a href="reference-tables.html">Referenz-Datenbanken</a>, Seite „CDDB-Server“. Öffentliche
Server verlangen eine registrierte E-Mail-Adresse (<a href="options.html">Optionen</a>).</p>
""", """
<p>The music collection keeps CDs, cassettes and records title by title: each record is one
piece on one carrier, which its number and description identify. A page of its own lists
all titles of the current carrier.</p>
<h2>CD player</h2>
<p>Choose the drive; play, pause, previous, next, stop and eject control the CD. Normally
the program reads the music digitally from the disc and plays it through the computer's
sound output, which works with every drive. Under <a href="options.html">Options</a>, "CD
playback", you can choose the drive's own audio output instead, which many newer drives no
longer have (and which cannot pause). An unreadable part is skipped, and the status line
says so briefly.</p>
<h2>CDDB look-up</h2>
<p>"CD für CDDB einlesen" (read CD for CDDB) reads the table of contents of the disc in the
drive and puts it on a waiting list – this needs no Internet. "CDDB-Abfrage starten" (start
CDDB query) then asks the CDDB server about every waiting disc, lets you choose among several
matches and shows the album and track titles to take over. The server is chosen under
<a href="reference-tables.html">Reference tables</a>, page "CDDB-Server". Public servers want
a registered e-mail address (<a href="options.html">Options</a>).</p>
""")

page("videos.html", "Videosammlung", "Video collection", """
<p>Die Videosammlung hält die Filme auf Videokassetten: Titel, Beschreibung, Genre, Regie,
Darsteller, Kassette und Bandposition, Längen, Verleih, Preis, Wert und eine Bewertung. Das
Genre kommt aus einer Auswahlliste, die Sie unter
<a href="reference-tables.html">Referenz-Datenbanken</a> pflegen.</p>
""", """
<p>The video collection keeps the films on video cassettes: title, description, genre,
director, actors, cassette and position on the tape, lengths, lending, price, value and a
rating. The genre comes from a pick list that you maintain under
<a href="reference-tables.html">Reference tables</a>.</p>
""")

page("books.html", "Bücherei", "Book library", """
<p>Die Bücherei hält Nummer, Art, Genre, Seitenzahl, Autor, Titel, Beschreibung, Verleih,
Preis, Wert und Bewertung jedes Buches. Genre und Autor kommen aus Auswahllisten
(<a href="reference-tables.html">Referenz-Datenbanken</a>), die Buchart aus einer festen Liste.</p>
""", """
<p>The book library keeps the number, kind, genre, pages, author, title, description,
lending, price, value and rating of every book. Genre and author come from pick lists
(<a href="reference-tables.html">Reference tables</a>), the kind of book from a fixed list.</p>
""")

page("reference-tables.html", "Referenz-Datenbanken", "Reference tables", """
<p>Kleine Tabellen speisen die Auswahllisten der Fenster: Genres, Interpreten, Länder,
Postleitzahlen, Titel mit ihren Anreden, Vornamen mit ihrem Geschlecht und Autoren.
„Extras / Referenz-Datenbanken warten“ zeigt jede auf einer eigenen Seite als Tabelle, die Sie
direkt bearbeiten. Das Fenster öffnet erst, wenn alle anderen Fenster geschlossen sind.</p>
<p>Die Seite „CDDB-Server“ holt die Liste der CDDB-Server aus dem Internet und legt fest,
welchen Server die <a href="music.html">Musiksammlung</a> fragt.</p>
""", """
<p>Small tables feed the pick lists of the windows: genres, artists, countries, postal
codes, titles with their salutations, first names with their sex, and authors. "Extras /
Maintain reference tables" shows each on a page of its own as a grid that you edit directly.
The window opens only when every other window is closed.</p>
<p>The page "CDDB-Server" fetches the list of CDDB servers from the Internet and sets which
server the <a href="music.html">music collection</a> asks.</p>
""")

page("filter.html", "Filter", "Filter", """
<p>„Daten-Filter“ im Fenster einer Sammlung öffnet den Filterdialog. Für Adressen und Termine
geben Sie Bereiche (von – bis) und Suchwörter ein; Tessaron zeigt danach nur die passenden
Datensätze und nennt ihre Anzahl. Der Filter gilt bis zum Programmende auch für die gedruckten
Listen dieser Sammlung. Ein leerer Filter zeigt wieder alle Datensätze.</p>
""", """
<p>"Data filter" in a collection's window opens the filter dialog. For addresses and
appointments you enter ranges (from – to) and search words; Tessaron then shows only the
matching records and tells their number. The filter holds until the program ends, for the
printed lists of that collection too. An empty filter shows all records again.</p>
""")

page("printing.html", "Listen drucken", "Printing lists", """
<p>„Drucken“ im Fenster einer Sammlung lässt Sie eine Liste wählen – etwa das
Telefonverzeichnis der Adressen, die Termine von heute, vier Listen der Musiksammlung, eine
Video- und eine Bücherliste. Die Liste erscheint in einer Vorschau, aus der Sie drucken oder
eine PDF-Datei schreiben. Sortierung und Filter der Sammlung gelten auch für die Liste.</p>
""", """
<p>"Print" in a collection's window lets you choose a list – the telephone directory of the
addresses, today's appointments, four lists of the music collection, a list of videos and
one of books. The list appears in a preview, from which you print or write a PDF file. The
collection's order and filter hold for the list too.</p>
""")

page("dialler.html", "Telefonwahl", "Phone dialler", """
<p>Die Telefonknöpfe im Adressbuch und im Terminbuch wählen die Nummer des Datensatzes. Ist
„TAPI“ in den <a href="options.html">Optionen</a> eingeschaltet (die Voreinstellung), gibt
Tessaron die Nummer als <code>tel:</code>-Verweis an das Telefonieprogramm Ihres Desktops.</p>
<p>Sonst wählt Tessaron über ein Modem an der seriellen Schnittstelle (COM1 bis COM4, also
<code>/dev/ttyS0</code> bis <code>/dev/ttyS3</code>): es sendet den Initialisierungs- und den
Wählbefehl, bittet Sie, den Hörer abzunehmen, und legt das Modem danach auf, so dass der Hörer
das Gespräch übernimmt.</p>
""", """
<p>The phone buttons of the address book and the appointment book dial the record's number.
With "TAPI" on in the <a href="options.html">options</a> (the default), Tessaron hands the
number as a <code>tel:</code> link to your desktop's telephony program.</p>
<p>Otherwise Tessaron dials through a modem on a serial port (COM1 to COM4, that is
<code>/dev/ttyS0</code> to <code>/dev/ttyS3</code>): it sends the initialisation and the dial
command, asks you to lift the handset and then hangs the modem up, so that the handset
carries the call on.</p>
""")

page("calculator.html", "Rechner", "Calculator", """
<p>Ist in den <a href="options.html">Optionen</a> der interne Rechner gewählt, öffnet der
Rechner-Knopf eine Addiermaschine mit Papierstreifen; sonst startet der Rechner des Desktops.
Tippen Sie Zahlen und Rechenzeichen auch über die Tastatur; die Eingabetaste rechnet aus,
Escape schließt den Rechner.</p>
<p><img src="images/calculator.png" alt="Rechner"></p>
""", """
<p>With the internal calculator chosen in the <a href="options.html">options</a>, the
calculator button opens an adding machine with a paper tape; otherwise the desktop's
calculator starts. Numbers and operators can be typed on the keyboard too; Enter works out
the result, Escape closes the calculator.</p>
<p><img src="images/calculator.png" alt="Calculator"></p>
""")

page("calendar.html", "Kalender", "Calendar", """
<p>Der Kalender zeigt einen Monat als Tagesraster. Die Knöpfe blättern um einen Monat oder
ein Jahr und kehren zum heutigen Tag zurück; das Fenster lässt sich auf eine Zeile verkleinern.
Der Kalender liest und schreibt keine Daten.</p>
<p><img src="images/calendar.png" alt="Kalender"></p>
""", """
<p>The calendar shows a month as a grid of days. Its buttons move by a month or a year and
return to today; the window can be shrunk to a single line. The calendar reads and writes no
data.</p>
<p><img src="images/calendar.png" alt="Calendar"></p>
""")

page("options.html", "Optionen", "Options", """
<p>„Extras / Optionen“ öffnet die Einstellungen, sobald alle Fenster geschlossen sind: Name,
Anschrift und Telefon des Besitzers, Datenordner, Datei-Manager und Rechner, Zugangspaßwort,
die Fenster, die beim Start öffnen, die Knopfart, die CD-Anzeige und CD-Wiedergabe, die Sprache, Telefonwahl
(TAPI oder Modem mit Schnittstelle, Initialisierung und Wählart), E-Mail, Protokoll und die
Wartezeit für CDDB. Eine neue Sprache und ein neuer Datenordner gelten ab dem nächsten Start.</p>
""", """
<p>"Extras / Options" opens the settings once every window is closed: the owner's name,
address and phone, the data folder, file manager and calculator, the access password, the
windows to open at start, the button style, the CD display and CD playback, the language, dialling (TAPI or
modem with port, initialisation and dial mode), e-mail, the log and the CDDB time-out. A new
language and a new data folder take effect at the next start.</p>
""")

page("update.html", "Programm-Update", "Program update", """
<p>Ein Update kommt als Archiv <code>UPDATE.ZIP</code>, das Sie in den Programmordner legen.
„Extras / Programm-Update“ prüft, ob es neuer ist als das zuletzt eingespielte, packt es aus,
merkt sich sein Datum und beendet Tessaron; neue Datenbestände übernimmt der nächste Start.
Ein als Paket installiertes Tessaron aktualisieren Sie dagegen mit einem neueren Paket.</p>
""", """
<p>An update comes as an archive <code>UPDATE.ZIP</code> that you place in the program
folder. "Extras / Program update" checks that it is newer than the last one installed,
unpacks it, notes its date and ends Tessaron; new data are taken over at the next start. A
Tessaron installed as a package is updated with a newer package instead.</p>
""")

page("sharing.html", "Daten gemeinsam nutzen", "Sharing a data folder", """
<p>Mehrere Computer können gleichzeitig mit demselben Datenordner arbeiten, etwa auf einem
Netzlaufwerk. Stellen Sie dazu auf jedem Computer unter <a href="options.html">Optionen</a>
denselben Datenordner ein.</p>
<ul>
<li>Ein Datensatz, den jemand bearbeitet, ist gesperrt; wer ihn zugleich ändern will, erhält
eine Meldung und kann es später erneut versuchen. Lesen bleibt immer möglich.</li>
<li>Die Sperren sind die üblichen Bereichssperren der xBase-Programme: andere
FoxPro-kompatible Programme sehen und achten sie, und Tessaron achtet ihre.</li>
<li>Andere xBase-Programme dürfen die Tabellen lesen und Datensätze ändern oder anhängen.
Die Tabellenstruktur sollten sie nicht ändern: Tessaron erwartet seine Felder.</li>
</ul>
""", """
<p>Several computers may work on the same data folder at once, on a network drive for
example. Set the same data folder on every computer under <a href="options.html">Options</a>.</p>
<ul>
<li>A record somebody edits is locked; whoever wants to change it at the same time gets a
message and can try again later. Reading is always possible.</li>
<li>The locks are the usual byte-range locks of xBase programs: other FoxPro-compatible
programs see and respect them, and Tessaron respects theirs.</li>
<li>Other xBase programs may read the tables and change or append records. They should not
change a table's structure: Tessaron expects its fields.</li>
</ul>
""")

page("backup.html", "Sichern und reparieren", "Backing up and repairing", """
<h2>Sichern</h2>
<p>Alle Daten liegen im Datenordner (<code>DATA</code>): je Sammlung eine <code>.DBF</code>-Datei
mit ihrer <code>.CDX</code>-Indexdatei, dazu <code>NOTIZEN.FPT</code> mit den Notizen. Kopieren
Sie den ganzen Ordner, während Tessaron geschlossen ist – auf keinem Computer darf es den Ordner
gerade benutzen.</p>
<h2>Reorganisieren</h2>
<p>„Extras / Daten reorganisieren“ baut alle Indexdateien neu auf, etwa wenn eine Suche
falsche Ergebnisse liefert. Fehlende Tabellen und Indexdateien legt Tessaron bei jedem Start
selbst wieder an.</p>
<h2>Prüfen mit xbtool</h2>
<p>Das Befehlszeilenwerkzeug <code>xbtool</code> prüft eine Tabelle und ihre Indexdatei:</p>
<pre>xbtool check ~/.local/share/tessaron/DATA/ADRESS.DBF
xbtool reindex ~/.local/share/tessaron/DATA/ADRESS.DBF</pre>
<p><code>check</code> meldet jeden Fehler in Aufbau, Feldwerten und Index; <code>reindex</code>
baut den Index aus der Tabelle neu. Hat ein Absturz oder ein voller Datenträger eine Tabelle
beschädigt, holt <code>xbtool repair</code> alle vollständigen Datensätze zurück und baut den
Index neu; zuvor legt es Kopien der alten Dateien an (<code>ADRESS.DBF.bak</code> usw.).
<code>man xbtool</code> beschreibt alle Befehle.</p>
""", """
<h2>Backing up</h2>
<p>All data live in the data folder (<code>DATA</code>): one <code>.DBF</code> file per
collection with its <code>.CDX</code> index file, and <code>NOTIZEN.FPT</code> with the notes.
Copy the whole folder while Tessaron is closed – on every computer that uses the folder.</p>
<h2>Reorganising</h2>
<p>"Extras / Reorganise data" rebuilds every index file, for instance when a search gives
wrong results. Missing tables and index files are created again by Tessaron at every start.</p>
<h2>Checking with xbtool</h2>
<p>The command-line tool <code>xbtool</code> checks a table and its index file:</p>
<pre>xbtool check ~/.local/share/tessaron/DATA/ADRESS.DBF
xbtool reindex ~/.local/share/tessaron/DATA/ADRESS.DBF</pre>
<p><code>check</code> reports every fault of structure, field values and index;
<code>reindex</code> rebuilds the index from the table. When a crash or a full disk has
damaged a table, <code>xbtool repair</code> brings back every whole record and rebuilds the
index; it first keeps copies of the old files (<code>ADRESS.DBF.bak</code> and so on).
<code>man xbtool</code> describes every command.</p>
""")

page("keys.html", "Tastatur", "Keyboard keys", """
<table border="1" cellpadding="4" cellspacing="0">
<tr><th>Taste</th><th>Wirkung</th></tr>
<tr><td>Alt + unterstrichener Buchstabe</td><td>Menü, Knopf oder Feld mit diesem Buchstaben</td></tr>
<tr><td>Strg+Umschalt+F12</td><td>Tessaron beenden</td></tr>
<tr><td>Tab / Umschalt+Tab</td><td>nächstes / voriges Feld</td></tr>
<tr><td>Strg+X, Strg+C, Strg+V, Strg+Z</td><td>Ausschneiden, Kopieren, Einfügen, Rückgängig im Feld</td></tr>
<tr><td>Eingabe</td><td>im Rechner: Ergebnis („=“)</td></tr>
<tr><td>Escape</td><td>Dialog schließen; im Rechner: beenden</td></tr>
<tr><td>Eingabe im Suchfeld der Hilfe</td><td>alle Hilfeseiten durchsuchen</td></tr>
</table>
""", """
<table border="1" cellpadding="4" cellspacing="0">
<tr><th>Key</th><th>Effect</th></tr>
<tr><td>Alt + underlined letter</td><td>the menu, button or field with that letter</td></tr>
<tr><td>Ctrl+Shift+F12</td><td>exit Tessaron</td></tr>
<tr><td>Tab / Shift+Tab</td><td>next / previous field</td></tr>
<tr><td>Ctrl+X, Ctrl+C, Ctrl+V, Ctrl+Z</td><td>cut, copy, paste, undo in the field</td></tr>
<tr><td>Enter</td><td>in the calculator: the result ("=")</td></tr>
<tr><td>Escape</td><td>closes a dialog; in the calculator: quit</td></tr>
<tr><td>Enter in the help's search field</td><td>searches every help page</td></tr>
</table>
""")

INTRO = {
    "de": ("Tessaron – Hilfe", "Inhalt", "Zurück zum Inhalt", "Vorige Seite", "Nächste Seite",
           "<p>Tessaron verwaltet Adressen, Termine, Musik, Videos und Bücher eines Haushalts oder "
           "kleinen Büros. Das Suchfeld oben durchsucht alle Seiten.</p>"),
    "en": ("Tessaron – Help", "Contents", "Back to the contents", "Previous page", "Next page",
           "<p>Tessaron keeps the addresses, appointments, music, videos and books of a household or "
           "a small office. The search field at the top searches every page.</p>"),
}

def write(lang, folder):
    os.makedirs(folder, exist_ok=True)
    title, contents, back, prev_t, next_t, intro = INTRO[lang]
    idx = 1 if lang == "de" else 2
    body_idx = 3 if lang == "de" else 4
    def head(t):
        return ('<!DOCTYPE html>\n<html lang="%s">\n<head>\n<meta charset="utf-8">\n<title>%s</title>\n'
                '</head>\n<body>\n' % (lang, html.escape(t)))
    items = "\n".join('<li><a href="%s">%s</a></li>' % (p[0], p[idx]) for p in PAGES)
    with open(os.path.join(folder, "index.html"), "w", encoding="utf-8") as f:
        f.write(head(title) + "<h1>%s</h1>\n%s\n<h2>%s</h2>\n<ol>\n%s\n</ol>\n</body>\n</html>\n"
                % (title, intro, contents, items))
    for i, p in enumerate(PAGES):
        nav = ['<a href="index.html">%s</a>' % back]
        if i > 0:
            nav.append('<a href="%s">%s: %s</a>' % (PAGES[i - 1][0], prev_t, PAGES[i - 1][idx]))
        if i + 1 < len(PAGES):
            nav.append('<a href="%s">%s: %s</a>' % (PAGES[i + 1][0], next_t, PAGES[i + 1][idx]))
        with open(os.path.join(folder, p[0]), "w", encoding="utf-8") as f:
            f.write(head(p[idx] + " – Tessaron") + "<h1>%s</h1>\n%s\n<hr>\n<p>%s</p>\n</body>\n</html>\n"
                    % (p[idx], p[body_idx], " | ".join(nav)))

here = os.path.dirname(os.path.abspath(__file__))
write("de", os.path.join(here, "help", "de"))
write("en", os.path.join(here, "help", "en"))
