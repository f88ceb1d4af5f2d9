#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace evapre {

// Windows-style INI files, read with our own parser (not QSettings):
// - "[Section Name]" lines open a section (blanks around the name trimmed, spaces inside
//   kept); section and key names are compared case-insensitively.
// - "key = value" lines: split at the FIRST '=', key and value trimmed of blanks (spaces,
//   tabs and other white space); the value may contain '=' and ';'. A value wrapped in one pair of
//   double quotes loses them (as GetPrivateProfileString does).
// - Lines starting with ';' or '#' (after blanks) are comments; lines without '=' and
//   keys before the first section are ignored.
// - CRLF, LF or CR line ends; a UTF-8 BOM is skipped; text that is not valid UTF-8 is
//   read as Latin-1.
// - A key repeated in a section, or a section repeated in the file: the first wins.
// - A missing or unreadable file behaves as an empty one (every lookup gives the default).
class IniFile {
  public:
    IniFile() = default;
    static IniFile load(const QString& path);
    static IniFile fromData(const QByteArray& data);

    bool loaded() const { return mLoaded; }  // the file existed and was read

    bool contains(const QString& section, const QString& key) const;
    // The stored value, or the default when the key (or the file) is missing. A key
    // present with an empty value gives the empty string, not the default.
    QString value(const QString& section, const QString& key,
                  const QString& defaultValue = QString()) const;
    // As GetPrivateProfileInt: optional blanks and sign, then the leading decimal digits
    // ("12abc" → 12, "-3" → -3). No leading digit, a missing key or a number outside the
    // int range → the default.
    int intValue(const QString& section, const QString& key, int defaultValue) const;

    QStringList sections() const;                    // in file order, as written
    QStringList keys(const QString& section) const;  // in file order, as written

  private:
    struct Section {
        QString name;
        QList<QPair<QString, QString>> entries;  // key as written, value
        QHash<QString, qsizetype> index;         // folded key → entry
    };
    const Section* find(const QString& section) const;

    QList<Section> mSections;
    QHash<QString, qsizetype> mSectionIndex;  // folded name → section
    bool mLoaded = false;
};

// One-shot lookups (the file is read on every call, as the Windows calls do).
QString IniLeggi(const QString& file, const QString& section, const QString& key,
                 const QString& defaultValue = QString());
int IniLeggiInt(const QString& file, const QString& section, const QString& key, int defaultValue);

}  // namespace evapre
