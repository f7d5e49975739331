<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<!-- The German labels. The English label is the key. The kitchen's
     summaries keep their exact form: they are made of the English labels
     whatever the language ("   Date: ", "   ordering: " and the day names).
     Left out on purpose: "no subscriber" (the single-user name that orders
     are written under) and file names. -->
<context>
    <name>Vantuk</name>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Lock</source>
        <translation>Sperren</translation>
    </message>
    <message>
        <source> SingleUser</source>
        <translation> Einzelplatz</translation>
    </message>
    <message>
        <source> MultiUser</source>
        <translation> Mehrplatz</translation>
    </message>
    <message>
        <source>Config</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Calendarweek:</source>
        <translation>Kalenderwoche:</translation>
    </message>
    <message>
        <source>no cvs-files found</source>
        <translation>keine CSV-Dateien gefunden</translation>
    </message>
    <message>
        <source>(akt. Week)</source>
        <translation>(akt. Woche)</translation>
    </message>
    <message>
        <source>.. Please login first</source>
        <translation>.. Bitte zuerst anmelden</translation>
    </message>
    <message>
        <source>..wait</source>
        <translation>..bitte warten</translation>
    </message>
    <message>
        <source>..wait for some RFID-Tag</source>
        <translation>..warte auf einen RFID-Tag</translation>
    </message>
    <message>
        <source> Login</source>
        <translation> Anmelden</translation>
    </message>
    <message>
        <source> Logoff</source>
        <translation> Abmelden</translation>
    </message>
    <message>
        <source>last: </source>
        <translation>zuletzt: </translation>
    </message>
    <message>
        <source>Missing CSV for this Week</source>
        <translation>Keine CSV-Datei für diese Woche</translation>
    </message>
    <message>
        <source>pStat</source>
        <translation>Je Person</translation>
    </message>
    <message>
        <source>mStat</source>
        <translation>Je Essen</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>Summen</translation>
    </message>
    <message>
        <source>o save</source>
        <translation>o speichern</translation>
    </message>
    <message>
        <source>Select Tag :</source>
        <translation>Tag wählen :</translation>
    </message>
    <message>
        <source>&lt;&lt; into ToolTip</source>
        <translation>&lt;&lt; im Tooltip</translation>
    </message>
    <message>
        <source>Example: </source>
        <translation>Beispiel: </translation>
    </message>
    <message>
        <source> click to attach the fields:  </source>
        <translation> Klicken, um die Felder zuzuordnen:  </translation>
    </message>
    <message>
        <source> RFId-Synoym-File: </source>
        <translation> RFID-Synonymdatei: </translation>
    </message>
    <message>
        <source>Path: </source>
        <translation>Pfad: </translation>
    </message>
    <message>
        <source> Image-File: </source>
        <translation> Bilddatei: </translation>
    </message>
    <message>
        <source>Dateformat: </source>
        <translation>Datumsformat: </translation>
    </message>
    <message>
        <source>Font Size: </source>
        <translation>Schriftgröße: </translation>
    </message>
    <message>
        <source> Order deadline: </source>
        <translation> Bestellschluss: </translation>
    </message>
    <message>
        <source>Orders close: </source>
        <translation>Bestellschluss: </translation>
    </message>
    <message>
        <source>never</source>
        <translation>nie</translation>
    </message>
    <message>
        <source>on the day</source>
        <translation>am selben Tag</translation>
    </message>
    <message>
        <source>1 day before</source>
        <translation>1 Tag vorher</translation>
    </message>
    <message>
        <source>%ld days before</source>
        <translation>%ld Tage vorher</translation>
    </message>
    <message>
        <source>at: </source>
        <translation>um: </translation>
    </message>
    <message>
        <source>..first let me know:</source>
        <translation>..zuerst bitte angeben:</translation>
    </message>
    <message>
        <source>Monday</source>
        <translation>Montag</translation>
    </message>
    <message>
        <source>Tuesday</source>
        <translation>Dienstag</translation>
    </message>
    <message>
        <source>Wednesday</source>
        <translation>Mittwoch</translation>
    </message>
    <message>
        <source>Thursday</source>
        <translation>Donnerstag</translation>
    </message>
    <message>
        <source>Friday</source>
        <translation>Freitag</translation>
    </message>
    <message>
        <source>Saturday</source>
        <translation>Samstag</translation>
    </message>
    <message>
        <source>Sunday</source>
        <translation>Sonntag</translation>
    </message>
    <message>
        <source>Mar</source>
        <translation>Mär</translation>
    </message>
    <message>
        <source>May</source>
        <translation>Mai</translation>
    </message>
    <message>
        <source>June</source>
        <translation>Juni</translation>
    </message>
    <message>
        <source>July</source>
        <translation>Juli</translation>
    </message>
    <message>
        <source>Oct</source>
        <translation>Okt</translation>
    </message>
    <message>
        <source>Dec</source>
        <translation>Dez</translation>
    </message>
</context>
</TS>
