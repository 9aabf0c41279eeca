<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AboutBox</name>
    <message>
        <source>About Veltrano Importer</source>
        <translation>Über Veltrano Importer</translation>
    </message>
    <message>
        <source>&lt;h3&gt;Veltrano Importer %1&lt;/h3&gt;&lt;p&gt;Installs Pure Data patches for the audio host.&lt;/p&gt;</source>
        <translation>&lt;h3&gt;Veltrano Importer %1&lt;/h3&gt;&lt;p&gt;Installiert Pure-Data-Patches für den Audio-Host.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;Free software under the MIT License.&lt;/p&gt;&lt;p&gt;Library folder:&lt;br&gt;&lt;tt&gt;%1&lt;/tt&gt;&lt;/p&gt;&lt;p&gt;Trash:&lt;br&gt;&lt;tt&gt;%2&lt;/tt&gt;&lt;/p&gt;</source>
        <translation>&lt;p&gt;Freie Software unter der MIT-Lizenz.&lt;/p&gt;&lt;p&gt;Bibliotheksordner:&lt;br&gt;&lt;tt&gt;%1&lt;/tt&gt;&lt;/p&gt;&lt;p&gt;Papierkorb:&lt;br&gt;&lt;tt&gt;%2&lt;/tt&gt;&lt;/p&gt;</translation>
    </message>
    <message>
        <source>none found</source>
        <translation>keiner gefunden</translation>
    </message>
</context>
<context>
    <name>DesktopWorkspace</name>
    <message>
        <source>there is no main patch file “%1”.</source>
        <translation>es gibt keine Haupt-Patch-Datei „%1“.</translation>
    </message>
    <message>
        <source>no program is set to open Pd patches.</source>
        <translation>kein Programm ist zum Öffnen von Pd-Patches eingerichtet.</translation>
    </message>
</context>
<context>
    <name>FindingsSection</name>
    <message>
        <source>Patch check</source>
        <translation>Patch-Prüfung</translation>
    </message>
    <message>
        <source>Patch check of the selected patch</source>
        <translation>Patch-Prüfung des ausgewählten Patches</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Hinweis</translation>
    </message>
</context>
<context>
    <name>HelpPanel</name>
    <message>
        <source>Veltrano Importer Help</source>
        <translation>Hilfe zu Veltrano Importer</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Inhalt</translation>
    </message>
    <message>
        <source>Help text</source>
        <translation>Hilfetext</translation>
    </message>
    <message>
        <source>help.html</source>
        <extracomment>The file name of the help in this language, built in beside help.html.</extracomment>
        <translation>help_de.html</translation>
    </message>
</context>
<context>
    <name>InstallProgress</name>
    <message>
        <source>Waiting for another importer to finish…</source>
        <translation>Warten, bis ein anderer Importer fertig ist…</translation>
    </message>
    <message>
        <source>Installing…</source>
        <translation>Installieren…</translation>
    </message>
    <message>
        <source>Installing “%1”</source>
        <translation>„%1“ wird installiert</translation>
    </message>
    <message>
        <source>Installing “%1”, %2 of %3 items done</source>
        <translation>„%1“ wird installiert, %2 von %3 Elementen fertig</translation>
    </message>
    <message>
        <source>%1 so far</source>
        <translation>%1 bisher</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message numerus="yes">
        <source>%n more waiting</source>
        <translation>
            <numerusform>%n weitere wartet</numerusform>
            <numerusform>%n weitere warten</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 after the install</source>
        <translation>%1 nach der Installation</translation>
    </message>
    <message numerus="yes">
        <source>%1 and %n more waiting</source>
        <translation>
            <numerusform>%1 und %n weitere warten</numerusform>
            <numerusform>%1 und %n weitere warten</numerusform>
        </translation>
    </message>
    <message>
        <source>%1, %2 of %3 files</source>
        <translation>%1, %2 von %3 Dateien</translation>
    </message>
    <message>
        <source>Exporting…</source>
        <translation>Exportieren…</translation>
    </message>
    <message>
        <source>Exporting “%1”</source>
        <translation>„%1“ wird exportiert</translation>
    </message>
    <message>
        <source>Exporting “%1”, %2 of %3 patches done</source>
        <translation>„%1“ wird exportiert, %2 von %3 Patches fertig</translation>
    </message>
</context>
<context>
    <name>ItemListPanel</name>
    <message>
        <source>Item</source>
        <translation>Element</translation>
    </message>
    <message>
        <source>Why</source>
        <translation>Grund</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Veltrano Importer</source>
        <translation>Veltrano Importer</translation>
    </message>
    <message>
        <source>Patch type</source>
        <translation>Patch-Art</translation>
    </message>
    <message>
        <source>Effects</source>
        <translation>Effekte</translation>
    </message>
    <message>
        <source>Instruments</source>
        <translation>Instrumente</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Installed patches</source>
        <translation>Installierte Patches</translation>
    </message>
    <message>
        <source>Search installed patches</source>
        <translation>Installierte Patches durchsuchen</translation>
    </message>
    <message>
        <source>Search by name (Ctrl+F)</source>
        <translation>Suche nach Namen (Strg+F)</translation>
    </message>
    <message>
        <source>Patch</source>
        <translation>Patch</translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Parameters of the selected patch</source>
        <translation>Parameter des ausgewählten Patches</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>Min</source>
        <translation>Min.</translation>
    </message>
    <message>
        <source>Max</source>
        <translation>Max.</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>Einheit</translation>
    </message>
    <message>
        <source>Select a patch to see the parameters it declares.</source>
        <translation>Wählen Sie einen Patch aus, um die Parameter zu sehen, die er angibt.</translation>
    </message>
    <message>
        <source>Install progress</source>
        <translation>Installationsfortschritt</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Stops this install: the patch being copied is not installed, the ones already installed stay</source>
        <translation>Bricht diese Installation ab: Der Patch, der gerade kopiert wird, wird nicht installiert, die schon installierten bleiben</translation>
    </message>
    <message>
        <source>Add…</source>
        <translation>Hinzufügen…</translation>
    </message>
    <message>
        <source>Installs Pd patch files or a patch folder chosen in a file dialog</source>
        <translation>Installiert Pd-Patch-Dateien oder einen Patch-Ordner, die in einem Dateidialog ausgewählt werden</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Moves the selected patch folder to the trash, with everything in it</source>
        <translation>Verschiebt den ausgewählten Patch-Ordner mit allem, was darin ist, in den Papierkorb</translation>
    </message>
    <message>
        <source>To install patches, drop Pd patch files, patch folders or archives on the list, or choose Add…</source>
        <translation>Zum Installieren ziehen Sie Pd-Patch-Dateien, Patch-Ordner oder Archive auf die Liste oder wählen „Hinzufügen…“</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
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
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Open Patch Files…</source>
        <translation>Patch-&amp;Dateien öffnen…</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>Open Patch &amp;Folder…</source>
        <translation>Patch-&amp;Ordner öffnen…</translation>
    </message>
    <message>
        <source>Ctrl+Shift+O</source>
        <translation>Ctrl+Shift+O</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
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
        <source>Open in &amp;Pd</source>
        <translation>In &amp;Pd öffnen</translation>
    </message>
    <message>
        <source>Opens the main patch file of each selected patch with the desktop&apos;s program for Pd patches</source>
        <translation>Öffnet die Haupt-Patch-Datei jedes ausgewählten Patches mit dem Programm der Arbeitsumgebung für Pd-Patches</translation>
    </message>
    <message>
        <source>Show in F&amp;iles</source>
        <translation>In der Datei&amp;verwaltung zeigen</translation>
    </message>
    <message>
        <source>Shows the selected patch folders in the file manager</source>
        <translation>Zeigt die ausgewählten Patch-Ordner in der Dateiverwaltung</translation>
    </message>
    <message>
        <source>&amp;Copy Path</source>
        <translation>Pfad &amp;kopieren</translation>
    </message>
    <message>
        <source>Copies the paths of the selected patch folders, one a line</source>
        <translation>Kopiert die Pfade der ausgewählten Patch-Ordner, einen pro Zeile</translation>
    </message>
    <message>
        <source>Ctrl+Shift+C</source>
        <translation>Ctrl+Shift+C</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>Del</source>
        <translation>Del</translation>
    </message>
    <message>
        <source>&amp;Find…</source>
        <translation>&amp;Suchen…</translation>
    </message>
    <message>
        <source>Ctrl+F</source>
        <translation>Ctrl+F</translation>
    </message>
    <message>
        <source>&amp;Effects</source>
        <translation>&amp;Effekte</translation>
    </message>
    <message>
        <source>Ctrl+1</source>
        <translation>Ctrl+1</translation>
    </message>
    <message>
        <source>&amp;Instruments</source>
        <translation>&amp;Instrumente</translation>
    </message>
    <message>
        <source>Ctrl+2</source>
        <translation>Ctrl+2</translation>
    </message>
    <message>
        <source>&amp;About Veltrano Importer</source>
        <translation>&amp;Über Veltrano Importer</translation>
    </message>
    <message>
        <source>Veltrano Importer &amp;Help</source>
        <translation>&amp;Hilfe zu Veltrano Importer</translation>
    </message>
    <message>
        <source>F1</source>
        <translation>F1</translation>
    </message>
    <message>
        <source>Patch Files…</source>
        <translation>Patch-Dateien…</translation>
    </message>
    <message>
        <source>Patch Folder…</source>
        <translation>Patch-Ordner…</translation>
    </message>
    <message>
        <source>This patch declares no parameters.</source>
        <translation>Dieser Patch gibt keine Parameter an.</translation>
    </message>
    <message>
        <source>No main patch file “%1”: the audio host cannot load this folder</source>
        <translation>Keine Haupt-Patch-Datei „%1“: Der Audio-Host kann diesen Ordner nicht laden</translation>
    </message>
    <message>
        <source>These files can only be moved, and the importer copies patches: hold Ctrl while dragging to copy them.</source>
        <translation>Diese Dateien lassen sich nur verschieben, der Importer kopiert Patches aber: Halten Sie beim Ziehen Strg gedrückt, um sie zu kopieren.</translation>
    </message>
    <message>
        <source>Add a Patch Folder</source>
        <translation>Patch-Ordner hinzufügen</translation>
    </message>
    <message>
        <source>Add Patch Files</source>
        <translation>Patch-Dateien hinzufügen</translation>
    </message>
    <message>
        <source>Pd patches and archives (*.pd *.zip *.tar *.tar.gz *.tgz *.tar.bz2 *.tbz2 *.tar.xz *.txz *.tar.zst)</source>
        <translation>Pd-Patches und Archive (*.pd *.zip *.tar *.tar.gz *.tgz *.tar.bz2 *.tbz2 *.tar.xz *.txz *.tar.zst)</translation>
    </message>
    <message>
        <source>Pd patches (*.pd)</source>
        <translation>Pd-Patches (*.pd)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Parameters of “%1”</source>
        <translation>Parameter von „%1“</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Keep Installing</source>
        <translation>Weiter installieren</translation>
    </message>
    <message>
        <source>Quit while patches are being installed?</source>
        <translation>Beenden, während Patches installiert werden?</translation>
    </message>
    <message>
        <source>The patch being copied is not installed, and the requests waiting are dropped. Patches installed already stay.</source>
        <translation>Der Patch, der gerade kopiert wird, wird nicht installiert, und die wartenden Aufträge entfallen. Schon installierte Patches bleiben.</translation>
    </message>
    <message>
        <source>%1 instrument</source>
        <translation>%1 Instrument</translation>
    </message>
    <message>
        <source>%1 instruments</source>
        <translation>%1 Instrumente</translation>
    </message>
    <message>
        <source>%1 effect</source>
        <translation>%1 Effekt</translation>
    </message>
    <message>
        <source>%1 effects</source>
        <translation>%1 Effekte</translation>
    </message>
    <message>
        <source>%1 of %2 instrument</source>
        <translation>%1 von %2 Instrument</translation>
    </message>
    <message>
        <source>%1 of %2 instruments</source>
        <translation>%1 von %2 Instrumenten</translation>
    </message>
    <message>
        <source>%1 of %2 effect</source>
        <translation>%1 von %2 Effekt</translation>
    </message>
    <message>
        <source>%1 of %2 effects</source>
        <translation>%1 von %2 Effekten</translation>
    </message>
    <message>
        <source>No instruments installed yet. Drop Pd patches here or choose Add…</source>
        <translation>Noch keine Instrumente installiert. Ziehen Sie Pd-Patches hierher oder wählen Sie „Hinzufügen…“</translation>
    </message>
    <message>
        <source>No effects installed yet. Drop Pd patches here or choose Add…</source>
        <translation>Noch keine Effekte installiert. Ziehen Sie Pd-Patches hierher oder wählen Sie „Hinzufügen…“</translation>
    </message>
    <message>
        <source>No instruments match “%1”.</source>
        <translation>Keine Instrumente passen zu „%1“.</translation>
    </message>
    <message>
        <source>No effects match “%1”.</source>
        <translation>Keine Effekte passen zu „%1“.</translation>
    </message>
    <message>
        <source>&amp;Export…</source>
        <translation>&amp;Exportieren…</translation>
    </message>
    <message>
        <source>Writes the selected patches to one .zip archive, to hand them to someone else</source>
        <translation>Schreibt die ausgewählten Patches in ein einziges .zip-Archiv, um sie an jemand anderen weiterzugeben</translation>
    </message>
    <message>
        <source>Ctrl+E</source>
        <translation>Ctrl+E</translation>
    </message>
    <message>
        <source>Patches</source>
        <translation>Patches</translation>
    </message>
    <message>
        <source>Export Patches</source>
        <translation>Patches exportieren</translation>
    </message>
    <message>
        <source>Zip archives (*.zip)</source>
        <translation>Zip-Archive (*.zip)</translation>
    </message>
    <message>
        <source>Keep Exporting</source>
        <translation>Weiter exportieren</translation>
    </message>
    <message>
        <source>Quit while patches are being exported?</source>
        <translation>Beenden, während Patches exportiert werden?</translation>
    </message>
    <message>
        <source>The archive is not written, and the requests waiting are dropped.</source>
        <translation>Das Archiv wird nicht geschrieben, und die wartenden Aufträge entfallen.</translation>
    </message>
</context>
<context>
    <name>PatchDrawingPane</name>
    <message>
        <source>Select a patch to see its drawing.</source>
        <translation>Wählen Sie einen Patch aus, um seine Zeichnung zu sehen.</translation>
    </message>
    <message>
        <source>Patch drawing</source>
        <translation>Patch-Zeichnung</translation>
    </message>
    <message>
        <source>Subpatch path</source>
        <translation>Subpatch-Pfad</translation>
    </message>
</context>
<context>
    <name>UndoMenuItem</name>
    <message>
        <source>&amp;Undo Typing in Search</source>
        <translation>&amp;Rückgängig: Eingabe in der Suche</translation>
    </message>
</context>
<context>
    <name>VQ_ImporterAppDelegate</name>
    <message>
        <source>Replace %1</source>
        <translation>%1 ersetzen</translation>
    </message>
    <message>
        <source>Delete %1</source>
        <translation>%1 löschen</translation>
    </message>
    <message>
        <source>Replace of %1 Patches</source>
        <translation>Ersetzen von %1 Patches</translation>
    </message>
    <message>
        <source>Delete of %1 Patches</source>
        <translation>Löschen von %1 Patches</translation>
    </message>
    <message>
        <source>Replaced %1</source>
        <translation>%1 ersetzt</translation>
    </message>
    <message>
        <source>Deleted %1</source>
        <translation>%1 gelöscht</translation>
    </message>
    <message>
        <source>Replaced %1 patches</source>
        <translation>%1 Patches ersetzt</translation>
    </message>
    <message>
        <source>Deleted %1 patches</source>
        <translation>%1 Patches gelöscht</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Undo %1</source>
        <translation>Rückgängig: %1</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <source>Redo %1</source>
        <translation>Wiederholen: %1</translation>
    </message>
    <message>
        <source>Delete %1 patches</source>
        <translation>%1 Patches löschen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Delete %1 permanently?</source>
        <translation>%1 endgültig löschen?</translation>
    </message>
    <message>
        <source>%1 A patch deleted permanently can&apos;t be brought back.</source>
        <translation>%1 Ein endgültig gelöschter Patch lässt sich nicht zurückholen.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>%1 could not be deleted</source>
        <translation>%1 konnte nicht gelöscht werden</translation>
    </message>
    <message>
        <source>%1. Whatever could not be removed is still in the library.</source>
        <translation>%1. Was nicht entfernt werden konnte, ist noch in der Bibliothek.</translation>
    </message>
    <message>
        <source>%1 can&apos;t be taken out again</source>
        <translation>%1 lässt sich nicht erneut entfernen</translation>
    </message>
    <message>
        <source>%1. It stays in the library.</source>
        <translation>%1. Der Patch bleibt in der Bibliothek.</translation>
    </message>
    <message>
        <source>%1 is no longer in the trash</source>
        <translation>%1 ist nicht mehr im Papierkorb</translation>
    </message>
    <message>
        <source>The trash was emptied, or something else now has its name there. Nothing was changed.</source>
        <translation>Der Papierkorb wurde geleert, oder dort trägt jetzt etwas anderes diesen Namen. Es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>%1 can&apos;t be put back</source>
        <translation>%1 lässt sich nicht zurücklegen</translation>
    </message>
    <message>
        <source>A patch named %1 is installed again. Rename or delete it, then choose Undo again.</source>
        <translation>Ein Patch namens %1 ist wieder installiert. Benennen Sie ihn um oder löschen Sie ihn und wählen Sie dann erneut „Rückgängig“.</translation>
    </message>
    <message>
        <source>%1. It is still in the trash.</source>
        <translation>%1. Der Patch ist noch im Papierkorb.</translation>
    </message>
    <message>
        <source>Can&apos;t open %1 in Pd: %2</source>
        <translation>%1 lässt sich nicht in Pd öffnen: %2</translation>
    </message>
    <message>
        <source>Keep Earlier Copy</source>
        <translation>Frühere Kopie behalten</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Ersetzen</translation>
    </message>
    <message>
        <source>Replace %1 permanently?</source>
        <translation>%1 endgültig ersetzen?</translation>
    </message>
    <message>
        <source>%1 The earlier copy can&apos;t be brought back once replaced.</source>
        <translation>%1 Die frühere Kopie lässt sich nach dem Ersetzen nicht zurückholen.</translation>
    </message>
    <message>
        <source>Details…</source>
        <translation>Details…</translation>
    </message>
    <message>
        <source>Items not installed</source>
        <translation>Nicht installierte Elemente</translation>
    </message>
    <message>
        <source>effects</source>
        <translation>Effekte</translation>
    </message>
    <message>
        <source>instruments</source>
        <translation>Instrumente</translation>
    </message>
    <message>
        <source>Installed %1 (%2)</source>
        <translation>%1 installiert (%2)</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Zeigen</translation>
    </message>
    <message>
        <source>Installed %1 patches</source>
        <translation>%1 Patches installiert</translation>
    </message>
    <message>
        <source>Patches installed</source>
        <translation>Installierte Patches</translation>
    </message>
    <message>
        <source>The file or folder was invalid</source>
        <translation>Die Datei oder der Ordner war ungültig</translation>
    </message>
    <message>
        <source>Maybe you chose a file with no dac~ or a folder that doesn&apos;t contain a patch of the same name!</source>
        <translation>Vielleicht haben Sie eine Datei ohne dac~ gewählt oder einen Ordner, der keinen Patch gleichen Namens enthält!</translation>
    </message>
    <message>
        <source>Maybe you dropped a file with no dac~ or a folder that doesn&apos;t contain a patch of the same name!</source>
        <translation>Vielleicht haben Sie eine Datei ohne dac~ abgelegt oder einen Ordner, der keinen Patch gleichen Namens enthält!</translation>
    </message>
    <message>
        <source>Exported %1 to %2</source>
        <translation>%1 nach %2 exportiert</translation>
    </message>
    <message>
        <source>Exported %1 patches to %2</source>
        <translation>%1 Patches nach %2 exportiert</translation>
    </message>
    <message>
        <source>Show in Files</source>
        <translation>In der Dateiverwaltung zeigen</translation>
    </message>
    <message>
        <source>Export to %1 cancelled</source>
        <translation>Export nach %1 abgebrochen</translation>
    </message>
    <message>
        <source>Can&apos;t export to %1: %2</source>
        <translation>Export nach %1 nicht möglich: %2</translation>
    </message>
    <message>
        <source>1 error</source>
        <translation>1 Fehler</translation>
    </message>
    <message>
        <source>%1 errors</source>
        <translation>%1 Fehler</translation>
    </message>
    <message>
        <source>1 warning</source>
        <translation>1 Warnung</translation>
    </message>
    <message>
        <source>%1 warnings</source>
        <translation>%1 Warnungen</translation>
    </message>
    <message>
        <source>Installed %1: %2</source>
        <translation>%1 installiert: %2</translation>
    </message>
    <message>
        <source>Installed %1 patches, %2 with errors or warnings</source>
        <translation>%1 Patches installiert, %2 mit Fehlern oder Warnungen</translation>
    </message>
</context>
<context>
    <name>installReportText</name>
    <message>
        <source>a hidden name: the list would not show it</source>
        <translation>ein versteckter Name: Die Liste würde ihn nicht zeigen</translation>
    </message>
    <message>
        <source>not a patch folder: no %1 inside</source>
        <translation>kein Patch-Ordner: %1 fehlt darin</translation>
    </message>
    <message>
        <source>not found</source>
        <translation>nicht gefunden</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>no room left on the disk</source>
        <translation>kein Platz mehr auf dem Datenträger</translation>
    </message>
    <message>
        <source>kept the earlier copy: no trash could take it</source>
        <translation>frühere Kopie behalten: Kein Papierkorb konnte sie aufnehmen</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>abgebrochen</translation>
    </message>
    <message>
        <source>%1 of %2 item was not installed</source>
        <translation>%1 von %2 Element nicht installiert</translation>
    </message>
    <message>
        <source>%1 of %2 items was not installed</source>
        <translation>%1 von %2 Elementen nicht installiert</translation>
    </message>
    <message>
        <source>%1 of %2 items were not installed</source>
        <translation>%1 von %2 Elementen nicht installiert</translation>
    </message>
    <message>
        <source>Replaced %1 patches for good: no trash could take the earlier copies</source>
        <translation>%1 Patches endgültig ersetzt: Kein Papierkorb konnte die früheren Kopien aufnehmen</translation>
    </message>
    <message>
        <source>Replaced %1 for good: no trash could take the earlier copy</source>
        <translation>%1 endgültig ersetzt: Kein Papierkorb konnte die frühere Kopie aufnehmen</translation>
    </message>
</context>
<context>
    <name>quoted</name>
    <message>
        <source>“%1”</source>
        <translation>„%1“</translation>
    </message>
</context>
<context>
    <name>trashFailureText</name>
    <message>
        <source>There is no trash on the disk that holds the library.</source>
        <translation>Auf dem Datenträger der Bibliothek gibt es keinen Papierkorb.</translation>
    </message>
    <message>
        <source>The trash on the disk that holds the library can&apos;t take it.</source>
        <translation>Der Papierkorb auf dem Datenträger der Bibliothek kann ihn nicht aufnehmen.</translation>
    </message>
    <message>
        <source>There is no trash on the disk that holds the library, and the home trash has no room.</source>
        <translation>Auf dem Datenträger der Bibliothek gibt es keinen Papierkorb, und im persönlichen Papierkorb ist kein Platz.</translation>
    </message>
    <message>
        <source>There is no trash on the disk that holds the library, and the home trash can&apos;t be written to.</source>
        <translation>Auf dem Datenträger der Bibliothek gibt es keinen Papierkorb, und in den persönlichen Papierkorb lässt sich nicht schreiben.</translation>
    </message>
    <message>
        <source>There is no trash on the disk that holds the library, and it could not be copied into the home trash.</source>
        <translation>Auf dem Datenträger der Bibliothek gibt es keinen Papierkorb, und in den persönlichen Papierkorb ließ er sich nicht kopieren.</translation>
    </message>
</context>
</TS>
