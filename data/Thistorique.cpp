#include "data/Thistorique.h"

#include <algorithm>

#include "data/Datamoduleabs.h"
#include "data/Moteur.h"

namespace {

// The fields of TColonnesBrutes, in their order.
const std::vector<const char*> Colonnes = {"agence",     "utilisateur",  "date_creation",
                                           "expediteur", "destinataire", "message",
                                           "date_envoi", "etat"};

}  // namespace

THistorique::THistorique(const QSqlRecord& ligne)
    : Fdate_creation(DateZero()), Fdate_envoi(DateZero()) {
    Fid = ChampLigne(ligne, QStringLiteral("id")).toInt();
    Fagence = ChampLigne(ligne, QStringLiteral("agence")).toString();
    Futilisateur = ChampLigne(ligne, QStringLiteral("utilisateur")).toString();
    Fdate_creation = LireDateBase(ChampLigne(ligne, QStringLiteral("date_creation")));
    Fexpediteur = ChampLigne(ligne, QStringLiteral("expediteur")).toString();
    Fdestinataire = ChampLigne(ligne, QStringLiteral("destinataire")).toString();
    Fnumero = ChampLigne(ligne, QStringLiteral("numero")).toString();
    Fmessage = ChampLigne(ligne, QStringLiteral("message")).toString();
    Fdate_envoi = LireDateBase(ChampLigne(ligne, QStringLiteral("date_envoi")));
    Fetat = ChampLigne(ligne, QStringLiteral("etat")).toString();
}

void THistorique::AjouterHistorique(const TNouvelleLigne& ligne) { Inserer(ligne, true); }

void THistorique::VerifierEcriture(const TNouvelleLigne& ligne) { Inserer(ligne, false); }

void THistorique::Inserer(const TNouvelleLigne& ligne, bool garder) {
    if (!DataModuleAbs) throw EErreurBase("Erreur : la base de données n'est pas ouverte.");
    std::unique_ptr<TRequete> requete = DataModuleAbs->CreerRequete();
    if (!requete) throw EErreurBase("Erreur : la base de données n'est pas ouverte.");

    requete->SQL << "INSERT INTO Historique (agence, utilisateur, date_creation, expediteur, "
                    "destinataire, numero, message, date_envoi, etat) VALUES "
                 << " (:Agence, :User, :DateCreation, :Expediteur, :Destinataire, :Numero, "
                    ":Message, :DateEnvoi, :Etat)";
    requete->ParamTexte(QStringLiteral("Agence"), ligne.agence);
    requete->ParamTexte(QStringLiteral("User"), ligne.utilisateur);
    requete->ParamDate(QStringLiteral("DateCreation"), QDateTime::currentDateTime());
    requete->ParamTexte(QStringLiteral("Expediteur"), ligne.expediteur);
    requete->ParamTexte(QStringLiteral("Destinataire"), ligne.destinataire);
    requete->ParamTexte(QStringLiteral("Numero"), ligne.numero);
    requete->ParamTexte(QStringLiteral("Message"), ligne.message);
    requete->ParamDate(QStringLiteral("DateEnvoi"), ligne.date_envoi);
    requete->ParamTexte(QStringLiteral("Etat"), ligne.etat);

    // Taken at once rather than at the first write, so that the wait for another running
    // copy goes through the busy timeout.
    RejouerSurConflit(DataModuleAbs->NomConnexion(), [&] {
        TTransactionImmediate transaction(DataModuleAbs->NomConnexion());
        if (requete->ExecSQL() != 1)
            throw EErreurBase("Erreur : la ligne d'historique n'a pas été enregistrée.");
        if (garder) transaction.Valider();  // otherwise rolled back when it ends
    });
}

void THistorique::ParcourirLignes(TRequete& requete,
                                  const std::function<void(const TColonnesBrutes&)>& ligne) {
    TColonnesBrutes colonnes;
    requete.OuvrirEtParcourirBrut(Colonnes, "id", [&](const TRequete::TLigneBrute& brute) {
        std::copy(brute.begin(), brute.end(), colonnes.begin());
        ligne(colonnes);
    });
}
