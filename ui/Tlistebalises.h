#pragma once

#include <QCollator>
#include <QStringList>

// The tag texts of the configuration window, without values: sorted by the user locale's
// collation with letter case significant, each text once.
class TListeBalises {
  public:
    TListeBalises();
    void Ajouter(const QString& balise);
    const QStringList& Textes() const { return textes; }
    qsizetype Nombre() const { return textes.size(); }

  private:
    QCollator collation;
    QStringList textes;
};
