#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <ctime>
#include <memory>
#include <vector>

#include "commun/MoteurTest.h"
#include "data/CreationBase.h"
#include "data/Datamoduleabs.h"
#include "data/EmplacementBase.h"
#include "data/Fonctions_bd.h"
#include "data/Thistorique.h"
#include "data/Ttemplate.h"

namespace {

// Runs f, which must raise EErreurBase, and gives its text.
template <typename F>
QString TexteErreur(F f) {
    try {
        f();
    } catch (const EErreurBase& e) {
        return QString::fromUtf8(e.what());
    }
    ADD_FAILURE() << "aucune erreur levée";
    return {};
}

QStringList Contenu(const QString& dossier) {
    return QDir(dossier).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

// The rows of a long-result reading, each as "value|value|..." with "<NULL>" for NULL;
// ouvrir: the reading opens the query itself.
QStringList LireBrut(TRequete& r, const std::vector<const char*>& colonnes, bool ouvrir = false) {
    QStringList lignes;
    auto ligne = [&](const TRequete::TLigneBrute& l) {
        QStringList valeurs;
        for (const QByteArrayView& v : l)
            valeurs << (v.isNull() ? QStringLiteral("<NULL>") : QString::fromUtf8(v));
        lignes << valeurs.join(QLatin1Char('|'));
    };
    if (ouvrir)
        r.OuvrirEtParcourirBrut(colonnes, "id", ligne);
    else
        r.ParcourirBrut(colonnes, "id", ligne);
    return lignes;
}

QStringList Parcourir(TCurseur& curseur, const QString& champ) {
    QStringList valeurs;
    curseur.AnnulerPlage();
    for (curseur.Premier(); !curseur.Eof(); curseur.Suivant())
        valeurs << curseur.Champ(champ).toString();
    return valeurs;
}

}  // namespace

// What holds on both engines; the file's own cases are TEST(Datamoduleabs, ...) below.
class DeuxMoteurs : public TTestDeuxMoteurs {};
INSTANCIER_DEUX_MOTEURS(DeuxMoteurs);

TEST_P(DeuxMoteurs, OuvertureFermetureEtReouverture) {
    TBaseTest base(true, GetParam());
    TDataModuleAbs& m = base.Module();
    EXPECT_EQ(DataModuleAbs, &m);
    EXPECT_FALSE(m.Database().isOpen());
    EXPECT_FALSE(m.tblCategorie.Active());

    m.OuvrirBase();
    m.OuvrirBase();  // a second call changes nothing
    EXPECT_TRUE(m.Database().isOpen());
    for (TCurseur* c : {&m.tblHistorique, &m.tblConfigurationApi, &m.tblCategorie, &m.tblParametres,
                        &m.tblTemplate}) {
        EXPECT_TRUE(c->Active()) << c->TableName.toStdString();
        EXPECT_FALSE(c->ReadOnly);
    }
    EXPECT_EQ(m.tblHistorique.TableName, "Historique");
    EXPECT_EQ(m.tblConfigurationApi.TableName, "ConfigurationApi");
    EXPECT_EQ(m.tblCategorie.TableName, "Categorie");
    EXPECT_EQ(m.tblParametres.TableName, "Parametres");
    EXPECT_EQ(m.tblTemplate.TableName, "Template");
    EXPECT_EQ(m.tblCategorie.IndexName, "ID");
    EXPECT_EQ(m.tblParametres.IndexName, "OnlyOne");
    EXPECT_EQ(m.tblConfigurationApi.IndexFieldNames, "NOM");
    EXPECT_TRUE(m.tblConfigurationApi.IndexName.isEmpty());

    m.FermerBase();
    EXPECT_FALSE(m.Database().isOpen());
    EXPECT_FALSE(m.tblTemplate.Active());
    EXPECT_THROW(m.CreerRequete(), EErreurBase);
    EXPECT_THROW(m.tblCategorie.Premier(), EErreurBase);

    base.AjouterCategorie(4, "Après fermeture");
    m.OuvrirBase();
    EXPECT_EQ(Parcourir(m.tblCategorie, "nom"), QStringList{"Après fermeture"});
    if (!base.SurServeur()) {
        EXPECT_EQ(m.CheminFichier(), base.Chemin());
    }
    EXPECT_EQ(m.SurServeur(), base.SurServeur());
}

// What a user could see differ between the engines: the server's columns are chosen so
// that equality, the order of names, NULL and the empty text, and stored dates give what
// sms.abs gives. LIKE on the searched names differs for the case of accented capitals
// only (the server folds it, the file does not).
TEST_P(DeuxMoteurs, ComparaisonsEtOrdreCommeSurLeFichier) {
    TBaseTest base(true, GetParam());
    TDataModuleAbs& m = base.Module();
    for (const char* nom : {"b", "é", "B", "e", "a ", "Z", "a"}) base.AjouterService(nom);
    base.AjouterParametreEntier("Agence", "", "CONFIG", "K", 3);
    m.OuvrirBase();
    EXPECT_EQ(Parcourir(m.tblConfigurationApi, "nom"),
              (QStringList{"B", "Z", "a", "a ", "b", "e", "é"}));

    // Equality is exact: letter case, a trailing blank and accents all count.
    for (const char* agence : {"agence", "AGENCE", "Agence ", "Agénce"})
        EXPECT_FALSE(ExisteParametreEntier(m.tblParametres, agence, "", "CONFIG", "K")) << agence;
    EXPECT_EQ(LireParametreEntier(m.tblParametres, "Agence", QString(), "CONFIG", "K", 0), 3);

    // The empty text stays the empty text; NULL stays NULL.
    const QDateTime envoi(QDate(2025, 1, 31), QTime(23, 59, 59, 999));
    THistorique::AjouterHistorique({.agence = "A",
                                    .utilisateur = "U",
                                    .numero = "06",
                                    .message = "m",
                                    .date_envoi = envoi,
                                    .etat = ""});
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Historique WHERE etat = '' AND expediteur = ''"),
              1);
    EXPECT_EQ(base.Valeur("SELECT date_envoi FROM Historique").toString(),
              "2025-01-31 23:59:59.999");

    for (const char* nom : {"Dupont", "DUPONT", "Dupond", "dupont", "Élodie", "élodie", "Elodie"})
        base.AjouterHistorique({.agence = "A", .utilisateur = "U", .destinataire = nom});
    auto chercher = [&](const QString& motif) {
        auto r = m.CreerRequete();
        r->SQL << "SELECT * FROM Historique WHERE destinataire LIKE :Destinataire ORDER BY id";
        r->ParamTexte("Destinataire", QLatin1Char('%') + motif + QLatin1Char('%'));
        QStringList noms;
        for (r->Ouvrir(); !r->Eof(); r->Suivant()) noms << r->Champ("destinataire").toString();
        return noms;
    };
    EXPECT_EQ(chercher("dupont"), (QStringList{"Dupont", "DUPONT", "dupont"}));
    EXPECT_EQ(chercher("elodie"), QStringList{"Elodie"});
    EXPECT_EQ(chercher("élodie"),
              base.SurServeur() ? (QStringList{"Élodie", "élodie"}) : QStringList{"élodie"});
}

TEST(Datamoduleabs, FichierAbsentNiCreeNiRemplace) {
    TBaseTest base(false);
    const QString texte = TexteErreur([&] { base.Module().OuvrirBase(); });
    EXPECT_TRUE(texte.startsWith("Erreur : ")) << texte.toStdString();
    EXPECT_TRUE(texte.contains("introuvable")) << texte.toStdString();
    EXPECT_TRUE(texte.contains("unable to open database file")) << texte.toStdString();
    EXPECT_TRUE(Contenu(base.Dossier()).isEmpty())
        << Contenu(base.Dossier()).join(' ').toStdString();
    EXPECT_FALSE(base.Module().Database().isOpen());
}

// Where a module given no folder looks for sms.abs: beside the executable, unless the
// Windows installer's file marks an installed copy with no base of its own.
TEST(Datamoduleabs, DossierDeLaBase) {
    QTemporaryDir programme;
    ASSERT_TRUE(programme.isValid());
    const QString commun = QStringLiteral("/donnees/Parlivo");
    struct TCas {
        bool base, installation;
        QString commun;
        bool dansCommun;
    };
    const TCas cas[] = {
        {false, false, commun, false},    // portable copy, base missing: the error names it here
        {true, false, commun, false},     // portable copy
        {false, true, commun, true},      // installed copy
        {true, true, commun, false},      // installed copy with a base beside it
        {false, true, QString(), false},  // no shared folder on this system
    };
    // Makes or removes a file of the program's folder.
    auto poser = [&](const char* nom, bool present) {
        QFile fichier(QDir(programme.path()).filePath(QLatin1String(nom)));
        if (present) {
            ASSERT_TRUE(fichier.open(QIODevice::WriteOnly));
        } else {
            fichier.remove();
        }
    };
    for (const TCas& c : cas) {
        poser("sms.abs", c.base);
        poser(NomFichierInstallation, c.installation);
        EXPECT_EQ(DossierBase(programme.path(), c.commun), c.dansCommun ? commun : programme.path())
            << "base " << c.base << ", installation " << c.installation;
    }
#ifdef Q_OS_WIN
    EXPECT_TRUE(QDir::isAbsolutePath(DossierCommun())) << DossierCommun().toStdString();
    EXPECT_TRUE(DossierCommun().endsWith(QStringLiteral("/Parlivo")));
#else
    EXPECT_TRUE(DossierCommun().isEmpty());
#endif
}

TEST(Datamoduleabs, DossierAvecDieseEtPourcent) {
    // Unencoded, "#" would cut "?mode=rw" off the URI and SQLite would create a file.
    QTemporaryDir parent;
    ASSERT_TRUE(parent.isValid());
    QStringList noms = {QStringLiteral("a#b"), QStringLiteral("c%20d"), QStringLiteral("é è#%23")};
#ifndef Q_OS_WIN
    noms << QStringLiteral("e?f%");  // Windows forbids "?" in a file name
#endif
    for (const QString& nom : noms) {
        const QString dossier = QDir(parent.path()).filePath(nom);
        ASSERT_TRUE(QDir().mkpath(dossier));
        const QStringList avant = Contenu(parent.path());
        {
            TDataModuleAbs m(dossier);
            EXPECT_THROW(m.OuvrirBase(), EErreurBase) << nom.toStdString();
        }
        EXPECT_TRUE(Contenu(dossier).isEmpty()) << nom.toStdString();
        EXPECT_EQ(Contenu(parent.path()), avant) << nom.toStdString();

        // The same folder with a database in it opens.
        CreerBase(QDir(dossier).filePath("sms.abs"));
        TDataModuleAbs m(dossier);
        EXPECT_NO_THROW(m.OuvrirBase()) << nom.toStdString();
        EXPECT_TRUE(m.tblCategorie.Active());
        EXPECT_EQ(Contenu(dossier), QStringList{"sms.abs"});
    }
}

TEST(Datamoduleabs, FichierQuiNestPasUneBase) {
    TBaseTest base(false);
    const QByteArray contenu =
        "Ceci n'est pas une base de données, mais un simple texte.\n"
        "Il doit rester intact après la tentative d'ouverture.\n";
    {
        QFile f(base.Chemin());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contenu.repeated(20));
    }
    const QString texte = TexteErreur([&] { base.Module().OuvrirBase(); });
    EXPECT_TRUE(texte.contains("n'est pas une base de données")) << texte.toStdString();
    EXPECT_TRUE(texte.contains("file is not a database")) << texte.toStdString();
    EXPECT_FALSE(base.Module().Database().isOpen());
    QFile f(base.Chemin());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), contenu.repeated(20));
    EXPECT_EQ(Contenu(base.Dossier()), QStringList{"sms.abs"});
}

TEST(Datamoduleabs, FichierVideSansTables) {
    TBaseTest base(false);
    {
        QFile f(base.Chemin());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const QString texte = TexteErreur([&] { base.Module().OuvrirBase(); });
    EXPECT_TRUE(texte.contains("« Historique »")) << texte.toStdString();
    EXPECT_TRUE(texte.contains("no such table")) << texte.toStdString();
    EXPECT_EQ(QFileInfo(base.Chemin()).size(), 0);
    EXPECT_EQ(Contenu(base.Dossier()), QStringList{"sms.abs"});
}

TEST_P(DeuxMoteurs, TableColonneOuIndexManquant) {
    {
        TBaseTest base(true, GetParam());
        base.Executer("DROP TABLE Template");
        const QString texte = TexteErreur([&] { base.Module().OuvrirBase(); });
        EXPECT_TRUE(texte.contains("la table « Template » est absente")) << texte.toStdString();
        EXPECT_TRUE(texte.contains(base.SurServeur() ? "Template' doesn't exist"
                                                     : "no such table: Template"))
            << texte.toStdString();
        // Nothing is left half open.
        EXPECT_FALSE(base.Module().Database().isOpen());
        EXPECT_FALSE(base.Module().tblHistorique.Active());
    }
    // A column dropped: refused at opening, not when a row is written after a send.
    for (const auto& [table, colonne] :
         {std::pair{"Historique", "etat"}, std::pair{"ConfigurationApi", "format_date"},
          std::pair{"Parametres", "valeur_int"}}) {
        TBaseTest base;
        base.Executer(QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(table, colonne));
        const QString texte = TexteErreur([&] { base.Module().OuvrirBase(); });
        EXPECT_EQ(texte, QStringLiteral("Erreur : la colonne « %1 » manque dans la table « %2 » "
                                        "de la base de données.")
                             .arg(colonne, table));
        EXPECT_FALSE(base.Module().Database().isOpen());
    }
    for (const char* index : {"Categorie_ID", "ConfigurationApi_ID", "Historique_ID", "Template_ID",
                              "Parametres_OnlyOne"}) {
        TBaseTest base(true, GetParam());
        const QString table = QString::fromLatin1(index).section('_', 0, 0);
        base.Executer(base.SurServeur() ? QStringLiteral("DROP INDEX %1 ON %2").arg(index, table)
                                        : QStringLiteral("DROP INDEX %1").arg(index));
        const QString texte = TexteErreur([&] { base.Module().OuvrirBase(); });
        EXPECT_TRUE(texte.contains(index)) << texte.toStdString();
        EXPECT_TRUE(texte.contains("absent")) << texte.toStdString();
        EXPECT_FALSE(base.Module().Database().isOpen());
    }
}

// A base another program holds while this one opens is named as busy, not as unusable.
TEST(Datamoduleabs, BaseTenueParUnAutreProgrammeALOuverture) {
    TBaseTest base;
    QProcess autre;
    autre.start(QStringLiteral("sqlite3"), {base.Chemin()});
    ASSERT_TRUE(autre.waitForStarted());
    autre.write("BEGIN EXCLUSIVE;\nSELECT 'pret';\n");
    ASSERT_TRUE(autre.waitForReadyRead(5000));
    const QString texte = TexteErreur([&] { base.Module().OuvrirBase(); });
    EXPECT_TRUE(texte.startsWith(
        QStringLiteral("Erreur : la base de données « %1 » est utilisée par un autre poste ; "
                       "réessayez dans un instant")
            .arg(QDir::toNativeSeparators(base.Chemin()))))
        << texte.toStdString();
    autre.closeWriteChannel();
    ASSERT_TRUE(autre.waitForFinished());
    base.Module().OuvrirBase();
    EXPECT_TRUE(base.Module().tblHistorique.Active());
}

// A new row's id comes after the largest: computed on the file, given by the server's
// AUTO_INCREMENT at the INSERT.
TEST_P(DeuxMoteurs, ProchainId) {
    TBaseTest base(true, GetParam());
    TDataModuleAbs& m = base.Module();
    m.OuvrirBase();
    if (GetParam() == TMoteurTest::Fichier) {
        EXPECT_EQ(m.ProchainId(m.tblCategorie).value_or(0), 1);
    }

    base.AjouterTemplate(
        {.id = 3, .agence = "A", .utilisateur = "U", .id_categorie = 1, .nom = "t3", .texte = ""});
    base.AjouterTemplate(
        {.id = 7, .agence = "A", .utilisateur = "U", .id_categorie = 1, .nom = "t7", .texte = ""});
    base.AjouterTemplate(
        {.id = 5, .agence = "A", .utilisateur = "U", .id_categorie = 2, .nom = "t5", .texte = ""});
    TTemplate nouveau("A", "U", 1);
    nouveau.setNom("t8");
    ASSERT_TRUE(nouveau.Sauvegarder());
    EXPECT_EQ(nouveau.id_template(), 8);
    EXPECT_EQ(Parcourir(m.tblTemplate, "nom"), (QStringList{"t3", "t5", "t7", "t8"}));
    if (GetParam() != TMoteurTest::Fichier) return;
    EXPECT_EQ(m.ProchainId(m.tblTemplate).value_or(0), 9);
    // The cursor is left past its end; the next scan starts again from the first row.
    EXPECT_TRUE(m.tblTemplate.Eof());

    base.AjouterCategorie(-3, "moins trois");
    base.AjouterCategorie(0, "zéro");
    base.AjouterCategorie(-8, "moins huit");
    EXPECT_EQ(m.ProchainId(m.tblCategorie).value_or(0), 1);

    base.AjouterService({.nom = "S", .url = "u"});
    base.Executer("UPDATE ConfigurationApi SET id = 2147483647");
    EXPECT_THROW(m.ProchainId(m.tblConfigurationApi), EErreurBase);
}

TEST_P(DeuxMoteurs, OrdreDesCurseurs) {
    TBaseTest base(true, GetParam());
    TDataModuleAbs& m = base.Module();
    base.AjouterService("Zeta");
    base.AjouterService("alpha");
    base.AjouterService("Mu");
    base.Executer("UPDATE ConfigurationApi SET id = 10 - id");  // ids 9, 8, 7
    base.AjouterCategorie(20, "vingt");
    base.AjouterCategorie(3, "trois");
    base.AjouterCategorie(11, "onze");
    m.OuvrirBase();
    // Services by name (binary order of the names), categories by identifier.
    EXPECT_EQ(Parcourir(m.tblConfigurationApi, "NOM"), (QStringList{"Mu", "Zeta", "alpha"}));
    EXPECT_EQ(Parcourir(m.tblCategorie, "Nom"), (QStringList{"trois", "onze", "vingt"}));
    EXPECT_EQ(Parcourir(m.tblCategorie, "ID_CATEGORIE"), (QStringList{"3", "11", "20"}));

    // A reopening keeps the orders; reading past the end or an unknown field is an error.
    m.OuvrirBase();
    EXPECT_EQ(Parcourir(m.tblConfigurationApi, "nom"), (QStringList{"Mu", "Zeta", "alpha"}));
    EXPECT_THROW(m.tblCategorie.Ligne(), EErreurBase);
    m.tblCategorie.Premier();
    EXPECT_THROW(m.tblCategorie.Champ("inconnu"), EErreurBase);
    m.tblCategorie.IndexFieldNames = "inconnu";
    EXPECT_THROW(m.tblCategorie.Premier(), EErreurBase);
}

TEST_P(DeuxMoteurs, PlageDUnCurseur) {
    TBaseTest base(true, GetParam());
    for (int id : {9, 2, 7, 5})
        base.AjouterTemplate(
            {.id = id, .id_categorie = id == 7 ? 2 : 1, .nom = QString::number(id)});
    TDataModuleAbs& m = base.Module();
    m.OuvrirBase();
    TCurseur& c = m.tblTemplate;
    // The rows of the range only, in the cursor's order, until the range is cancelled.
    auto plage = [&](const QVariant& valeur) {
        QStringList noms;
        c.DefinirPlage("id_categorie", valeur);
        for (c.Premier(); !c.Eof(); c.Suivant()) noms << c.Champ("nom").toString();
        return noms;
    };
    EXPECT_EQ(plage(1), (QStringList{"2", "5", "9"}));
    EXPECT_EQ(plage(3), QStringList());
    c.Premier();
    EXPECT_TRUE(c.Eof());
    EXPECT_EQ(Parcourir(c, "nom"), (QStringList{"2", "5", "7", "9"}));
    c.DefinirPlage("categorie", 1);
    EXPECT_THROW(c.Premier(), EErreurBase);
}

TEST_P(DeuxMoteurs, RequeteLignesParametresEtLecture) {
    TBaseTest base(true, GetParam());
    TDataModuleAbs& m = base.Module();
    m.OuvrirBase();

    auto r = m.CreerRequete();
    ASSERT_TRUE(r);
    r->SQL << "INSERT INTO Parametres "
           << " (agence, utilisateur, section, cle, valeur_type, "
           << "  valeur_int, valeur_datetime) VALUES  "
           << " (:Agence, :Utilisateur, :Section, :Cle, :Type, :Valeur, :Quand) ";
    EXPECT_EQ(r->Texte(),
              "INSERT INTO Parametres \n (agence, utilisateur, section, cle, valeur_type, \n"
              "  valeur_int, valeur_datetime) VALUES  \n"
              " (:Agence, :Utilisateur, :Section, :Cle, :Type, :Valeur, :Quand) ");
    r->ParamTexte("Agence", QString());  // null text: bound as the empty text
    r->ParamTexte("Utilisateur", "Él'ise");
    r->ParamTexte("Section", "S");
    r->ParamTexte("Cle", "C");
    r->ParamTexte("Type", "INTEGER");
    r->ParamEntier("Valeur", -42);
    r->ParamDate("Quand", QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59, 99)));
    EXPECT_EQ(r->ExecSQL(), 1);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Parametres WHERE agence = '' AND agence IS NOT "
                           "NULL AND utilisateur = 'Él''ise'"),
              1);
    EXPECT_EQ(base.Valeur("SELECT valeur_datetime FROM Parametres").toString(),
              "2024-02-29 23:59:59.099");

    // A second insertion, then a SELECT walked, counted and walked again.
    r->ParamTexte("Section", "T");
    r->ParamEntier("Valeur", 7);
    EXPECT_EQ(r->ExecSQL(), 1);
    auto s = m.CreerRequete();
    s->SQL << "SELECT * FROM Parametres"
           << " WHERE `agence` = :Agence "
           << " AND valeur_int <> :Exclu";
    s->ParamTexte("Agence", "");
    s->ParamEntier("Exclu", 1000);
    s->Ouvrir();
    EXPECT_EQ(s->NombreLignes(), 2);
    QStringList sections;
    QDateTime quand;
    for (; !s->Eof(); s->Suivant()) {
        sections << s->Champ("SECTION").toString();
        quand = LireDateBase(s->Champ("Valeur_DateTime"));
        EXPECT_EQ(s->Ligne().value("utilisateur").toString(), "Él'ise");
    }
    EXPECT_EQ(sections, (QStringList{"S", "T"}));
    EXPECT_EQ(quand, QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59, 99)));
    EXPECT_THROW(s->Champ("section"), EErreurBase);  // past the end
    // Counting from the middle of a walk counts the whole result and restarts it.
    s->Ouvrir();
    s->Suivant();
    EXPECT_EQ(s->Champ("section").toString(), "T");
    EXPECT_EQ(s->NombreLignes(), 2);
    EXPECT_EQ(s->Champ("section").toString(), "S");
    s->Fermer();
    EXPECT_TRUE(s->Eof());

    // An UPDATE gives its row count; a misspelt parameter or a bad statement raises.
    auto u = m.CreerRequete();
    u->SQL << "UPDATE Parametres SET valeur_int = :Valeur WHERE section <> :Section";
    u->ParamEntier("Valeur", 5);
    u->ParamTexte("Section", "X");
    EXPECT_EQ(u->ExecSQL(), 2);
    u->ParamTexte("Sectio", "X");
    EXPECT_THROW(u->ExecSQL(), EErreurBase);
    auto f = m.CreerRequete();
    f->SQL << "SELECT * FROM TableInconnue";
    const QString texte = TexteErreur([&] { f->Ouvrir(); });
    EXPECT_TRUE(texte.contains(base.SurServeur() ? "TableInconnue' doesn't exist"
                                                 : "no such table: TableInconnue"))
        << texte.toStdString();
}

// A long result opened and walked in one go (on the server, straight from the client
// library): parameters written in safely, a name inside quotes left alone, NULL told apart
// from the empty text, and the connection ready for the next statement after a missing
// column, a failing statement or a reader that stops with an error.
TEST_P(DeuxMoteurs, OuvrirEtParcourirBrut) {
    TBaseTest base(true, GetParam());
    const QString piege = QStringLiteral("O'Br\\ien \"x\" :Agence");
    base.AjouterHistorique({.agence = piege,
                            .utilisateur = "U",
                            .expediteur = "",
                            .message = "é\nà",
                            .etat = QVariant()});
    base.AjouterHistorique({.agence = "B", .utilisateur = "U", .message = "m", .etat = "Envoyé"});
    TDataModuleAbs& m = base.Module();
    m.OuvrirBase();
    auto lire = [](TRequete& r, const std::vector<const char*>& colonnes) {
        return LireBrut(r, colonnes, true);
    };
    for (bool directe : {true, false}) {
        SCOPED_TRACE(directe ? "directe" : "QSqlQuery");
        TRequete::LectureDirecte = directe;
        auto r = m.CreerRequete();
        r->SQL << "SELECT * FROM Historique"
               << " WHERE agence = :Agence "
               << " AND message <> ':Agence' AND utilisateur = :Utilisateur";
        r->ParamTexte("Agence", piege);
        r->ParamTexte("Utilisateur", "U");
        EXPECT_EQ(lire(*r, {"AGENCE", "expediteur", "etat", "message"}),
                  QStringList{piege + "||<NULL>|é\nà"});
        r->ParamTexte("Agence", "B' OR '1' = '1");
        EXPECT_TRUE(lire(*r, {"agence"}).isEmpty());

        auto t = m.CreerRequete();
        t->SQL << "SELECT * FROM Historique";
        int lues = 0;
        EXPECT_THROW(t->OuvrirEtParcourirBrut({"agence"}, "id",
                                              [&](const TRequete::TLigneBrute&) {
                                                  ++lues;
                                                  throw EErreurBase("Erreur : arrêt");
                                              }),
                     EErreurBase);
        EXPECT_EQ(lues, 1);
        EXPECT_THROW(lire(*t, {"agence", "inconnue"}), EErreurBase);
        EXPECT_EQ(lire(*t, {"agence"}), (QStringList{piege, "B"}));
        auto f = m.CreerRequete();
        f->SQL << "SELECT * FROM TableInconnue";
        const QString texte = TexteErreur([&] { lire(*f, {"agence"}); });
        EXPECT_TRUE(texte.startsWith("Erreur : ") && texte.contains("TableInconnue"))
            << texte.toStdString();
        EXPECT_EQ(lire(*t, {"utilisateur"}), (QStringList{"U", "U"}));
    }
    TRequete::LectureDirecte = true;
}

TEST(Datamoduleabs, Dates) {
    EXPECT_EQ(DateZero(), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
    EXPECT_EQ(LireDateBase(QVariant()), DateZero());
    EXPECT_EQ(LireDateBase(QVariant(QMetaType::fromType<QString>())), DateZero());
    EXPECT_EQ(LireDateBase(QString("")), DateZero());
    EXPECT_EQ(LireDateBase(QString("2023-01-02 03:04:05.006")),
              QDateTime(QDate(2023, 1, 2), QTime(3, 4, 5, 6)));
    EXPECT_EQ(LireDateBase(QString("2023-01-02 03:04:05")),
              QDateTime(QDate(2023, 1, 2), QTime(3, 4, 5)));
    EXPECT_EQ(LireDateBase(QString("2023-01-02")), QDateTime(QDate(2023, 1, 2), QTime(0, 0)));
    EXPECT_THROW(LireDateBase(QString("hier")), EErreurBase);
    EXPECT_THROW(LireDateBase(QString("2023-01-02 25:00:00")), EErreurBase);
}

// A row written at a local time that a clock change skips must still read.
TEST(Datamoduleabs, DateDansLeSautDHeure) {
    const QByteArray avant = qgetenv("TZ");
    qputenv("TZ", "Europe/Paris");
    tzset();
    const QDateTime lue = LireDateBase(QString("2024-03-31 02:30:00.000"));
    EXPECT_TRUE(lue.isValid());
    EXPECT_EQ(lue.date(), QDate(2024, 3, 31));
    if (avant.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", avant);
    tzset();
}

TEST_P(DeuxMoteurs, TransactionImmediate) {
    TBaseTest base(true, GetParam());
    TDataModuleAbs& m = base.Module();
    m.OuvrirBase();
    auto inserer = [&](int id) {
        auto r = m.CreerRequete();
        r->SQL << "INSERT INTO Categorie (id_categorie, interne, nom) VALUES (:Id, 0, 'x')";
        r->ParamEntier("Id", id);
        r->ExecSQL();
    };
    {
        TTransactionImmediate t(m.NomConnexion());
        inserer(1);
        {
            TTransactionImmediate interieure(m.NomConnexion());  // joins the outer one
            inserer(2);
            interieure.Valider();
        }
    }  // left without Valider: rolled back
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Categorie"), 0);
    {
        TTransactionImmediate t(m.NomConnexion());
        inserer(3);
        t.Valider();
    }
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Categorie"), 1);
    // The unique identifier index refuses a twin.
    EXPECT_THROW(inserer(3), EErreurBase);
}

// Running copies create categories and append history rows on the same base at the same
// time: every identifier is distinct, every row is there, nobody sees a locked base or a
// deadlock. Four copies on the file; eight on the server, which is meant for many.
TEST_P(DeuxMoteurs, PlusieursProcessusSimultanes) {
    TBaseTest base(true, GetParam());
    const int copies = base.SurServeur() ? 8 : 4;
    const int lignes = base.SurServeur() ? 300 : 200;
    std::vector<std::unique_ptr<QProcess>> processus;
    for (int i = 0; i < copies; ++i) {
        auto p = std::make_unique<QProcess>();
        p->start(QStringLiteral(PARLIVO_BIN_DIR "/parlivo-concurrence"),
                 {base.Dossier(), QString::number(i), QString::number(lignes)});
        ASSERT_TRUE(p->waitForStarted()) << p->errorString().toStdString();
        processus.push_back(std::move(p));
    }
    {
        QFile depart(QDir(base.Dossier()).filePath("depart"));
        ASSERT_TRUE(depart.open(QIODevice::WriteOnly));
    }
    QSet<int> ids;
    int total = 0;
    for (auto& p : processus) {
        ASSERT_TRUE(p->waitForFinished(240000));
        const QString erreurs = QString::fromLocal8Bit(p->readAllStandardError());
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p->exitCode(), 0) << erreurs.toStdString();
        for (const char* mot : {"locked", "Deadlock", "Lock wait", "occupée"})
            EXPECT_FALSE(erreurs.contains(mot)) << erreurs.toStdString();
        for (const QByteArray& ligne : p->readAllStandardOutput().split('\n')) {
            if (ligne.trimmed().isEmpty()) continue;
            ids.insert(ligne.trimmed().toInt());
            ++total;
        }
    }
    EXPECT_EQ(total, copies * lignes);
    EXPECT_EQ(ids.size(), copies * lignes);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Categorie"), copies * lignes);
    EXPECT_EQ(base.Compter("SELECT count(DISTINCT id_categorie) FROM Categorie"), copies * lignes);
    EXPECT_EQ(base.Compter("SELECT max(id_categorie) FROM Categorie"), copies * lignes);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Historique"), copies * lignes);
    EXPECT_EQ(base.Compter("SELECT count(DISTINCT id) FROM Historique"), copies * lignes);
    for (int i = 0; i < copies; ++i) {
        EXPECT_EQ(base.Compter(QStringLiteral("SELECT count(*) FROM Categorie WHERE nom LIKE "
                                              "'P%1-%%'")
                                   .arg(i)),
                  lignes);
        EXPECT_EQ(base.Compter(QStringLiteral("SELECT count(DISTINCT message) FROM Historique "
                                              "WHERE agence = 'A%1'")
                                   .arg(i)),
                  lignes);
    }
}

// The long-result reading, straight from the engine or through QSqlQuery: the same rows,
// NULL told apart from the empty text, an empty result, a walk started mid-way, and an
// error in the middle of the result that leaves the query closed and reusable.
TEST(Datamoduleabs, ParcourirBrut) {
    TBaseTest base;
    base.AjouterHistorique({.agence = "A",
                            .utilisateur = "U",
                            .date_creation = QVariant(),
                            .expediteur = "",
                            .destinataire = "Dupont",
                            .numero = "06",
                            .message = "é\nà",
                            .date_envoi = QVariant(),
                            .etat = QVariant()});
    base.AjouterHistorique({.agence = "B",
                            .utilisateur = "V",
                            .date_creation = "2024-01-02 03:04:05.006",
                            .expediteur = "X",
                            .destinataire = "",
                            .numero = "07",
                            .message = "m",
                            .date_envoi = QVariant(),
                            .etat = "Envoyé"});
    base.AjouterHistorique({.agence = "C",
                            .utilisateur = "W",
                            .date_creation = QVariant(),
                            .expediteur = "Y",
                            .destinataire = "Z",
                            .numero = "08",
                            .message = "n",
                            .date_envoi = QVariant(),
                            .etat = "Erreur : x"});
    base.AjouterHistorique({.agence = "D",
                            .utilisateur = "W",
                            .date_creation = QVariant(),
                            .expediteur = "Y",
                            .destinataire = "Z",
                            .numero = "09",
                            .message = "o",
                            .date_envoi = QVariant(),
                            .etat = "Envoyé"});
    TDataModuleAbs& m = base.Module();
    m.OuvrirBase();

    auto lire = [](TRequete& r, const std::vector<const char*>& colonnes) {
        return LireBrut(r, colonnes);
    };
    const std::vector<const char*> colonnes = {"AGENCE",        "expediteur", "destinataire",
                                               "date_creation", "etat",       "message"};
    for (bool directe : {true, false}) {
        SCOPED_TRACE(directe ? "directe" : "QSqlQuery");
        TRequete::LectureDirecte = directe;
        auto r = m.CreerRequete();
        r->SQL << "SELECT * FROM Historique";
        r->Ouvrir();
        EXPECT_EQ(
            lire(*r, colonnes),
            (QStringList{"A||Dupont|<NULL>|<NULL>|é\nà", "B|X||2024-01-02 03:04:05.006|Envoyé|m",
                         "C|Y|Z|<NULL>|Erreur : x|n", "D|Y|Z|<NULL>|Envoyé|o"}));
        EXPECT_TRUE(r->Eof());

        // From the row the walk stands on.
        r->Ouvrir();
        r->Suivant();
        r->Suivant();
        EXPECT_EQ(lire(*r, {"agence"}), (QStringList{"C", "D"}));

        // No row: nothing is given.
        r->SQL << " WHERE agence = :Agence ";
        r->ParamTexte("Agence", "inconnue");
        r->Ouvrir();
        EXPECT_TRUE(lire(*r, colonnes).isEmpty());
        EXPECT_TRUE(r->Eof());

        // A column the result does not have.
        r->ParamTexte("Agence", "A");
        r->Ouvrir();
        EXPECT_THROW(lire(*r, {"agence", "inconnue"}), EErreurBase);

        // An error on the third row: the two first were given, the engine's text is in the
        // error, the query is closed and runs again from the start.
        auto e = m.CreerRequete();
        e->SQL << "SELECT id, agence, abs(CASE WHEN agence = 'C' THEN -9223372036854775807 - 1 "
                  "ELSE id END) AS valeur FROM Historique";
        e->Ouvrir();
        QStringList lues;
        const QString texte = [&] {
            try {
                e->ParcourirBrut({"agence"}, "id", [&](const TRequete::TLigneBrute& l) {
                    lues << QString::fromUtf8(l[0]);
                });
            } catch (const EErreurBase& erreur) {
                return QString::fromUtf8(erreur.what());
            }
            return QString();
        }();
        EXPECT_EQ(lues, (QStringList{"A", "B"}));
        EXPECT_TRUE(texte.startsWith("Erreur : ")) << texte.toStdString();
        EXPECT_TRUE(texte.contains("integer overflow")) << texte.toStdString();
        EXPECT_TRUE(e->Eof());
        EXPECT_THROW(e->Ligne(), EErreurBase);
        e->Ouvrir();
        EXPECT_EQ(e->Champ("agence").toString(), "A");
        e->Fermer();
        // Nothing holds the file: another connection can write and commit at once.
        base.Executer("UPDATE Historique SET numero = '10' WHERE agence = 'A'");
    }
    TRequete::LectureDirecte = true;
}
