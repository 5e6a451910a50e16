<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>Accessibility</name>
    <message>
        <source>Previous month</source>
        <translation>Voriger Monat</translation>
    </message>
    <message>
        <source>Show the month before</source>
        <translation>Den Monat davor zeigen</translation>
    </message>
    <message>
        <source>Next month</source>
        <translation>Nächster Monat</translation>
    </message>
    <message>
        <source>Show the month after</source>
        <translation>Den Monat danach zeigen</translation>
    </message>
    <message>
        <source>Month</source>
        <translation>Monat</translation>
    </message>
    <message>
        <source>Choose the month to show</source>
        <translation>Den angezeigten Monat wählen</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>Jahr</translation>
    </message>
    <message>
        <source>Change the year shown</source>
        <translation>Das angezeigte Jahr ändern</translation>
    </message>
    <message>
        <source>The year to show</source>
        <translation>Das angezeigte Jahr</translation>
    </message>
    <message>
        <source>Days of the month</source>
        <translation>Tage des Monats</translation>
    </message>
    <message>
        <source>Choose a day</source>
        <translation>Einen Tag wählen</translation>
    </message>
    <message>
        <source>Vertical scroll bar</source>
        <translation>Senkrechte Bildlaufleiste</translation>
    </message>
    <message>
        <source>Horizontal scroll bar</source>
        <translation>Waagerechte Bildlaufleiste</translation>
    </message>
    <message>
        <source>Divider</source>
        <translation>Trennlinie</translation>
    </message>
    <message>
        <source>Drag to share the room between the two parts</source>
        <translation>Ziehen, um den Platz zwischen beiden Teilen aufzuteilen</translation>
    </message>
    <message>
        <source>Size grip</source>
        <translation>Größengriff</translation>
    </message>
    <message>
        <source>Drag to resize the window</source>
        <translation>Ziehen, um die Fenstergröße zu ändern</translation>
    </message>
    <message>
        <source>Menu bar</source>
        <translation>Menüleiste</translation>
    </message>
    <message>
        <source>Status bar</source>
        <translation>Statusleiste</translation>
    </message>
    <message>
        <source>More tools</source>
        <translation>Weitere Werkzeuge</translation>
    </message>
</context>
<context>
    <name>Bodies</name>
    <message>
        <source>Sun</source>
        <translation>Sonne</translation>
    </message>
    <message>
        <source>Moon</source>
        <translation>Mond</translation>
    </message>
    <message>
        <source>Mercury</source>
        <translation>Merkur</translation>
    </message>
    <message>
        <source>Venus</source>
        <translation>Venus</translation>
    </message>
    <message>
        <source>Mars</source>
        <translation>Mars</translation>
    </message>
    <message>
        <source>Jupiter</source>
        <translation>Jupiter</translation>
    </message>
    <message>
        <source>Saturn</source>
        <translation>Saturn</translation>
    </message>
    <message>
        <source>Uranus</source>
        <translation>Uranus</translation>
    </message>
    <message>
        <source>Neptune</source>
        <translation>Neptun</translation>
    </message>
    <message>
        <source>Pluto</source>
        <translation>Pluto</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>There is no default printer currently selected</source>
        <translation>Derzeit ist kein Standarddrucker ausgewählt</translation>
    </message>
    <message>
        <source>Cannot delete file %1</source>
        <translation>Die Datei %1 kann nicht gelöscht werden</translation>
    </message>
    <message>
        <source>Cannot create file %1</source>
        <translation>Die Datei %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Speichern unter</translation>
    </message>
    <message>
        <source>The document %1 has been written, but no program could be found to open it.</source>
        <translation>Das Dokument %1 wurde geschrieben, aber es fand sich kein Programm, das es öffnet.</translation>
    </message>
    <message>
        <source>Printing on %1 failed</source>
        <translation>Das Drucken auf %1 ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>Cannot create folder %1</source>
        <translation>Der Ordner %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>Cannot use folder %1</source>
        <translation>Der Ordner %1 kann nicht verwendet werden</translation>
    </message>
    <message>
        <source>The range of days must run forward and hold at most %1 days.</source>
        <translation>Der Zeitraum muss vorwärts laufen und darf höchstens %1 Tage umfassen.</translation>
    </message>
    <message>
        <source>Cannot create a temporary folder for the ephemeris program: %1</source>
        <translation>Für das Ephemeridenprogramm kann kein temporärer Ordner angelegt werden: %1</translation>
    </message>
    <message>
        <source>Error executing Astrolog</source>
        <translation>Fehler beim Ausführen von Astrolog</translation>
    </message>
    <message>
        <source>Astrolog return code %1</source>
        <translation>Astrolog-Rückgabewert %1</translation>
    </message>
    <message>
        <source>The %1 &quot;%2&quot; contains a line break or another control character; the job was not run.</source>
        <translation>Das Feld %1 „%2“ enthält einen Zeilenumbruch oder ein anderes Steuerzeichen; der Auftrag wurde nicht ausgeführt.</translation>
    </message>
    <message>
        <source> Correct it in the options.</source>
        <translation> Korrigieren Sie es in den Optionen.</translation>
    </message>
    <message>
        <source>The job&apos;s date or time is not valid; the job was not run.</source>
        <translation>Datum oder Uhrzeit des Auftrags sind ungültig; der Auftrag wurde nicht ausgeführt.</translation>
    </message>
    <message>
        <source>no program is named</source>
        <translation>es ist kein Programm angegeben</translation>
    </message>
    <message>
        <source>it was not found on the search path (PATH)</source>
        <translation>es wurde im Suchpfad (PATH) nicht gefunden</translation>
    </message>
    <message>
        <source>the file does not exist</source>
        <translation>die Datei existiert nicht</translation>
    </message>
    <message>
        <source>it is not a file</source>
        <translation>es ist keine Datei</translation>
    </message>
    <message>
        <source>the file is not executable</source>
        <translation>die Datei ist nicht ausführbar</translation>
    </message>
    <message>
        <source>the system refused to run it</source>
        <translation>das System hat die Ausführung verweigert</translation>
    </message>
    <message>
        <source>Cannot start the ephemeris program &quot;%1&quot;: %2. Dates are shown without the planets&apos; positions until it can be started; the key &quot;Astrolog&quot; of the settings file names the program to run.</source>
        <translation>Das Ephemeridenprogramm „%1“ kann nicht gestartet werden: %2. Bis es gestartet werden kann, werden Daten ohne die Stellungen der Planeten angezeigt; der Schlüssel „Astrolog“ der Einstellungsdatei nennt das auszuführende Programm.</translation>
    </message>
    <message>
        <source>the ephemeris program ran longer than %1 seconds and was stopped</source>
        <translation>das Ephemeridenprogramm lief länger als %1 Sekunden und wurde beendet</translation>
    </message>
    <message>
        <source>Cannot open file %1</source>
        <translation>Die Datei %1 kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>The settings file %1 is not a regular file. Remove it, or name another file with ORLAM_SETTINGS.</source>
        <translation>Die Einstellungsdatei %1 ist keine gewöhnliche Datei. Entfernen Sie sie oder nennen Sie mit ORLAM_SETTINGS eine andere Datei.</translation>
    </message>
    <message>
        <source>Unable to write to %1</source>
        <translation>%1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Unable to write to %1: the value of &quot;%2&quot; holds a line break</source>
        <translation>%1 kann nicht geschrieben werden: der Wert von „%2“ enthält einen Zeilenumbruch</translation>
    </message>
    <message>
        <source>Set Longitude and Latitude to %1 (%2, %3)</source>
        <translation>Länge und Breite auf %1 (%2, %3) setzen</translation>
    </message>
    <message>
        <source>The city line &quot;%1&quot; has no usable latitude and longitude (columns 26-32 and 36-42). Nothing was saved.</source>
        <translation>Die Ortszeile „%1“ hat keine brauchbare Breite und Länge (Spalten 26–32 und 36–42). Es wurde nichts gespeichert.</translation>
    </message>
    <message>
        <source>%1 is empty. Nothing was saved.</source>
        <translation>%1 ist leer. Es wurde nichts gespeichert.</translation>
    </message>
    <message>
        <source>%1 &quot;%2&quot; holds a blank or a control character. Nothing was saved.</source>
        <translation>%1 „%2“ enthält ein Leerzeichen oder ein Steuerzeichen. Es wurde nichts gespeichert.</translation>
    </message>
    <message>
        <source>Sorry, Orlam is only compatible with date formats of mdy or dmy. Set the LC_TIME environment variable to a locale that writes dates month or day first (for example LC_TIME=en_US.UTF-8 or LC_TIME=en_GB.UTF-8) and start Orlam again.</source>
        <translation>Orlam kann leider nur mit den Datumsformaten mdy und dmy arbeiten. Setzen Sie die Umgebungsvariable LC_TIME auf ein Gebietsschema, das Daten mit dem Monat oder dem Tag zuerst schreibt (zum Beispiel LC_TIME=en_US.UTF-8 oder LC_TIME=en_GB.UTF-8), und starten Sie Orlam erneut.</translation>
    </message>
    <message>
        <source>Place set to %1 (%2 %3) - change it in Options</source>
        <translation>Ort auf %1 (%2 %3) gesetzt – ändern Sie ihn unter Optionen</translation>
    </message>
    <message>
        <source>No place known for %1 - set yours in Options</source>
        <translation>Kein Ort für %1 bekannt – legen Sie Ihren unter Optionen fest</translation>
    </message>
    <message>
        <source>this time zone</source>
        <translation>diese Zeitzone</translation>
    </message>
    <message>
        <source>- Please wait -</source>
        <translation>- Bitte warten -</translation>
    </message>
    <message>
        <source>- Click Calculate Button to Compute -</source>
        <translation>- Zum Berechnen auf „Berechnen“ klicken -</translation>
    </message>
    <message>
        <source>Cannot make the document</source>
        <translation>Das Dokument kann nicht erstellt werden</translation>
    </message>
    <message>
        <source>Cannot create file in %1</source>
        <translation>In %1 kann keine Datei angelegt werden</translation>
    </message>
    <message>
        <source>The first day of the calendar is not a valid date.</source>
        <translation>Der erste Tag des Kalenders ist kein gültiges Datum.</translation>
    </message>
    <message>
        <source>A calendar holds 1 to %1 days; %2 days were asked for.</source>
        <translation>Ein Kalender umfasst 1 bis %1 Tage; verlangt wurden %2 Tage.</translation>
    </message>
    <message>
        <source>Choose at least one planet whose hours the calendar holds.</source>
        <translation>Wählen Sie mindestens einen Planeten, dessen Stunden der Kalender enthalten soll.</translation>
    </message>
    <message>
        <source>Choose at least one kind of event for the calendar.</source>
        <translation>Wählen Sie mindestens eine Art von Ereignis für den Kalender.</translation>
    </message>
    <message>
        <source>List index out of bounds (%1)</source>
        <translation>Listenindex außerhalb des gültigen Bereichs (%1)</translation>
    </message>
    <message>
        <source>The line is longer than %1 characters</source>
        <translation>Die Zeile ist länger als %1 Zeichen</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid date</source>
        <translation>„%1“ ist kein gültiges Datum</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is outside the years %2 to %3 that Orlam can chart</source>
        <translation>„%1“ liegt außerhalb der Jahre %2 bis %3, die Orlam berechnen kann</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid time</source>
        <translation>„%1“ ist keine gültige Uhrzeit</translation>
    </message>
    <message>
        <source>time zone</source>
        <translation>Zeitzone</translation>
    </message>
    <message>
        <source>longitude</source>
        <translation>Länge</translation>
    </message>
    <message>
        <source>latitude</source>
        <translation>Breite</translation>
    </message>
    <message>
        <source>report name</source>
        <translation>Berichtsname</translation>
    </message>
    <message>
        <source>%1 (line %2 of %3)</source>
        <translation>%1 (Zeile %2 von %3)</translation>
    </message>
    <message>
        <source>Missed: its minute passed while the clock was paused or the computer was asleep.</source>
        <translation>Verpasst: seine Minute verging, während die Uhr angehalten war oder der Computer schlief.</translation>
    </message>
    <message>
        <source>No source of planetary hours.</source>
        <translation>Keine Quelle für Planetenstunden.</translation>
    </message>
    <message>
        <source>  (missed)</source>
        <translation>  (verpasst)</translation>
    </message>
    <message>
        <source>Orlam cannot create its work folder %1: %2.</source>
        <translation>Orlam kann seinen Arbeitsordner %1 nicht anlegen: %2.</translation>
    </message>
    <message>
        <source>Orlam cannot lock its work folder %1: %2.</source>
        <translation>Orlam kann seinen Arbeitsordner %1 nicht sperren: %2.</translation>
    </message>
    <message>
        <source>a folder has the lock file&apos;s name %1</source>
        <translation>ein Ordner trägt den Namen der Sperrdatei %1</translation>
    </message>
    <message>
        <source>the file %1 is in the way of the lock; remove it</source>
        <translation>die Datei %1 steht der Sperre im Weg; entfernen Sie sie</translation>
    </message>
    <message>
        <source>the lock file could not be written</source>
        <translation>die Sperrdatei konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <source>The place has no valid time zone.</source>
        <translation>Der Ort hat keine gültige Zeitzone.</translation>
    </message>
    <message>
        <source>The rise and set report %1 is damaged at line %2: &quot;%3&quot;</source>
        <translation>Der Auf- und Untergangsbericht %1 ist in Zeile %2 beschädigt: „%3“</translation>
    </message>
    <message>
        <source> The job was not run. Correct it in the options.</source>
        <translation> Der Auftrag wurde nicht ausgeführt. Korrigieren Sie es in den Optionen.</translation>
    </message>
    <message>
        <source>The report %1 is larger than %2 MB, far more than the ephemeris program ever writes; it was not read.</source>
        <translation>Der Bericht %1 ist größer als %2 MB, weit mehr, als das Ephemeridenprogramm je schreibt; er wurde nicht gelesen.</translation>
    </message>
    <message>
        <source>Cannot write to standard output: %1</source>
        <translation>Die Standardausgabe kann nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <source>The time zone &quot;%1&quot; is not hours west of Greenwich like 6, -5.5 or -5:30.</source>
        <translation>Die Zeitzone „%1“ ist keine Stundenangabe westlich von Greenwich wie 6, -5.5 oder -5:30.</translation>
    </message>
    <message>
        <source>The time zone &quot;%1&quot; is outside -14 to +12 hours west of Greenwich.</source>
        <translation>Die Zeitzone „%1“ liegt außerhalb von -14 bis +12 Stunden westlich von Greenwich.</translation>
    </message>
    <message>
        <source> Nothing was saved.</source>
        <translation> Es wurde nichts gespeichert.</translation>
    </message>
    <message>
        <source>The ephemeris program left no chart with the Sun and the Moon in %1</source>
        <translation>Das Ephemeridenprogramm hat in %1 kein Horoskop mit Sonne und Mond hinterlassen</translation>
    </message>
    <message>
        <source>event</source>
        <translation>Ereignis</translation>
    </message>
    <message>
        <source>events</source>
        <translation>Ereignisse</translation>
    </message>
    <message>
        <source>day</source>
        <translation>Tag</translation>
    </message>
    <message>
        <source>days</source>
        <translation>Tage</translation>
    </message>
    <message>
        <source>line</source>
        <translation>Zeile</translation>
    </message>
    <message>
        <source>lines</source>
        <translation>Zeilen</translation>
    </message>
</context>
<context>
    <name>orlam::BatchDialog</name>
    <message>
        <source>Text files (*.txt *.csv);;All files (*)</source>
        <translation>Textdateien (*.txt *.csv);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Batch Conversion</source>
        <translation>Stapelverarbeitung</translation>
    </message>
    <message>
        <source>File of Moments</source>
        <translation>Datei der Zeitpunkte</translation>
    </message>
    <message>
        <source>File for the Dates</source>
        <translation>Datei für die Daten</translation>
    </message>
    <message>
        <source>Each line of the input names a moment and a place; the output gets the Thelemic date of each line.</source>
        <translation>Jede Zeile der Eingabe nennt einen Zeitpunkt und einen Ort; die Ausgabe erhält das thelemische Datum jeder Zeile.</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Durchsuchen...</translation>
    </message>
    <message>
        <source>&amp;Input file:</source>
        <translation>&amp;Eingabedatei:</translation>
    </message>
    <message>
        <source>&amp;Output file:</source>
        <translation>&amp;Ausgabedatei:</translation>
    </message>
    <message>
        <source>&amp;Convert</source>
        <translation>&amp;Umwandeln</translation>
    </message>
</context>
<context>
    <name>orlam::CalendarExportDialog</name>
    <message>
        <source>Export to Calendar</source>
        <translation>In Kalender exportieren</translation>
    </message>
    <message>
        <source>&amp;From:</source>
        <translation>&amp;Ab:</translation>
    </message>
    <message>
        <source>&amp;Length:</source>
        <translation>&amp;Dauer:</translation>
    </message>
    <message>
        <source>Include</source>
        <translation>Enthalten</translation>
    </message>
    <message>
        <source>&amp;Planetary hours of</source>
        <translation>&amp;Planetenstunden von</translation>
    </message>
    <message>
        <source>&amp;Sun and Moon: rise, set and culminations</source>
        <translation>&amp;Sonne und Mond: Auf- und Untergang, Kulminationen</translation>
    </message>
    <message>
        <source>&amp;New and Full Moons, sign ingresses</source>
        <translation>&amp;Neu- und Vollmonde, Zeicheneintritte</translation>
    </message>
    <message>
        <source>&amp;Export...</source>
        <translation>&amp;Exportieren...</translation>
    </message>
    <message>
        <source> day</source>
        <translation> Tag</translation>
    </message>
    <message>
        <source> days</source>
        <translation> Tage</translation>
    </message>
</context>
<context>
    <name>orlam::HoursMenu</name>
    <message>
        <source>&amp;Next hour of</source>
        <translation>&amp;Nächste Stunde von</translation>
    </message>
    <message>
        <source>Planetary hours for the &amp;week</source>
        <translation>Planetenstunden der &amp;Woche</translation>
    </message>
    <message>
        <source>&amp;Export to calendar...</source>
        <translation>In Kalender &amp;exportieren...</translation>
    </message>
    <message>
        <source>Export to Calendar</source>
        <translation>In Kalender exportieren</translation>
    </message>
    <message>
        <source>iCalendar files (*.ics);;All files (*)</source>
        <translation>iCalendar-Dateien (*.ics);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>No program is set to open calendar files (.ics) on this computer. Import the file from your calendar program:
%1</source>
        <translation>Auf diesem Computer ist kein Programm zum Öffnen von Kalenderdateien (.ics) eingerichtet. Importieren Sie die Datei in Ihrem Kalenderprogramm:
%1</translation>
    </message>
    <message>
        <source>%1 of %2 were saved in %3.

Open the file in your calendar program now?</source>
        <translation>%1 für %2 wurden in %3 gespeichert.

Die Datei jetzt in Ihrem Kalenderprogramm öffnen?</translation>
    </message>
</context>
<context>
    <name>orlam::TAboutBox</name>
    <message>
        <source>About Orlam</source>
        <translation>Über Orlam</translation>
    </message>
    <message>
        <source>Written by the Orlam authors
City list: city-timezones (MIT)</source>
        <translation>Geschrieben von den Orlam-Autoren
Ortsliste: city-timezones (MIT)</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Compiled: %1</source>
        <translation>Kompiliert: %1</translation>
    </message>
</context>
<context>
    <name>orlam::TOrm</name>
    <message>
        <source>Alarm and clock will be paused. Use Clock menu to resume.</source>
        <translation>Alarm und Uhr werden angehalten. Über das Menü Uhr laufen sie weiter.</translation>
    </message>
    <message>
        <source>Date tool</source>
        <translation>Datumswerkzeuge</translation>
    </message>
    <message>
        <source>Calculate using displayed information</source>
        <translation>Mit den angezeigten Angaben berechnen</translation>
    </message>
    <message>
        <source>Set Date/Time to &quot;Now&quot; and Calculate</source>
        <translation>Datum/Uhrzeit auf „Jetzt“ setzen und berechnen</translation>
    </message>
    <message>
        <source>Copy Thelemic Date to clipboard</source>
        <translation>Thelemisches Datum in die Zwischenablage kopieren</translation>
    </message>
    <message>
        <source>Display Astrolog program output</source>
        <translation>Ausgabe des Astrolog-Programms anzeigen</translation>
    </message>
    <message>
        <source>Display Planetary Hours</source>
        <translation>Planetenstunden anzeigen</translation>
    </message>
    <message>
        <source>Toggle Event Display</source>
        <translation>Ereignisanzeige ein- und ausschalten</translation>
    </message>
    <message>
        <source>Program Options</source>
        <translation>Programmoptionen</translation>
    </message>
    <message>
        <source>Random Verse</source>
        <translation>Zufälliger Vers</translation>
    </message>
    <message>
        <source>Thelemic date</source>
        <translation>Thelemisches Datum</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Select all</source>
        <translation>Alles auswählen</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Calculate</source>
        <translation>&amp;Berechnen</translation>
    </message>
    <message>
        <source>&amp;Now</source>
        <translation>&amp;Jetzt</translation>
    </message>
    <message>
        <source>&amp;Batch..</source>
        <translation>S&amp;tapelverarbeitung..</translation>
    </message>
    <message>
        <source>&amp;Print...</source>
        <translation>&amp;Drucken...</translation>
    </message>
    <message>
        <source>&amp;Save...</source>
        <translation>&amp;Speichern...</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>B&amp;eenden</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Copy to clipboad</source>
        <translation>In die &amp;Zwischenablage kopieren</translation>
    </message>
    <message>
        <source>Insert into &amp;Word97</source>
        <translation>In &amp;Word97 einfügen</translation>
    </message>
    <message>
        <source>&amp;Clock</source>
        <translation>&amp;Uhr</translation>
    </message>
    <message>
        <source>Paused</source>
        <translation>Angehalten</translation>
    </message>
    <message>
        <source>&amp;Reports</source>
        <translation>Be&amp;richte</translation>
    </message>
    <message>
        <source>&amp;Calendar</source>
        <translation>&amp;Kalender</translation>
    </message>
    <message>
        <source>For the &amp;Month</source>
        <translation>Für den &amp;Monat</translation>
    </message>
    <message>
        <source>For the &amp;Year</source>
        <translation>Für das &amp;Jahr</translation>
    </message>
    <message>
        <source>&amp;Astrological data</source>
        <translation>&amp;Astrologische Daten</translation>
    </message>
    <message>
        <source>&amp;Planetary hours</source>
        <translation>&amp;Planetenstunden</translation>
    </message>
    <message>
        <source>&amp;Random Verse</source>
        <translation>&amp;Zufälliger Vers</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;ToolBars</source>
        <translation>&amp;Werkzeugleisten</translation>
    </message>
    <message>
        <source>&amp;Status bar</source>
        <translation>&amp;Statusleiste</translation>
    </message>
    <message>
        <source>&amp;Monthly calendar</source>
        <translation>&amp;Monatskalender</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Optionen</translation>
    </message>
    <message>
        <source>&amp;Program options</source>
        <translation>&amp;Programmoptionen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>Ü&amp;ber</translation>
    </message>
    <message>
        <source>&amp;Web</source>
        <translation>&amp;Web</translation>
    </message>
    <message>
        <source>&amp;Orlam Homepage</source>
        <translation>&amp;Orlam-Homepage</translation>
    </message>
    <message>
        <source>Naval Observatory</source>
        <translation>Naval Observatory</translation>
    </message>
    <message>
        <source>O.T.O.</source>
        <translation>O.T.O.</translation>
    </message>
    <message>
        <source>Other Software</source>
        <translation>Andere Software</translation>
    </message>
    <message>
        <source>&amp;Topics</source>
        <translation>&amp;Themen</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Quote</source>
        <translation>Zitat</translation>
    </message>
    <message>
        <source>Word Document</source>
        <translation>Word-Dokument</translation>
    </message>
    <message>
        <source>ClipBoard</source>
        <translation>Zwischenablage</translation>
    </message>
    <message>
        <source>Law</source>
        <translation>Gesetz</translation>
    </message>
    <message>
        <source>US &amp;Naval Observatory</source>
        <translation>US &amp;Naval Observatory</translation>
    </message>
    <message>
        <source>&amp;O.T.O.</source>
        <translation>&amp;O.T.O.</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Wiederherstellen</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Close Orlam without saving the window&apos;s size and place?</source>
        <translation>Orlam schließen, ohne Größe und Lage des Fensters zu speichern?</translation>
    </message>
    <message>
        <source>The day to calculate; changing it pauses the clock</source>
        <translation>Der zu berechnende Tag; eine Änderung hält die Uhr an</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>The time of day to calculate; changing it pauses the clock</source>
        <translation>Die zu berechnende Uhrzeit; eine Änderung hält die Uhr an</translation>
    </message>
    <message>
        <source>Calculate</source>
        <translation>Berechnen</translation>
    </message>
    <message>
        <source>Now</source>
        <translation>Jetzt</translation>
    </message>
    <message>
        <source>Copy date</source>
        <translation>Datum kopieren</translation>
    </message>
    <message>
        <source>Astrological data</source>
        <translation>Astrologische Daten</translation>
    </message>
    <message>
        <source>Planetary hours</source>
        <translation>Planetenstunden</translation>
    </message>
    <message>
        <source>Alarm events</source>
        <translation>Alarmereignisse</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Random verse</source>
        <translation>Zufälliger Vers</translation>
    </message>
    <message>
        <source>Month calendar</source>
        <translation>Monatskalender</translation>
    </message>
    <message>
        <source>Click a day to calculate its date</source>
        <translation>Klicken Sie auf einen Tag, um sein Datum zu berechnen</translation>
    </message>
    <message>
        <source>The date and the reports of the last calculation</source>
        <translation>Das Datum und die Berichte der letzten Berechnung</translation>
    </message>
    <message>
        <source>The day&apos;s events; a checked event sounds no alarm</source>
        <translation>Die Ereignisse des Tages; ein abgehaktes Ereignis löst keinen Alarm aus</translation>
    </message>
    <message>
        <source>Calendar and view</source>
        <translation>Kalender und Anzeige</translation>
    </message>
    <message>
        <source>Clock paused</source>
        <translation>Uhr angehalten</translation>
    </message>
    <message>
        <source>&amp;Alarm Events</source>
        <translation>&amp;Alarmereignisse</translation>
    </message>
    <message>
        <source>%1 of %2 converted into %3.</source>
        <translation>%1 aus %2 in %3 umgewandelt.</translation>
    </message>
</context>
<context>
    <name>orlam::TfOptions</name>
    <message>
        <source>Confirm</source>
        <translation>Bestätigen</translation>
    </message>
    <message>
        <source>The options were not saved.</source>
        <translation>Die Optionen wurden nicht gespeichert.</translation>
    </message>
    <message>
        <source>Close without saving</source>
        <translation>Schließen ohne Speichern</translation>
    </message>
    <message>
        <source>Stay in Options</source>
        <translation>In den Optionen bleiben</translation>
    </message>
    <message>
        <source>Formatting</source>
        <translation>Formatierung</translation>
    </message>
    <message>
        <source>Astrological</source>
        <translation>Astrologisch</translation>
    </message>
    <message>
        <source>Additional</source>
        <translation>Weiteres</translation>
    </message>
    <message>
        <source>Alarm</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>&amp;Try</source>
        <translation>&amp;Ausprobieren</translation>
    </message>
    <message>
        <source>Try these values</source>
        <translation>Diese Werte ausprobieren</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Close dialog</source>
        <translation>Dialog schließen</translation>
    </message>
    <message>
        <source>&amp;Defaults</source>
        <translation>&amp;Standardwerte</translation>
    </message>
    <message>
        <source>Reset all options to default values</source>
        <translation>Alle Optionen auf die Standardwerte zurücksetzen</translation>
    </message>
    <message>
        <source>Short Format</source>
        <translation>Kurzformat</translation>
    </message>
    <message>
        <source>Long Format</source>
        <translation>Langformat</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keines</translation>
    </message>
    <message>
        <source>Date Format</source>
        <translation>Datumsformat</translation>
    </message>
    <message>
        <source>Date format</source>
        <translation>Datumsformat</translation>
    </message>
    <message>
        <source>Lines</source>
        <translation>Zeilen</translation>
    </message>
    <message>
        <source>One Line</source>
        <translation>Eine Zeile</translation>
    </message>
    <message>
        <source>Two Lines</source>
        <translation>Zwei Zeilen</translation>
    </message>
    <message>
        <source>Three Lines</source>
        <translation>Drei Zeilen</translation>
    </message>
    <message>
        <source>Total lines to format</source>
        <translation>Anzahl der Zeilen</translation>
    </message>
    <message>
        <source>Aspect</source>
        <translation>Aspekt</translation>
    </message>
    <message>
        <source>Simple</source>
        <translation>Einfach</translation>
    </message>
    <message>
        <source>Degrees</source>
        <translation>Grade</translation>
    </message>
    <message>
        <source>Include minutes</source>
        <translation>Mit Minuten</translation>
    </message>
    <message>
        <source>Time Format</source>
        <translation>Zeitformat</translation>
    </message>
    <message>
        <source>Time format</source>
        <translation>Zeitformat</translation>
    </message>
    <message>
        <source>Basic</source>
        <translation>Grundform</translation>
    </message>
    <message>
        <source>Include &quot;Anno&quot; in 93 date</source>
        <translation>„Anno“ in das 93-Datum aufnehmen</translation>
    </message>
    <message>
        <source>Year Format</source>
        <translation>Jahresformat</translation>
    </message>
    <message>
        <source>Year format</source>
        <translation>Jahresformat</translation>
    </message>
    <message>
        <source>Day begins</source>
        <translation>Tag beginnt</translation>
    </message>
    <message>
        <source>12:00 (Common Time)</source>
        <translation>12:00 (bürgerliche Zeit)</translation>
    </message>
    <message>
        <source>Sun Rise</source>
        <translation>Sonnenaufgang</translation>
    </message>
    <message>
        <source>Sun Set</source>
        <translation>Sonnenuntergang</translation>
    </message>
    <message>
        <source>Insert Thelemic Greetings</source>
        <translation>Thelemische Grüße einfügen</translation>
    </message>
    <message>
        <source>Quoted</source>
        <translation>In Anführungszeichen</translation>
    </message>
    <message>
        <source>House System</source>
        <translation>Häusersystem</translation>
    </message>
    <message>
        <source>House system</source>
        <translation>Häusersystem</translation>
    </message>
    <message>
        <source>Zodiac</source>
        <translation>Tierkreis</translation>
    </message>
    <message>
        <source>Tropical</source>
        <translation>Tropisch</translation>
    </message>
    <message>
        <source>Siderial</source>
        <translation>Siderisch</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>Standard Time</source>
        <translation>Normalzeit</translation>
    </message>
    <message>
        <source>Daylight Time</source>
        <translation>Sommerzeit</translation>
    </message>
    <message>
        <source>System Locale Settings</source>
        <translation>Systemeinstellungen</translation>
    </message>
    <message>
        <source>Daylight time adjustment</source>
        <translation>Anpassung an die Sommerzeit</translation>
    </message>
    <message>
        <source>Time Zone</source>
        <translation>Zeitzone</translation>
    </message>
    <message>
        <source>Time zone</source>
        <translation>Zeitzone</translation>
    </message>
    <message>
        <source>Location on Earth</source>
        <translation>Ort auf der Erde</translation>
    </message>
    <message>
        <source>Longitude</source>
        <translation>Länge</translation>
    </message>
    <message>
        <source>Latitude</source>
        <translation>Breite</translation>
    </message>
    <message>
        <source>Try this to find your Longitude and Latitude on World Wide Web</source>
        <translation>Hier finden Sie Ihre Länge und Breite im World Wide Web</translation>
    </message>
    <message>
        <source>Save long/lat</source>
        <translation>Länge/Breite speichern</translation>
    </message>
    <message>
        <source>Save this latitude and logitude as default</source>
        <translation>Diese Breite und Länge als Standard speichern</translation>
    </message>
    <message>
        <source>Include Aspect charts</source>
        <translation>Aspekttabellen einbeziehen</translation>
    </message>
    <message>
        <source>Generate additional aspect charts</source>
        <translation>Zusätzliche Aspekttabellen erzeugen</translation>
    </message>
    <message>
        <source>Always Insert in Clipboard</source>
        <translation>Immer in die Zwischenablage einfügen</translation>
    </message>
    <message>
        <source>Replace clipboard on start up and calculation</source>
        <translation>Die Zwischenablage beim Start und bei jeder Berechnung ersetzen</translation>
    </message>
    <message>
        <source>Update Program Caption</source>
        <translation>Programmtitel aktualisieren</translation>
    </message>
    <message>
        <source>Show Hints</source>
        <translation>Hinweise anzeigen</translation>
    </message>
    <message>
        <source>Show hints</source>
        <translation>Hinweise anzeigen</translation>
    </message>
    <message>
        <source>Local File Save</source>
        <translation>Lokal speichern</translation>
    </message>
    <message>
        <source>Start at login</source>
        <translation>Beim Anmelden starten</translation>
    </message>
    <message>
        <source>Start Orlam when you log in</source>
        <translation>Orlam beim Anmelden starten</translation>
    </message>
    <message>
        <source>Clear Astrolog window with each computation</source>
        <translation>Astrolog-Fenster bei jeder Berechnung leeren</translation>
    </message>
    <message>
        <source>Include Wheel chart  (Causes additional call to Astrolog)</source>
        <translation>Radhoroskop einbeziehen  (zusätzlicher Aufruf von Astrolog)</translation>
    </message>
    <message>
        <source>Reverse colors </source>
        <translation>Farben umkehren </translation>
    </message>
    <message>
        <source>White background wheel</source>
        <translation>Rad mit weißem Hintergrund</translation>
    </message>
    <message>
        <source>Monochrome</source>
        <translation>Einfarbig</translation>
    </message>
    <message>
        <source>Rise/Set/Zenith/Nadir Alarms</source>
        <translation>Alarme für Aufgang/Untergang/Zenit/Nadir</translation>
    </message>
    <message>
        <source>Planetary Hours Alarms</source>
        <translation>Alarme für Planetenstunden</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>City List</source>
        <translation>Ortsliste</translation>
    </message>
    <message>
        <source>Times before Sunrise will now be adjusted back to prior day of week.  Causes two additional calls to Astrolog.</source>
        <translation>Zeiten vor Sonnenaufgang werden nun auf den vorigen Wochentag zurückgesetzt.  Bewirkt zwei zusätzliche Aufrufe von Astrolog.</translation>
    </message>
    <message>
        <source>Times after Sunset will now be adjusted forward to next day of week.  Causes two additional calls to Astrolog.</source>
        <translation>Zeiten nach Sonnenuntergang werden nun auf den nächsten Wochentag vorgesetzt.  Bewirkt zwei zusätzliche Aufrufe von Astrolog.</translation>
    </message>
    <message>
        <source>The &quot;System Locale Settings&quot; option uses the Timezone and Daylight Savings Time settings of your computer. It probably will not give correct results if you try dates outside the current gregorian calendar year at this time. It is useful if you typically use this program for current date/time, as it will automatically adjust these settings.</source>
        <translation>Die Option „Systemeinstellungen“ verwendet die Zeitzonen- und Sommerzeiteinstellungen Ihres Computers. Für Daten außerhalb des laufenden gregorianischen Kalenderjahres liefert sie wahrscheinlich keine richtigen Ergebnisse. Sie ist nützlich, wenn Sie dieses Programm meist für das aktuelle Datum und die aktuelle Uhrzeit verwenden, da sie diese Einstellungen selbst anpasst.</translation>
    </message>
    <message>
        <source>Type part of a city&apos;s name and choose its line to take its place</source>
        <translation>Geben Sie einen Teil des Ortsnamens ein und wählen Sie seine Zeile, um seinen Ort zu übernehmen</translation>
    </message>
    <message>
        <source>Look up coordinates</source>
        <translation>Koordinaten nachschlagen</translation>
    </message>
</context>
</TS>
