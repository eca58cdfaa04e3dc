#pragma once

#include <QString>
#include <QStringList>

// Reads a Windows-style INI file, as the host application writes it.
//
// Rules: section names match regardless of letter case; key names are exact; keys are
// listed in file order, a repeated key once, with its first value; blanks around names
// and values are trimmed; one pair of surrounding double or single quotes is removed from
// a value; lines starting with ';' or '#' are comments (a ';' inside a value is kept).
// Encodings: UTF-8 with or without BOM, UTF-16 LE or BE with BOM, and Windows-1252 for
// anything that is not valid UTF-8. A missing or unreadable file reads as empty.
//
// Each reading opens the file, reads it and releases it before returning.
class TIniFile {
  public:
    explicit TIniFile(const QString& chemin) : chemin(chemin) {}

    QString ReadString(const QString& section, const QString& cle, const QString& defaut) const;
    // An optional sign and decimal digits within 32 bits; anything else gives the default.
    qint32 ReadInteger(const QString& section, const QString& cle, qint32 defaut) const;
    // Replaces the list's content with the section's key names, in file order.
    void ReadSection(const QString& section, QStringList& cles) const;

  private:
    QString chemin;
};

// The file's text, decoded by the rules above.
QString DecoderTexteIni(const QByteArray& octets);
