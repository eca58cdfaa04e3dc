#include "BaseTest.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <csignal>
#include <stdexcept>

#include "data/CreationBase.h"
#include "data/Datamoduleabs.h"
#include "data/PiloteMariadb.h"

namespace {
int compteurConnexions = 0;

// A root connection to a private server, outside any base, for creating and dropping.
QSqlDatabase RacineServeur(const TAccesServeur& acces) {
    const QString nom = QStringLiteral("baseTest-racine-") + acces.Texte();
    if (QSqlDatabase::contains(nom)) return QSqlDatabase::database(nom);
    QSqlDatabase base = QSqlDatabase::addDatabase(NomPiloteMariadb(), nom);
    base.setUserName(QStringLiteral("root"));
    acces.Appliquer(base);
    if (!base.open())
        throw std::runtime_error(QStringLiteral("TBaseTest : serveur de test injoignable : %1")
                                     .arg(base.lastError().text())
                                     .toStdString());
    return base;
}

void ExecuterRacine(const TAccesServeur& acces, const QString& sql) {
    QSqlQuery q(RacineServeur(acces));
    if (!q.exec(sql))
        throw std::runtime_error(
            QStringLiteral("TBaseTest : %1 : %2").arg(sql, q.lastError().text()).toStdString());
}

[[noreturn]] void Echec(const QString& quoi, const QSqlQuery& q) {
    throw std::runtime_error(
        QStringLiteral("TBaseTest : %1 : %2").arg(quoi, q.lastError().text()).toStdString());
}
}  // namespace

TAccesServeur TAccesServeur::Partage() {
    TAccesServeur acces{qEnvironmentVariable("PARLIVO_TEST_SOCKET")};
    bool ok = false;
    const uint port = qEnvironmentVariableIntValue("PARLIVO_TEST_PORT", &ok);
    if (acces.socket.isEmpty() && ok && port > 0 && port < 65536)
        acces.port = static_cast<quint16>(port);
    if (acces.socket.isEmpty() && acces.port == 0)
        throw std::runtime_error(
            "TBaseTest : ni PARLIVO_TEST_SOCKET ni PARLIVO_TEST_PORT n'est défini ; "
            "scripts/test (ou scripts/windows-test) démarre le serveur MariaDB des tests "
            "(scripts/serveur-test demarrer DOSSIER [--tls PORT] le fait à la main)");
    return acces;
}

void TAccesServeur::Appliquer(QSqlDatabase& base) const {
    if (!socket.isEmpty()) {
        base.setConnectOptions(QStringLiteral("UNIX_SOCKET=%1").arg(socket));
    } else {
        base.setHostName(QStringLiteral("127.0.0.1"));
        base.setPort(port);
        base.setConnectOptions(QString());
    }
}

QString TAccesServeur::LignesIni() const {
    if (!socket.isEmpty()) return QStringLiteral("Socket=%1\n").arg(socket);
    return QStringLiteral("Hote=127.0.0.1\nPort=%1\n").arg(port);
}

QString TAccesServeur::Texte() const {
    return socket.isEmpty() ? QStringLiteral("127.0.0.1:%1").arg(port) : socket;
}

TBaseTest::TBaseTest(bool creer, TMoteurTest moteur, const QString& socket) {
    if (!dossier.isValid()) throw std::runtime_error("TBaseTest : dossier temporaire impossible");
    if (moteur == TMoteurTest::Serveur) {
        accesServeur = socket.isEmpty() ? TAccesServeur::Partage() : TAccesServeur{socket};
        nomBaseServeur = QStringLiteral("parlivo_test_%1_%2")
                             .arg(QCoreApplication::applicationPid())
                             .arg(++compteurConnexions);
        ExecuterRacine(accesServeur,
                       QStringLiteral("DROP DATABASE IF EXISTS %1").arg(nomBaseServeur));
        ExecuterRacine(accesServeur,
                       QStringLiteral("CREATE DATABASE %1 CHARACTER SET utf8mb4 COLLATE "
                                      "utf8mb4_nopad_bin")
                           .arg(nomBaseServeur));
        EcrireConnexion(QStringLiteral("root"));
        if (creer) {
            ConnexionOutils();
            CreerTablesServeur(QSqlDatabase::database(nomOutils));
        }
    } else if (creer) {
        CreerBase(Chemin());
    }
    module = std::make_unique<TDataModuleAbs>(dossier.path());
    precedent = DataModuleAbs;
    DataModuleAbs = module.get();
}

TBaseTest::~TBaseTest() {
    if (DataModuleAbs == module.get()) DataModuleAbs = precedent;
    module.reset();
    FermerOutils();
    if (SurServeur()) {
        try {
            if (!comptePoste.isEmpty())
                ExecuterRacine(
                    accesServeur,
                    QStringLiteral("DROP USER IF EXISTS '%1'@'localhost'").arg(comptePoste));
            ExecuterRacine(accesServeur,
                           QStringLiteral("DROP DATABASE IF EXISTS %1").arg(nomBaseServeur));
        } catch (const std::exception&) {
            // The server may have been stopped on purpose by the test.
        }
    }
}

void TBaseTest::FermerOutils() {
    if (nomOutils.isEmpty()) return;
    QSqlDatabase::database(nomOutils, false).close();
    QSqlDatabase::removeDatabase(nomOutils);
    nomOutils.clear();
}

QString TBaseTest::Dossier() const { return dossier.path(); }

QString TBaseTest::Chemin() const {
    return QDir(dossier.path()).filePath(QStringLiteral("sms.abs"));
}

QString TBaseTest::ConnexionOutils() {
    if (nomOutils.isEmpty()) {
        nomOutils = QStringLiteral("baseTest-%1").arg(++compteurConnexions);
        QSqlDatabase base = QSqlDatabase::addDatabase(
            SurServeur() ? NomPiloteMariadb() : QStringLiteral("QSQLITE"), nomOutils);
        if (SurServeur()) {
            base.setDatabaseName(nomBaseServeur);
            base.setUserName(QStringLiteral("root"));
            accesServeur.Appliquer(base);
        } else {
            base.setDatabaseName(Chemin());
            base.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        }
        // The tests' own SQL is SQLite's: "||" joins texts and double quotes name columns.
        if (base.open() && SurServeur())
            QSqlQuery(base).exec(QStringLiteral(
                "SET SESSION sql_mode = 'PIPES_AS_CONCAT,ANSI_QUOTES,STRICT_ALL_TABLES'"));
        if (!base.isOpen())
            throw std::runtime_error(
                QStringLiteral("TBaseTest : ouverture de %1 : %2")
                    .arg(SurServeur() ? nomBaseServeur : Chemin(), base.lastError().text())
                    .toStdString());
    }
    return nomOutils;
}

QVariant TBaseTest::Ecrire(const QString& sql, const QVariantList& valeurs, bool lireId) {
    QSqlQuery q(QSqlDatabase::database(ConnexionOutils()));
    if (valeurs.isEmpty()) {
        // Not prepared: the server refuses to prepare some statements (KILL, transactions).
        if (!q.exec(sql)) Echec(sql, q);
    } else {
        if (!q.prepare(sql)) Echec(sql, q);
        for (const QVariant& v : valeurs) q.addBindValue(v);
        if (!q.exec()) Echec(sql, q);
    }
    return lireId ? q.lastInsertId() : QVariant();
}

int TBaseTest::AjouterService(const TService& s) {
    const int id = Compter(QStringLiteral("SELECT coalesce(max(id), 0) + 1 FROM ConfigurationApi"));
    Ecrire(QStringLiteral("INSERT INTO ConfigurationApi (id, nom, url, cle, cle_api, numero, "
                          "message, expediteur, date_envoi, format_date, statut_ok) "
                          "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
           {id, s.nom, s.url, s.cle, s.cle_api, s.numero, s.message, s.expediteur, s.date_envoi,
            s.format_date, s.statut_ok},
           false);
    return id;
}

void TBaseTest::AjouterCategorie(int id, const QString& nom, bool interne) {
    Ecrire(QStringLiteral("INSERT INTO Categorie (id_categorie, interne, nom) VALUES (?, ?, ?)"),
           {id, interne ? 1 : 0, nom}, false);
}

void TBaseTest::AjouterTemplate(const TModele& m) {
    Ecrire(QStringLiteral("INSERT INTO Template (id_template, agence, utilisateur, id_categorie, "
                          "nom, texte) VALUES (?, ?, ?, ?, ?, ?)"),
           {m.id, m.agence, m.utilisateur, m.id_categorie, m.nom, m.texte}, false);
}

void TBaseTest::AjouterParametreEntier(const QString& agence, const QString& utilisateur,
                                       const QString& section, const QString& cle, qint64 valeur,
                                       const QString& type) {
    QString colonne = QStringLiteral("valeur_int");
    QVariant v = valeur;
    if (type == QLatin1String("STRING") || type == QLatin1String("MEMO")) {
        colonne = type == QLatin1String("STRING") ? QStringLiteral("valeur_string")
                                                  : QStringLiteral("valeur_memo");
        v = QString::number(valeur);
    } else if (type == QLatin1String("SHORTINT")) {
        colonne = QStringLiteral("valeur_short_int");
    } else if (type == QLatin1String("SMALLINT")) {
        colonne = QStringLiteral("valeur_small_int");
    } else if (type == QLatin1String("LARGEINT")) {
        colonne = QStringLiteral("valeur_large_int");
    } else if (type == QLatin1String("FLOAT")) {
        colonne = QStringLiteral("valeur_float");
    } else if (type == QLatin1String("CURRENCY")) {
        colonne = QStringLiteral("valeur_currency");
    }
    // Null texts would be written as NULL: the settings store binds "" for them.
    auto texte = [](const QString& s) { return s.isNull() ? QStringLiteral("") : s; };
    Ecrire(QStringLiteral("INSERT INTO Parametres (agence, utilisateur, section, cle, "
                          "valeur_type, %1) VALUES (?, ?, ?, ?, ?, ?)")
               .arg(colonne),
           {texte(agence), texte(utilisateur), texte(section), texte(cle), type, v}, false);
}

qint64 TBaseTest::AjouterHistorique(const TLigneHistorique& l) {
    auto date = [](const QVariant& d) -> QVariant {
        if (d.isNull() || !d.isValid()) return QVariant(QMetaType::fromType<QString>());
        if (d.metaType() == QMetaType::fromType<QDateTime>())
            return d.toDateTime().toString(QLatin1String(FormatDateBase));
        return d.toString();
    };
    QVariant e = l.etat.isNull() || !l.etat.isValid() ? QVariant(QMetaType::fromType<QString>())
                                                      : QVariant(l.etat.toString());
    return Ecrire(QStringLiteral("INSERT INTO Historique (agence, utilisateur, date_creation, "
                                 "expediteur, destinataire, numero, message, date_envoi, etat) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                  {l.agence, l.utilisateur, date(l.date_creation), l.expediteur, l.destinataire,
                   l.numero, l.message, date(l.date_envoi), e},
                  true)
        .toLongLong();
}

QVariant TBaseTest::Valeur(const QString& sql) {
    QSqlQuery q(QSqlDatabase::database(ConnexionOutils()));
    q.setForwardOnly(true);
    if (!q.exec(sql)) Echec(sql, q);
    QVariant v = q.next() ? q.value(0) : QVariant();
    q.finish();
    // The server's driver gives the texts of binary collations as bytes: the same text as
    // on the file, so that a test compares a column the same way on both engines.
    if (SurServeur() && v.typeId() == QMetaType::QByteArray && !v.isNull())
        v = QString::fromUtf8(v.toByteArray());
    return v;
}

int TBaseTest::Compter(const QString& sql) { return Valeur(sql).toInt(); }

void TBaseTest::Executer(const QString& sql) { Ecrire(sql, {}, false); }

void TBaseTest::EcrireConnexion(const QString& utilisateur, const QString& motDePasse,
                                const QString& base) {
    QFile ini(QDir(dossier.path()).filePath(QStringLiteral("connexion.ini")));
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("TBaseTest : connexion.ini impossible");
    ini.write((QStringLiteral("[Serveur]\n") + accesServeur.LignesIni() +
               QStringLiteral("Base=%1\nUtilisateur=%2\nMotDePasse=%3\n")
                   .arg(base.isEmpty() ? nomBaseServeur : base, utilisateur, motDePasse))
                  .toUtf8());
}

QString TBaseTest::CreerComptePoste(const QString& motDePasse) {
    if (!SurServeur())
        throw std::runtime_error("TBaseTest : un compte n'existe que sur le serveur");
    comptePoste = QStringLiteral("poste_") + nomBaseServeur;
    ExecuterRacine(accesServeur, QStringLiteral("CREATE USER '%1'@'localhost' IDENTIFIED BY '%2'")
                                     .arg(comptePoste, motDePasse));
    for (const char* table :
         {"Categorie", "ConfigurationApi", "Historique", "Parametres", "Template"})
        ExecuterRacine(accesServeur,
                       QStringLiteral("GRANT SELECT, INSERT, UPDATE ON %1.%2 TO '%3'@'localhost'")
                           .arg(nomBaseServeur, QLatin1String(table), comptePoste));
    EcrireConnexion(comptePoste, motDePasse);
    return comptePoste;
}

qint64 TBaseTest::CouperConnexion() {
    QSqlQuery q(module->Database());
    if (!q.exec(QStringLiteral("SELECT CONNECTION_ID()")) || !q.next())
        Echec(QStringLiteral("CONNECTION_ID()"), q);
    const qint64 id = q.value(0).toLongLong();
    q.finish();
    Executer(QStringLiteral("KILL %1").arg(id));
    // KILL returns before the connection is closed: wait for it to be gone.
    const QString reste =
        QStringLiteral("SELECT count(*) FROM information_schema.PROCESSLIST WHERE ID = %1").arg(id);
    for (int i = 0; i < 500 && Compter(reste) > 0; ++i) QThread::msleep(10);
    return id;
}

TServeurPrive::TServeurPrive(quint16 portTls) : portTls(portTls) {
    if (!dossier.isValid())
        throw std::runtime_error("TServeurPrive : dossier temporaire impossible");
    Demarrer();
}

QSqlDatabase TServeurPrive::Racine() const { return RacineServeur(TAccesServeur{Socket()}); }

void TServeurPrive::Demarrer() {
    QStringList arguments{QStringLiteral("demarrer"), dossier.path()};
    if (portTls != 0) arguments << QStringLiteral("--tls") << QString::number(portTls);
    Script(arguments);
}

TServeurPrive::~TServeurPrive() {
    try {
        Arreter();
    } catch (const std::exception&) {
        // Reported by the test that stopped it, if it did.
    }
}

QString TServeurPrive::Socket() const { return dossier.filePath(QStringLiteral("sock")); }

QString TServeurPrive::Fichier(const QString& nom) const { return dossier.filePath(nom); }

void TServeurPrive::Figer(bool fige) {
#ifdef Q_OS_WIN
    // The private server is a Linux mariadbd, started by a shell script: a Windows program
    // can send it no signal.
    (void)fige;
    throw std::runtime_error("TServeurPrive : un serveur Linux ne se fige pas depuis Windows");
#else
    QFile pid(Fichier(QStringLiteral("pid")));
    const qint64 numero = pid.open(QIODevice::ReadOnly) ? pid.readAll().trimmed().toLongLong() : 0;
    if (numero <= 0 || ::kill(static_cast<pid_t>(numero), fige ? SIGSTOP : SIGCONT) != 0)
        throw std::runtime_error("TServeurPrive : le serveur n'a pas pu recevoir le signal");
#endif
}

void TServeurPrive::Arreter() { Script({QStringLiteral("arreter"), dossier.path()}); }

void TServeurPrive::Script(const QStringList& arguments) {
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(QStringLiteral(PARLIVO_SOURCE_DIR "/scripts/serveur-test"), arguments);
    if (!script.waitForFinished(120000) || script.exitStatus() != QProcess::NormalExit ||
        script.exitCode() != 0)
        throw std::runtime_error(
            QStringLiteral("TServeurPrive : serveur-test %1 : %2")
                .arg(arguments.join(QLatin1Char(' ')), QString::fromUtf8(script.readAll()))
                .toStdString());
}
