#include <gtest/gtest.h>

#include <QtGlobal>
#ifndef Q_OS_WIN
#include <sys/mount.h>
#endif

#include <QCursor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <functional>
#include <memory>
#include <semaphore>
#include <thread>
#include <tuple>

#include "commun/BaseTest.h"
#include "commun/DialoguesScriptes.h"
#include "commun/MoteurTest.h"
#include "commun/ServeurTest.h"
#include "data/CreationBase.h"
#include "data/Datamoduleabs.h"
#include "data/PiloteMariadb.h"
#include "data/Tconfigurationapi.h"
#include "envoi/RemplacerBalises.h"
#include "envoi/Tenvoisms.h"

namespace {

const QString Envoye = QString::fromUtf8("Envoyé");

// Another workstation on the shared server, in a thread of its own with its own
// connection: holds every row of the base's Historique (SELECT ... FOR UPDATE) for a
// second, then rolls back. Built once the rows are held; Finir() waits for the end and
// gives what went wrong (empty when nothing did).
class TAutrePoste {
  public:
    explicit TAutrePoste(const QString& base) {
        fil = std::thread([this, base] {
            Tenir(base);
            if (!tenu) pret.release();
            QSqlDatabase::removeDatabase(QStringLiteral("autre-poste"));
        });
        pret.acquire();
    }
    ~TAutrePoste() { Finir(); }
    QString Finir() {
        if (fil.joinable()) fil.join();
        return erreur;
    }

  private:
    void Tenir(const QString& base) {
        QSqlDatabase connexion =
            QSqlDatabase::addDatabase(NomPiloteMariadb(), QStringLiteral("autre-poste"));
        connexion.setUserName(QStringLiteral("root"));
        connexion.setDatabaseName(base);
        TAccesServeur::Partage().Appliquer(connexion);
        if (!connexion.open()) {
            erreur = connexion.lastError().text();
            return;
        }
        QSqlQuery q(connexion);
        const auto executer = [&](const char* sql) {
            if (erreur.isEmpty() && !q.exec(QString::fromLatin1(sql)))
                erreur = QString::fromLatin1(sql) + QStringLiteral(" : ") + q.lastError().text();
        };
        executer("START TRANSACTION");
        executer("SELECT * FROM Historique FOR UPDATE");
        tenu = true;
        pret.release();
        executer("DO SLEEP(1)");
        executer("ROLLBACK");
    }

    std::binary_semaphore pret{0};
    bool tenu = false;
    QString erreur;
    std::thread fil;
};

// The cases whose result lies in the base run on both engines (TEST_P).
class TEnvoiSmsTest : public TTestDeuxMoteurs {
  protected:
    void SetUp() override {
        DataModuleAbs->OuvrirBase();
        balises.Definir("<Client_Nom>", "Dupont");
        balises.Definir("<Societe_Nom>", "Parlivo SA");
    }

    TConfigurationApi Service(const QString& chemin = "/api/envoi") {
        return TConfigurationApi({.id = 1,
                                  .nom = "Service test",
                                  .url = serveur.Url(chemin),
                                  .cle = cle,
                                  .cle_api = "key",
                                  .numero = "to",
                                  .message = "text",
                                  .expediteur = "from",
                                  .date_envoi = "date",
                                  .format_date = "yyyy-mm-dd hh:nn:ss",
                                  .statut_ok = "OK"});
    }

    // One send as the window makes it; a test names only what it changes.
    struct TEssai {
        QString numero = "0612345678";
        QString message = "Bonjour";
        QString expediteur = "Agence";
        TResultatDialogue confirmation = TResultatDialogue::mrOK;  // answer to the confirmation
        QString chemin = "/api/envoi";
        QString agence = "AG01";
    };

    std::optional<QString> Envoyer(const TEssai& essai) {
        dialogues.Repondre(essai.confirmation);
        return envoi.Envoyer(Demande(Service(essai.chemin), essai), balises,
                             [this](const QString& t) { affichages << t; });
    }

    TEnvoiSms::TDemande Demande(const TConfigurationApi& service, const TEssai& essai) {
        return {.service = service,
                .numero = essai.numero,
                .message = essai.message,
                .expediteur = essai.expediteur,
                .dateEnvoi = dateEnvoi,
                .agence = essai.agence,
                .utilisateur = "jdupont"};
    }

    // A column of the last history row.
    QVariant Colonne(const QString& colonne) {
        return base.Valeur("SELECT " + colonne + " FROM Historique ORDER BY id DESC LIMIT 1");
    }
    int NombreLignes() { return base.Compter("SELECT count(*) FROM Historique"); }

    // The dialogs asked for after the confirmation of the last send.
    std::vector<TDialoguesScriptes::TDemande> DialoguesApresConfirmation() {
        std::vector<TDialoguesScriptes::TDemande> apres;
        bool vu = false;
        for (const auto& d : dialogues.demandes) {
            if (vu) apres.push_back(d);
            if (d.type == TTypeDialogue::Confirmation) {
                vu = true;
                apres.clear();
            }
        }
        return apres;
    }

    TBaseTest base{true, Moteur()};
    TServeurTest serveur;
    TDialoguesScriptes dialogues;
    TEnvoiSms envoi;
    TBalises balises;
    QDateTime dateEnvoi{QDate(2025, 3, 5), QTime(9, 7, 2)};
    QStringList affichages;
    QString cle = QStringLiteral("CLE");
};

// A small filesystem of its own, to make the base's disk read-only or full. Needs the right
// to mount (root on Linux); Windows has no such small disk to make without an
// administrator's virtual disk, so there the tests that use it are skipped.
class TMontage {
  public:
#ifdef Q_OS_WIN
    explicit TMontage(const char*) {}
    bool LectureSeule() { return false; }
    static constexpr const char* raison = "Windows : pas de petit disque à monter pour ce test";
#else
    explicit TMontage(const char* taille) {
        const QByteArray options = QByteArray("size=") + taille;
        monte = ::mount("tmpfs", Dossier().toLocal8Bit().constData(), "tmpfs", 0,
                        options.constData()) == 0;
    }
    ~TMontage() {
        if (monte) ::umount2(Dossier().toLocal8Bit().constData(), MNT_DETACH);
    }
    bool LectureSeule() {
        return ::mount(nullptr, Dossier().toLocal8Bit().constData(), nullptr,
                       MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    static constexpr const char* raison = "pas de droit de monter un système de fichiers";
#endif
    bool Monte() const { return monte; }
    QString Dossier() const { return dossier.path(); }

  private:
    QTemporaryDir dossier;
    bool monte = false;
};

}  // namespace

INSTANCIER_DEUX_MOTEURS(TEnvoiSmsTest);

TEST_P(TEnvoiSmsTest, LeMessageArriveIntactBalisesRemplaceesEtLaLigneEstEcrite) {
    const QString saisi =
        QString::fromUtf8("Bonjour <Client_Nom> & co = 1+1 #2 100% é\r\nFin <Societe_Nom>");
    const QString attendu =
        QString::fromUtf8("Bonjour Dupont & co = 1+1 #2 100% é\r\nFin Parlivo SA");

    EXPECT_EQ(Envoyer({.numero = "+33 6.12-34.56-78", .message = saisi}), Envoye);

    ASSERT_EQ(serveur.Requetes().size(), 1u);
    const auto& requete = serveur.Requetes()[0];
    EXPECT_EQ(requete.chemin, "/api/envoi");
    EXPECT_EQ(requete.NomsParametres(), QStringList({"key", "to", "text", "from", "date"}));
    EXPECT_EQ(requete.Parametre("key"), "CLE");
    EXPECT_EQ(requete.Parametre("to"), "+33612345678");
    EXPECT_EQ(requete.Parametre("text"), attendu);
    EXPECT_EQ(requete.Parametre("from"), "Agence");
    EXPECT_EQ(requete.Parametre("date"), "2025-03-05 09:07:02");
    EXPECT_EQ(requete.Entete("User-Agent"),
              "Mozilla/5.0 (Windows NT 6.1; WOW64; rv:12.0) Gecko/20100101 Firefox/12.0");
    EXPECT_EQ(requete.Entete("Content-Type"), "application/json");
    EXPECT_EQ(requete.Entete("Accept"),
              "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");
    EXPECT_EQ(envoi.DerniereUrl(), serveur.Url() + requete.cible.mid(1));

    ASSERT_EQ(dialogues.demandes.size(), 1u);
    EXPECT_EQ(dialogues.demandes[0].texte, "Confirmer l'envoi du message : \n" + attendu);
    EXPECT_EQ(dialogues.demandes[0].type, TTypeDialogue::Confirmation);
    EXPECT_EQ(dialogues.demandes[0].boutons, mbOKCancel);
    EXPECT_EQ(affichages, QStringList{Envoye});

    ASSERT_EQ(NombreLignes(), 1);
    EXPECT_EQ(Colonne("agence"), "AG01");
    EXPECT_EQ(Colonne("utilisateur"), "jdupont");
    EXPECT_EQ(Colonne("expediteur"), "Agence");
    EXPECT_EQ(Colonne("destinataire"), "Dupont");
    EXPECT_EQ(Colonne("numero"), "+33612345678");
    EXPECT_EQ(Colonne("message"), attendu);
    EXPECT_EQ(Colonne("date_envoi"), "2025-03-05 09:07:02.000");
    EXPECT_EQ(Colonne("etat"), Envoye);
    EXPECT_FALSE(Colonne("date_creation").toString().isEmpty());
}

TEST_F(TEnvoiSmsTest, UnMessageNeChangeNiLeNumeroNiLesAutresParametres) {
    EXPECT_EQ(Envoyer({.numero = "07 00 00 00 00", .message = "Salut&to=0611223344&key=AUTRE"}),
              Envoye);
    ASSERT_EQ(serveur.Requetes().size(), 1u);
    const auto& requete = serveur.Requetes()[0];
    EXPECT_EQ(requete.NomsParametres(), QStringList({"key", "to", "text", "from", "date"}));
    EXPECT_EQ(requete.Parametre("to"), "0700000000");
    EXPECT_EQ(requete.Parametre("key"), "CLE");
    EXPECT_EQ(requete.Parametre("text"), "Salut&to=0611223344&key=AUTRE");
}

TEST_P(TEnvoiSmsTest, ExpediteurVideEtUrlTerminantParUnPointDInterrogation) {
    EXPECT_EQ(Envoyer({.expediteur = ""}), Envoye);
    ASSERT_EQ(serveur.Requetes().size(), 1u);
    EXPECT_FALSE(serveur.Requetes()[0].ContientParametre("from"));
    EXPECT_EQ(serveur.Requetes()[0].NomsParametres(), QStringList({"key", "to", "text", "date"}));
    EXPECT_EQ(Colonne("expediteur"), "");

    EXPECT_EQ(Envoyer({.expediteur = "", .chemin = "/api/envoi?"}), Envoye);
    ASSERT_EQ(serveur.Requetes().size(), 2u);
    EXPECT_TRUE(serveur.Requetes()[1].cible.startsWith("/api/envoi??key=CLE&to=0612345678&"))
        << serveur.Requetes()[1].cible.toStdString();
    EXPECT_TRUE(envoi.DerniereUrl().startsWith(serveur.Url("/api/envoi??key=CLE&")));
    EXPECT_EQ(NombreLignes(), 2);
}

TEST_F(TEnvoiSmsTest, SansOkOuAuDelaDe64KiCaracteresRienNEstEnvoyeNiEcrit) {
    EXPECT_EQ(Envoyer({.confirmation = TResultatDialogue::mrCancel}), std::nullopt);
    EXPECT_EQ(Envoyer({.confirmation = TResultatDialogue::mrNone}), std::nullopt);
    // Too long once the tags are replaced: refused before the confirmation.
    balises.Definir("<Client_Nom>", QString(40000, u'x'));
    EXPECT_THROW(Envoyer({.message = "<Client_Nom><Client_Nom>"}), EMessageTropLong);
    EXPECT_TRUE(serveur.Requetes().empty());
    EXPECT_EQ(NombreLignes(), 0);
    EXPECT_TRUE(affichages.isEmpty());
    EXPECT_EQ(dialogues.demandes.size(), 2u);
    EXPECT_TRUE(envoi.DerniereUrl().isEmpty());
}

TEST_P(TEnvoiSmsTest, ChaqueReponseDonneSonEtatSonDialogueEtUneLigne) {
    struct TCas {
        int statut;
        QByteArray corps;
        QString etat;
        QString dialogue;  // empty: none
    };
    const QString pasDErreurs = "Erreur : pas de balise json erreurs.";
    const std::vector<TCas> cas = {
        {200, R"({"resultat":1})", Envoye, ""},
        {200, R"({"resultat":"1"})", pasDErreurs + ")", pasDErreurs},
        {200, R"({"resultat":1.0})", pasDErreurs + ")", pasDErreurs},
        {200, R"({"resultat":true})", pasDErreurs + ")", pasDErreurs},
        {200, R"({"resultat":0,"erreurs":["a",2]})", R"(Erreur : ["a",2])", ""},
        {200, R"({"statut":"ok"})", "Erreur : pas de balise json resultat.)",
         "Erreur : pas de balise json resultat."},
        {200, "<html>Service en maintenance</html>", "Erreur : Aucun retour json est null)",
         "Erreur : Aucun retour json est null"},
        {200, "", "Erreur : Aucun retour json est null)", "Erreur : Aucun retour json est null"},
        {500, R"({"resultat":1})",
         "Erreur : Le service a répondu avec le statut HTTP 500 (Internal Server Error)",
         "Erreur : Le service a répondu avec le statut HTTP 500 (Internal Server Error)"},
    };
    int lignes = 0;
    for (const TCas& c : cas) {
        SCOPED_TRACE(c.corps.toStdString());
        serveur.Repondre(c.statut, c.corps);
        dialogues.demandes.clear();
        affichages.clear();
        EXPECT_EQ(Envoyer({}), c.etat);
        EXPECT_EQ(affichages, QStringList{c.etat});
        const auto apres = DialoguesApresConfirmation();
        if (c.dialogue.isEmpty()) {
            EXPECT_TRUE(apres.empty());
        } else {
            ASSERT_EQ(apres.size(), 1u);
            EXPECT_EQ(apres[0].texte, c.dialogue);
            EXPECT_EQ(apres[0].type, TTypeDialogue::Erreur);
            EXPECT_EQ(apres[0].boutons, mbOK);
        }
        EXPECT_EQ(NombreLignes(), ++lignes);
        EXPECT_EQ(Colonne("etat"), c.etat);
    }
}

TEST_F(TEnvoiSmsTest, ConnexionRefuseeEtServiceMuetDonnentUneErreurEtUneLigne) {
    serveur.Fermer();
    const auto refus = Envoyer({});
    ASSERT_TRUE(refus.has_value());
    EXPECT_TRUE(
        refus->startsWith(QString::fromUtf8("Erreur : Le service d'envoi refuse la connexion")))
        << refus->toStdString();
    ASSERT_EQ(DialoguesApresConfirmation().size(), 1u);
    EXPECT_EQ(DialoguesApresConfirmation()[0].texte, *refus);
    EXPECT_EQ(DialoguesApresConfirmation()[0].type, TTypeDialogue::Erreur);
    EXPECT_EQ(NombreLignes(), 1);
    EXPECT_EQ(Colonne("etat"), *refus);

    TServeurTest muet;
    muet.NePasRepondre();
    envoi.DefinirDelai(300);
    dialogues.Repondre(TResultatDialogue::mrOK);
    TConfigurationApi::TChamps champs{.id = 2, .nom = "Muet", .url = muet.Url("/envoi")};
    const TConfigurationApi service(champs);
    const auto delai = envoi.Envoyer(Demande(service, {.expediteur = ""}), balises,
                                     [this](const QString& t) { affichages << t; });
    const QString attendu = QString::fromUtf8(
        "Erreur : Le service d'envoi n'a pas répondu dans le délai de 300 ms "
        "(Operation canceled).");
    EXPECT_EQ(delai, attendu);
    EXPECT_EQ(muet.Requetes().size(), 1u);
    ASSERT_EQ(DialoguesApresConfirmation().size(), 1u);
    EXPECT_EQ(DialoguesApresConfirmation()[0].texte, attendu);
    EXPECT_EQ(affichages.last(), attendu);
    EXPECT_EQ(NombreLignes(), 2);
    EXPECT_EQ(Colonne("etat"), attendu);
}

TEST_F(TEnvoiSmsTest, SablierPendantLaRequeteSeulement) {
    bool sablierPendant = false;
    QObject::connect(&serveur, &TServeurTest::RequeteRecue, [&] {
        const QCursor* curseur = QGuiApplication::overrideCursor();
        sablierPendant = curseur != nullptr && curseur->shape() == Qt::WaitCursor;
    });
    EXPECT_EQ(Envoyer({}), Envoye);
    EXPECT_TRUE(sablierPendant);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_P(TEnvoiSmsTest, SansBaliseClientNomLeDestinataireEstVideEtLaBaliseDisparaitEnsuite) {
    TBalises sansNom;
    sansNom.Definir("<Societe_Nom>", "Parlivo SA");
    const auto envoyer = [&](const QString& message) {
        dialogues.Repondre(TResultatDialogue::mrOK);
        return envoi.Envoyer(Demande(Service(), {.message = message, .expediteur = ""}), sansNom,
                             nullptr);
    };
    EXPECT_EQ(envoyer("A <Client_Nom>"), Envoye);
    EXPECT_EQ(Colonne("message"), "A <Client_Nom>");
    EXPECT_EQ(Colonne("destinataire"), "");
    EXPECT_TRUE(sansNom.Contient("<Client_Nom>"));
    EXPECT_EQ(envoyer("B <Client_Nom><Societe_Nom>"), Envoye);
    EXPECT_EQ(Colonne("message"), "B Parlivo SA");
    EXPECT_EQ(serveur.Requetes().back().Parametre("text"), "B Parlivo SA");
}

// Nothing leaves when the row cannot be written: the cause is said and no request made.
// Each engine with its own faults: the file held by another program or on a read-only or
// full disk; on the server a row or the table held by another workstation, or an account
// whose right to add rows was taken away.
TEST_P(TEnvoiSmsTest, SansHistoriqueEcrivableRienNePart) {
    const auto refuse = [&](const char* cause, const TEssai& essai = {}) {
        try {
            Envoyer(essai);
            ADD_FAILURE() << "envoyé";
        } catch (const EErreurBase& e) {
            const QString texte = QString::fromUtf8(e.what());
            EXPECT_TRUE(texte.startsWith(QStringLiteral(
                "Erreur : le SMS n'a pas été envoyé, car l'historique ne peut pas être écrit : ")))
                << texte.toStdString();
            EXPECT_TRUE(texte.contains(QString::fromUtf8(cause))) << texte.toStdString();
        }
        EXPECT_TRUE(serveur.Requetes().empty());
        EXPECT_TRUE(affichages.isEmpty());
    };

    if (base.SurServeur()) {
        // A row: waits of one second here, instead of the program's few seconds. The
        // table's wait is the program's own: a day by default on the server.
        QSqlQuery(DataModuleAbs->Database())
            .exec(QStringLiteral("SET SESSION innodb_lock_wait_timeout = 1"));
        base.Executer(QStringLiteral("START TRANSACTION"));
        base.Valeur(QStringLiteral("SELECT * FROM Historique FOR UPDATE"));
        refuse("la base est utilisée par un autre poste");
        base.Executer(QStringLiteral("ROLLBACK"));
        base.Executer(QStringLiteral("LOCK TABLES Historique WRITE"));
        refuse("la base est utilisée par un autre poste");
        base.Executer(QStringLiteral("UNLOCK TABLES"));
        // Longer than the 191 characters the server keeps for an agency: refused, never cut.
        refuse("un texte est plus long que la base ne l'accepte", {.agence = QString(192, u'A')});

        const QString compte = base.CreerComptePoste();
        DataModuleAbs->FermerBase();
        DataModuleAbs->OuvrirBase();
        base.Executer(QStringLiteral("REVOKE INSERT ON %1.Historique FROM '%2'@'localhost'")
                          .arg(base.BaseServeur(), compte));
        refuse("le compte de ce poste n'a pas le droit d'écrire dans l'historique");
    } else {
        QProcess autre;
        autre.start(QStringLiteral("sqlite3"), {base.Chemin()});
        ASSERT_TRUE(autre.waitForStarted());
        autre.write("BEGIN EXCLUSIVE;\nSELECT 'pret';\n");
        ASSERT_TRUE(autre.waitForReadyRead(5000));
        refuse("la base est utilisée par un autre poste");
        autre.closeWriteChannel();
        ASSERT_TRUE(autre.waitForFinished());

        // The file changed under the running program, or no journal possible beside it.
        const QString chemin = base.Chemin(), ancien = chemin + QStringLiteral(".ancien");
        const QString change = QStringLiteral(
                                   "le fichier de base de données « %1 » a été "
                                   "supprimé, remplacé ou déplacé")
                                   .arg(QDir::toNativeSeparators(chemin));
        const QString journal =
            QStringLiteral("le journal de la base ne peut pas être créé dans le dossier « %1 »")
                .arg(QDir::toNativeSeparators(base.Dossier()));
        std::vector<std::tuple<const char*, std::function<void()>, QString>> fichier = {
            {"journal", [&] { QDir().mkdir(chemin + QStringLiteral("-journal")); }, journal},
        };
#ifdef Q_OS_WIN
        // Windows lets no other program delete, move or replace a file SQLite holds open.
        base.FermerOutils();
        EXPECT_FALSE(QFile::remove(chemin));
        EXPECT_FALSE(QFile::rename(chemin, ancien));
#else
        fichier.insert(fichier.begin(),
                       {{"supprimé", [&] { QFile::remove(chemin); }, change},
                        {"déplacé", [&] { QFile::rename(chemin, ancien); }, change},
                        {"remplacé",
                         [&] {
                             QFile::rename(chemin, ancien);
                             QFile::copy(ancien, chemin);
                         },
                         change}});
#endif
        for (const auto& [nom, faute, cause] : fichier) {
            SCOPED_TRACE(nom);
            DataModuleAbs->FermerBase();
            DataModuleAbs->OuvrirBase();
            faute();
            refuse(cause.toUtf8().constData());
            DataModuleAbs->FermerBase();
            QDir().rmdir(chemin + QStringLiteral("-journal"));
            QFile::remove(ancien);
            if (!QFile::exists(chemin)) CreerBase(chemin);
        }
    }
    EXPECT_EQ(NombreLignes(), 0);

    DataModuleAbs->FermerBase();
    refuse("n'est pas ouverte");
    if (base.SurServeur()) return;

    // A read-only disk (file and folder), then a full one.
    TMontage lectureSeule("1m");
    if (!lectureSeule.Monte()) GTEST_SKIP() << TMontage::raison;
    CreerBase(lectureSeule.Dossier() + QStringLiteral("/sms.abs"));
    ASSERT_TRUE(lectureSeule.LectureSeule());
    TDataModuleAbs moduleLecture(lectureSeule.Dossier());
    DataModuleAbs = &moduleLecture;
    moduleLecture.OuvrirBase();
    refuse("la base est en lecture seule");

    TMontage plein("256k");
    CreerBase(plein.Dossier() + QStringLiteral("/sms.abs"));
    {
        QFile remplissage(plein.Dossier() + QStringLiteral("/remplissage"));
        ASSERT_TRUE(remplissage.open(QIODevice::WriteOnly));
        while (remplissage.write(QByteArray(4096, 'x')) == 4096 && remplissage.flush()) {
        }
    }
    TDataModuleAbs modulePlein(plein.Dossier());
    DataModuleAbs = &modulePlein;
    modulePlein.OuvrirBase();
    refuse("le disque de la base est plein");
    DataModuleAbs = &base.Module();
}

// The row is written before the request leaves. A fault while the service holds the
// request leaves exactly that row: given its outcome when the base takes it after (a
// connection the server dropped is opened again, a row another workstation holds a moment
// is waited for, the right to add rows is not needed), else still "En cours" and a box
// says why.
TEST_P(TEnvoiSmsTest, UneFautePendantLaRequeteLaisseUneSeuleLigne) {
    struct TCas {
        const char* nom;
        std::function<void()> pendant, apres;
        const char* cause;  // nullptr: the outcome is written and nothing more is said
        QString table = QStringLiteral("Historique");  // where the row then is
    };
    std::unique_ptr<TAutrePoste> autrePoste;
    const QString compte = base.SurServeur() ? base.CreerComptePoste() : QString();
    const QString historique = base.BaseServeur() + QStringLiteral(".Historique");
    std::vector<TCas> cas;
    if (base.SurServeur()) {
        DataModuleAbs->FermerBase();
        DataModuleAbs->OuvrirBase();
        cas = {
            {"connexion coupée", [&] { base.CouperConnexion(); }, nullptr, nullptr},
            {"ligne tenue une seconde",
             [&] { autrePoste = std::make_unique<TAutrePoste>(base.BaseServeur()); },
             [&] {
                 ASSERT_TRUE(autrePoste);
                 EXPECT_EQ(autrePoste->Finir(), QString());
             },
             nullptr},
            {"droit d'ajouter retiré",
             [&] {
                 base.Executer(QStringLiteral("REVOKE INSERT ON %1 FROM '%2'@'localhost'")
                                   .arg(historique, compte));
             },
             [&] {
                 base.Executer(QStringLiteral("GRANT INSERT ON %1 TO '%2'@'localhost'")
                                   .arg(historique, compte));
             },
             nullptr},
        };
    }
    cas.push_back(
        {"table renommée",
         [&] { base.Executer(QStringLiteral("ALTER TABLE Historique RENAME TO Ancien")); },
         [&] { base.Executer(QStringLiteral("ALTER TABLE Ancien RENAME TO Historique")); },
         "Historique", QStringLiteral("Ancien")});
    // Last: the file stays where it went (the helpers' connection follows it there).
    // Windows lets no program move a file SQLite holds open (SansHistoriqueEcrivable...).
#ifndef Q_OS_WIN
    if (!base.SurServeur())
        cas.push_back({"fichier déplacé",
                       [&] { QFile::rename(base.Chemin(), base.Chemin() + ".ancien"); }, nullptr,
                       "a été supprimé, remplacé ou déplacé"});
#endif

    for (size_t i = 0; i < cas.size(); ++i) {
        const TCas& c = cas[i];
        SCOPED_TRACE(c.nom);
        serveur.PendantRequete(c.pendant);
        dialogues.demandes.clear();
        affichages.clear();
        const QString message = QStringLiteral("SMS %1").arg(i);
        EXPECT_EQ(Envoyer({.message = message}), Envoye);
        EXPECT_EQ(serveur.Requetes().size(), i + 1);
        EXPECT_EQ(affichages, QStringList{Envoye});
        const QString ligne = QStringLiteral(" FROM %1 WHERE message = '%2'").arg(c.table, message);
        EXPECT_EQ(base.Compter(QStringLiteral("SELECT count(*)") + ligne), 1);
        const QVariant etat = base.Valeur(QStringLiteral("SELECT etat") + ligne);
        const auto apres = DialoguesApresConfirmation();
        if (!c.cause) {
            EXPECT_EQ(etat, Envoye);
            EXPECT_TRUE(apres.empty()) << apres.front().texte.toStdString();
        } else {
            EXPECT_TRUE(etat.isNull()) << etat.toString().toStdString();
            ASSERT_EQ(apres.size(), 1u);
            EXPECT_TRUE(apres[0].texte.startsWith(
                QStringLiteral("Le SMS a été envoyé, mais son issue n'a pas pu être inscrite "
                               "dans l'historique, où il reste « En cours » : ")))
                << apres[0].texte.toStdString();
            EXPECT_TRUE(apres[0].texte.contains(QString::fromUtf8(c.cause)))
                << apres[0].texte.toStdString();
        }
        if (c.apres) c.apres();
    }
}

// A sending program ended while the service holds its request (a crash, a power cut,
// kill -9) leaves its row "En cours".
TEST_P(TEnvoiSmsTest, UnEnvoiTueLaisseSaLigneEnCours) {
    QProcess envoyeur;
    serveur.NePasRepondre();
    serveur.PendantRequete([&] { envoyeur.kill(); });
    envoyeur.start(QStringLiteral(PARLIVO_BIN_DIR "/parlivo-envoi-enfant"),
                   {base.Dossier(), serveur.Url("/envoi"), QStringLiteral("Interrompu")});
    ASSERT_TRUE(serveur.AttendreRequetes(1, 60000)) << envoyeur.readAllStandardError().data();
    ASSERT_TRUE(envoyeur.waitForFinished(10000));
    EXPECT_EQ(envoyeur.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(serveur.Requetes()[0].Parametre("text"), "Interrompu");
    ASSERT_EQ(NombreLignes(), 1);
    EXPECT_EQ(Colonne("message"), "Interrompu");
    EXPECT_EQ(Colonne("numero"), "0612345678");
    EXPECT_EQ(Colonne("agence"), "AG01");
    EXPECT_TRUE(Colonne("etat").isNull()) << Colonne("etat").toString().toStdString();
}

// What the service sends back is text of its own: its echo of the key is masked, in the
// box, the response and the row, and a long outcome is cut.
TEST_P(TEnvoiSmsTest, LaCleRenvoyeeEstMasqueeEtLEtatCoupe) {
    cle = QString::fromUtf8("Sk\\9\"xY12 é");
    serveur.Repondre(200, QString::fromUtf8("{\"resultat\":0,\"erreurs\":\"cle Sk\\\\9\\\"xY12 é "
                                            "Sk%5C9%22xY12%20%C3%A9 ")
                                  .toUtf8() +
                              QByteArray(3000, 'z') + "\"}");
    const std::optional<QString> etat = Envoyer({});
    ASSERT_TRUE(etat);
    EXPECT_TRUE(etat->startsWith(QStringLiteral("Erreur : \"cle **** **** zzz")))
        << etat->left(60).toStdString();
    EXPECT_EQ(etat->size(), 2000);
    EXPECT_EQ(Colonne("etat").toString(), *etat);
    EXPECT_EQ(affichages, QStringList{*etat});
}
