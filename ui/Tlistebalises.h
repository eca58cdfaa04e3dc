#pragma once

#include <QCollator>
#include <QStringList>
#include <vector>

#include "platform/TIniFile.h"

// The tag texts of the configuration window, without values: sorted by the user locale's
// collation with letter case significant, each text once. A file may hold thousands of
// tags: they are gathered first, then written, sorted and rid of repeats once, when the
// list is first read (a window that never shows its tags never writes them).
class TListeBalises {
  public:
    TListeBalises();
    void Ajouter(const QString& balise);
    // The tags "<section_key>" of a section's keys.
    void AjouterSection(const QString& section, const TIniFile::TEntrees& cles);
    const QStringList& Textes() const;
    qsizetype Nombre() const { return Textes().size(); }

  private:
    QCollator collation;
    struct TSectionEnAttente {
        QString section;
        TIniFile::TEntrees cles;
    };
    mutable std::vector<TSectionEnAttente> enAttente;
    mutable QStringList textes;
    mutable bool trie = true;
};
