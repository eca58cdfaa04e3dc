#include "data/Datamoduleabs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <limits>

#include "data/Connexionbase.h"
#include "data/EmplacementBase.h"
#include "data/MoteurMariadb.h"
#include "data/MoteurSqlite.h"

TDataModuleAbs* DataModuleAbs = nullptr;

namespace {
QString NomConnexionLibre() {
    // The first module takes the name "databaseSMS"; tests and tools may build several.
    if (!QSqlDatabase::contains(QLatin1String(TDataModuleAbs::NomBase)))
        return QLatin1String(TDataModuleAbs::NomBase);
    for (int i = 2;; ++i) {
        QString nom = QStringLiteral("%1-%2").arg(QLatin1String(TDataModuleAbs::NomBase)).arg(i);
        if (!QSqlDatabase::contains(nom)) return nom;
    }
}
}  // namespace

TDataModuleAbs::TDataModuleAbs(const QString& dossier, const QString& nomFichier,
                               bool connexionPossible)
    : tblHistorique(NomConnexionLibre()),
      tblConfigurationApi(tblHistorique.NomConnexion()),
      tblCategorie(tblHistorique.NomConnexion()),
      tblParametres(tblHistorique.NomConnexion()),
      tblTemplate(tblHistorique.NomConnexion()),
      dossier(dossier),
      nomFichier(nomFichier),
      nomConnexion(tblHistorique.NomConnexion()) {
    // connexion.ini beside the executable sends every copy to the server it names;
    // without it, sms.abs as always. Its content is read at opening, where an error shows.
    // The engine is chosen here, once.
    serveur = nomFichier.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive) ||
              (connexionPossible && QFileInfo::exists(CheminConnexion()));
    if (serveur)
        moteur = std::make_shared<TMoteurMariadb>();
    else
        moteur = std::make_shared<TMoteurSqlite>();
    AttacherMoteur(nomConnexion, moteur);
    QSqlDatabase::addDatabase(moteur->NomPilote(), nomConnexion);
}

TDataModuleAbs::~TDataModuleAbs() {
    FermerBase();
    QSqlDatabase::removeDatabase(nomConnexion);
    DetacherMoteur(nomConnexion);
}

QSqlDatabase TDataModuleAbs::Database() const { return Connexion(nomConnexion); }

QString TDataModuleAbs::NomConnexion() const { return nomConnexion; }

QString TDataModuleAbs::CheminFichier() const {
    QString d = dossier.isEmpty()
                    ? DossierBase(QCoreApplication::applicationDirPath(), DossierCommun())
                    : dossier;
    return QDir(d).absoluteFilePath(nomFichier);
}

QString TDataModuleAbs::CheminConnexion() const {
    QString d = dossier.isEmpty() ? QCoreApplication::applicationDirPath() : dossier;
    if (nomFichier.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive))
        return QDir(d).absoluteFilePath(nomFichier);
    return QDir(d).absoluteFilePath(QLatin1String(NomFichierConnexion));
}

bool TDataModuleAbs::SurServeur() const { return serveur; }

QString TDataModuleAbs::NomUri(const QString& chemin) { return NomUriSqlite(chemin); }

void TDataModuleAbs::Connecter() {
    QSqlDatabase base = Database();
    if (base.isOpen()) return;
    if (!base.isValid())
        throw EErreurBase(QStringLiteral("Erreur : le pilote de base de données n'est pas "
                                         "installé (%1).")
                              .arg(base.driverName()));
    moteur->Ouvrir(base, serveur ? CheminConnexion() : CheminFichier());
}

void TDataModuleAbs::OuvrirBase() {
    try {
        Connecter();
        tblHistorique.TableName = QStringLiteral("Historique");
        tblConfigurationApi.TableName = QStringLiteral("ConfigurationApi");
        tblCategorie.TableName = QStringLiteral("Categorie");
        tblParametres.TableName = QStringLiteral("Parametres");
        tblTemplate.TableName = QStringLiteral("Template");

        tblHistorique.Ouvrir();
        tblConfigurationApi.Ouvrir();
        tblCategorie.Ouvrir();
        tblParametres.Ouvrir();
        tblTemplate.Ouvrir();
        // Every column the program reads or writes, so that a damaged layout stops here
        // rather than after a message has left.
        tblHistorique.VerifierColonnes({"id", "agence", "utilisateur", "date_creation",
                                        "expediteur", "destinataire", "numero", "message",
                                        "date_envoi", "etat"});
        tblConfigurationApi.VerifierColonnes({"id", "nom", "url", "cle", "cle_api", "numero",
                                              "message", "expediteur", "date_envoi", "format_date",
                                              "statut_ok"});
        tblCategorie.VerifierColonnes({"id_categorie", "interne", "nom"});
        tblParametres.VerifierColonnes(
            {"agence", "utilisateur", "section", "cle", "valeur_type", "valeur_int"});
        tblTemplate.VerifierColonnes(
            {"id_template", "agence", "utilisateur", "id_categorie", "nom", "texte"});

        tblHistorique.SelectionnerIndex(QStringLiteral("ID"));
        tblConfigurationApi.SelectionnerIndex(QStringLiteral("ID"));
        tblConfigurationApi.SelectionnerChamps(QStringLiteral("NOM"));
        tblCategorie.SelectionnerIndex(QStringLiteral("ID"));
        tblParametres.SelectionnerIndex(QStringLiteral("OnlyOne"));
        tblTemplate.SelectionnerIndex(QStringLiteral("ID"));

        for (TCurseur* c :
             {&tblHistorique, &tblConfigurationApi, &tblCategorie, &tblParametres, &tblTemplate})
            c->ReadOnly = false;
    } catch (...) {
        // Nothing stays half open: the next call starts again from the connection.
        FermerBase();
        throw;
    }
}

void TDataModuleAbs::FermerBase() {
    tblHistorique.Fermer();
    tblConfigurationApi.Fermer();
    tblCategorie.Fermer();
    tblParametres.Fermer();
    tblTemplate.Fermer();
    QSqlDatabase base = Database();
    moteur->Oublier(base);
    if (base.isValid()) base.close();
}

std::unique_ptr<TRequete> TDataModuleAbs::CreerRequete() {
    VerifierOuverte(Database());
    return std::make_unique<TRequete>(nomConnexion);
}

std::optional<qint32> TDataModuleAbs::ProchainId(TCurseur& table) {
    if (moteur->IdentifiantsALInsertion()) return std::nullopt;
    table.AnnulerPlage();
    // The largest value of the first column, read through its index rather than by
    // walking every row.
    QSqlQuery q(Database());
    QString premiere;
    if (q.exec(QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(table.TableName)) &&
        q.record().count() > 0)
        premiere = q.record().fieldName(0);
    if (premiere.isEmpty() ||
        !q.exec(QStringLiteral("SELECT MAX(\"%1\") FROM %2").arg(premiere, table.TableName)))
        throw EErreurBase(
            QStringLiteral("Erreur : le prochain identifiant de la table « %1 » n'a pas pu être "
                           "lu : %2")
                .arg(table.TableName, TexteMoteur(q.lastError())));
    const qint64 maximum = q.next() ? std::max<qint64>(q.value(0).toLongLong(), 0) : 0;
    if (maximum >= std::numeric_limits<qint32>::max())
        throw EErreurBase(QStringLiteral("Erreur : plus aucun identifiant disponible dans la "
                                         "table « %1 » (le plus grand vaut %2).")
                              .arg(table.TableName)
                              .arg(maximum));
    return static_cast<qint32>(maximum + 1);
}
