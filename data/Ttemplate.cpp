#include "data/Ttemplate.h"

#include "data/Datamoduleabs.h"
#include "data/Moteur.h"

TTemplate::TTemplate(const QString& agence, const QString& utilisateur, qint32 id_categorie)
    : Fagence(agence),
      Futilisateur(utilisateur),
      Fid_categorie(id_categorie),
      Fnom(QStringLiteral("")),
      Ftexte(QStringLiteral("")) {}

TTemplate::TTemplate(const TChampsLigne& ligne)
    : Fid_template(ligne.Entier(QStringLiteral("id_template"))),
      Fagence(ligne.Champ(QStringLiteral("agence")).toString()),
      Futilisateur(ligne.Champ(QStringLiteral("utilisateur")).toString()),
      Fid_categorie(ligne.Entier(QStringLiteral("id_categorie"))),
      Fnom(ligne.Champ(QStringLiteral("nom")).toString()),
      Ftexte(ligne.Champ(QStringLiteral("texte")).toString()) {}

bool TTemplate::Sauvegarder() {
    if (!DataModuleAbs) return false;
    return RejouerSurConflit(DataModuleAbs->NomConnexion(),
                             [this] { return SauvegarderUneFois(); });
}

bool TTemplate::SauvegarderUneFois() {
    if (!DataModuleAbs) return false;
    std::unique_ptr<TRequete> requete = DataModuleAbs->CreerRequete();
    if (!requete) return false;

    // The identifier scan and the INSERT form one write transaction (see TCategorie).
    TTransactionImmediate transaction(DataModuleAbs->NomConnexion());
    const bool nouveau = Fid_template == -1;
    std::optional<qint32> id;
    try {
        if (nouveau) {
            id = DataModuleAbs->ProchainId(DataModuleAbs->tblTemplate);
            requete->SQL << "INSERT INTO Template "
                         << " (`id_template`, `agence`, `utilisateur`, `id_categorie`, `nom`, "
                            "`texte`)"
                         << " VALUES "
                         << " (:Id, :Agence, :User, :IdCat, :Nom, :Texte)";
            requete->ParamTexte(QStringLiteral("Agence"), Fagence);
            requete->ParamTexte(QStringLiteral("User"), Futilisateur);
            requete->ParamEntier(QStringLiteral("IdCat"), Fid_categorie);
        } else {
            requete->SQL << "UPDATE Template SET "
                         << "`nom` = :Nom, "
                         << "`texte` = :Texte "
                         << "WHERE `id_template` = :Id";
        }
        if (nouveau)
            requete->ParamIdentifiant(QStringLiteral("Id"), id);
        else
            requete->ParamEntier(QStringLiteral("Id"), Fid_template);
        requete->ParamTexte(QStringLiteral("Nom"), Fnom);
        requete->ParamTexte(QStringLiteral("Texte"), Ftexte);
        const bool resultat = requete->ExecSQL() == 1;
        if (nouveau && resultat) {
            Fid_template = requete->IdentifiantInsere(id);
            transaction.NoterInsertion(QStringLiteral("Template"), QStringLiteral("id_template"),
                                       Fid_template);
        }
        transaction.Valider();
        return resultat;
    } catch (...) {
        // The row was not written: a later save must insert again, not update nothing.
        if (nouveau) Fid_template = -1;
        throw;
    }
}
