#include "Tdemo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "data/CreationBase.h"
#include "data/Datamoduleabs.h"
#include "data/Fonctions_bd.h"
#include "data/Tcategorie.h"
#include "data/Tconfigurationapi.h"
#include "data/Thistorique.h"
#include "data/Ttemplate.h"

namespace {

QString Texte(const char* s) { return QString::fromUtf8(s); }

const char* const Agence = "AG01";
const char* const Utilisateur = "martin";

// The parameter file a host application would write for the demo user.
const char* const FichierParametres =
    "; Fichier de paramètres de démonstration, écrit par parlivo-base demo.\n"
    "; Utilisation : parlivo parlivo-demo.ini ENVOI (ou CONFIG, HISTO)\n"
    "[Config]\n"
    "Agence=AG01\n"
    "Utilisateur=martin\n"
    "Categorie=1\n"
    "Expediteur=Parlivo\n"
    "Numero=06 12 34 56 78\n"
    "\n"
    "[Societe]\n"
    "Nom=Cabinet Durand & Associés\n"
    "Telephone=01 23 45 67 89\n"
    "Adresse=12 rue des Lilas, 44000 Nantes\n"
    "\n"
    "[Dossier]\n"
    "Reference=D-2024-0042\n"
    "Montant=1 250,00 €\n"
    "Echeance=15/07/2024\n"
    "RendezVous=mardi 9 juillet à 14 h 30\n"
    "\n"
    "[Client]\n"
    "Civilite=Madame\n"
    "Nom=Lefèvre\n"
    "Prenom=Élodie\n";

struct ServiceDemo {
    const char* nom;
    const char* cle;
    const char* cle_api;
    const char* numero;
    const char* message;
    const char* expediteur;
    const char* date_envoi;
    const char* format_date;
    const char* statut_ok;
};

// Each service names its query parameters its own way, as real providers do.
const ServiceDemo Services[] = {
    {"SMS Express", "DEMO-EXPRESS-0001", "apikey", "to", "text", "from", "send_at",
     "yyyy-mm-dd hh:nn:ss", "1"},
    {"Texto Pro", "DEMO-TEXTO-0002", "cle", "numero", "message", "emetteur", "date_envoi",
     "dd/mm/yyyy hh:nn", "OK"},
    {"Atlantique Messagerie", "", "token", "destinataire", "contenu", "expediteur", "planifie",
     "yyyymmddhhnnss", "200"},
};

struct ModeleDemo {
    int categorie;
    const char* nom;
    const char* texte;
};

const char* const Categories[] = {"Relances", "Rendez-vous", "Informations"};

const ModeleDemo Modeles[] = {
    {1, "Relance amiable",
     "Bonjour <Client_Civilite> <Client_Nom>, sauf erreur de notre part, le règlement de "
     "<Dossier_Montant> (dossier <Dossier_Reference>) reste attendu avant le "
     "<Dossier_Echeance>. <Societe_Nom>"},
    {1, "Relance ferme",
     "<Client_Civilite> <Client_Nom>, malgré notre précédent message, le dossier "
     "<Dossier_Reference> n'est pas réglé. Merci de nous appeler au <Societe_Telephone>. "
     "<Societe_Nom>"},
    {2, "Confirmation de rendez-vous",
     "Bonjour <Client_Prenom>, nous vous confirmons votre rendez-vous le <Dossier_RendezVous> "
     "au <Societe_Adresse>. <Societe_Nom>"},
    {2, "Rappel la veille",
     "Rappel : rendez-vous demain, <Dossier_RendezVous>. En cas d'empêchement : "
     "<Societe_Telephone>."},
    {3, "Dossier reçu",
     "<Client_Civilite> <Client_Nom>, votre dossier <Dossier_Reference> a bien été reçu par "
     "<Societe_Nom>."},
};

}  // namespace

void TDemo::Creer(const QString& dossier, const QString& url, QTextStream& sortie, bool garder) {
    if (!QDir().mkpath(dossier))
        throw EErreurBase(Texte("Erreur : le dossier « %1 » ne peut pas être créé.")
                              .arg(QDir::toNativeSeparators(dossier)));
    const QString base = QDir(dossier).filePath(QStringLiteral("sms.abs"));
    if (garder && QFileInfo::exists(base)) {
        sortie << Texte("Base existante conservée : %1 (pas de démonstration)\n").arg(base);
        return;
    }
    CreerBase(base);

    {
        TDataModuleAbs module(dossier);
        TDataModuleAbs* precedent = DataModuleAbs;
        DataModuleAbs = &module;
        try {
            module.OuvrirBase();
            for (const ServiceDemo& s : Services) {
                TConfigurationApi service({.nom = Texte(s.nom),
                                           .url = url,
                                           .cle = Texte(s.cle),
                                           .cle_api = Texte(s.cle_api),
                                           .numero = Texte(s.numero),
                                           .message = Texte(s.message),
                                           .expediteur = Texte(s.expediteur),
                                           .date_envoi = Texte(s.date_envoi),
                                           .format_date = Texte(s.format_date),
                                           .statut_ok = Texte(s.statut_ok)});
                service.Sauvegarder();
            }
            for (const char* nom : Categories) TCategorie(false, Texte(nom)).Sauvegarder();
            for (const ModeleDemo& m : Modeles) {
                TTemplate modele(Texte(Agence), Texte(Utilisateur), m.categorie);
                modele.setNom(Texte(m.nom));
                modele.setTexte(Texte(m.texte));
                modele.Sauvegarder();
            }
            TCurseur& parametres = module.tblParametres;
            // The service the send window preselects for the demo user.
            EcrireParametreEntier(parametres, Texte(Agence), Texte(Utilisateur),
                                  QStringLiteral("UTILISATION"), QStringLiteral("API"), 1);
            // Template creation open to everybody (without a row the configuration window
            // would hide its template tab).
            EcrireParametreEntier(parametres, QStringLiteral(""), QStringLiteral(""),
                                  QStringLiteral("CONFIG"), QStringLiteral("BloquerCreation"), 0);

            const QDateTime hier = QDateTime::currentDateTime().addDays(-1);
            THistorique::TNouvelleLigne ligne{.agence = Texte(Agence),
                                              .utilisateur = Texte(Utilisateur),
                                              .expediteur = QStringLiteral("Parlivo"),
                                              .destinataire = Texte("Lefèvre"),
                                              .numero = QStringLiteral("0612345678")};
            ligne.message = Texte("Madame Lefèvre, votre dossier D-2024-0042 a bien été reçu.");
            ligne.date_envoi = hier;
            ligne.etat = Texte("Envoyé");
            THistorique::AjouterHistorique(ligne);
            ligne.message = Texte("Rappel : rendez-vous demain.");
            ligne.etat = Texte("Erreur : Clé API invalide");
            THistorique::AjouterHistorique(ligne);
            module.FermerBase();
        } catch (...) {
            DataModuleAbs = precedent;
            module.FermerBase();
            QFile::remove(base);
            throw;
        }
        DataModuleAbs = precedent;
    }

    const QString ini = QDir(dossier).filePath(QLatin1String(NomFichierParametres));
    QSaveFile fichier(ini);
    if (!fichier.open(QIODevice::WriteOnly) || fichier.write(QByteArray(FichierParametres)) < 0 ||
        !fichier.commit())
        throw EErreurBase(Texte("Erreur : le fichier de paramètres « %1 » n'a pas pu être "
                                "écrit : %2")
                              .arg(QDir::toNativeSeparators(ini), fichier.errorString()));

    sortie << Texte(
                  "Base de démonstration créée : %1\n"
                  "  3 services d'envoi vers %2\n"
                  "  3 catégories, 5 modèles, 2 lignes d'historique\n"
                  "Fichier de paramètres : %3\n")
                  .arg(QDir::toNativeSeparators(base), url, QDir::toNativeSeparators(ini));
}
