/*
 * System message texts in English and German, worded as Windows words them,
 * for the platform errors and HRESULTs the library can produce.  An HRESULT
 * of the Win32 facility (0x8007xxxx) has the text of its Win32 error.
 */
#include "system_messages.h"

namespace qel::posix {
namespace {

struct SystemMessage {
  DWORD id;
  const char16_t* english;
  const char16_t* german;
};

constexpr SystemMessage kMessages[] = {
    {0, u"The operation completed successfully.", u"Der Vorgang wurde erfolgreich beendet."},
    {1, u"Incorrect function.", u"Unzulässige Funktion."},
    {2, u"The system cannot find the file specified.", u"Das System kann die angegebene Datei nicht finden."},
    {3, u"The system cannot find the path specified.", u"Das System kann den angegebenen Pfad nicht finden."},
    {4, u"The system cannot open the file.", u"Das System kann die Datei nicht öffnen."},
    {5, u"Access is denied.", u"Zugriff verweigert"},
    {6, u"The handle is invalid.", u"Das Handle ist ungültig."},
    {8, u"Not enough memory resources are available to process this command.",
     u"Nicht genügend Speicher verfügbar, um diesen Befehl zu verarbeiten."},
    {13, u"The data is invalid.", u"Die Daten sind unzulässig."},
    {14, u"Not enough memory resources are available to complete this operation.",
     u"Nicht genügend Speicher verfügbar, um diesen Vorgang abzuschließen."},
    {18, u"There are no more files.", u"Es sind keine weiteren Dateien vorhanden."},
    {32, u"The process cannot access the file because it is being used by another process.",
     u"Der Prozess kann nicht auf die Datei zugreifen, da sie von einem anderen Prozess verwendet "
     u"wird."},
    {33,
     u"The process cannot access the file because another process has locked a portion of the "
     u"file.",
     u"Der Prozess kann nicht auf die Datei zugreifen, da ein anderer Prozess einen Teil der Datei "
     u"gesperrt hat."},
    {34, u"The wrong diskette is in the drive.\r\nInsert %2 (Volume Serial Number: %3) into drive %1.",
     u"Falsche Diskette im Laufwerk.\r\nLegen Sie %2 (Datenträgernummer: %3) in Laufwerk %1 ein."},
    {38, u"Reached the end of the file.", u"Das Ende der Datei wurde erreicht."},
    {53, u"The network path was not found.", u"Der Netzwerkpfad wurde nicht gefunden."},
    {80, u"The file exists.", u"Die Datei ist vorhanden."},
    {87, u"The parameter is incorrect.", u"Falscher Parameter."},
    {112, u"There is not enough space on the disk.",
     u"Auf dem Datenträger ist nicht genügend Speicherplatz vorhanden."},
    {120, u"This function is not supported on this system.",
     u"Diese Funktion wird von diesem System nicht unterstützt."},
    {122, u"The data area passed to a system call is too small.",
     u"Der an einen Systemaufruf übergebene Datenbereich ist zu klein."},
    {123, u"The filename, directory name, or volume label syntax is incorrect.",
     u"Die Syntax für den Dateinamen, Verzeichnisnamen oder die Datenträgerbezeichnung ist falsch."},
    {145, u"The directory is not empty.", u"Das Verzeichnis ist nicht leer."},
    {161, u"The specified path is invalid.", u"Der angegebene Pfad ist ungültig."},
    {170, u"The requested resource is in use.", u"Die angeforderte Ressource ist in Gebrauch."},
    {183, u"Cannot create a file when that file already exists.",
     u"Eine Datei kann nicht erstellt werden, wenn sie bereits vorhanden ist."},
    {193, u"%1 is not a valid Win32 application.", u"%1 ist keine zulässige Win32-Anwendung."},
    {234, u"More data is available.", u"Weitere Daten sind verfügbar."},
    {259, u"No more data is available.", u"Es sind keine weiteren Daten verfügbar."},
    {317, u"The system cannot find message text for message number 0x%1 in the message file for %2.",
     u"Der Meldungstext für die Meldungsnummer 0x%1 wurde nicht in der Meldungsdatei für %2 "
     u"gefunden."},
    {1009, u"The configuration registry database is corrupt.",
     u"Die Konfigurationsregistrierungsdatenbank ist beschädigt."},
    {1010, u"The configuration registry key is invalid.",
     u"Der Konfigurationsregistrierungsschlüssel ist ungültig."},
    {1011, u"The configuration registry key could not be opened.",
     u"Der Konfigurationsregistrierungsschlüssel konnte nicht geöffnet werden."},
    {1012, u"The configuration registry key could not be read.",
     u"Der Konfigurationsregistrierungsschlüssel konnte nicht gelesen werden."},
    {1013, u"The configuration registry key could not be written.",
     u"Der Konfigurationsregistrierungsschlüssel konnte nicht geschrieben werden."},
    {1014,
     u"One of the files in the registry database had to be recovered by use of a log or alternate copy. "
     u"The recovery was successful.",
     u"Eine der Dateien in der Registrierungsdatenbank musste mithilfe einer Protokolldatei oder einer "
     u"alternativen Kopie wiederhergestellt werden. Die Wiederherstellung war erfolgreich."},
    {1015,
     u"The registry is corrupted. The structure of one of the files containing registry data is "
     u"corrupted, or the system's memory image of the file is corrupted, or the file could not be "
     u"recovered because the alternate copy or log was absent or corrupted.",
     u"Die Registrierung ist beschädigt. Die Struktur einer der Dateien mit Registrierungsdaten ist "
     u"beschädigt, das Speicherabbild der Datei im System ist beschädigt, oder die Datei konnte nicht "
     u"wiederhergestellt werden, da die alternative Kopie oder die Protokolldatei fehlt oder beschädigt "
     u"ist."},
    {1016,
     u"An I/O operation initiated by the registry failed unrecoverably. The registry could not read in, "
     u"or write out, or flush, one of the files that contain the system's image of the registry.",
     u"Ein von der Registrierung eingeleiteter E/A-Vorgang ist endgültig fehlgeschlagen. Eine der Dateien "
     u"mit dem Systemabbild der Registrierung konnte nicht gelesen, geschrieben oder geleert werden."},
    {1017,
     u"The system has attempted to load or restore a file into the registry, but the specified file is "
     u"not in a registry file format.",
     u"Es wurde versucht, eine Datei in die Registrierung zu laden oder wiederherzustellen, aber die "
     u"angegebene Datei hat kein Registrierungsdateiformat."},
    {1018, u"Illegal operation attempted on a registry key that has been marked for deletion.",
     u"Es wurde versucht, einen unzulässigen Vorgang an einem Registrierungsschlüssel, der zum "
     u"Löschen markiert wurde, durchzuführen."},
    {1113, u"No mapping for the Unicode character exists in the target multi-byte code page.",
     u"Für das Unicode-Zeichen ist keine Zuordnung in der Mehrbyte-Zielcodepage vorhanden."},
    {1168, u"Element not found.", u"Element nicht gefunden."},
    {1813, u"The specified resource type cannot be found in the image file.",
     u"Der angegebene Ressourcentyp wurde nicht in der Abbilddatei gefunden."},
    {1815, u"The specified resource language ID cannot be found in the image file.",
     u"Die angegebene Ressourcensprachen-ID wurde nicht in der Abbilddatei gefunden."},
    {0x80004001, u"Not implemented", u"Nicht implementiert"},
    {0x80004002, u"No such interface supported", u"Schnittstelle nicht unterstützt"},
    {0x80004003, u"Invalid pointer", u"Ungültiger Zeiger"},
    {0x80004004, u"Operation aborted", u"Vorgang abgebrochen"},
    {0x80004005, u"Unspecified error", u"Unbekannter Fehler"},
    {0x8000FFFF, u"Catastrophic failure", u"Schwerwiegender Fehler"},
    {0x80020005, u"Type mismatch.", u"Typenkonflikt."},
    {0x80020006, u"Unknown name.", u"Unbekannter Name."},
    {0x8002000A, u"Out of present range.", u"Außerhalb des gültigen Bereichs."},
    {0x8002000B, u"Invalid index.", u"Ungültiger Index."},
    {0x8002000E, u"Invalid number of parameters.", u"Ungültige Anzahl an Parametern."},
    {0x80020012, u"Division by zero.", u"Division durch Null."},
    {0x8002802D, u"Name already exists in the library.",
     u"Der Name ist in der Bibliothek bereits vorhanden."},
};

const SystemMessage* find(DWORD id) {
  for (const SystemMessage& m : kMessages)
    if (m.id == id) return &m;
  return nullptr;
}

}  // namespace

const char16_t* systemMessage(DWORD id, LANGID language) {
  if (language != 1033 && language != 1031) return nullptr;
  const SystemMessage* m = find(id);
  if (!m && (id & 0xFFFF0000u) == 0x80070000u) m = find(id & 0xFFFFu);
  if (!m) return nullptr;
  return language == 1031 ? m->german : m->english;
}

}  // namespace qel::posix
