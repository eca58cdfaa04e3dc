#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Reads a Windows-style INI file, as the host application writes it.
//
// Rules: section names match regardless of letter case; key names are exact; keys are
// listed in file order, a repeated key once, with its first value; blanks around names
// and values are trimmed; one pair of surrounding double or single quotes is removed from
// a value; lines starting with ';' or '#' are comments (a ';' inside a value is kept).
// Encodings: UTF-8 with or without BOM, UTF-16 LE or BE with BOM, UTF-16 without BOM
// (told by its zero bytes), and Windows-1252 for anything that is not valid UTF-8. A
// missing or unreadable file reads as empty, and so does a file over TailleMaximale.
//
// The file is opened, read whole and released by the constructor; the readings look the
// names up in memory.
class TIniFile {
  public:
    // A section's keys with their values, in file order.
    using TEntrees = QList<QPair<QString, QString>>;

    // 1 MiB: a host's parameter file is a few kilobytes.
    static constexpr qint64 TailleMaximale = 1024 * 1024;

    explicit TIniFile(const QString& chemin);
    // The same reading of a file's bytes already in memory.
    static TIniFile DepuisOctets(const QByteArray& octets);

    QString ReadString(const QString& section, const QString& cle, const QString& defaut) const;
    // An optional sign and decimal digits within 32 bits; anything else gives the default.
    qint32 ReadInteger(const QString& section, const QString& cle, qint32 defaut) const;
    // Replaces the list's content with the section's key names, in file order.
    void ReadSection(const QString& section, QStringList& cles) const;
    // The section's keys with their values, in file order: what ReadSection then
    // ReadString for each key give, in one look-up (the list is shared, not copied).
    TEntrees ReadSectionValues(const QString& section) const;
    // Whether the section holds the key, whatever its value.
    bool ValueExists(const QString& section, const QString& cle) const;

    // True when the file was refused for its size (and read as empty).
    bool TropVolumineux() const { return tropVolumineux; }

  private:
    // One section of the file: its keys in file order, each once with its first value.
    struct TSection {
        TEntrees entrees;
        QHash<QString, qsizetype> index;  // key -> place in `entrees`
    };

    TIniFile() = default;
    void Analyser(const QByteArray& octets);
    const TSection* Section(const QString& section) const;
    const QString* Valeur(const QString& section, const QString& cle) const;

    QHash<QString, TSection> sections;  // by case-folded name
    bool tropVolumineux = false;
};

// The file's text, decoded by the rules above.
QString DecoderTexteIni(const QByteArray& octets);
