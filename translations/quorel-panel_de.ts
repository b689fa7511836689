<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>AppDelegate</name>
    <message>
        <source>Playing %1 stopped: %2</source>
        <translation>Wiedergabe von %1 angehalten: %2</translation>
    </message>
    <message>
        <source>Recording %1 stopped: %2</source>
        <translation>Aufnahme von %1 angehalten: %2</translation>
    </message>
    <message>
        <source>The recording was saved, but %1</source>
        <translation>Die Aufnahme wurde gespeichert, aber %1</translation>
    </message>
</context>
<context>
    <name>BackgroundMode</name>
    <message>
        <source>Show the panel</source>
        <translation>Panel anzeigen</translation>
    </message>
    <message>
        <source>Monitor</source>
        <translation>Mithören</translation>
    </message>
    <message>
        <source>Denoise</source>
        <translation>Rauschunterdrückung</translation>
    </message>
    <message>
        <source>Keep running when the window is closed</source>
        <translation>Weiterlaufen, wenn das Fenster geschlossen wird</translation>
    </message>
    <message>
        <source>Start at login</source>
        <translation>Bei der Anmeldung starten</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>%1 — the device does not respond</source>
        <translation>%1 — das Gerät antwortet nicht</translation>
    </message>
    <message>
        <source>Quorel Panel: %1</source>
        <translation>Quorel Panel: %1</translation>
    </message>
    <message>
        <source>Cannot change %1: %2</source>
        <translation>%1 kann nicht geändert werden: %2</translation>
    </message>
    <message>
        <source>Cannot store the option in %1</source>
        <translation>Die Einstellung kann nicht in %1 gespeichert werden</translation>
    </message>
    <message>
        <source>Cannot change &quot;%1&quot;: %2</source>
        <translation>„%1“ kann nicht geändert werden: %2</translation>
    </message>
    <message>
        <source>Quorel Panel</source>
        <translation>Quorel Panel</translation>
    </message>
</context>
<context>
    <name>Button</name>
    <message>
        <source>Reset equaliser</source>
        <translation>Equalizer zurücksetzen</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Aufnehmen</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
</context>
<context>
    <name>CheckButton</name>
    <message>
        <source>Denoise</source>
        <translation>Rauschunterdrückung</translation>
    </message>
    <message>
        <source>Monitor</source>
        <translation>Mithören</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>%1: %2
Try &apos;%1 --help&apos;.
</source>
        <translation>%1: %2
Siehe „%1 --help“.
</translation>
    </message>
    <message>
        <source>Keys: speaker, mic (0 to 100), stage1 .. stage5 (-15 to 15), reverb (0 to 100),
monitor, denoise, mixer (on or off).

--status, --set and --toggle talk to the panel running in this session and
exit with 0 on success, 1 when the panel answered with an error, 2 for a
wrong key or value, 3 when no panel runs, 4 when the device is not linked
(--status prints the state either way and exits 0 only when linked).</source>
        <translation>Schlüssel: speaker, mic (0 bis 100), stage1 .. stage5 (-15 bis 15), reverb (0 bis 100),
monitor, denoise, mixer (on oder off).

--status, --set und --toggle sprechen mit dem Panel, das in dieser Sitzung läuft, und
enden mit 0 bei Erfolg, 1, wenn das Panel mit einem Fehler antwortet, 2 bei einem
falschen Schlüssel oder Wert, 3, wenn kein Panel läuft, 4, wenn das Gerät nicht verbunden ist
(--status gibt den Zustand in jedem Fall aus und endet nur verbunden mit 0).</translation>
    </message>
    <message>
        <source>Usage: %1 [options] [key=value ...]</source>
        <translation>Aufruf: %1 [Optionen] [key=value ...]</translation>
    </message>
    <message>
        <source>Control panel for the Quorel IIS Audio. Without options it starts the panel
(or brings the running one to the front).

</source>
        <translation>Bedienfeld für das Quorel IIS Audio. Ohne Optionen startet es das Panel
(oder holt das laufende in den Vordergrund).

</translation>
    </message>
    <message>
        <source>Start in the background, without showing the window.</source>
        <translation>Im Hintergrund starten, ohne das Fenster zu zeigen.</translation>
    </message>
    <message>
        <source>Print the running panel&apos;s state, one key=value a line.</source>
        <translation>Den Zustand des laufenden Panels ausgeben, ein key=value je Zeile.</translation>
    </message>
    <message>
        <source>Set each key=value given as an argument (e.g. denoise=on stage3=-4).</source>
        <translation>Jedes als Argument angegebene key=value setzen (z. B. denoise=on stage3=-4).</translation>
    </message>
    <message>
        <source>Switch monitor, denoise or mixer over (may be repeated).</source>
        <translation>monitor, denoise oder mixer umschalten (mehrfach möglich).</translation>
    </message>
    <message>
        <source>With --set: the settings to change.</source>
        <translation>Mit --set: die zu ändernden Einstellungen.</translation>
    </message>
    <message>
        <source>unexpected argument &quot;%1&quot; (settings go after --set)</source>
        <translation>unerwartetes Argument „%1“ (Einstellungen gehören hinter --set)</translation>
    </message>
    <message>
        <source>--set needs at least one key=value</source>
        <translation>--set braucht mindestens ein key=value</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not key=value</source>
        <translation>„%1“ ist kein key=value</translation>
    </message>
    <message>
        <source>unknown key &quot;%1&quot;; the keys are %2</source>
        <translation>unbekannter Schlüssel „%1“; die Schlüssel sind %2</translation>
    </message>
    <message>
        <source>--toggle takes monitor, denoise or mixer, not &quot;%1&quot;</source>
        <translation>--toggle nimmt monitor, denoise oder mixer, nicht „%1“</translation>
    </message>
    <message>
        <source>--hidden starts the panel; it does not go with --status, --set or --toggle</source>
        <translation>--hidden startet das Panel; es passt nicht zu --status, --set oder --toggle</translation>
    </message>
    <message>
        <source>cannot read the panel&apos;s state</source>
        <translation>der Zustand des Panels kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>cannot set %1</source>
        <translation>%1 kann nicht gesetzt werden</translation>
    </message>
    <message>
        <source>no session bus to reach the panel over (%1)</source>
        <translation>kein Sitzungsbus, über den das Panel erreichbar wäre (%1)</translation>
    </message>
    <message>
        <source>no panel is running in this session; start it with &apos;%1&apos;</source>
        <translation>in dieser Sitzung läuft kein Panel; starten Sie es mit „%1“</translation>
    </message>
    <message>
        <source>%1 is a switch: give on or off, not &quot;%2&quot;</source>
        <translation>%1 ist ein Schalter: on oder off angeben, nicht „%2“</translation>
    </message>
    <message>
        <source>%1 takes a whole number from %2 to %3, not &quot;%4&quot;</source>
        <translation>%1 nimmt eine ganze Zahl von %2 bis %3, nicht „%4“</translation>
    </message>
    <message>
        <source>%1 takes %2 to %3; %4 is out of range</source>
        <translation>%1 nimmt %2 bis %3; %4 liegt außerhalb</translation>
    </message>
</context>
<context>
    <name>LinkingSheet</name>
    <message>
        <source>Linking</source>
        <translation>Verbinden</translation>
    </message>
    <message>
        <source>Linking the Quorel IIS Audio…</source>
        <translation>Das Quorel IIS Audio wird verbunden …</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Quorel Panel</source>
        <translation>Quorel Panel</translation>
    </message>
    <message>
        <source>Speaker</source>
        <translation>Lautsprecher</translation>
    </message>
    <message>
        <source>Mic</source>
        <translation>Mikrofon</translation>
    </message>
    <message>
        <source>Equaliser</source>
        <translation>Equalizer</translation>
    </message>
    <message>
        <source>Reset the equaliser</source>
        <translation>Den Equalizer zurücksetzen</translation>
    </message>
    <message>
        <source>Equaliser stage 1</source>
        <translation>Equalizer-Band 1</translation>
    </message>
    <message>
        <source>Equaliser stage 2</source>
        <translation>Equalizer-Band 2</translation>
    </message>
    <message>
        <source>Equaliser stage 3</source>
        <translation>Equalizer-Band 3</translation>
    </message>
    <message>
        <source>Equaliser stage 4</source>
        <translation>Equalizer-Band 4</translation>
    </message>
    <message>
        <source>Equaliser stage 5</source>
        <translation>Equalizer-Band 5</translation>
    </message>
    <message>
        <source>Monitor</source>
        <translation>Mithören</translation>
    </message>
    <message>
        <source>Denoise</source>
        <translation>Rauschunterdrückung</translation>
    </message>
    <message>
        <source>Reverb</source>
        <translation>Hall</translation>
    </message>
    <message>
        <source>Mixer</source>
        <translation>Mischer</translation>
    </message>
    <message>
        <source>Mixer on or off</source>
        <translation>Mischer ein oder aus</translation>
    </message>
    <message>
        <source>On / Off</source>
        <translation>Ein / Aus</translation>
    </message>
    <message>
        <source>Play a file</source>
        <translation>Eine Datei abspielen</translation>
    </message>
    <message>
        <source>Record the microphone</source>
        <translation>Das Mikrofon aufnehmen</translation>
    </message>
    <message>
        <source>Pause or resume</source>
        <translation>Pausieren oder fortsetzen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
</context>
<context>
    <name>ProgressIndicator</name>
    <message>
        <source>Reverb</source>
        <translation>Hall</translation>
    </message>
    <message>
        <source>Mixer</source>
        <translation>Mischer</translation>
    </message>
</context>
<context>
    <name>QFileDialog</name>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 existiert bereits.
Soll sie überschrieben werden?</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Quorel Panel</source>
        <translation>Quorel Panel</translation>
    </message>
</context>
</TS>
