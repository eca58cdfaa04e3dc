#include "data/Thistorique.h"

#include <algorithm>
#include <limits>

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

void THistorique::AjouterHistorique(const TNouvelleLigne& ligne) { Inserer(ligne, false); }

qint32 THistorique::AjouterEnCours(const TNouvelleLigne& ligne) { return Inserer(ligne, true); }

namespace {
std::unique_ptr<TRequete> RequeteHistorique() {
    if (!DataModuleAbs) throw EErreurBase("Erreur : la base de données n'est pas ouverte.");
    std::unique_ptr<TRequete> requete = DataModuleAbs->CreerRequete();
    if (!requete) throw EErreurBase("Erreur : la base de données n'est pas ouverte.");
    return requete;
}
}  // namespace

qint32 THistorique::Inserer(const TNouvelleLigne& ligne, bool enCours) {
    std::unique_ptr<TRequete> requete = RequeteHistorique();
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
    if (enCours)
        requete->ParamNul(QStringLiteral("Etat"));
    else
        requete->ParamTexte(QStringLiteral("Etat"), ligne.etat);

    // Taken at once rather than at the first write, so that the wait for another running
    // copy goes through the busy timeout.
    return RejouerSurConflit(DataModuleAbs->NomConnexion(), [&] {
        TTransactionImmediate transaction(DataModuleAbs->NomConnexion());
        if (requete->ExecSQL() != 1)
            throw EErreurBase("Erreur : la ligne d'historique n'a pas été enregistrée.");
        bool entier = false;
        const qint64 id = requete->DernierId().toLongLong(&entier);
        // Without its id, the row of a send could not receive its outcome.
        if (enCours && (!entier || id <= 0 || id > std::numeric_limits<qint32>::max()))
            throw EErreurBase(
                "Erreur : la base n'a pas donné l'identifiant de la ligne d'historique.");
        if (entier)
            transaction.NoterInsertion(QStringLiteral("Historique"), QStringLiteral("id"), id);
        transaction.Valider();
        return static_cast<qint32>(id);
    });
}

void THistorique::EnregistrerEtat(qint32 id, const QString& etat) {
    std::unique_ptr<TRequete> requete = RequeteHistorique();
    requete->SQL << "UPDATE Historique SET etat = :Etat WHERE id = :Id";
    requete->ParamTexte(QStringLiteral("Etat"), etat);
    requete->ParamEntier(QStringLiteral("Id"), id);
    RejouerSurConflit(DataModuleAbs->NomConnexion(), [&] {
        TTransactionImmediate transaction(DataModuleAbs->NomConnexion());
        // The row goes from NULL to a text: a row found is a row changed, on both engines.
        if (requete->ExecSQL() != 1)
            throw EErreurBase(
                QStringLiteral("Erreur : la ligne d'historique n° %1 est introuvable.").arg(id));
        transaction.Valider();
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
