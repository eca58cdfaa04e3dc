// The server engine's own cases: connexion.ini, a server that cannot be reached, stops or
// refuses the account, TLS, a base whose layout is not the expected one, a row another
// workstation holds. The cases both engines share are in the records' tests.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QThread>
#include <functional>

#include "commun/BaseTest.h"
#include "commun/RelaisTcp.h"
#include "commun/ServeurMariadbFactice.h"
#include "data/CreationBase.h"
#include "data/Datamoduleabs.h"
#include "data/Fonctions_bd.h"
#include "data/MoteurMariadb.h"
#include "data/Tcategorie.h"
#include "data/Thistorique.h"
#include "data/Ttransactionimmediate.h"

namespace {

void Ecrire(const QString& chemin, const QByteArray& contenu) {
    QFile f(chemin);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(contenu);
}

// The text of the error that OuvrirBase raises (empty when none).
QString ErreurOuverture(TDataModuleAbs& m) {
    try {
        m.OuvrirBase();
    } catch (const EErreurBase& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

// A closed local port: one that was just free.
quint16 PortFerme() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

void Openssl(const QString& dossier, const QStringList& arguments) {
    QProcess p;
    p.setWorkingDirectory(dossier);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("openssl"), arguments);
    ASSERT_TRUE(p.waitForFinished(60000) && p.exitCode() == 0)
        << arguments.join(' ').toStdString() << " : " << p.readAll().toStdString();
}

// The text of the error that `operation` raises (empty when none).
QString Echec(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

}  // namespace

// A connexion.ini that cannot be used is an error naming the file and the key, and the
// program never falls back to the sms.abs that stands beside it.
TEST(MoteurMariadb, FichierDeConnexionFautif) {
    TBaseTest base;  // sms.abs, valid
    const QString ini = QDir(base.Dossier()).filePath("connexion.ini");
    const struct {
        QByteArray contenu;
        const char* attendu;
    } cas[] = {
        {"[Serveur]\nHote=127.0.0.1\nUtilisateur=u\n", "« Base »"},
        {"[Serveur]\nBase=b\nUtilisateur=u\n", "« Hote »"},
        {"[Serveur]\nHote=h\nBase=b\n", "« Utilisateur »"},
        {"[Serveur]\nHote=h\nPort=trois\nBase=b\nUtilisateur=u\n", "« Port »"},
        {"[Serveur]\nHote=h1, h2:99999\nBase=b\nUtilisateur=u\n", "« Hote » l'entrée « h2:99999 »"},
        {"[Autre]\nHote=h\n", "[Serveur]"},
        {"[Serveur]\nHote=h\nBase=b\nUtilisateur=u\nAutoriteTLS=absente.pem\n", "« AutoriteTLS »"},
    };
    for (const auto& c : cas) {
        Ecrire(ini, c.contenu);
        TDataModuleAbs m(base.Dossier());
        EXPECT_TRUE(m.SurServeur());
        const QString texte = ErreurOuverture(m);
        EXPECT_TRUE(texte.startsWith("Erreur : le fichier de connexion")) << texte.toStdString();
        EXPECT_TRUE(texte.contains(QDir::toNativeSeparators(ini))) << texte.toStdString();
        EXPECT_TRUE(texte.contains(QString::fromUtf8(c.attendu))) << texte.toStdString();
        EXPECT_FALSE(m.Database().isOpen());
    }
    QFile::remove(ini);
    ASSERT_TRUE(QDir().mkdir(ini));  // present but unreadable as a file
    TDataModuleAbs m(base.Dossier());
    const QString texte = ErreurOuverture(m);
    EXPECT_TRUE(texte.contains("ne peut pas être lu")) << texte.toStdString();
}

// Nobody listening, on a port or a socket: a French error naming where, within the
// connect timeout; the module stays closed and opens once the file is put right.
TEST(MoteurMariadb, ServeurInjoignable) {
    TBaseTest base(true, TMoteurTest::Serveur);
    const QString ini = QDir(base.Dossier()).filePath("connexion.ini");
    const quint16 port = PortFerme();
    for (const QString& contenu :
         {QStringLiteral("[Serveur]\nHote=127.0.0.1\nPort=%1\nBase=b\nUtilisateur=u\n").arg(port),
          QStringLiteral("[Serveur]\nSocket=%1/absent.sock\nBase=b\nUtilisateur=u\n")
              .arg(base.Dossier())}) {
        Ecrire(ini, contenu.toUtf8());
        QElapsedTimer chrono;
        chrono.start();
        const QString texte = ErreurOuverture(base.Module());
        EXPECT_LT(chrono.elapsed(), (DelaiConnexionServeurS + 2) * 1000);
        EXPECT_TRUE(texte.startsWith("Erreur : le serveur de base de données"))
            << texte.toStdString();
        EXPECT_TRUE(texte.contains("ne répond pas")) << texte.toStdString();
        EXPECT_TRUE(texte.contains(QStringLiteral("127.0.0.1:%1").arg(port)) ||
                    texte.contains("absent.sock"))
            << texte.toStdString();
        EXPECT_FALSE(base.Module().Database().isOpen());
    }
    Ecrire(ini, (QStringLiteral("[Serveur]\n") + TAccesServeur::Partage().LignesIni() +
                 QStringLiteral("Base=%1\nUtilisateur=root\n").arg(base.BaseServeur()))
                    .toUtf8());
    EXPECT_EQ(ErreurOuverture(base.Module()), QString());
    EXPECT_TRUE(base.Module().tblCategorie.Active());
}

// A wrong password, a base the account may not use, a workstation account with only
// what droits grants: it works; settings without their primary key, ids the server does not
// give, or a table changed by hand to another collation, are refused.
TEST(MoteurMariadb, ComptesEtStructure) {
    TBaseTest base(true, TMoteurTest::Serveur);
    const QString compte = base.CreerComptePoste(QStringLiteral("bon"));
    auto ecrireIni = [&](const QString& mdp, const QString& nomBase) {
        base.EcrireConnexion(compte, mdp, nomBase);
    };
    ecrireIni("mauvais", base.BaseServeur());
    QString texte = ErreurOuverture(base.Module());
    EXPECT_TRUE(texte.contains(QStringLiteral("refuse l'utilisateur « %1 »").arg(compte)))
        << texte.toStdString();
    EXPECT_TRUE(texte.contains("Access denied")) << texte.toStdString();

    ecrireIni("bon", "mysql");
    texte = ErreurOuverture(base.Module());
    EXPECT_TRUE(texte.contains("ne donne pas accès à la base « mysql »")) << texte.toStdString();

    ecrireIni("bon", base.BaseServeur());
    ASSERT_EQ(ErreurOuverture(base.Module()), QString());
    TCategorie categorie(false, "Relances");
    EXPECT_TRUE(categorie.Sauvegarder());
    base.Module().FermerBase();

    base.Executer("ALTER TABLE Parametres DROP PRIMARY KEY");
    texte = ErreurOuverture(base.Module());
    EXPECT_TRUE(texte.contains("« Parametres » n'a pas de clé primaire")) << texte.toStdString();
    base.Executer("ALTER TABLE Template MODIFY id_template INT NOT NULL");
    texte = ErreurOuverture(base.Module());
    EXPECT_TRUE(texte.contains("« Template.id_template » n'est pas AUTO_INCREMENT"))
        << texte.toStdString();
    base.Executer("ALTER TABLE Template MODIFY id_template INT NOT NULL AUTO_INCREMENT");

    base.Executer("ALTER TABLE Categorie MODIFY nom TEXT COLLATE utf8mb4_general_ci");
    texte = ErreurOuverture(base.Module());
    EXPECT_TRUE(texte.contains("« Categorie.nom » a la collation « utf8mb4_general_ci »"))
        << texte.toStdString();
    EXPECT_FALSE(base.Module().Database().isOpen());
}

// Another workstation holds the rows: the save waits, tries again, then says the base is
// busy, keeps no identifier, and succeeds once the rows are released.
TEST(MoteurMariadb, LigneTenueParUnAutrePoste) {
    TBaseTest base(true, TMoteurTest::Serveur);
    base.AjouterCategorie(1, "Existante");
    DataModuleAbs->OuvrirBase();
    base.Executer("START TRANSACTION");
    base.Valeur("SELECT * FROM Categorie FOR UPDATE");
    TCategorie categorie(false, "Nouvelle");
    QString texte;
    try {
        categorie.Sauvegarder();
    } catch (const EErreurBase& e) {
        texte = QString::fromUtf8(e.what());
    }
    EXPECT_TRUE(texte.startsWith("Erreur : la base de données est occupée par un autre poste"))
        << texte.toStdString();
    EXPECT_TRUE(texte.contains("Lock wait timeout exceeded")) << texte.toStdString();
    EXPECT_EQ(categorie.id_categorie(), -1);
    base.Executer("ROLLBACK");
    EXPECT_TRUE(categorie.Sauvegarder());
    // The server's AUTO_INCREMENT does not give back the ids of the failed attempts.
    EXPECT_GT(categorie.id_categorie(), 1);
}

// The server drops the connection between two operations (KILL): the next operation opens
// it again and does its work, a save, a history row, a read. TLS asked of a server that
// has none: an error, never a clear-text connection.
TEST(MoteurMariadb, ConnexionCoupeeEtTlsAbsent) {
    TBaseTest base(true, TMoteurTest::Serveur);
    DataModuleAbs->OuvrirBase();
    auto numero = [] {
        auto r = DataModuleAbs->CreerRequete();
        r->SQL << "SELECT CONNECTION_ID() AS id";
        r->Ouvrir();
        return r->Champ("id").toLongLong();
    };
    const qint64 avant = numero();
    EXPECT_EQ(base.CouperConnexion(), avant);
    TCategorie categorie(false, "Après coupure");
    EXPECT_TRUE(categorie.Sauvegarder());
    const qint64 apres = numero();
    EXPECT_NE(apres, avant);

    base.CouperConnexion();
    EXPECT_NO_THROW(THistorique::AjouterHistorique({.agence = "A",
                                                    .utilisateur = "U",
                                                    .date_envoi = QDateTime::currentDateTime(),
                                                    .etat = "Envoyé"}));
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Historique"), 1);
    base.CouperConnexion();
    EXPECT_EQ(LireParametreEntier(DataModuleAbs->tblParametres, "A", "U", "S", "K", 7), 7);
    base.CouperConnexion();
    TCurseur& c = DataModuleAbs->tblCategorie;
    c.Premier();
    ASSERT_FALSE(c.Eof());
    EXPECT_EQ(c.Champ("nom").toString(), "Après coupure");
    // The history search's reading, which goes to the server by its own way.
    base.CouperConnexion();
    auto h = DataModuleAbs->CreerRequete();
    h->SQL << "SELECT * FROM Historique";
    QStringList agences;
    THistorique::ParcourirLignes(
        *h, [&](const THistorique::TColonnesBrutes& l) { agences << QString::fromUtf8(l[0]); });
    EXPECT_EQ(agences, QStringList{"A"});
    DataModuleAbs->FermerBase();

    const QString ca = QDir(base.Dossier()).filePath("ca.pem");
    Ecrire(ca, "-----BEGIN CERTIFICATE-----\nAAAA\n-----END CERTIFICATE-----\n");
    Ecrire(
        QDir(base.Dossier()).filePath("connexion.ini"),
        (QStringLiteral("[Serveur]\n") + TAccesServeur::Partage().LignesIni() +
         QStringLiteral("Base=%1\nUtilisateur=root\nAutoriteTLS=ca.pem\n").arg(base.BaseServeur()))
            .toUtf8());
    const QString texte = ErreurOuverture(base.Module());
    EXPECT_TRUE(texte.contains("TLS")) << texte.toStdString();
    EXPECT_FALSE(base.Module().Database().isOpen());
}

// TLS with a real certificate on 127.0.0.1: the server's authority gives an encrypted
// session; another authority, or a certificate made for another name, is refused with the
// server named, and nothing is opened in clear text instead.
TEST(MoteurMariadb, TlsAvecCertificat) {
    TServeurPrive serveur(PortFerme());
    TBaseTest base(true, TMoteurTest::Serveur, serveur.Socket());
    base.Executer("CREATE USER 'poste'@'127.0.0.1' IDENTIFIED BY 'mdp'");
    base.Executer(QStringLiteral("GRANT SELECT, INSERT, UPDATE ON %1.* TO 'poste'@'127.0.0.1'")
                      .arg(base.BaseServeur()));
    const QString tls = serveur.Fichier("tls");
    const QString port = base.Valeur("SELECT @@port").toString();
    Openssl(tls, {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj",
                  "/CN=Autre autorite", "-keyout", "autre.key", "-out", "autre.pem"});
    // Signed by the server's own authority, but for another name.
    Ecrire(tls + "/nom.cnf", "subjectAltName=DNS:autre.invalid\n");
    Openssl(tls, {"req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=autre.invalid", "-keyout",
                  "nom.key", "-out", "nom.csr"});
    Openssl(tls, {"x509", "-req", "-in", "nom.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                  "-CAcreateserial", "-days", "1", "-extfile", "nom.cnf", "-out", "nom.pem"});
    const struct {
        const char* autorite;
        bool autreNom;  // the server shows the certificate made for another name
        const char* refus;
    } cas[] = {
        {"ca.pem", false, nullptr},
        {"autre.pem", false, "certificate"},
        {"ca.pem", true, "Validation of SSL server certificate failed"},
    };
    for (const auto& c : cas) {
        if (c.autreNom) {
            for (const char* suffixe : {".pem", ".key"}) {
                QFile::remove(tls + "/serveur" + suffixe);
                ASSERT_TRUE(QFile::copy(tls + "/nom" + suffixe, tls + "/serveur" + suffixe));
            }
            base.Executer("FLUSH SSL");
        }
        Ecrire(QDir(base.Dossier()).filePath("connexion.ini"),
               QStringLiteral("[Serveur]\nHote=127.0.0.1\nPort=%1\nBase=%2\nUtilisateur=poste\n"
                              "MotDePasse=mdp\nAutoriteTLS=%3/%4\n")
                   .arg(port, base.BaseServeur(), tls, c.autorite)
                   .toUtf8());
        const QString texte = ErreurOuverture(base.Module());
        if (!c.refus) {
            ASSERT_EQ(texte, QString());
            auto r = DataModuleAbs->CreerRequete();
            r->SQL << "SHOW SESSION STATUS LIKE 'Ssl_cipher'";
            r->Ouvrir();
            EXPECT_FALSE(r->Champ("Value").toString().isEmpty());
            r.reset();
            DataModuleAbs->FermerBase();
            continue;
        }
        EXPECT_TRUE(texte.startsWith(
            QStringLiteral(
                "Erreur : la connexion chiffrée (TLS) au serveur « 127.0.0.1:%1 » n'a pas pu être "
                "établie ni son certificat vérifié : ")
                .arg(port)))
            << texte.toStdString();
        EXPECT_TRUE(texte.contains(c.refus)) << texte.toStdString();
        EXPECT_FALSE(base.Module().Database().isOpen());
    }
}

// A man in the middle hands the first connection to the real server and every later one
// to an impostor whose certificate comes from the same authority for another name, with the
// same base and account: once the session's connection is cut, the way back is refused with
// the server named, and nothing is written on the impostor.
TEST(MoteurMariadb, ImposteurALaReconnexion) {
    const quint16 portReel = PortFerme(), portImposteur = PortFerme();
    TServeurPrive reel(portReel), imposteur(portImposteur);
    TBaseTest base(true, TMoteurTest::Serveur, reel.Socket());
    const QString tls = reel.Fichier("tls");
    Ecrire(tls + "/evil.cnf", "subjectAltName=DNS:evil.example\n");
    Openssl(tls, {"req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=evil.example", "-keyout",
                  "evil.key", "-out", "evil.csr"});
    Openssl(tls, {"x509", "-req", "-in", "evil.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                  "-CAcreateserial", "-days", "1", "-extfile", "evil.cnf", "-out", "evil.pem"});
    for (const char* suffixe : {".pem", ".key"}) {
        const QString cible = imposteur.Fichier("tls/serveur") + suffixe;
        QFile::remove(cible);
        ASSERT_TRUE(QFile::copy(tls + "/evil" + suffixe, cible));
    }
    QSqlQuery chezImposteur(imposteur.Racine());
    const QString compte = "'poste'@'127.0.0.1' IDENTIFIED BY 'mdp'";
    const QString droits =
        "GRANT SELECT, INSERT, UPDATE ON " + base.BaseServeur() + ".* TO 'poste'@'127.0.0.1'";
    for (const QString& sql :
         {QStringLiteral("FLUSH SSL"), "CREATE USER " + compte, droits,
          "CREATE DATABASE " + base.BaseServeur() + " COLLATE utf8mb4_nopad_bin",
          "USE " + base.BaseServeur()})
        ASSERT_TRUE(chezImposteur.exec(sql)) << sql.toStdString();
    CreerTablesServeur(imposteur.Racine());
    base.Executer("CREATE USER " + compte);
    base.Executer(droits);
    TRelaisTcp relais([&](int n) { return n == 0 ? portReel : portImposteur; });
    Ecrire(QDir(base.Dossier()).filePath("connexion.ini"),
           QStringLiteral("[Serveur]\nHote=127.0.0.1\nPort=%1\nBase=%2\nUtilisateur=poste\n"
                          "MotDePasse=mdp\nAutoriteTLS=%3/ca.pem\n")
               .arg(relais.Port())
               .arg(base.BaseServeur(), tls)
               .toUtf8());
    ASSERT_EQ(ErreurOuverture(base.Module()), QString());
    base.CouperConnexion();

    const QString refus = QStringLiteral(
                              "Erreur : la connexion chiffrée (TLS) au serveur "
                              "« 127.0.0.1:%1 » n'a pas pu être établie ni son "
                              "certificat vérifié")
                              .arg(relais.Port());
    for (const auto& operation : std::initializer_list<std::function<void()>>{
             [] { TCategorie(false, "Chez l'imposteur").Sauvegarder(); },
             [] {
                 THistorique::AjouterHistorique(
                     {.agence = "A", .utilisateur = "U", .etat = "Envoyé"});
             }}) {
        const QString texte = Echec(operation);
        EXPECT_TRUE(texte.contains(refus)) << texte.toStdString();
    }
    EXPECT_GE(relais.Connexions(), 2);
    for (const char* table : {"Categorie", "Historique"}) {
        ASSERT_TRUE(chezImposteur.exec(QStringLiteral("SELECT count(*) FROM %1").arg(table)));
        ASSERT_TRUE(chezImposteur.next());
        EXPECT_EQ(chezImposteur.value(0).toInt(), 0) << table;
    }
}

// A server, or a man in the middle, that offers no TLS and asks for the password in clear
// (mysql_clear_password) is refused with a sentence that says why; the password never
// leaves.
TEST(MoteurMariadb, MotDePasseJamaisEnClair) {
    TServeurMariadbFactice faux;
    TBaseTest base(false, TMoteurTest::Serveur);
    Ecrire(QDir(base.Dossier()).filePath("connexion.ini"),
           QStringLiteral("[Serveur]\nHote=127.0.0.1\nPort=%1\nBase=b\nUtilisateur=poste\n"
                          "MotDePasse=secret-du-poste\n")
               .arg(faux.Port())
               .toUtf8());
    const QString texte = ErreurOuverture(base.Module());
    faux.Arreter();
    EXPECT_TRUE(
        texte.startsWith(QStringLiteral("Erreur : le serveur « 127.0.0.1:%1 » demande une méthode "
                                        "d'authentification que ce poste refuse")
                             .arg(faux.Port())))
        << texte.toStdString();
    EXPECT_TRUE(faux.Recu().contains("poste"));  // the workstation did answer the greeting
    EXPECT_FALSE(faux.Recu().contains("secret-du-poste"));
}

// Nothing runs inside a transaction the program did not open: one left by a ROLLBACK that
// failed, or one a statement began behind its back, goes with its connection, and the next
// operation runs on its own, in a fresh transaction.
TEST(MoteurMariadb, SeulementSesTransactions) {
    TBaseTest base(true, TMoteurTest::Serveur);
    DataModuleAbs->OuvrirBase();
    auto executer = [](const QString& sql) {
        auto r = DataModuleAbs->CreerRequete();
        r->SQL << sql;
        r->ExecSQL();
    };
    {
        TTransactionImmediate transaction(DataModuleAbs->NomConnexion());
        executer("INSERT INTO Categorie (id_categorie, interne, nom) VALUES (7, 0, 'Annulée')");
        base.CouperConnexion();
    }  // its ROLLBACK fails
    EXPECT_TRUE(TCategorie(false, "Après l'échec").Sauvegarder());
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Categorie WHERE nom = 'Annulée'"), 0);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Categorie WHERE nom = 'Après l''échec'"), 1);

    executer("START TRANSACTION");
    executer("INSERT INTO Categorie (id_categorie, interne, nom) VALUES (100, 0, 'Seule')");
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Categorie WHERE nom = 'Seule'"), 1);
    EXPECT_TRUE(TCategorie(false, "Ensuite").Sauvegarder());
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Categorie WHERE nom = 'Ensuite'"), 1);
}

// The server stops, or freezes, under an open base: the next operation says so, naming
// the server, within the connect timeout (stopped) or the answer timeout (frozen), never
// hanging; once the server is back, the next one works. Opening while it is stopped gives
// the opening error.
TEST(MoteurMariadb, ServeurArreteOuFige) {
    TServeurPrive serveur;
    TBaseTest base(true, TMoteurTest::Serveur, serveur.Socket());
    base.AjouterService("Service");
    base.AjouterCategorie(1, "Relances");
    DataModuleAbs->OuvrirBase();
    const QString designation = QStringLiteral("« %1 » (socket local)").arg(serveur.Socket());
    const struct {
        std::function<void()> couper, retablir;
        int delaiS;
    } cas[] = {
        {[&] { serveur.Arreter(); }, [&] { serveur.Demarrer(); }, DelaiConnexionServeurS},
        {[&] { serveur.Figer(true); }, [&] { serveur.Figer(false); },
         DelaiReponseServeurS + DelaiConnexionServeurS + 3},
    };
    int sauvees = 0;
    for (const auto& c : cas) {
        c.couper();
        QElapsedTimer chrono;
        chrono.start();
        QString texte;
        try {
            TCategorie(false, "Nouvelle").Sauvegarder();
        } catch (const EErreurBase& e) {
            texte = QString::fromUtf8(e.what());
        }
        EXPECT_LT(chrono.elapsed(), c.delaiS * 1000);
        EXPECT_TRUE(texte.startsWith(
            QStringLiteral("Erreur : la connexion au serveur %1 a été perdue").arg(designation)))
            << texte.toStdString();
        EXPECT_TRUE(
            texte.contains("n'a pas pu être rétablie : Erreur : le serveur de base de "
                           "données"))
            << texte.toStdString();
        c.retablir();
        TCategorie categorie(false, "Nouvelle");
        EXPECT_TRUE(categorie.Sauvegarder());
        // The save that failed wrote nothing (a frozen server that wakes may still have
        // used up an AUTO_INCREMENT value for it).
        auto r = DataModuleAbs->CreerRequete();
        r->SQL << "SELECT COUNT(*) AS n FROM Categorie WHERE nom = 'Nouvelle'";
        r->Ouvrir();
        EXPECT_EQ(r->Champ("n").toInt(), ++sauvees);
    }
    DataModuleAbs->FermerBase();
    serveur.Arreter();
    // Opening while it is stopped: the opening error at once (the send window's tests show
    // the window staying open with empty lists on it).
    QElapsedTimer chrono;
    chrono.start();
    const QString texte = ErreurOuverture(base.Module());
    EXPECT_LT(chrono.elapsed(), DelaiConnexionServeurS * 1000);
    EXPECT_TRUE(texte.startsWith(
        QStringLiteral("Erreur : le serveur de base de données %1 ne répond pas").arg(designation)))
        << texte.toStdString();
}

// `Hote` lists nodes: one that does not answer is passed over. When the connection breaks
// at COMMIT, whether or not the server received it, the save is made exactly once, through
// the next node; when no node answers, the error names each of them.
TEST(MoteurMariadb, ListeDeNoeuds) {
    const quint16 personne = PortFerme(), portServeur = PortFerme();
    TServeurPrive serveur(portServeur);
    TBaseTest base(true, TMoteurTest::Serveur, serveur.Socket());
    base.Executer("CREATE USER 'poste'@'127.0.0.1' IDENTIFIED BY 'mdp'");
    base.Executer(QStringLiteral("GRANT SELECT, INSERT, UPDATE ON %1.* TO 'poste'@'127.0.0.1'")
                      .arg(base.BaseServeur()));
    const auto versServeur = [&](int) { return portServeur; };
    for (const bool transmise : {true, false}) {
        auto coupe =
            std::make_unique<TRelaisTcp>(versServeur, TRelaisTcp::TCoupure{"COMMIT", transmise});
        auto suivant = std::make_unique<TRelaisTcp>(versServeur);
        const QList<quint16> ports{personne, coupe->Port(), suivant->Port()};
        Ecrire(QDir(base.Dossier()).filePath("connexion.ini"),
               QStringLiteral("[Serveur]\nHote=127.0.0.1:%1, 127.0.0.1:%2,127.0.0.1:%3\nBase=%4\n"
                              "Utilisateur=poste\nMotDePasse=mdp\n")
                   .arg(ports[0])
                   .arg(ports[1])
                   .arg(ports[2])
                   .arg(base.BaseServeur())
                   .toUtf8());
        ASSERT_EQ(ErreurOuverture(base.Module()), QString());
        const QString nom = QStringLiteral("Coupée %1").arg(transmise);
        TCategorie categorie(false, nom);
        EXPECT_TRUE(categorie.Sauvegarder()) << transmise;
        EXPECT_EQ(suivant->Connexions(), 1) << transmise;
        EXPECT_EQ(base.Valeur(QStringLiteral("SELECT GROUP_CONCAT(id_categorie) FROM Categorie "
                                             "WHERE nom = '%1'")
                                  .arg(nom))
                      .toString(),
                  QString::number(categorie.id_categorie()))
            << transmise;

        coupe.reset();
        suivant.reset();
        const QString texte = Echec([] { TCategorie(false, "Nulle part").Sauvegarder(); });
        EXPECT_TRUE(texte.contains(QStringLiteral("aucun des 3 nœuds de la grappe")))
            << texte.toStdString();
        for (const quint16 port : ports)
            EXPECT_TRUE(texte.contains(QStringLiteral("127.0.0.1:%1").arg(port)))
                << texte.toStdString();
        DataModuleAbs->FermerBase();
    }
}
