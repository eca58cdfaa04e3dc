#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <utility>
#include <vector>

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
// names up in memory. Names and values are kept as views into the one decoded text of the
// file: a file of thousands of keys is not copied key by key.
class TIniFile {
  public:
    // A section's keys with their values, in file order.
    using TEntrees = QList<QPair<QString, QString>>;
    // The same as views into Texte(): key and value.
    using TVues = std::vector<std::pair<QStringView, QStringView>>;

    // One section of the file: its keys in file order, each once with its first value, and
    // their index.
    class TSection {
      public:
        const TVues& Entrees() const { return entrees; }
        // The key's value, as a view into Texte(); nullptr for an absent key.
        const QStringView* Valeur(QStringView cle) const;

      private:
        friend class TIniFile;
        // Indexes the entries read, keeping each key's first one in file order.
        void Indexer();
        // The slot of `places` that holds the key, or the empty one where it would go.
        std::size_t Place(QStringView cle) const;

        TVues entrees;
        // Open addressing on the keys' hashes: 0 for an empty slot, else the entry's place
        // in `entrees` plus one. At most half full.
        std::vector<std::uint32_t> places;
    };

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
    // ReadString for each key give, in one look-up.
    TEntrees ReadSectionValues(const QString& section) const;
    // The same without copies: views into Texte(), empty for an absent section.
    const TVues& VuesSection(const QString& section) const;
    // The section (its name matched regardless of letter case), nullptr when absent. It
    // lives as long as this reader.
    const TSection* Section(const QString& section) const;
    // The decoded text the views point into. A copy of it shares the same characters, so
    // the views stay valid while any copy lives.
    const QString& Texte() const { return texte; }

    // True when the file was refused for its size (and read as empty).
    bool TropVolumineux() const { return tropVolumineux; }

  private:
    TIniFile() = default;
    void Analyser(const QByteArray& octets);

    QString texte;
    std::vector<TSection> sections;
    QHash<QString, std::size_t> indexSections;  // case-folded name -> index in `sections`
    bool tropVolumineux = false;
};

// The file's text, decoded by the rules above.
QString DecoderTexteIni(const QByteArray& octets);
