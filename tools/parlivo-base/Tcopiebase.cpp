#include "Tcopiebase.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <vector>

#include "data/Connexionbase.h"
#include "data/CreationBase.h"
#include "data/Datamoduleabs.h"
#include "data/EErreurBase.h"
#include "data/MoteurMariadb.h"
#include "data/PiloteMariadb.h"

namespace {

const QStringList Tables = {"Categorie", "ConfigurationApi", "Historique", "Parametres",
                            "Template"};

// A connection of its own, closed and removed when the object dies.
class TConnexionOutil {
  public:
    explicit TConnexionOutil(const QString& chemin)
        : nom(QStringLiteral("parlivo-base-%1").arg(++compteur)) {
        if (TCopieBase::EstConnexion(chemin)) {
            base = QSqlDatabase::addDatabase(NomPiloteMariadb(), nom);
            OuvrirMariadb(base, LireConnexionIni(chemin));
            designation = QStringLiteral("la base du serveur (%1)").arg(chemin);
        } else {
            base = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nom);
            base.setDatabaseName(TDataModuleAbs::NomUri(QFileInfo(chemin).absoluteFilePath()));
            base.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
            if (!base.open())
                throw EErreurBase(
                    QStringLiteral("Erreur : le fichier « %1 » ne peut pas être "
                                   "ouvert : %2")
                        .arg(QDir::toNativeSeparators(chemin), TexteMoteur(base.lastError())));
            designation = QStringLiteral("le fichier %1").arg(QDir::toNativeSeparators(chemin));
        }
    }
    ~TConnexionOutil() {
        base.close();
        base = QSqlDatabase();
        QSqlDatabase::removeDatabase(nom);
    }
    TConnexionOutil(const TConnexionOutil&) = delete;
    TConnexionOutil& operator=(const TConnexionOutil&) = delete;

    QSqlQuery Executer(const QString& texte) const {
        QSqlQuery q(base);
        q.setForwardOnly(true);
        if (!q.exec(texte))
            throw EErreurBase(QStringLiteral("Erreur : « %1 » a échoué sur %2 : %3")
                                  .arg(texte, designation, TexteMoteur(q.lastError())));
        return q;
    }
    qint64 Compter(const QString& table) const {
        QSqlQuery q = Executer(QStringLiteral("SELECT count(*) FROM %1").arg(table));
        return q.next() ? q.value(0).toLongLong() : 0;
    }

    QSqlDatabase base;
    QString designation;

  private:
    static inline int compteur = 0;
    QString nom;
};

void CopierTable(const TConnexionOutil& source, const TConnexionOutil& destination,
                 const QString& table) {
    QSqlQuery lecture = source.Executer(QStringLiteral("SELECT * FROM %1").arg(table));
    const QSqlRecord champs = lecture.record();
    QStringList colonnes, marques;
    for (int i = 0; i < champs.count(); ++i) {
        colonnes << champs.fieldName(i);
        marques << QStringLiteral("?");
    }
    QSqlQuery ecriture(destination.base);
    if (!ecriture.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                              .arg(table, colonnes.join(QStringLiteral(", ")),
                                   marques.join(QStringLiteral(", ")))))
        throw EErreurBase(
            QStringLiteral("Erreur : la table « %1 » ne peut pas être écrite sur "
                           "%2 : %3")
                .arg(table, destination.designation, TexteMoteur(ecriture.lastError())));
    // The server gives the texts of its binary-collated columns as bytes: they are UTF-8
    // text, kept as text; only the two byte columns stay bytes.
    std::vector<bool> texte(champs.count());
    for (int i = 0; i < champs.count(); ++i)
        texte[i] = !champs.fieldName(i).startsWith(QLatin1String("valeur_blob")) &&
                   champs.fieldName(i) != QLatin1String("valeur_graphic");
    while (lecture.next()) {
        for (int i = 0; i < champs.count(); ++i) {
            const QVariant valeur = lecture.value(i);
            ecriture.bindValue(i, texte[i] && !valeur.isNull() &&
                                          valeur.metaType() == QMetaType::fromType<QByteArray>()
                                      ? QVariant(QString::fromUtf8(valeur.toByteArray()))
                                      : valeur);
        }
        if (!ecriture.exec())
            throw EErreurBase(QStringLiteral("Erreur : une ligne de la table « %1 » n'a pas pu "
                                             "être copiée : %2")
                                  .arg(table, TexteMoteur(ecriture.lastError())));
    }
    if (lecture.lastError().isValid())
        throw EErreurBase(QStringLiteral("Erreur : la table « %1 » n'a pas pu être lue : %2")
                              .arg(table, TexteMoteur(lecture.lastError())));
}

// The server keeps one setting per agency, user, section and key; a file may hold twins
// (its index does not forbid them). They are listed so that the user chooses which to
// keep, rather than the copy stopping on the server's duplicate-key error.
void RefuserReglagesEnDouble(const TConnexionOutil& source) {
    QSqlQuery q = source.Executer(QStringLiteral(
        "SELECT agence, utilisateur, section, cle, count(*) FROM Parametres GROUP BY agence, "
        "utilisateur, section, cle HAVING count(*) > 1 ORDER BY section, cle, agence, "
        "utilisateur"));
    QStringList doubles;
    while (q.next())
        doubles << QStringLiteral(
                       "  section « %1 », clé « %2 », agence « %3 », utilisateur "
                       "« %4 » : %5 lignes")
                       .arg(q.value(2).toString(), q.value(3).toString(), q.value(0).toString(),
                            q.value(1).toString())
                       .arg(q.value(4).toLongLong());
    if (!doubles.isEmpty())
        throw EErreurBase(
            QStringLiteral("Erreur : %1 contient des réglages en double, que la base du serveur "
                           "ne peut pas garder (un seul par agence, utilisateur, section et "
                           "clé) ; rien n'est copié. Gardez une seule ligne de chacun :\n%2")
                .arg(source.designation, doubles.join(QLatin1Char('\n'))));
}

}  // namespace

bool TCopieBase::EstConnexion(const QString& chemin) {
    return chemin.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive);
}

void TCopieBase::CreerSurServeur(const QString& connexion, QTextStream& sortie) {
    TConnexionOutil serveur(connexion);
    CreerTablesServeur(serveur.base);
    sortie << QStringLiteral("Tables créées dans la base « %1 » du serveur.\n")
                  .arg(serveur.base.databaseName());
}

void TCopieBase::Copier(const QString& source, const QString& destination, QTextStream& sortie) {
    if (EstConnexion(source) == EstConnexion(destination))
        throw EErreurBase(
            QStringLiteral("Erreur : copier va d'un fichier de base vers un fichier "
                           "de connexion (.ini) au serveur, ou l'inverse."));
    if (!EstConnexion(source) && !QFileInfo::exists(source))
        throw EErreurBase(QStringLiteral("Erreur : le fichier « %1 » est introuvable.")
                              .arg(QDir::toNativeSeparators(source)));
    const TConnexionOutil lecture(source);
    if (EstConnexion(destination)) RefuserReglagesEnDouble(lecture);
    if (!EstConnexion(destination)) CreerBase(destination);  // refuses an existing file
    const TConnexionOutil ecriture(destination);
    if (EstConnexion(destination)) {
        // The ids are kept: a 0 stays 0 rather than taking the next AUTO_INCREMENT value,
        // and each table's next value then follows its largest id.
        ecriture.Executer(QStringLiteral(
            "SET SESSION sql_mode = CONCAT(@@SESSION.sql_mode, ',NO_AUTO_VALUE_ON_ZERO')"));
        QSqlQuery q = ecriture.Executer(QStringLiteral(
            "SELECT count(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() AND "
            "TABLE_NAME IN ('Categorie', 'ConfigurationApi', 'Historique', 'Parametres', "
            "'Template')"));
        if (q.next() && q.value(0).toInt() == 0) CreerTablesServeur(ecriture.base);
        for (const QString& table : Tables)
            if (ecriture.Compter(table) > 0)
                throw EErreurBase(QStringLiteral("Erreur : la table « %1 » de %2 n'est pas vide ; "
                                                 "rien n'est copié.")
                                      .arg(table, ecriture.designation));
    }
    // One transaction: a failure leaves the destination as it was.
    ecriture.Executer(QStringLiteral("BEGIN"));
    try {
        for (const QString& table : Tables) CopierTable(lecture, ecriture, table);
        for (const QString& table : Tables) {
            const qint64 lues = lecture.Compter(table), ecrites = ecriture.Compter(table);
            if (lues != ecrites)
                throw EErreurBase(QStringLiteral("Erreur : la table « %1 » compte %2 lignes dans "
                                                 "la source et %3 dans la copie.")
                                      .arg(table)
                                      .arg(lues)
                                      .arg(ecrites));
        }
        ecriture.Executer(QStringLiteral("COMMIT"));
    } catch (...) {
        QSqlQuery(ecriture.base).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
    for (const QString& table : Tables)
        sortie
            << QStringLiteral("%1 : %2 lignes copiées\n").arg(table).arg(ecriture.Compter(table));
}

void TCopieBase::Droits(const QString& connexion, const QString& compte, QTextStream& sortie) {
    const TServeurMariadb serveur = LireConnexionIni(connexion);
    const QString nomCompte = compte.isEmpty() ? serveur.utilisateur : compte;
    auto citer = [](QString t, QChar guillemet) {
        t.replace(guillemet, QString(guillemet) + guillemet);
        t.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        return guillemet + t + guillemet;
    };
    sortie << QStringLiteral(
                  "-- Droits d'un poste Parlivo sur la base « %1 » : lire, ajouter et "
                  "modifier des lignes des cinq tables, rien d'autre.\n")
                  .arg(serveur.base);
    for (const QString& table : Tables)
        sortie << QStringLiteral("GRANT SELECT, INSERT, UPDATE ON %1.%2 TO %3@'%';\n")
                      .arg(citer(serveur.base, u'`'), citer(table, u'`'), citer(nomCompte, u'\''));
}
