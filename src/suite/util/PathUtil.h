#pragma once

#include <QString>

namespace evapre {

// Path services, Windows places mapped to Linux.
//
// PercorsoCompleto(drive, folder, name): the full path of a file.
// - Backslashes become '/' in all three parts.
// - A name that is already absolute ("/…", or "X:…" / "\\server\…" forms) is returned
//   as it is (converted).
// - A Windows drive letter ("C:", "c:\") is ignored on Linux. Any other non-empty drive
//   (for example "/srv/dati" from a Linux INI) is a prefix folder, used when the folder is
//   not itself absolute.
// - The pieces are joined with single '/'; empty pieces are skipped.
// ("", "/dati", "ditta.db") → "/dati/ditta.db"; ("C:", "\dati\", "a.db") → "/dati/a.db";
// ("/srv", "dati", "a.db") → "/srv/dati/a.db"; ("", "", "a.db") → "a.db".
QString PercorsoCompleto(const QString& drive, const QString& folder, const QString& name);

// A folder with '/' separators and exactly one trailing '/'; blank → empty string.
QString NormalizzaCartella(const QString& folder);

// The system folder: "/etc", or the environment variable EVAPRE_SYSTEM_DIR when set
// (tests). No trailing '/'.
QString CartellaSistema();

// The program's folder: QCoreApplication::applicationDirPath() when an application object
// exists, else the current folder. No trailing '/'.
QString CartellaProgramma();

}  // namespace evapre
