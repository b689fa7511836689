<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>Autostart</name>
    <message>
        <source>cannot make the folder %1</source>
        <translation>der Ordner %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>cannot remove %1: %2</source>
        <translation>%1 kann nicht entfernt werden: %2</translation>
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
    <message>
        <source>Presets</source>
        <translation>Voreinstellungen</translation>
    </message>
    <message>
        <source>Diagnostics…</source>
        <translation>Diagnose…</translation>
    </message>
    <message>
        <source>Cannot apply the preset &quot;%1&quot;: %2</source>
        <translation>Die Voreinstellung „%1“ kann nicht angewendet werden: %2</translation>
    </message>
    <message>
        <source>%1 (modified)</source>
        <translation>%1 (geändert)</translation>
    </message>
    <message>
        <source>%1 — the sound server does not answer</source>
        <translation>%1 — der Soundserver antwortet nicht</translation>
    </message>
    <message>
        <source>%1 cannot be read (%2), so the background options are off; the panel leaves the file as it is.</source>
        <translation>%1 kann nicht gelesen werden (%2), daher sind die Hintergrundoptionen aus; das Panel lässt die Datei, wie sie ist.</translation>
    </message>
    <message>
        <source>%1 is not a regular file, so the background options are off; the panel leaves it as it is. Move it aside to change them.</source>
        <translation>%1 ist keine reguläre Datei, daher sind die Hintergrundoptionen aus; das Panel lässt sie, wie sie ist. Verschieben Sie sie, um die Optionen zu ändern.</translation>
    </message>
    <message>
        <source>%1 is far larger than options take, so the background options are off; the panel leaves it as it is. Move it aside to change them.</source>
        <translation>%1 ist weit größer, als Optionen sein können, daher sind die Hintergrundoptionen aus; das Panel lässt die Datei, wie sie ist. Verschieben Sie sie, um die Optionen zu ändern.</translation>
    </message>
    <message>
        <source>%1 is damaged, so the background options are off; changing one writes the file afresh.</source>
        <translation>%1 ist beschädigt, daher sind die Hintergrundoptionen aus; wenn Sie eine ändern, wird die Datei neu geschrieben.</translation>
    </message>
    <message>
        <source>Check microphone</source>
        <translation>Mikrofon prüfen</translation>
    </message>
    <message>
        <source>Scenes…</source>
        <translation>Szenen…</translation>
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
    <message>
        <source>Check the set-up (device, udev rule, sound server, GStreamer, settings, session), one line a check; exit 0 when none fails, else 1.</source>
        <translation>Die Einrichtung prüfen (Gerät, udev-Regel, Sound-Server, GStreamer, Einstellungen, Sitzung), eine Zeile je Prüfung; endet mit 0, wenn keine fehlschlägt, sonst mit 1.</translation>
    </message>
    <message>
        <source>With --doctor: print the report as JSON.</source>
        <translation>Mit --doctor: den Bericht als JSON ausgeben.</translation>
    </message>
    <message>
        <source>List the presets, one a line, the active one marked with *.</source>
        <translation>Die Voreinstellungen auflisten, eine je Zeile, die aktive mit * markiert.</translation>
    </message>
    <message>
        <source>Apply the preset &lt;name&gt;.</source>
        <translation>Die Voreinstellung &lt;name&gt; anwenden.</translation>
    </message>
    <message>
        <source>Save the current sound as the preset &lt;name&gt;.</source>
        <translation>Den aktuellen Klang als Voreinstellung &lt;name&gt; speichern.</translation>
    </message>
    <message>
        <source>--json goes with --doctor</source>
        <translation>--json gehört zu --doctor</translation>
    </message>
    <message>
        <source>--doctor goes with --json only</source>
        <translation>--doctor passt nur zu --json</translation>
    </message>
    <message>
        <source>--save-preset needs a name</source>
        <translation>--save-preset braucht einen Namen</translation>
    </message>
    <message>
        <source>cannot apply the preset &quot;%1&quot;</source>
        <translation>die Voreinstellung „%1“ kann nicht angewendet werden</translation>
    </message>
    <message>
        <source>cannot save the preset &quot;%1&quot;</source>
        <translation>die Voreinstellung „%1“ kann nicht gespeichert werden</translation>
    </message>
    <message>
        <source>the panel&apos;s presets are not available yet</source>
        <translation>die Voreinstellungen des Panels sind noch nicht verfügbar</translation>
    </message>
    <message>
        <source>Keys: speaker, mic (0 to 100), stage1 .. stage5 (-15 to 15), reverb (0 to 100),
monitor, denoise, mixer (on or off).

--status, --set, --toggle and the preset and scene options talk to the panel
running in this session and exit with 0 on success, 1 when the panel answered
with an error, 2 for a wrong key, value, preset or scene, 3 when no panel runs, 4 when
the device is not linked (--status prints the state either way and exits 0
only when linked).</source>
        <translation>Schlüssel: speaker, mic (0 bis 100), stage1 .. stage5 (-15 bis 15), reverb (0 bis 100),
monitor, denoise, mixer (on oder off).

--status, --set, --toggle und die Optionen für Voreinstellungen und Szenen sprechen mit dem
Panel, das in dieser Sitzung läuft, und enden mit 0 bei Erfolg, 1, wenn das Panel mit einem
Fehler antwortet, 2 bei einem falschen Schlüssel, Wert, einer falschen Voreinstellung oder Szene,
3, wenn kein Panel läuft, 4, wenn das Gerät nicht verbunden ist
(--status gibt den Zustand in jedem Fall aus und endet nur verbunden mit 0).</translation>
    </message>
    <message>
        <source>List the scenes, application=preset one a line, the one in force marked with *.</source>
        <translation>Die Szenen auflisten, Anwendung=Voreinstellung je Zeile, die wirksame mit * markiert.</translation>
    </message>
    <message>
        <source>While &lt;application&gt; records from the device, apply &lt;preset&gt;.</source>
        <translation>Solange &lt;application&gt; vom Gerät aufnimmt, &lt;preset&gt; anwenden.</translation>
    </message>
    <message>
        <source>Remove the scene of &lt;application&gt;.</source>
        <translation>Die Szene von &lt;application&gt; entfernen.</translation>
    </message>
    <message>
        <source>--add-scene takes application=preset, not &quot;%1&quot;</source>
        <translation>--add-scene erwartet Anwendung=Voreinstellung, nicht „%1“</translation>
    </message>
    <message>
        <source>--hidden starts the panel; it does not go with --status, --set, --toggle or the preset and scene options</source>
        <translation>--hidden startet das Panel; es passt nicht zu --status, --set, --toggle oder den Optionen für Voreinstellungen und Szenen</translation>
    </message>
    <message>
        <source>cannot add the scene for &quot;%1&quot;</source>
        <translation>die Szene für „%1“ kann nicht hinzugefügt werden</translation>
    </message>
    <message>
        <source>cannot remove the scene for &quot;%1&quot;</source>
        <translation>die Szene für „%1“ kann nicht entfernt werden</translation>
    </message>
    <message>
        <source>cannot read the scenes</source>
        <translation>die Szenen können nicht gelesen werden</translation>
    </message>
</context>
<context>
    <name>DesktopNotices</name>
    <message>
        <source>Scene started</source>
        <translation>Szene gestartet</translation>
    </message>
    <message>
        <source>%1 started a scene with the preset &quot;%2&quot;.</source>
        <translation>%1 hat eine Szene mit dem Preset „%2“ gestartet.</translation>
    </message>
    <message>
        <source>Device linked</source>
        <translation>Gerät verbunden</translation>
    </message>
    <message>
        <source>The Quorel IIS Audio is linked and is the system&apos;s sound device.</source>
        <translation>Das Quorel IIS Audio ist verbunden und das Audiogerät des Systems.</translation>
    </message>
    <message>
        <source>Device unlinked</source>
        <translation>Gerät getrennt</translation>
    </message>
    <message>
        <source>The Quorel IIS Audio is no longer linked.</source>
        <translation>Das Quorel IIS Audio ist nicht mehr verbunden.</translation>
    </message>
    <message>
        <source>Device not answering</source>
        <translation>Gerät antwortet nicht</translation>
    </message>
    <message>
        <source>The Quorel IIS Audio does not respond.</source>
        <translation>Das Quorel IIS Audio antwortet nicht.</translation>
    </message>
    <message>
        <source>Sound server not answering</source>
        <translation>Soundserver antwortet nicht</translation>
    </message>
    <message>
        <source>The sound server does not answer; the panel links the device again once it does.</source>
        <translation>Der Soundserver antwortet nicht; das Panel verbindet das Gerät wieder, sobald er antwortet.</translation>
    </message>
</context>
<context>
    <name>DeviceAccess</name>
    <message>
        <source>The udev rule %1 is installed but not yet applied to this device: plug the device in again, or run %2.</source>
        <translation>Die udev-Regel %1 ist installiert, gilt aber noch nicht für dieses Gerät: Stecken Sie das Gerät erneut ein oder führen Sie %2 aus.</translation>
    </message>
    <message>
        <source>The package&apos;s udev rule %1 is missing: run &apos;sudo apt-get install --reinstall quorel-panel&apos;, which puts it back and applies it.</source>
        <translation>Die udev-Regel %1 des Pakets fehlt: Führen Sie „sudo apt-get install --reinstall quorel-panel“ aus; das stellt sie wieder her und wendet sie an.</translation>
    </message>
    <message>
        <source>Access for the logged-in user comes from the udev rule %1. Copy udev/%1 from the source tree to /etc/udev/rules.d/, then run %2.</source>
        <translation>Der Zugriff für den angemeldeten Benutzer kommt von der udev-Regel %1. Kopieren Sie udev/%1 aus dem Quellbaum nach /etc/udev/rules.d/ und führen Sie dann %2 aus.</translation>
    </message>
</context>
<context>
    <name>DeviceChecks</name>
    <message>
        <source>cannot read the hidraw devices from udev</source>
        <translation>die hidraw-Geräte können nicht von udev gelesen werden</translation>
    </message>
    <message>
        <source>Quorel IIS Audio on USB</source>
        <translation>Quorel IIS Audio am USB</translation>
    </message>
    <message>
        <source>HID node</source>
        <translation>HID-Gerätedatei</translation>
    </message>
    <message>
        <source>udev rule installed</source>
        <translation>udev-Regel installiert</translation>
    </message>
    <message>
        <source>udev rule applied (HID node writable)</source>
        <translation>udev-Regel angewendet (HID-Gerätedatei beschreibbar)</translation>
    </message>
    <message>
        <source>Check that /sys is mounted and systemd-udevd runs.</source>
        <translation>Prüfen Sie, ob /sys eingehängt ist und systemd-udevd läuft.</translation>
    </message>
    <message>
        <source>no USB HID device with the ids 0a12:1243 is attached</source>
        <translation>kein USB-HID-Gerät mit den IDs 0a12:1243 ist angeschlossen</translation>
    </message>
    <message>
        <source>Plug the device in (directly, or through a powered hub) and check that &apos;lsusb&apos; lists 0a12:1243.</source>
        <translation>Schließen Sie das Gerät an (direkt oder über einen Hub mit eigener Stromversorgung) und prüfen Sie, ob „lsusb“ 0a12:1243 aufführt.</translation>
    </message>
    <message>
        <source>no device</source>
        <translation>kein Gerät</translation>
    </message>
    <message>
        <source>the device&apos;s HID interface has no hidraw node</source>
        <translation>die HID-Schnittstelle des Geräts hat keine hidraw-Gerätedatei</translation>
    </message>
    <message>
        <source>Load the kernel&apos;s hidraw support (&apos;sudo modprobe hidraw&apos;) and plug the device in again.</source>
        <translation>Laden Sie die hidraw-Unterstützung des Kernels („sudo modprobe hidraw“) und stecken Sie das Gerät erneut ein.</translation>
    </message>
    <message>
        <source>%1 is in none of udev&apos;s folders (%2)</source>
        <translation>%1 liegt in keinem der Ordner von udev (%2)</translation>
    </message>
    <message>
        <source>no HID node</source>
        <translation>keine HID-Gerätedatei</translation>
    </message>
    <message>
        <source>this user may write to %1</source>
        <translation>dieser Benutzer darf in %1 schreiben</translation>
    </message>
    <message>
        <source>this user may not write to %1 (%2)</source>
        <translation>dieser Benutzer darf nicht in %1 schreiben (%2)</translation>
    </message>
    <message>
        <source>%1 cannot be opened (%2)</source>
        <translation>%1 kann nicht geöffnet werden (%2)</translation>
    </message>
    <message>
        <source>Plug the device in again; if that does not help, try another USB port.</source>
        <translation>Stecken Sie das Gerät erneut ein; hilft das nicht, versuchen Sie einen anderen USB-Anschluss.</translation>
    </message>
    <message>
        <source>%1 is in none of udev&apos;s folders (%2): this user may write to %3 now, but access given outside the rule can be gone after the device is plugged in again or the computer restarts, and other accounts may not have it</source>
        <translation>%1 liegt in keinem der Ordner von udev (%2): dieser Benutzer darf jetzt auf %3 schreiben, doch ein Zugriff, der nicht von der Regel kommt, kann nach dem erneuten Einstecken des Geräts oder einem Neustart fehlen, und anderen Konten fehlt er vielleicht</translation>
    </message>
</context>
<context>
    <name>DeviceLink</name>
    <message>
        <source>The device was found, but linking stopped: %1. Plug it in again to retry; if it keeps stopping, see the troubleshooting in the README.</source>
        <translation>Das Gerät wurde gefunden, aber die Verbindung brach ab: %1. Stecken Sie es erneut ein, um es noch einmal zu versuchen; bricht sie weiter ab, lesen Sie die Fehlersuche in der README.</translation>
    </message>
    <message>
        <source>The sound server restarted without the Quorel IIS Audio, so sound goes to another device until it is back. If it does not come back, plug the device in again.</source>
        <translation>Der Soundserver wurde ohne das Quorel IIS Audio neu gestartet, daher geht der Ton an ein anderes Gerät, bis es zurück ist. Kommt es nicht zurück, stecken Sie das Gerät erneut ein.</translation>
    </message>
    <message>
        <source>The sound server restarted and did not make the Quorel IIS Audio its default output and input, so sound goes to another device. Plug the device in again, or choose it in the system&apos;s sound settings.</source>
        <translation>Der Soundserver wurde neu gestartet und hat das Quorel IIS Audio nicht zu seiner Standardausgabe und -eingabe gemacht, daher geht der Ton an ein anderes Gerät. Stecken Sie das Gerät erneut ein oder wählen Sie es in den Toneinstellungen des Systems.</translation>
    </message>
</context>
<context>
    <name>DiagnosticsDialog</name>
    <message>
        <source>Diagnostics</source>
        <translation>Diagnose</translation>
    </message>
    <message>
        <source>checking…</source>
        <translation>wird geprüft…</translation>
    </message>
    <message>
        <source>Copy report</source>
        <translation>Bericht kopieren</translation>
    </message>
    <message>
        <source>Every check passed.</source>
        <translation>Alle Prüfungen bestanden.</translation>
    </message>
    <message>
        <source>Something is wrong; each failed check says what to do.</source>
        <translation>Etwas stimmt nicht; jede fehlgeschlagene Prüfung sagt, was zu tun ist.</translation>
    </message>
</context>
<context>
    <name>DoctorReport</name>
    <message>
        <source>All checks passed.
</source>
        <translation>Alle Prüfungen bestanden.
</translation>
    </message>
    <message>
        <source>%1 of %2 checks failed.
</source>
        <translation>%1 von %2 Prüfungen fehlgeschlagen.
</translation>
    </message>
    <message>
        <source>%1%2: %3. %4
</source>
        <translation>%1%2: %3. %4
</translation>
    </message>
    <message>
        <source>%1%2: %3
</source>
        <translation>%1%2: %3
</translation>
    </message>
</context>
<context>
    <name>GStreamerChecks</name>
    <message>
        <source>GStreamer element %1 (%2)</source>
        <translation>GStreamer-Element %1 (%2)</translation>
    </message>
    <message>
        <source>GStreamer has no element %1</source>
        <translation>GStreamer hat kein Element %1</translation>
    </message>
    <message>
        <source>Install it with &apos;sudo apt-get install %1&apos;.</source>
        <translation>Installieren Sie es mit „sudo apt-get install %1“.</translation>
    </message>
    <message>
        <source>records from the sound server</source>
        <translation>nimmt vom Sound-Server auf</translation>
    </message>
    <message>
        <source>encodes recordings as AAC</source>
        <translation>kodiert Aufnahmen als AAC</translation>
    </message>
    <message>
        <source>frames the AAC recordings</source>
        <translation>teilt die AAC-Aufnahmen in Rahmen</translation>
    </message>
    <message>
        <source>plays files back</source>
        <translation>spielt Dateien ab</translation>
    </message>
</context>
<context>
    <name>LinkStatusView</name>
    <message>
        <source>The Quorel IIS Audio is plugged in, but the sound server does not answer; the panel waits for it and links the device&apos;s sound as soon as it answers.</source>
        <translation>Das Quorel IIS Audio ist angeschlossen, aber der Soundserver antwortet nicht; das Panel wartet auf ihn und verbindet den Ton des Geräts, sobald er antwortet.</translation>
    </message>
    <message>
        <source>The sound server is gone or does not answer, so the sliders do nothing and sound may not reach the Quorel IIS Audio. The panel restores the device&apos;s sound as soon as the server answers again.</source>
        <translation>Der Soundserver ist weg oder antwortet nicht, daher bewirken die Regler nichts und der Ton erreicht das Quorel IIS Audio womöglich nicht. Das Panel stellt den Ton des Geräts wieder her, sobald der Server wieder antwortet.</translation>
    </message>
    <message>
        <source>The sound server did not take the Speaker volume, so what you hear may differ from the slider. Move the slider again, or check the system&apos;s sound settings.</source>
        <translation>Der Sound-Server hat die Lautstärke des Lautsprechers nicht übernommen; was Sie hören, kann vom Regler abweichen. Bewegen Sie den Regler erneut oder prüfen Sie die Toneinstellungen des Systems.</translation>
    </message>
    <message>
        <source>The sound server did not take the Mic gain, so the microphone may be louder or quieter than the slider says. Move the slider again, or check the system&apos;s sound settings.</source>
        <translation>Der Sound-Server hat die Mikrofonverstärkung nicht übernommen; das Mikrofon kann lauter oder leiser sein, als der Regler anzeigt. Bewegen Sie den Regler erneut oder prüfen Sie die Toneinstellungen des Systems.</translation>
    </message>
    <message>
        <source>Your settings could not be saved to %1; check that folder&apos;s permissions and free space.</source>
        <translation>Ihre Einstellungen konnten nicht in %1 gespeichert werden; prüfen Sie die Rechte und den freien Platz dieses Ordners.</translation>
    </message>
    <message>
        <source>Your settings file %1 cannot be read (it is not a regular file, or far too large), so the panel started from its defaults and saves nothing over it. Move it away to have your settings saved again.</source>
        <translation>Ihre Einstellungsdatei %1 kann nicht gelesen werden (sie ist keine gewöhnliche Datei oder viel zu groß); das Panel ist daher mit seinen Voreinstellungen gestartet und speichert nichts darüber. Verschieben Sie sie, damit Ihre Einstellungen wieder gespeichert werden.</translation>
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
    <message>
        <source>Preset</source>
        <translation>Voreinstellung</translation>
    </message>
</context>
<context>
    <name>MessageBand</name>
    <message>
        <source>Dismiss the message</source>
        <translation>Die Meldung schließen</translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>MicCheck</name>
    <message>
        <source>The microphone check stopped: the device was unlinked.</source>
        <translation>Die Mikrofonprüfung wurde beendet: Das Gerät wurde getrennt.</translation>
    </message>
    <message>
        <source>Cannot check the microphone: the device is not linked.</source>
        <translation>Das Mikrofon kann nicht geprüft werden: Das Gerät ist nicht verbunden.</translation>
    </message>
    <message>
        <source>Cannot check the microphone while a recording or playback runs.</source>
        <translation>Das Mikrofon kann nicht geprüft werden, während eine Aufnahme oder Wiedergabe läuft.</translation>
    </message>
    <message>
        <source>Cannot check the microphone: the sound server does not answer.</source>
        <translation>Das Mikrofon kann nicht geprüft werden: Der Soundserver antwortet nicht.</translation>
    </message>
    <message>
        <source>The microphone check stopped: the sound server does not answer.</source>
        <translation>Die Mikrofonprüfung wurde beendet: Der Soundserver antwortet nicht.</translation>
    </message>
    <message>
        <source>The microphone check stopped: the sound server refused the recording (%1).</source>
        <translation>Die Mikrofonprüfung wurde beendet: Der Soundserver hat die Aufnahme abgelehnt (%1).</translation>
    </message>
    <message>
        <source>The microphone check stopped: the sound server refused the playback (%1).</source>
        <translation>Die Mikrofonprüfung wurde beendet: Der Soundserver hat die Wiedergabe abgelehnt (%1).</translation>
    </message>
    <message>
        <source>The microphone check stopped: the sound server went away.</source>
        <translation>Die Mikrofonprüfung wurde beendet: Der Soundserver ist nicht mehr da.</translation>
    </message>
</context>
<context>
    <name>MicCheckView</name>
    <message>
        <source>Microphone level</source>
        <translation>Mikrofonpegel</translation>
    </message>
    <message>
        <source>Microphone check</source>
        <translation>Mikrofonprüfung</translation>
    </message>
    <message numerus="yes">
        <source>Recording, speak now: %n s left</source>
        <translation>
            <numerusform>Aufnahme, bitte sprechen: noch %n Sekunde</numerusform>
            <numerusform>Aufnahme, bitte sprechen: noch %n Sekunden</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Playing back what was recorded: %n s left</source>
        <translation>
            <numerusform>Wiedergabe der Aufnahme: noch %n Sekunde</numerusform>
            <numerusform>Wiedergabe der Aufnahme: noch %n Sekunden</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>PanelRemote</name>
    <message>
        <source>the device is not linked</source>
        <translation>das Gerät ist nicht verbunden</translation>
    </message>
    <message>
        <source>the panel&apos;s presets are not available yet</source>
        <translation>die Voreinstellungen des Panels sind noch nicht verfügbar</translation>
    </message>
</context>
<context>
    <name>PanelService</name>
    <message>
        <source>the panel is still starting</source>
        <translation>das Panel startet noch</translation>
    </message>
    <message>
        <source>the stages are 1 to 5; %1 is out of range</source>
        <translation>die Stufen sind 1 bis 5; %1 liegt außerhalb</translation>
    </message>
    <message>
        <source>the panel&apos;s presets are not available yet</source>
        <translation>die Voreinstellungen des Panels sind noch nicht verfügbar</translation>
    </message>
    <message>
        <source>there is no preset &quot;%1&quot;; the presets are %2</source>
        <translation>es gibt keine Voreinstellung „%1“; die Voreinstellungen sind %2</translation>
    </message>
    <message>
        <source>the panel has no action &quot;%1&quot;</source>
        <translation>das Panel hat keine Aktion „%1“</translation>
    </message>
    <message>
        <source>the panel&apos;s scenes are not available yet</source>
        <translation>die Szenen des Panels sind noch nicht verfügbar</translation>
    </message>
</context>
<context>
    <name>PanelSoundTarget</name>
    <message>
        <source>the panel has no settings to change</source>
        <translation>das Panel hat keine Einstellungen zum Ändern</translation>
    </message>
</context>
<context>
    <name>PresetController</name>
    <message>
        <source>there is no preset &quot;%1&quot;</source>
        <translation>es gibt keine Voreinstellung „%1“</translation>
    </message>
    <message>
        <source>there is nothing to undo</source>
        <translation>es gibt nichts rückgängig zu machen</translation>
    </message>
    <message>
        <source>there is nothing to redo</source>
        <translation>es gibt nichts wiederherzustellen</translation>
    </message>
</context>
<context>
    <name>PresetFile</name>
    <message>
        <source>it is not a regular file</source>
        <translation>es ist keine normale Datei</translation>
    </message>
    <message>
        <source>it is %1 bytes, larger than %2 KiB</source>
        <translation>sie ist %1 Byte groß, größer als %2 KiB</translation>
    </message>
    <message>
        <source>it is larger than %1 KiB</source>
        <translation>sie ist größer als %1 KiB</translation>
    </message>
    <message>
        <source>cannot create %1</source>
        <translation>%1 kann nicht angelegt werden</translation>
    </message>
</context>
<context>
    <name>PresetFormat</name>
    <message>
        <source>%1 takes on or off, not &quot;%2&quot;</source>
        <translation>%1 nimmt on oder off, nicht „%2“</translation>
    </message>
    <message>
        <source>%1 takes a whole number from %2 to %3, not &quot;%4&quot;</source>
        <translation>%1 nimmt eine ganze Zahl von %2 bis %3, nicht „%4“</translation>
    </message>
    <message>
        <source>%1 is %2, out of its range %3 to %4</source>
        <translation>%1 ist %2, außerhalb des Bereichs %3 bis %4</translation>
    </message>
    <message>
        <source>%1 is given twice</source>
        <translation>%1 ist doppelt angegeben</translation>
    </message>
    <message>
        <source>unknown key &quot;%1&quot;</source>
        <translation>unbekannter Schlüssel „%1“</translation>
    </message>
    <message>
        <source>%1 is missing</source>
        <translation>%1 fehlt</translation>
    </message>
    <message>
        <source>it is not %1 (wrong type: the first line must be &quot;format=%2&quot;)</source>
        <translation>es ist nicht %1 (falscher Typ: die erste Zeile muss „format=%2“ lauten)</translation>
    </message>
    <message>
        <source>its version is missing</source>
        <translation>die Version fehlt</translation>
    </message>
    <message>
        <source>its version &quot;%1&quot; is unknown; this panel reads version %2</source>
        <translation>die Version „%1“ ist unbekannt; dieses Panel liest Version %2</translation>
    </message>
    <message>
        <source>a preset needs a name</source>
        <translation>eine Voreinstellung braucht einen Namen</translation>
    </message>
    <message>
        <source>a preset&apos;s name takes at most %1 characters</source>
        <translation>der Name einer Voreinstellung hat höchstens %1 Zeichen</translation>
    </message>
    <message>
        <source>a preset&apos;s name cannot hold control characters</source>
        <translation>der Name einer Voreinstellung darf keine Steuerzeichen enthalten</translation>
    </message>
    <message>
        <source>a preset&apos;s name cannot start with &quot;[&quot;</source>
        <translation>der Name einer Voreinstellung darf nicht mit „[“ beginnen</translation>
    </message>
    <message>
        <source>a preset&apos;s name cannot start or end with spaces</source>
        <translation>der Name einer Voreinstellung darf nicht mit Leerzeichen beginnen oder enden</translation>
    </message>
    <message>
        <source>it is not a preset (wrong type: not text)</source>
        <translation>es ist keine Voreinstellung (falscher Typ: kein Text)</translation>
    </message>
    <message>
        <source>a preset</source>
        <translation>eine Voreinstellung</translation>
    </message>
    <message>
        <source>line %1 is not key=value</source>
        <translation>Zeile %1 ist nicht key=value</translation>
    </message>
    <message>
        <source>name is given twice</source>
        <translation>name ist doppelt angegeben</translation>
    </message>
    <message>
        <source>name is missing</source>
        <translation>name fehlt</translation>
    </message>
    <message>
        <source>a preset store</source>
        <translation>eine Sammlung von Voreinstellungen</translation>
    </message>
    <message>
        <source>the preset at line %1</source>
        <translation>die Voreinstellung in Zeile %1</translation>
    </message>
    <message>
        <source>the preset &quot;%1&quot; (line %2)</source>
        <translation>die Voreinstellung „%1“ (Zeile %2)</translation>
    </message>
    <message>
        <source>its name is taken by an earlier preset</source>
        <translation>ihr Name gehört schon einer früheren Voreinstellung</translation>
    </message>
    <message>
        <source>line %1 before the first preset is not understood; it is kept as it is</source>
        <translation>Zeile %1 vor der ersten Voreinstellung ist unverständlich; sie bleibt unverändert erhalten</translation>
    </message>
    <message>
        <source>%1 is damaged (%2): it is left out and kept in the file</source>
        <translation>%1 ist beschädigt (%2): sie wird ausgelassen und bleibt in der Datei erhalten</translation>
    </message>
    <message>
        <source>it is not %1 (wrong type: not text)</source>
        <translation>es ist nicht %1 (falscher Typ: kein Text)</translation>
    </message>
</context>
<context>
    <name>PresetSelector</name>
    <message>
        <source>No preset</source>
        <translation>Keine Voreinstellung</translation>
    </message>
    <message>
        <source>%1, modified</source>
        <translation>%1, geändert</translation>
    </message>
    <message>
        <source>Presets</source>
        <translation>Voreinstellungen</translation>
    </message>
</context>
<context>
    <name>PresetStore</name>
    <message>
        <source>In %1, %2</source>
        <translation>In %1: %2</translation>
    </message>
    <message>
        <source>there are already %1 presets; delete one first</source>
        <translation>es gibt bereits %1 Voreinstellungen; löschen Sie zuerst eine</translation>
    </message>
    <message>
        <source>there is no preset &quot;%1&quot;</source>
        <translation>es gibt keine Voreinstellung „%1“</translation>
    </message>
    <message>
        <source>there is already a preset &quot;%1&quot;</source>
        <translation>es gibt bereits eine Voreinstellung „%1“</translation>
    </message>
    <message>
        <source>Cannot import %1: %2</source>
        <translation>%1 kann nicht importiert werden: %2</translation>
    </message>
    <message>
        <source>Cannot import %1: there are already %2 presets; delete one first</source>
        <translation>%1 kann nicht importiert werden: es gibt bereits %2 Voreinstellungen; löschen Sie zuerst eine</translation>
    </message>
    <message>
        <source>Cannot export to %1: %2</source>
        <translation>Export nach %1 nicht möglich: %2</translation>
    </message>
    <message>
        <source>Cannot store the presets in %1: %2</source>
        <translation>Die Voreinstellungen können nicht in %1 gespeichert werden: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a factory preset, which cannot be renamed</source>
        <translation>„%1“ ist eine Werksvoreinstellung und kann nicht umbenannt werden</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a factory preset, which cannot be deleted</source>
        <translation>„%1“ ist eine Werksvoreinstellung und kann nicht gelöscht werden</translation>
    </message>
    <message>
        <source>Your presets in %1 cannot be read (%2); only the factory presets are offered, and the file is kept under another name when the presets next change</source>
        <translation>Ihre Voreinstellungen in %1 können nicht gelesen werden (%2); nur die Werksvoreinstellungen werden angeboten, und die Datei wird bei der nächsten Änderung der Voreinstellungen unter einem anderen Namen aufbewahrt</translation>
    </message>
    <message>
        <source>In %1, the preset &quot;%2&quot; has a factory preset&apos;s name: it is left out and kept in the file</source>
        <translation>In %1 trägt die Voreinstellung „%2“ den Namen einer Werksvoreinstellung: sie wird ausgelassen und bleibt in der Datei erhalten</translation>
    </message>
    <message>
        <source>%1 holds more than %2 presets: only the first %2 are offered, and the other %3 are kept in the file</source>
        <translation>%1 enthält mehr als %2 Voreinstellungen: nur die ersten %2 werden angeboten, die übrigen %3 bleiben in der Datei erhalten</translation>
    </message>
    <message>
        <source>Your presets in %1 could not be read; that file is kept as %2 and the presets are stored anew</source>
        <translation>Ihre Voreinstellungen in %1 konnten nicht gelesen werden; diese Datei wird als %2 aufbewahrt, und die Voreinstellungen werden neu gespeichert</translation>
    </message>
</context>
<context>
    <name>PresetWindowControls</name>
    <message>
        <source>Imported the preset &quot;%1&quot;.</source>
        <translation>Die Voreinstellung „%1“ wurde importiert.</translation>
    </message>
    <message>
        <source>Exported the preset to %1.</source>
        <translation>Die Voreinstellung wurde nach %1 exportiert.</translation>
    </message>
    <message>
        <source>Save preset as…</source>
        <translation>Voreinstellung speichern unter…</translation>
    </message>
    <message>
        <source>Rename preset…</source>
        <translation>Voreinstellung umbenennen…</translation>
    </message>
    <message>
        <source>Delete preset</source>
        <translation>Voreinstellung löschen</translation>
    </message>
    <message>
        <source>Import preset…</source>
        <translation>Voreinstellung importieren…</translation>
    </message>
    <message>
        <source>Export preset…</source>
        <translation>Voreinstellung exportieren…</translation>
    </message>
    <message>
        <source>Cannot apply the preset &quot;%1&quot;: %2</source>
        <translation>Die Voreinstellung „%1“ kann nicht angewendet werden: %2</translation>
    </message>
    <message>
        <source>Save Preset</source>
        <translation>Voreinstellung speichern</translation>
    </message>
    <message>
        <source>Save the current sound as the preset (a preset of yours of the same name is replaced):</source>
        <translation>Den aktuellen Klang als Voreinstellung speichern (eine eigene Voreinstellung gleichen Namens wird ersetzt):</translation>
    </message>
    <message>
        <source>Cannot save the preset &quot;%1&quot;: %2</source>
        <translation>Die Voreinstellung „%1“ kann nicht gespeichert werden: %2</translation>
    </message>
    <message>
        <source>Rename Preset</source>
        <translation>Voreinstellung umbenennen</translation>
    </message>
    <message>
        <source>New name of the preset &quot;%1&quot;:</source>
        <translation>Neuer Name der Voreinstellung „%1“:</translation>
    </message>
    <message>
        <source>Cannot rename the preset &quot;%1&quot;: %2</source>
        <translation>Die Voreinstellung „%1“ kann nicht umbenannt werden: %2</translation>
    </message>
    <message>
        <source>Delete Preset</source>
        <translation>Voreinstellung löschen</translation>
    </message>
    <message>
        <source>Delete the preset &quot;%1&quot;? The sound stays as it is.</source>
        <translation>Die Voreinstellung „%1“ löschen? Der Klang bleibt, wie er ist.</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Cannot delete the preset &quot;%1&quot;: %2</source>
        <translation>Die Voreinstellung „%1“ kann nicht gelöscht werden: %2</translation>
    </message>
    <message>
        <source>Import Preset</source>
        <translation>Voreinstellung importieren</translation>
    </message>
    <message>
        <source>Quorel presets (*.qpreset)</source>
        <translation>Quorel-Voreinstellungen (*.qpreset)</translation>
    </message>
    <message>
        <source>Export Preset</source>
        <translation>Voreinstellung exportieren</translation>
    </message>
    <message>
        <source>Cannot export the preset &quot;%1&quot;: %2</source>
        <translation>Die Voreinstellung „%1“ kann nicht exportiert werden: %2</translation>
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
    <name>SceneController</name>
    <message>
        <source>Scene for %1: there is no preset &quot;%2&quot;; nothing changed</source>
        <translation>Szene für %1: Es gibt keine Voreinstellung „%2“; nichts wurde geändert</translation>
    </message>
    <message>
        <source>Scene for %1: the preset %2 could not be applied: %3</source>
        <translation>Szene für %1: Die Voreinstellung %2 konnte nicht angewendet werden: %3</translation>
    </message>
    <message>
        <source>Scene for %1: preset %2</source>
        <translation>Szene für %1: Voreinstellung %2</translation>
    </message>
    <message>
        <source>Scene for %1 ended; your changes during it are kept</source>
        <translation>Szene für %1 beendet; Ihre Änderungen währenddessen bleiben</translation>
    </message>
    <message>
        <source>Scene for %1 ended, but your settings could not come back: %2</source>
        <translation>Szene für %1 beendet, aber Ihre Einstellungen konnten nicht zurückkehren: %2</translation>
    </message>
    <message>
        <source>Scene for %1 ended; your settings are back</source>
        <translation>Szene für %1 beendet; Ihre Einstellungen sind zurück</translation>
    </message>
</context>
<context>
    <name>SceneStore</name>
    <message>
        <source>Your scenes in %1 could not be read; that file is kept as %2 and the scenes are stored anew</source>
        <translation>Ihre Szenen in %1 konnten nicht gelesen werden; die Datei wird als %2 aufbewahrt und die Szenen werden neu gespeichert</translation>
    </message>
    <message>
        <source>Cannot store the scenes in %1: %2</source>
        <translation>Die Szenen können nicht in %1 gespeichert werden: %2</translation>
    </message>
    <message>
        <source>a scene store</source>
        <translation>ein Szenenspeicher</translation>
    </message>
    <message>
        <source>Your scenes in %1 cannot be read (%2); no scene is followed, and the file is kept under another name when the scenes next change</source>
        <translation>Ihre Szenen in %1 können nicht gelesen werden (%2); keiner Szene wird gefolgt, und die Datei wird unter einem anderen Namen aufbewahrt, sobald sich die Szenen das nächste Mal ändern</translation>
    </message>
    <message>
        <source>In %1, line %2 before the first scene is not understood; it is kept as it is</source>
        <translation>In %1 wird Zeile %2 vor der ersten Szene nicht verstanden; sie bleibt, wie sie ist</translation>
    </message>
    <message>
        <source>a scene holds one line, preset=&lt;name&gt;</source>
        <translation>eine Szene enthält eine Zeile, preset=&lt;Name&gt;</translation>
    </message>
    <message>
        <source>an earlier scene is for the same application</source>
        <translation>eine frühere Szene gilt derselben Anwendung</translation>
    </message>
    <message>
        <source>there are already %1 scenes</source>
        <translation>es gibt bereits %1 Szenen</translation>
    </message>
    <message>
        <source>In %1, the scene at line %2 is damaged (%3): it is left out and kept in the file</source>
        <translation>In %1 ist die Szene in Zeile %2 beschädigt (%3): Sie wird ausgelassen und in der Datei aufbewahrt</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be named in a scene: a name takes 1 to %2 characters, without control characters, not starting with &quot;[&quot; nor starting or ending with a space</source>
        <translation>„%1“ kann in keiner Szene stehen: Ein Name hat 1 bis %2 Zeichen, ohne Steuerzeichen, beginnt nicht mit „[“ und beginnt oder endet nicht mit einem Leerzeichen</translation>
    </message>
    <message>
        <source>there are already %1 scenes; remove one first</source>
        <translation>es gibt bereits %1 Szenen; entfernen Sie zuerst eine</translation>
    </message>
    <message>
        <source>there is no scene for &quot;%1&quot;</source>
        <translation>es gibt keine Szene für „%1“</translation>
    </message>
</context>
<context>
    <name>ScenesDialog</name>
    <message>
        <source>Scenes</source>
        <translation>Szenen</translation>
    </message>
    <message>
        <source>While an application records from the device, its scene&apos;s preset is the device&apos;s sound; when it stops, your settings come back.</source>
        <translation>Solange eine Anwendung vom Gerät aufnimmt, ist die Voreinstellung ihrer Szene der Klang des Geräts; endet sie, kehren Ihre Einstellungen zurück.</translation>
    </message>
    <message>
        <source>Follow the scenes</source>
        <translation>Den Szenen folgen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Application:</source>
        <translation>Anwendung:</translation>
    </message>
    <message>
        <source>Preset:</source>
        <translation>Voreinstellung:</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>%1: preset %2</source>
        <translation>%1: Voreinstellung %2</translation>
    </message>
</context>
<context>
    <name>SessionChecks</name>
    <message>
        <source>Session bus</source>
        <translation>Sitzungsbus</translation>
    </message>
    <message>
        <source>Panel running in this session</source>
        <translation>Panel in dieser Sitzung</translation>
    </message>
    <message>
        <source>Tray host</source>
        <translation>Infobereich</translation>
    </message>
    <message>
        <source>there is no session bus (%1), so scripts cannot reach the panel and a second start is not caught</source>
        <translation>es gibt keinen Sitzungsbus (%1); Skripte erreichen das Panel nicht, und ein zweiter Start wird nicht erkannt</translation>
    </message>
    <message>
        <source>Start the panel inside a desktop session, or under &apos;dbus-run-session -- quorel-panel&apos;.</source>
        <translation>Starten Sie das Panel in einer Desktop-Sitzung oder mit „dbus-run-session -- quorel-panel“.</translation>
    </message>
    <message>
        <source>no session bus</source>
        <translation>kein Sitzungsbus</translation>
    </message>
    <message>
        <source>no other panel holds %1</source>
        <translation>kein anderes Panel hält %1</translation>
    </message>
    <message>
        <source>this panel holds %1</source>
        <translation>dieses Panel hält %1</translation>
    </message>
    <message>
        <source>another panel (process %1) holds %2, so starting the panel again only brings that one&apos;s window up</source>
        <translation>ein anderes Panel (Prozess %1) hält %2; ein erneuter Start holt nur dessen Fenster nach vorn</translation>
    </message>
    <message>
        <source>Use that panel (it may be running in the background, in the tray), or quit it from its menu before starting another.</source>
        <translation>Verwenden Sie dieses Panel (es läuft vielleicht im Hintergrund, im Infobereich) oder beenden Sie es über sein Menü, bevor Sie ein weiteres starten.</translation>
    </message>
    <message>
        <source>the desktop shows a tray</source>
        <translation>der Desktop zeigt einen Infobereich</translation>
    </message>
    <message>
        <source>the desktop shows no tray (no host registered with %1)</source>
        <translation>der Desktop zeigt keinen Infobereich (kein Host bei %1 angemeldet)</translation>
    </message>
    <message>
        <source>On GNOME install and enable the AppIndicator extension (&apos;sudo apt-get install gnome-shell-extension-appindicator&apos;); until then the background options are in the window&apos;s right-click menu.</source>
        <translation>Installieren und aktivieren Sie unter GNOME die Erweiterung AppIndicator („sudo apt-get install gnome-shell-extension-appindicator“); bis dahin stehen die Hintergrundoptionen im Rechtsklickmenü des Fensters.</translation>
    </message>
</context>
<context>
    <name>SettingsChecks</name>
    <message>
        <source>Settings file readable and valid</source>
        <translation>Einstellungsdatei lesbar und gültig</translation>
    </message>
    <message>
        <source>Settings folder writable</source>
        <translation>Einstellungsordner beschreibbar</translation>
    </message>
    <message>
        <source>Quit the panel and delete %1; the next start takes the factory values.</source>
        <translation>Beenden Sie das Panel und löschen Sie %1; der nächste Start nimmt die Werkswerte.</translation>
    </message>
    <message>
        <source>%1 is not there yet; the factory values are used</source>
        <translation>%1 gibt es noch nicht; die Werkswerte gelten</translation>
    </message>
    <message>
        <source>%1 cannot be read (%2), so the panel starts from the factory values</source>
        <translation>%1 kann nicht gelesen werden (%2); das Panel startet mit den Werkswerten</translation>
    </message>
    <message>
        <source>Give it back to your user (&apos;sudo chown &quot;$USER&quot;: %1 &amp;&amp; chmod 600 %1&apos;).</source>
        <translation>Geben Sie sie Ihrem Benutzer zurück („sudo chown &quot;$USER&quot;: %1 &amp;&amp; chmod 600 %1“).</translation>
    </message>
    <message>
        <source>%1 is not a regular file</source>
        <translation>%1 ist keine normale Datei</translation>
    </message>
    <message>
        <source>%1 is damaged (%2 bytes, far more than settings take)</source>
        <translation>%1 ist beschädigt (%2 Byte, weit mehr, als Einstellungen brauchen)</translation>
    </message>
    <message>
        <source>%1 is damaged</source>
        <translation>%1 ist beschädigt</translation>
    </message>
    <message>
        <source>%1 holds no settings yet; the factory values are used</source>
        <translation>%1 enthält noch keine Einstellungen; die Werkswerte gelten</translation>
    </message>
    <message>
        <source>the settings in %1 are damaged (%2)</source>
        <translation>die Einstellungen in %1 sind beschädigt (%2)</translation>
    </message>
    <message>
        <source>one setting in %1 is damaged (%2) and reads as 0</source>
        <translation>eine Einstellung in %1 ist beschädigt (%2) und wird als 0 gelesen</translation>
    </message>
    <message>
        <source>Set it again in the panel; the next save writes it whole.</source>
        <translation>Stellen Sie sie im Panel erneut ein; das nächste Speichern schreibt sie vollständig.</translation>
    </message>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 ist kein Ordner</translation>
    </message>
    <message>
        <source>Move %1 aside, so the panel can make its settings folder.</source>
        <translation>Verschieben Sie %1, damit das Panel seinen Einstellungsordner anlegen kann.</translation>
    </message>
    <message>
        <source>the panel cannot write into %1 (%2), so no setting is kept</source>
        <translation>das Panel kann nicht in %1 schreiben (%2); keine Einstellung bleibt erhalten</translation>
    </message>
    <message>
        <source>Give the folder back to your user (&apos;sudo chown -R &quot;$USER&quot;: %1&apos;).</source>
        <translation>Geben Sie den Ordner Ihrem Benutzer zurück („sudo chown -R &quot;$USER&quot;: %1“).</translation>
    </message>
</context>
<context>
    <name>SoundServerChecks</name>
    <message>
        <source>libpulse cannot make a connection</source>
        <translation>libpulse kann keine Verbindung aufbauen</translation>
    </message>
    <message>
        <source>it did not answer within %1 s</source>
        <translation>er antwortete nicht innerhalb von %1 s</translation>
    </message>
    <message>
        <source>it answered, but not what it has within %1 s</source>
        <translation>er antwortete, nannte aber nicht innerhalb von %1 s, was er hat</translation>
    </message>
    <message>
        <source>%1 (package pipewire-bin) is not installed</source>
        <translation>%1 (Paket pipewire-bin) ist nicht installiert</translation>
    </message>
    <message>
        <source>%1 did not answer within %2 s</source>
        <translation>%1 antwortete nicht innerhalb von %2 s</translation>
    </message>
    <message>
        <source>%1 failed: %2</source>
        <translation>%1 schlug fehl: %2</translation>
    </message>
    <message>
        <source>Sound server</source>
        <translation>Sound-Server</translation>
    </message>
    <message>
        <source>The device&apos;s output in the sound server</source>
        <translation>Ausgang des Geräts im Sound-Server</translation>
    </message>
    <message>
        <source>The device&apos;s input in the sound server</source>
        <translation>Eingang des Geräts im Sound-Server</translation>
    </message>
    <message>
        <source>The device&apos;s output is the default</source>
        <translation>Ausgang des Geräts ist der Standard</translation>
    </message>
    <message>
        <source>The device&apos;s input is the default</source>
        <translation>Eingang des Geräts ist der Standard</translation>
    </message>
    <message>
        <source>Default output the session manager restores</source>
        <translation>Standardausgang, den der Sitzungsmanager wiederherstellt</translation>
    </message>
    <message>
        <source>the session&apos;s socket</source>
        <translation>dem Socket der Sitzung</translation>
    </message>
    <message>
        <source>no sound server answers at %1 (%2)</source>
        <translation>kein Sound-Server antwortet an %1 (%2)</translation>
    </message>
    <message>
        <source>Start PipeWire&apos;s PulseAudio server (&apos;systemctl --user start pipewire-pulse&apos;) or PulseAudio (&apos;pulseaudio --start&apos;); the panel connects by itself once it runs.</source>
        <translation>Starten Sie den PulseAudio-Server von PipeWire („systemctl --user start pipewire-pulse“) oder PulseAudio („pulseaudio --start“); das Panel verbindet sich von selbst, sobald er läuft.</translation>
    </message>
    <message>
        <source>no sound server</source>
        <translation>kein Sound-Server</translation>
    </message>
    <message>
        <source>Plug the device in; if it is in, check that its profile is not &quot;Off&quot; in the desktop&apos;s sound settings (&apos;pactl list cards&apos;).</source>
        <translation>Schließen Sie das Gerät an; ist es angeschlossen, prüfen Sie, ob sein Profil in den Toneinstellungen des Desktops nicht „Off“ ist („pactl list cards“).</translation>
    </message>
    <message>
        <source>output</source>
        <translation>Ausgang</translation>
    </message>
    <message>
        <source>input</source>
        <translation>Eingang</translation>
    </message>
    <message>
        <source>the sound server has no %1 named &quot;%2&quot;</source>
        <translation>der Sound-Server hat keinen %1 namens „%2“</translation>
    </message>
    <message>
        <source>the device has no %1</source>
        <translation>das Gerät hat keinen %1</translation>
    </message>
    <message>
        <source>the default %1 is %2, so the sound does not go through the device</source>
        <translation>der Standard-%1 ist %2; der Ton geht nicht über das Gerät</translation>
    </message>
    <message>
        <source>not set</source>
        <translation>nicht gesetzt</translation>
    </message>
    <message>
        <source>Start the panel, which makes the device the default when it links, or choose it in the desktop&apos;s sound settings (&apos;pactl %1 %2&apos;).</source>
        <translation>Starten Sie das Panel, das das Gerät beim Verbinden zum Standard macht, oder wählen Sie es in den Toneinstellungen des Desktops („pactl %1 %2“).</translation>
    </message>
    <message>
        <source>PulseAudio keeps no separate session manager&apos;s default</source>
        <translation>PulseAudio hat keinen eigenen Standard eines Sitzungsmanagers</translation>
    </message>
    <message>
        <source>none set; WirePlumber follows the current default</source>
        <translation>keiner gesetzt; WirePlumber folgt dem aktuellen Standard</translation>
    </message>
    <message>
        <source>WirePlumber&apos;s configured default output is %1, which it restores over the device</source>
        <translation>der in WirePlumber eingestellte Standardausgang ist %1, den es anstelle des Geräts wiederherstellt</translation>
    </message>
    <message>
        <source>Make the device the default output in the desktop&apos;s sound settings, or run &apos;pactl set-default-sink %1&apos;; WirePlumber keeps that choice.</source>
        <translation>Machen Sie das Gerät in den Toneinstellungen des Desktops zum Standardausgang oder führen Sie „pactl set-default-sink %1“ aus; WirePlumber behält diese Wahl.</translation>
    </message>
</context>
<context>
    <name>Transport</name>
    <message>
        <source>it is a folder</source>
        <translation>es ist ein Ordner</translation>
    </message>
    <message>
        <source>it is a named pipe, not a file</source>
        <translation>es ist eine benannte Pipe, keine Datei</translation>
    </message>
    <message>
        <source>it is a device, not a file</source>
        <translation>es ist ein Gerät, keine Datei</translation>
    </message>
    <message>
        <source>it is a socket, not a file</source>
        <translation>es ist ein Socket, keine Datei</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>es ist keine normale Datei</translation>
    </message>
    <message>
        <source>the GStreamer playbin, pulsesink or fakesink element is missing</source>
        <translation>das GStreamer-Element playbin, pulsesink oder fakesink fehlt</translation>
    </message>
    <message>
        <source>it cannot be opened</source>
        <translation>sie kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>it has no audio stream</source>
        <translation>sie hat keine Tonspur</translation>
    </message>
    <message>
        <source>it does not exist</source>
        <translation>sie existiert nicht</translation>
    </message>
    <message>
        <source>the recording pipeline cannot be linked</source>
        <translation>die Aufnahme-Pipeline kann nicht verbunden werden</translation>
    </message>
    <message>
        <source>the input cannot be opened</source>
        <translation>der Eingang kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>the input cannot be started</source>
        <translation>der Eingang kann nicht gestartet werden</translation>
    </message>
    <message>
        <source>only AAC recordings are supported</source>
        <translation>nur AAC-Aufnahmen werden unterstützt</translation>
    </message>
    <message>
        <source>the sample rate and channel count must be positive</source>
        <translation>Abtastrate und Kanalzahl müssen positiv sein</translation>
    </message>
    <message>
        <source>recordings can only be written to local files</source>
        <translation>Aufnahmen können nur in lokale Dateien geschrieben werden</translation>
    </message>
</context>
<context>
    <name>TransportControls</name>
    <message>
        <source>Cannot record %1: %2</source>
        <translation>%1 kann nicht aufgenommen werden: %2</translation>
    </message>
    <message>
        <source>Cannot play %1: %2</source>
        <translation>%1 kann nicht abgespielt werden: %2</translation>
    </message>
    <message>
        <source>the transport changed while the panel was open</source>
        <translation>Wiedergabe oder Aufnahme hat sich geändert, während der Dialog offen war</translation>
    </message>
    <message>
        <source>the device is not linked</source>
        <translation>das Gerät ist nicht verbunden</translation>
    </message>
    <message>
        <source>the audio output refused it</source>
        <translation>die Audioausgabe hat sie abgelehnt</translation>
    </message>
    <message>
        <source>the input refused to start</source>
        <translation>der Eingang ließ sich nicht starten</translation>
    </message>
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
    <message>
        <source>Cannot record while the microphone check runs.</source>
        <translation>Während der Mikrofonprüfung kann nicht aufgenommen werden.</translation>
    </message>
    <message>
        <source>Cannot play while the microphone check runs.</source>
        <translation>Während der Mikrofonprüfung kann nicht abgespielt werden.</translation>
    </message>
</context>
<context>
    <name>UndoActions</name>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Wiederherstellen</translation>
    </message>
    <message>
        <source>Cannot undo: %1</source>
        <translation>Rückgängig nicht möglich: %1</translation>
    </message>
    <message>
        <source>Cannot redo: %1</source>
        <translation>Wiederherstellen nicht möglich: %1</translation>
    </message>
</context>
<context>
    <name>UsbHID</name>
    <message>
        <source>The panel may not write to the device (%1). %2</source>
        <translation>Das Panel darf nicht auf das Gerät schreiben (%1). %2</translation>
    </message>
    <message>
        <source>The device is not answering. Your settings go to it as soon as it takes them again; if it stays silent, plug it in again.</source>
        <translation>Das Gerät antwortet nicht. Ihre Einstellungen gehen an das Gerät, sobald es sie wieder annimmt; bleibt es stumm, stecken Sie es erneut ein.</translation>
    </message>
    <message>
        <source>The device refused a setting (%1). It gets all settings again once it takes one; if it keeps refusing, plug it in again.</source>
        <translation>Das Gerät hat eine Einstellung abgelehnt (%1). Sobald es wieder eine annimmt, bekommt es alle Einstellungen erneut; lehnt es weiter ab, stecken Sie es erneut ein.</translation>
    </message>
</context>
<context>
    <name>WindowTitleControls</name>
    <message>
        <source>Minimise</source>
        <translation>Minimieren</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
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
