#pragma once

#include <QString>
#include <vector>

#include "data/Champsbase.h"

class TCategorie {
  public:
    TCategorie(bool interne, const QString& nom);
    explicit TCategorie(const TChampsLigne& ligne);
    // The fields the constructor above reads, the identifier first.
    static inline const std::vector<const char*> Colonnes = {"id_categorie", "interne", "nom"};

    qint32 id_categorie() const { return Fid_categorie; }
    const QString& nom() const { return Fnom; }
    bool Sauvegarder();

  private:
    // One attempt; Sauvegarder runs it again after a conflict on the server.
    bool SauvegarderUneFois();
    qint32 Fid_categorie = -1;
    bool Finterne = false;
    QString Fnom;
};
