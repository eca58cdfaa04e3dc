// parlivo-base is run as the built program, as an administrator would run it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "commun/BaseTest.h"
#include "data/Datamoduleabs.h"
#include "data/Fonctions_bd.h"
#include "data/Tcategorie.h"
#include "platform/TIniFile.h"

namespace {

struct Resultat {
    int statut = -1;
    QString sortie;
    QString erreurs;
};

Resultat Lancer(const QStringList& arguments) {
    QProcess p;
    // Text: its lines end in "\r\n" on Windows, read as "\n".
    p.start(QStringLiteral(PARLIVO_BIN_DIR "/parlivo-base"), arguments,
            QIODevice::ReadWrite | QIODevice::Text);
    Resultat r;
    if (!p.waitForStarted() || !p.waitForFinished(600000)) {
        ADD_FAILURE() << "parlivo-base n'a pas tourné : " << p.errorString().toStdString();
        return r;
    }
    r.statut = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.sortie = QString::fromUtf8(p.readAllStandardOutput());
    r.erreurs = QString::fromUtf8(p.readAllStandardError());
    return r;
}

#define EXPECT_REFUS(r, statut_attendu, fragment)                                  \
    do {                                                                           \
        const Resultat& r_ = (r);                                                  \
        EXPECT_EQ(r_.statut, statut_attendu) << r_.erreurs.toStdString();          \
        EXPECT_TRUE(r_.erreurs.contains("Erreur : ")) << r_.erreurs.toStdString(); \
        EXPECT_TRUE(r_.erreurs.contains(fragment)) << r_.erreurs.toStdString();    \
    } while (0)

}  // namespace

TEST(Parlivobase, AideEtLigneDeCommandeIncorrecte) {
    Resultat aide = Lancer({"--help"});
    EXPECT_EQ(aide.statut, 0);
    for (const char* mot : {"Utilisation", "creer FICHIER", "service lister", "service ajouter",
                            "service modifier", "parametre ecrire", "demo DOSSIER", "--url"})
        EXPECT_TRUE(aide.sortie.contains(mot)) << mot;
#ifdef Q_OS_WIN
    // How a host starts the installed program: its path, and each argument in quotes.
    const QString programme =
        QDir::toNativeSeparators(QStringLiteral(PARLIVO_BIN_DIR "/parlivo.exe"));
    EXPECT_TRUE(aide.sortie.contains(programme + QStringLiteral("\" \"")))
        << aide.sortie.toStdString();
    EXPECT_TRUE(aide.sortie.contains("%ProgramData%\\Parlivo\\sms.abs"));
#endif
    Resultat version = Lancer({"--version"});
    EXPECT_EQ(version.statut, 0);
    EXPECT_EQ(version.sortie, QStringLiteral("parlivo-base " PARLIVO_VERSION_TEXTE "\n"));

    EXPECT_REFUS(Lancer({}), 2, "aucune commande");
    EXPECT_REFUS(Lancer({"effacer"}), 2, "commande inconnue : « effacer »");
    EXPECT_REFUS(Lancer({"creer"}), 2, "argument manquant : FICHIER");
    EXPECT_REFUS(Lancer({"creer", "a", "b"}), 2, "argument en trop");
    EXPECT_REFUS(Lancer({"service"}), 2, "lister, ajouter ou modifier");
    EXPECT_REFUS(Lancer({"service", "lister", "x.abs", "--couleur", "bleu"}), 2,
                 "option inconnue : --couleur");
    EXPECT_REFUS(Lancer({"demo", "d", "--url"}), 2, "--url demande une valeur");
    // An unknown option last on the line is named as unknown, not as one missing its value.
    QTemporaryDir dossier;
    const QString nouveau = dossier.filePath("sms.abs");
    Resultat r = Lancer({"creer", nouveau, "--force"});
    EXPECT_REFUS(r, 2, "option inconnue : --force");
    EXPECT_FALSE(r.erreurs.contains("demande une valeur")) << r.erreurs.toStdString();
    EXPECT_REFUS(Lancer({"service", "lister", nouveau, "--tout=oui"}), 2,
                 "option inconnue : --tout");
    EXPECT_FALSE(QFile::exists(nouveau));
    EXPECT_REFUS(Lancer({"demo", "d", "--url", "pas une url"}), 2, "pas une URL http");
}

TEST(Parlivobase, CreerNeRemplaceRien) {
    QTemporaryDir dossier;
    const QString chemin = dossier.filePath("sms.abs");
    Resultat r = Lancer({"creer", chemin});
    EXPECT_EQ(r.statut, 0) << r.erreurs.toStdString();
    EXPECT_TRUE(r.sortie.contains("Base créée"));
    {
        TDataModuleAbs module(dossier.path());
        EXPECT_NO_THROW(module.OuvrirBase());
    }
    const QByteArray avant = [&] {
        QFile f(chemin);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    EXPECT_REFUS(Lancer({"creer", chemin}), 1, "existe déjà");

    const QString texte = dossier.filePath("notes.txt");
    {
        QFile f(texte);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("à garder");
    }
    EXPECT_REFUS(Lancer({"creer", texte}), 1, "existe déjà");
    QFile f(texte);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("à garder"));
    QFile g(chemin);
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    EXPECT_EQ(g.readAll(), avant);

    EXPECT_REFUS(Lancer({"creer", dossier.filePath("absent/sms.abs")}), 1, "ne peut pas être créé");
}

TEST(Parlivobase, Services) {
    TBaseTest base;
    const QString fichier = base.Chemin();
    Resultat r = Lancer({"service", "lister", fichier});
    EXPECT_EQ(r.statut, 0);
    EXPECT_TRUE(r.sortie.contains("Aucun service")) << r.sortie.toStdString();

    r = Lancer({"service",
                "ajouter",
                fichier,
                "--nom",
                "Zèbre",
                "--url",
                "https://sms.example/api?v=2",
                "--cle",
                "K 1",
                "--cle-api",
                "apikey",
                "--numero",
                "to",
                "--message",
                "text",
                "--expediteur",
                "from",
                "--date-envoi",
                "when",
                "--format-date",
                "yyyy-mm-dd hh:nn",
                "--statut-ok",
                "200"});
    EXPECT_EQ(r.statut, 0) << r.erreurs.toStdString();
    EXPECT_TRUE(r.sortie.contains("identifiant 1")) << r.sortie.toStdString();
    r = Lancer({"service", "ajouter", fichier, "--nom=Alpha", "--url=http://127.0.0.1:9/e",
                "--cle-api=k", "--numero=n", "--message=m"});
    EXPECT_EQ(r.statut, 0) << r.erreurs.toStdString();
    EXPECT_EQ(base.Valeur("SELECT id || '|' || nom || '|' || url || '|' || cle || '|' || cle_api "
                          "|| '|' || numero || '|' || message || '|' || expediteur || '|' || "
                          "date_envoi || '|' || format_date || '|' || statut_ok FROM "
                          "ConfigurationApi WHERE id = 1")
                  .toString(),
              "1|Zèbre|https://sms.example/api?v=2|K 1|apikey|to|text|from|when|yyyy-mm-dd "
              "hh:nn|200");
    EXPECT_EQ(base.Compter("SELECT count(*) FROM ConfigurationApi WHERE id = 2 AND cle = '' AND "
                           "expediteur = '' AND statut_ok = ''"),
              1);

    r = Lancer({"service", "lister", fichier});
    EXPECT_EQ(r.statut, 0);
    EXPECT_LT(r.sortie.indexOf("Service 2 : Alpha"), r.sortie.indexOf("Service 1 : Zèbre"));
    EXPECT_TRUE(r.sortie.contains("yyyy-mm-dd hh:nn"));

    r = Lancer({"service", "modifier", fichier, "1", "--cle", "", "--statut-ok", "OK", "--url",
                "http://autre.example/envoi"});
    EXPECT_EQ(r.statut, 0) << r.erreurs.toStdString();
    EXPECT_EQ(base.Compter("SELECT count(*) FROM ConfigurationApi WHERE id = 1 AND nom = 'Zèbre' "
                           "AND cle = '' AND statut_ok = 'OK' AND url = "
                           "'http://autre.example/envoi' AND cle_api = 'apikey'"),
              1);

    EXPECT_REFUS(Lancer({"service", "ajouter", fichier, "--nom", "Alpha", "--url", "http://h/",
                         "--cle-api", "k", "--numero", "n", "--message", "m"}),
                 2, "existe déjà");
    EXPECT_REFUS(Lancer({"service", "ajouter", fichier, "--nom", "B", "--url", "http://h/"}), 2,
                 "--cle-api est obligatoire");
    EXPECT_REFUS(Lancer({"service", "modifier", fichier, "7", "--cle", "x"}), 2,
                 "aucun service d'identifiant 7");
    EXPECT_REFUS(Lancer({"service", "modifier", fichier, "1", "--nom", "Alpha"}), 2,
                 "s'appelle déjà");
    EXPECT_REFUS(Lancer({"service", "modifier", fichier, "1"}), 2, "rien à modifier");
    EXPECT_REFUS(Lancer({"service", "modifier", fichier, "un", "--cle", "x"}), 2,
                 "ID doit être un nombre entier");
    EXPECT_EQ(base.Compter("SELECT count(*) FROM ConfigurationApi"), 2);

    // A file that is not there is reported, and not created.
    const QString absent = QDir(base.Dossier()).filePath("autre.abs");
    EXPECT_REFUS(Lancer({"service", "lister", absent}), 1, "introuvable");
    EXPECT_FALSE(QFile::exists(absent));
}

TEST(Parlivobase, ParametresATousLesNiveaux) {
    TBaseTest base;
    const QString fichier = base.Chemin();
    EXPECT_EQ(Lancer({"parametre", "ecrire", fichier, "CONFIG", "BloquerCreation", "0"}).statut, 0);
    EXPECT_EQ(
        Lancer({"parametre", "ecrire", fichier, "CONFIG", "BloquerCreation", "1", "--agence", "AG"})
            .statut,
        0);
    EXPECT_EQ(Lancer({"parametre", "ecrire", fichier, "UTILISATION", "API", "3", "--agence", "AG",
                      "--utilisateur", "u"})
                  .statut,
              0);
    // Written again: the row is changed, not doubled.
    EXPECT_EQ(Lancer({"parametre", "ecrire", fichier, "UTILISATION", "API", "-2", "--agence", "AG",
                      "--utilisateur", "u"})
                  .statut,
              0);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Parametres"), 3);

    DataModuleAbs->OuvrirBase();
    TCurseur& table = DataModuleAbs->tblParametres;
    EXPECT_EQ(ResoudreBloquerCreation(table, "AG", "x"), 1);
    EXPECT_EQ(ResoudreBloquerCreation(table, "AUTRE", "x"), 0);
    EXPECT_EQ(LireParametreEntier(table, "AG", "u", "UTILISATION", "API", 0), -2);
    DataModuleAbs->FermerBase();

    Resultat r = Lancer({"parametre", "lire", fichier, "UTILISATION", "API", "--agence", "AG",
                         "--utilisateur", "u"});
    EXPECT_EQ(r.statut, 0);
    EXPECT_EQ(r.sortie.trimmed(), "-2");
    r = Lancer({"parametre", "lire", fichier, "UTILISATION", "API"});
    EXPECT_EQ(r.statut, 1);
    EXPECT_TRUE(r.sortie.contains("Aucune valeur")) << r.sortie.toStdString();
    r = Lancer({"parametre", "lister", fichier});
    EXPECT_EQ(r.statut, 0);
    EXPECT_TRUE(r.sortie.contains("CONFIG/BloquerCreation pour l'agence « AG » : 1"))
        << r.sortie.toStdString();

    EXPECT_REFUS(Lancer({"parametre", "ecrire", fichier, "S", "K", "1", "--utilisateur", "u"}), 2,
                 "--utilisateur demande --agence");
    EXPECT_REFUS(Lancer({"parametre", "ecrire", fichier, "S", "K", "9999999999"}), 2,
                 "VALEUR doit être un nombre entier");
    EXPECT_REFUS(Lancer({"parametre", "ecrire", fichier, "S", "K"}), 2,
                 "argument manquant : VALEUR");
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Parametres"), 3);

    // Twin rows: all are changed, and the tool says so instead of reporting success.
    base.AjouterParametreEntier("", "", "S", "K", 1);
    base.AjouterParametreEntier("", "", "S", "K", 2, "STRING");
    EXPECT_REFUS(Lancer({"parametre", "ecrire", fichier, "S", "K", "5"}), 1, "plusieurs lignes");
}

TEST(Parlivobase, Demo) {
    QTemporaryDir racine;
    const QString dossier = racine.filePath("nouveau/demo");
    Resultat r = Lancer({"demo", dossier, "--url", "http://127.0.0.1:54321/envoi"});
    ASSERT_EQ(r.statut, 0) << r.erreurs.toStdString();

    // The sqlite3 shell shows the five tables.
    const QString sqlite3 = QStandardPaths::findExecutable("sqlite3");
    ASSERT_FALSE(sqlite3.isEmpty()) << "sqlite3 est une dépendance du projet";
    QProcess shell;
    shell.start(sqlite3, {QDir(dossier).filePath("sms.abs"), ".schema"});
    ASSERT_TRUE(shell.waitForFinished(60000));
    const QString schema = QString::fromUtf8(shell.readAllStandardOutput());
    for (const char* table :
         {"Categorie", "ConfigurationApi", "Historique", "Parametres", "Template"})
        EXPECT_TRUE(schema.contains(QStringLiteral("CREATE TABLE %1 (").arg(table))) << table;

    TDataModuleAbs module(dossier);
    TDataModuleAbs* precedent = DataModuleAbs;
    DataModuleAbs = &module;
    module.OuvrirBase();
    TCurseur& services = module.tblConfigurationApi;
    int nombre = 0;
    QSet<QString> nomsParametres;
    for (services.Premier(); !services.Eof(); services.Suivant()) {
        ++nombre;
        EXPECT_EQ(services.Champ("url").toString(), "http://127.0.0.1:54321/envoi");
        nomsParametres.insert(services.Champ("cle_api").toString() + "|" +
                              services.Champ("numero").toString() + "|" +
                              services.Champ("message").toString());
    }
    EXPECT_GE(nombre, 2);
    EXPECT_LE(nombre, 3);
    EXPECT_EQ(nomsParametres.size(), nombre);  // each service names its parameters its own way

    QString textes;
    TCurseur& modeles = module.tblTemplate;
    for (modeles.Premier(); !modeles.Eof(); modeles.Suivant())
        textes += modeles.Champ("texte").toString();
    for (const char* balise : {"<Client_Nom>", "<Societe_Nom>", "<Dossier_Reference>"})
        EXPECT_TRUE(textes.contains(balise)) << balise;
    EXPECT_EQ(ResoudreBloquerCreation(module.tblParametres, "AG01", "martin"), 0);

    // The parameter file names a category that exists, and fills the tags of the templates.
    TIniFile ini(QDir(dossier).filePath("parlivo-demo.ini"));
    for (const char* cle : {"Agence", "Utilisateur", "Expediteur", "Numero"})
        EXPECT_FALSE(ini.ReadString("Config", cle, "").isEmpty()) << cle;
    const int categorie = ini.ReadInteger("Config", "Categorie", 0);
    bool trouvee = false;
    TCurseur& categories = module.tblCategorie;
    for (categories.Premier(); !categories.Eof(); categories.Suivant())
        trouvee = trouvee || categories.Champ("id_categorie").toInt() == categorie;
    EXPECT_TRUE(trouvee);
    EXPECT_FALSE(ini.ReadString("Client", "Nom", "").isEmpty());
    EXPECT_FALSE(ini.ReadString("Societe", "Nom", "").isEmpty());
    EXPECT_FALSE(ini.ReadString("Dossier", "Reference", "").isEmpty());
    EXPECT_LE(ini.ReadString("Config", "Expediteur", "").size(), 11);
    EXPECT_EQ(
        LireParametreEntier(module.tblParametres, ini.ReadString("Config", "Agence", ""),
                            ini.ReadString("Config", "Utilisateur", ""), "UTILISATION", "API", 0),
        1);
    module.FermerBase();
    DataModuleAbs = precedent;

    // A second run refuses to replace the database; with --garder it keeps it, writes
    // nothing and succeeds (an installer asked for the demo where data already lives).
    EXPECT_REFUS(Lancer({"demo", dossier}), 1, "existe déjà");
    ASSERT_TRUE(QFile::remove(QDir(dossier).filePath("parlivo-demo.ini")));
    r = Lancer({"demo", dossier, "--garder"});
    EXPECT_EQ(r.statut, 0) << r.erreurs.toStdString();
    EXPECT_TRUE(r.sortie.contains("Base existante conservée")) << r.sortie.toStdString();
    EXPECT_FALSE(QFile::exists(QDir(dossier).filePath("parlivo-demo.ini")));
    EXPECT_REFUS(Lancer({"demo", dossier, "--garder=oui"}), 2, "--garder ne prend pas de valeur");
    // Without --url, the default address.
    r = Lancer({"demo", racine.filePath("defaut")});
    EXPECT_EQ(r.statut, 0) << r.erreurs.toStdString();
    EXPECT_TRUE(r.sortie.contains("http://127.0.0.1:8080/envoi")) << r.sortie.toStdString();
}

// On the server: creer refuses existing tables; copier takes the demo base (and 100,000
// more history rows, or PARLIVO_LIGNES_COPIE) to the server and back, ids kept, every
// value equal; droits prints the workstation's GRANT lines.
TEST(Parlivobase, ServeurCreerCopierDroits) {
    const int lignes = qEnvironmentVariableIsSet("PARLIVO_LIGNES_COPIE")
                           ? qEnvironmentVariableIntValue("PARLIVO_LIGNES_COPIE")
                           : 100000;
    TBaseTest serveur(false, TMoteurTest::Serveur);  // an empty server base
    const QString ini = QDir(serveur.Dossier()).filePath("connexion.ini");
    QTemporaryDir dossier;
    ASSERT_EQ(Lancer({"demo", dossier.path()}).statut, 0);
    const QString fichier = QDir(dossier.path()).filePath("sms.abs");
    int historique = 0;
    {
        QSqlDatabase b = QSqlDatabase::addDatabase("QSQLITE", "copie-source");
        b.setDatabaseName(fichier);
        ASSERT_TRUE(b.open());
        QSqlQuery q(b);
        ASSERT_TRUE(q.exec("BEGIN"));
        ASSERT_TRUE(
            q.prepare("INSERT INTO Historique (agence, utilisateur, date_creation, "
                      "destinataire, message, etat) VALUES ('AG', 'U', ?, ?, ?, ?)"));
        for (int i = 0; i < lignes; ++i) {
            q.addBindValue(
                QStringLiteral("2025-01-01 10:00:%1.123").arg(i % 60, 2, 10, QChar('0')));
            q.addBindValue(i % 3 ? QStringLiteral("Élodie %1").arg(i) : QString(""));
            q.addBindValue(QStringLiteral("Ligne 1\nLigne 2 « %1 »").arg(i));
            q.addBindValue(i % 5 ? QVariant(QStringLiteral("Envoyé"))
                                 : QVariant(QMetaType::fromType<QString>()));
            ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
        }
        ASSERT_TRUE(
            q.exec("INSERT INTO Parametres (agence, utilisateur, section, cle, "
                   "valeur_type, valeur_int) VALUES ('AG', 'U', 'Double', 'Cle', "
                   "'Integer', 1), ('AG', 'U', 'Double', 'Cle', 'Integer', 2)"));
        ASSERT_TRUE(q.exec("COMMIT"));
        ASSERT_TRUE(q.exec("SELECT count(*) FROM Historique") && q.next());
        historique = q.value(0).toInt();
        q = QSqlQuery();
        b.close();
    }
    QSqlDatabase::removeDatabase("copie-source");

    Resultat r = Lancer({"creer", ini});
    EXPECT_EQ(r.statut, 0) << r.erreurs.toStdString();
    EXPECT_REFUS(Lancer({"creer", ini}), 1, "contient déjà les tables");
    // Twin settings in the file: refused, named, nothing written.
    EXPECT_REFUS(Lancer({"copier", fichier, ini}), 1,
                 "section « Double », clé « Cle », agence « AG », utilisateur « U » : 2 lignes");
    {
        QSqlDatabase b = QSqlDatabase::addDatabase("QSQLITE", "copie-doubles");
        b.setDatabaseName(fichier);
        ASSERT_TRUE(b.open());
        ASSERT_TRUE(
            QSqlQuery(b).exec("DELETE FROM Parametres WHERE section = 'Double' AND "
                              "valeur_int = 2"));
        b.close();
    }
    QSqlDatabase::removeDatabase("copie-doubles");
    r = Lancer({"copier", fichier, ini});
    ASSERT_EQ(r.statut, 0) << r.erreurs.toStdString();
    EXPECT_TRUE(r.sortie.contains(QStringLiteral("Historique : %1 lignes").arg(historique)))
        << r.sortie.toStdString();
    EXPECT_REFUS(Lancer({"copier", fichier, ini}), 1, "n'est pas vide");

    const QString retour = QDir(dossier.path()).filePath("retour.abs");
    r = Lancer({"copier", ini, retour});
    ASSERT_EQ(r.statut, 0) << r.erreurs.toStdString();
    EXPECT_REFUS(Lancer({"copier", ini, retour}), 1, "existe déjà");

    // Every row of every table, in id order, compared value by value.
    QSqlDatabase a = QSqlDatabase::addDatabase("QSQLITE", "copie-a");
    a.setDatabaseName(fichier);
    ASSERT_TRUE(a.open());
    ASSERT_TRUE(QSqlQuery(a).exec(QStringLiteral("ATTACH DATABASE '%1' AS retour").arg(retour)));
    for (const char* table :
         {"Categorie", "ConfigurationApi", "Historique", "Parametres", "Template"}) {
        QSqlQuery q(a);
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT (SELECT count(*) FROM main.%1), (SELECT count(*) "
                                          "FROM retour.%1), (SELECT count(*) FROM (SELECT * FROM "
                                          "main.%1 EXCEPT SELECT * FROM retour.%1))")
                               .arg(table)));
        ASSERT_TRUE(q.next());
        EXPECT_GT(q.value(0).toInt(), 0) << table;
        EXPECT_EQ(q.value(1).toInt(), q.value(0).toInt()) << table;
        EXPECT_EQ(q.value(2).toInt(), 0) << table;
    }
    // The server's next id follows the largest copied.
    QSqlQuery plusGrand(a);
    ASSERT_TRUE(plusGrand.exec("SELECT max(id_categorie) FROM main.Categorie") && plusGrand.next());
    const int maximum = plusGrand.value(0).toInt();
    plusGrand = QSqlQuery();
    a.close();
    a = QSqlDatabase();
    QSqlDatabase::removeDatabase("copie-a");
    serveur.Module().OuvrirBase();
    TCategorie apres(false, "Après la copie");
    ASSERT_TRUE(apres.Sauvegarder());
    EXPECT_GT(apres.id_categorie(), maximum);
    serveur.Module().FermerBase();

    r = Lancer({"droits", ini, "--compte", "poste"});
    EXPECT_EQ(r.statut, 0) << r.erreurs.toStdString();
    EXPECT_EQ(r.sortie.count("GRANT SELECT, INSERT, UPDATE ON `"), 5) << r.sortie.toStdString();
    EXPECT_TRUE(r.sortie.contains(
        QStringLiteral("`%1`.`Historique` TO 'poste'@'%';").arg(serveur.BaseServeur())))
        << r.sortie.toStdString();
    EXPECT_REFUS(Lancer({"droits", fichier}), 2, "fichier de connexion");
}
