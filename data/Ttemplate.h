#pragma once

#include <QString>
#include <vector>

#include "data/Champsbase.h"

class TTemplate {
  public:
    TTemplate(const QString& agence, const QString& utilisateur, qint32 id_categorie);
    explicit TTemplate(const TChampsLigne& ligne);
    // The fields the constructor above reads, the identifier first.
    static inline const std::vector<const char*> Colonnes = {
        "id_template", "agence", "utilisateur", "id_categorie", "nom", "texte"};

    qint32 id_template() const { return Fid_template; }
    qint32 id_categorie() const { return Fid_categorie; }
    const QString& agence() const { return Fagence; }
    const QString& utilisateur() const { return Futilisateur; }
    const QString& nom() const { return Fnom; }
    const QString& texte() const { return Ftexte; }
    void setNom(const QString& nom) { Fnom = nom; }
    void setTexte(const QString& texte) { Ftexte = texte; }
    bool Sauvegarder();

  private:
    // One attempt; Sauvegarder runs it again after a conflict on the server.
    bool SauvegarderUneFois();
    qint32 Fid_template = -1;
    QString Fagence;
    QString Futilisateur;
    qint32 Fid_categorie = 0;
    QString Fnom;
    QString Ftexte;
};
