#include "data/Tcategorie.h"

#include "data/Datamoduleabs.h"
#include "data/Moteur.h"

TCategorie::TCategorie(bool interne, const QString& nom) : Finterne(interne), Fnom(nom) {}

TCategorie::TCategorie(const TChampsLigne& ligne)
    : Fid_categorie(ligne.Entier(QStringLiteral("id_categorie"))),
      Finterne(ligne.Entier(QStringLiteral("interne")) != 0),
      Fnom(ligne.Champ(QStringLiteral("nom")).toString()) {}

bool TCategorie::Sauvegarder() {
    if (!DataModuleAbs) return false;
    return RejouerSurConflit(DataModuleAbs->NomConnexion(),
                             [this] { return SauvegarderUneFois(); });
}

bool TCategorie::SauvegarderUneFois() {
    if (!DataModuleAbs) return false;
    std::unique_ptr<TRequete> requete = DataModuleAbs->CreerRequete();
    if (!requete) return false;

    // The identifier scan and the INSERT form one write transaction, so that another
    // running copy cannot take the same identifier in between.
    TTransactionImmediate transaction(DataModuleAbs->NomConnexion());
    const bool nouvelle = Fid_categorie == -1;
    std::optional<qint32> id;
    try {
        if (nouvelle) {
            id = DataModuleAbs->ProchainId(DataModuleAbs->tblCategorie);
            requete->SQL << "INSERT INTO Categorie "
                         << " (`id_categorie`, `interne`, `nom`)"
                         << " VALUES "
                         << " (:Id, :Interne, :Nom)";
        } else {
            requete->SQL << "UPDATE Categorie SET "
                         << "`interne` = :Interne, "
                         << "`nom` = :Nom "
                         << "WHERE `id_categorie` = :Id";
        }
        if (nouvelle)
            requete->ParamIdentifiant(QStringLiteral("Id"), id);
        else
            requete->ParamEntier(QStringLiteral("Id"), Fid_categorie);
        requete->ParamEntier(QStringLiteral("Interne"), Finterne ? 1 : 0);
        requete->ParamTexte(QStringLiteral("Nom"), Fnom);
        const bool resultat = requete->ExecSQL() == 1;
        if (nouvelle && resultat) {
            Fid_categorie = requete->IdentifiantInsere(id);
            transaction.NoterInsertion(QStringLiteral("Categorie"), QStringLiteral("id_categorie"),
                                       Fid_categorie);
        }
        transaction.Valider();
        return resultat;
    } catch (...) {
        // The row was not written: a later save must insert again, not update nothing.
        if (nouvelle) Fid_categorie = -1;
        throw;
    }
}
