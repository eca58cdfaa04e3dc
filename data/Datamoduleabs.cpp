#include "data/Datamoduleabs.h"

#include <QtGlobal>
#ifdef Q_OS_WIN
extern Q_CORE_EXPORT int qt_ntfs_permission_lookup;
#else
#include <unistd.h>
#endif

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <algorithm>
#include <limits>

#include "data/Connexionbase.h"
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

// What to ask the administrator for when this account cannot read and write the database
// file or create the journal beside it in its folder; empty when both rights are there.
QString DroitManquant(const QString& chemin) {
    const QFileInfo fichier(chemin);
#ifdef Q_OS_WIN
    // Windows rights are access lists, which Qt reads only while this counter is raised
    // (through the wide-character API).
    ++qt_ntfs_permission_lookup;
    const bool ok = fichier.isReadable() && fichier.isWritable() &&
                    QFileInfo(fichier.canonicalPath()).isWritable();
    --qt_ntfs_permission_lookup;
    if (ok) return {};
    return QStringLiteral(
        "Demandez à l'administrateur de donner à ce compte l'autorisation "
        "« Modification » sur ce dossier.");
#else
    if (access(QFile::encodeName(chemin).constData(), R_OK | W_OK) == 0 &&
        access(QFile::encodeName(fichier.canonicalPath()).constData(), W_OK | X_OK) == 0)
        return {};
    return QStringLiteral("Demandez à l'administrateur de l'ajouter au groupe « %1 ».")
        .arg(fichier.group());
#endif
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
    const bool serveur = nomFichier.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive) ||
                         (connexionPossible && QFileInfo::exists(CheminConnexion()));
    QSqlDatabase::addDatabase(serveur ? QStringLiteral("QMYSQL") : QStringLiteral("QSQLITE"),
                              nomConnexion);
}

TDataModuleAbs::~TDataModuleAbs() {
    FermerBase();
    QSqlDatabase::removeDatabase(nomConnexion);
}

QSqlDatabase TDataModuleAbs::Database() const { return Connexion(nomConnexion); }

QString TDataModuleAbs::NomConnexion() const { return nomConnexion; }

QString TDataModuleAbs::CheminFichier() const {
    QString d = dossier.isEmpty() ? QCoreApplication::applicationDirPath() : dossier;
    return QDir(d).absoluteFilePath(nomFichier);
}

QString TDataModuleAbs::CheminConnexion() const {
    QString d = dossier.isEmpty() ? QCoreApplication::applicationDirPath() : dossier;
    if (nomFichier.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive))
        return QDir(d).absoluteFilePath(nomFichier);
    return QDir(d).absoluteFilePath(QLatin1String(NomFichierConnexion));
}

bool TDataModuleAbs::SurServeur() const { return EstMariadb(Database()); }

QString TDataModuleAbs::NomUri(const QString& chemin) {
    // Without the encoding, a "#" or "?" in a folder name would cut "?mode=rw" off and
    // SQLite would create the file.
    return QStringLiteral("file:") +
           QString::fromLatin1(QUrl::toPercentEncoding(chemin, QByteArrayLiteral("/"))) +
           QStringLiteral("?mode=rw");
}

void TDataModuleAbs::Connecter() {
    QSqlDatabase base = Database();
    if (base.isOpen()) return;
    if (EstMariadb(base)) {
        // Never sms.abs instead: a server was asked for.
        OuvrirMariadb(base, LireConnexionIni(CheminConnexion()));
        return;
    }
    if (!base.isValid())
        throw EErreurBase(QStringLiteral("Erreur : le pilote de base de données n'est pas "
                                         "installé (%1).")
                              .arg(base.driverName()));
    const QString chemin = CheminFichier();
    base.setDatabaseName(NomUri(chemin));
    base.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(DelaiAttenteMs));
    if (!base.open()) {
        QString moteur = TexteMoteur(base.lastError());
        base.close();
        if (!QFileInfo::exists(chemin))
            throw EErreurBase(
                QStringLiteral("Erreur : le fichier de base de données « %1 » est introuvable : %2")
                    .arg(QDir::toNativeSeparators(chemin), moteur));
        // SQLite says only "unable to open": name a missing right, which a user can act on.
        if (const QString droit = DroitManquant(chemin); !droit.isEmpty())
            throw EErreurBase(
                QStringLiteral("Erreur : accès refusé au fichier de base de données « %1 » : ce "
                               "compte doit pouvoir lire et écrire ce fichier et son dossier. %2")
                    .arg(QDir::toNativeSeparators(chemin), droit));
        throw EErreurBase(
            QStringLiteral("Erreur : le fichier de base de données « %1 » ne peut pas être "
                           "ouvert : %2")
                .arg(QDir::toNativeSeparators(chemin), moteur));
    }
    QSqlQuery q(base);
    // Several running copies share the file: wait for the others instead of failing.
    bool ok = q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(DelaiAttenteMs));
    RegleAttenteSqlite(base);
    // SQLite opens any file; only the first read tells whether it is a database. It may
    // wait for another copy that holds the file.
    if (ok) ok = q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    if (!ok) {
        QString moteur = TexteMoteur(q.lastError());
        const int code = q.lastError().nativeErrorCode().toInt() & 0xFF;
        q = QSqlQuery();
        base.close();
        if (code == 5 || code == 6)  // SQLITE_BUSY, SQLITE_LOCKED
            throw EErreurBase(
                QStringLiteral("Erreur : la base de données « %1 » est utilisée par un autre "
                               "poste ; réessayez dans un instant (%2)")
                    .arg(QDir::toNativeSeparators(chemin), moteur));
        throw EErreurBase(QStringLiteral("Erreur : le fichier « %1 » n'est pas une base de données "
                                         "utilisable : %2")
                              .arg(QDir::toNativeSeparators(chemin), moteur));
    }
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
    OublierConnexionMariadb(base);
    if (base.isValid()) base.close();
}

std::unique_ptr<TRequete> TDataModuleAbs::CreerRequete() {
    VerifierOuverte(Database());
    return std::make_unique<TRequete>(nomConnexion);
}

qint32 TDataModuleAbs::ProchainId(TCurseur& table) {
    VerrouillerIdentifiantsMariadb(Database(), table.TableName);
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
