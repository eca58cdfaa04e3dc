#pragma once

#include <QCollator>
#include <QStringList>

// The tag texts of the configuration window, without values: sorted by the user locale's
// collation with letter case significant, each text once. A file may hold thousands of
// tags: they are gathered first, then sorted and rid of repeats once, when the list is
// first read.
class TListeBalises {
  public:
    TListeBalises();
    void Ajouter(const QString& balise);
    const QStringList& Textes() const;
    qsizetype Nombre() const { return Textes().size(); }

  private:
    QCollator collation;
    mutable QStringList textes;
    mutable bool trie = true;
};
