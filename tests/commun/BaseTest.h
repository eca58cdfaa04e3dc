#pragma once

// A real sms.abs in a temporary folder, with the global data module pointed at it.
//
//   TBaseTest base;                       // creates <tmp>/sms.abs from schema.sql and sets
//                                         // DataModuleAbs (database still closed, as at start-up)
//   base.AjouterCategorie(1, "Relances");
//   int id = base.AjouterService("Service A");   // other columns have defaults
//   base.AjouterService({.nom = "B", .url = serveur.Url("/envoi")});
//   base.AjouterTemplate({.id = 1, .id_categorie = 1, .nom = "Rappel", .texte = "..."});
//   base.AjouterParametreEntier("", "", "CONFIG", "BloquerCreation", 1);
//   DataModuleAbs->OuvrirBase();          // or let the window under test do it
//   ... exercise the code ...
//   EXPECT_EQ(base.Compter("SELECT count(*) FROM Template WHERE id_categorie = 1"), 2);
//
// The helpers write with plain SQL on a connection of their own, so they neither see nor
// disturb the data module's connection, cursors or transactions. Every helper raises
// std::runtime_error with the engine's text when its statement fails.
// When the object dies, DataModuleAbs goes back to what it was (nullptr) and the folder
// is removed. Build at most one TBaseTest at a time per test.

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>

class TDataModuleAbs;

// Which engine a test runs on: sms.abs in the folder, or a fresh base on the private
// MariaDB server that scripts/test starts (see TAccesServeur; or a TServeurPrive's), named
// by a connexion.ini in the folder. Tests of both use TTestDeuxMoteurs (MoteurTest.h).
enum class TMoteurTest { Fichier, Serveur };

// The way to a MariaDB server of the tests, as root without a password: its local socket,
// or a port on 127.0.0.1. The Windows build of the tests takes the second way to the Linux
// server, which scripts/windows-test starts on TCP: a Windows program opens no Unix socket.
struct TAccesServeur {
    QString socket;
    quint16 port = 0;

    // The shared server of scripts/test (PARLIVO_TEST_SOCKET) or of scripts/windows-test
    // (PARLIVO_TEST_PORT); raises std::runtime_error saying how to start one when neither is
    // set.
    static TAccesServeur Partage();
    // Sets the socket, or the host and port, on a connection (its other options are lost).
    void Appliquer(QSqlDatabase& base) const;
    // The lines of connexion.ini's [Serveur] section that name it ("Socket=" or "Hote=",
    // "Port=").
    QString LignesIni() const;
    // The socket, or "127.0.0.1:port".
    QString Texte() const;
};

class TBaseTest {
  public:
    // creer false: the folder and the data module exist, but not sms.abs (to test a
    // missing file).
    // On the server, creer false leaves the base without tables; `socket` names another
    // server than the shared one.
    explicit TBaseTest(bool creer = true, TMoteurTest moteur = TMoteurTest::Fichier,
                       const QString& socket = QString());
    ~TBaseTest();
    TBaseTest(const TBaseTest&) = delete;
    TBaseTest& operator=(const TBaseTest&) = delete;

    QString Dossier() const;  // the folder that holds sms.abs
    QString Chemin() const;   // Dossier() + "/sms.abs"
    TDataModuleAbs& Module() { return *module; }
    bool SurServeur() const { return !nomBaseServeur.isEmpty(); }
    // The server's base name.
    QString BaseServeur() const { return nomBaseServeur; }

    struct TService {
        QString nom = {};
        QString url = QStringLiteral("http://127.0.0.1/envoi");
        QString cle = QStringLiteral("CLE");
        QString cle_api = QStringLiteral("key");
        QString numero = QStringLiteral("to");
        QString message = QStringLiteral("text");
        QString expediteur = QStringLiteral("from");
        QString date_envoi = QStringLiteral("date");
        QString format_date = QStringLiteral("yyyy-mm-dd hh:nn:ss");
        QString statut_ok = QStringLiteral("OK");
    };
    // Returns the new service's id (largest id + 1).
    int AjouterService(const TService& service);
    int AjouterService(const QString& nom) { return AjouterService(TService{.nom = nom}); }
    void AjouterCategorie(int id, const QString& nom, bool interne = false);
    struct TModele {
        int id = 0;
        QString agence = QStringLiteral("");
        QString utilisateur = QStringLiteral("");
        int id_categorie = 0;
        QString nom = {}, texte = {};
    };
    void AjouterTemplate(const TModele& modele);
    // The value goes into the column of its type ("INTEGER" -> valeur_int, "STRING" ->
    // valeur_string as text, ...).
    void AjouterParametreEntier(const QString& agence, const QString& utilisateur,
                                const QString& section, const QString& cle, qint64 valeur,
                                const QString& type = QStringLiteral("INTEGER"));
    // Dates: a QDateTime is written "yyyy-MM-dd hh:mm:ss.zzz", a QString as it is, a null
    // QVariant() as NULL. etat: a null QVariant() writes NULL.
    struct TLigneHistorique {
        QString agence = {}, utilisateur = {};
        QVariant date_creation = {};
        QString expediteur = {}, destinataire = {}, numero = {}, message = {};
        QVariant date_envoi = {}, etat = {};
    };
    // Returns the new id.
    qint64 AjouterHistorique(const TLigneHistorique& ligne);

    // First column of the first row, as an integer (0 when there is no row).
    int Compter(const QString& sql);
    // First column of the first row (invalid QVariant when there is no row); a text as a
    // QString on both engines.
    QVariant Valeur(const QString& sql);
    // Any statement, e.g. "DROP TABLE Template" to damage the file on purpose.
    void Executer(const QString& sql);
    // Closes the test's own connection (the next call opens it again): Windows deletes or
    // moves no file that a connection holds open.
    void FermerOutils();

    // Server only. A workstation account with what the program needs and no more (SELECT,
    // INSERT, UPDATE on the five tables), dropped with the base; connexion.ini then names
    // it with this password (the next OuvrirBase uses it). Returns the account's name.
    QString CreerComptePoste(const QString& motDePasse = QStringLiteral("mdp"));
    // Server only: connexion.ini naming this account on the private server and base.
    void EcrireConnexion(const QString& utilisateur, const QString& motDePasse = {},
                         const QString& base = {});
    // Server only: the server drops the data module's open connection (KILL), as a restart
    // or a cut network does; returns its id once it is gone.
    qint64 CouperConnexion();

  private:
    QVariant Ecrire(const QString& sql, const QVariantList& valeurs, bool lireId);
    QString ConnexionOutils();

    QTemporaryDir dossier;
    std::unique_ptr<TDataModuleAbs> module;
    TDataModuleAbs* precedent = nullptr;
    QString nomOutils;
    QString nomBaseServeur;
    QString comptePoste;
    TAccesServeur accesServeur;
};

// A MariaDB server of the test's own (scripts/serveur-test in a temporary folder), for the
// tests that stop it or need it on TCP with TLS; stopped when the object dies. Raises
// std::runtime_error with the script's output when it cannot start.
class TServeurPrive {
  public:
    // portTls: also on 127.0.0.1:portTls with TLS, its authority in Fichier("tls/ca.pem").
    explicit TServeurPrive(quint16 portTls = 0);
    ~TServeurPrive();
    TServeurPrive(const TServeurPrive&) = delete;
    TServeurPrive& operator=(const TServeurPrive&) = delete;

    QString Socket() const;
    QString Fichier(const QString& nom) const;
    // An open root connection on its socket, outside any base (USE chooses one).
    QSqlDatabase Racine() const;
    void Arreter();
    void Demarrer();        // again, with the same data
    void Figer(bool fige);  // freezes it (SIGSTOP), or wakes it (SIGCONT)

  private:
    void Script(const QStringList& arguments);
    QTemporaryDir dossier;
    quint16 portTls;
};
