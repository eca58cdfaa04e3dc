#pragma once

// A real sms.abs in a temporary folder, with the global data module pointed at it.
//
//   TBaseTest base;                       // creates <tmp>/sms.abs from schema.sql and sets
//                                         // DataModuleAbs (database still closed, as at start-up)
//   base.AjouterCategorie(1, "Relances");
//   int id = base.AjouterService("Service A");   // other columns have defaults
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
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>

class TDataModuleAbs;

class TBaseTest {
  public:
    // creer false: the folder and the data module exist, but not sms.abs (to test a
    // missing file).
    explicit TBaseTest(bool creer = true);
    ~TBaseTest();
    TBaseTest(const TBaseTest&) = delete;
    TBaseTest& operator=(const TBaseTest&) = delete;

    QString Dossier() const;  // the folder that holds sms.abs
    QString Chemin() const;   // Dossier() + "/sms.abs"
    TDataModuleAbs& Module() { return *module; }

    // Returns the new service's id (largest id + 1).
    int AjouterService(const QString& nom,
                       const QString& url = QStringLiteral("http://127.0.0.1/envoi"),
                       const QString& cle = QStringLiteral("CLE"),
                       const QString& cle_api = QStringLiteral("key"),
                       const QString& numero = QStringLiteral("to"),
                       const QString& message = QStringLiteral("text"),
                       const QString& expediteur = QStringLiteral("from"),
                       const QString& date_envoi = QStringLiteral("date"),
                       const QString& format_date = QStringLiteral("yyyy-mm-dd hh:nn:ss"),
                       const QString& statut_ok = QStringLiteral("OK"));
    void AjouterCategorie(int id, const QString& nom, bool interne = false);
    void AjouterTemplate(int id, const QString& agence, const QString& utilisateur,
                         int id_categorie, const QString& nom, const QString& texte);
    // The value goes into the column of its type ("INTEGER" -> valeur_int, "STRING" ->
    // valeur_string as text, ...).
    void AjouterParametreEntier(const QString& agence, const QString& utilisateur,
                                const QString& section, const QString& cle, qint64 valeur,
                                const QString& type = QStringLiteral("INTEGER"));
    // Dates: a QDateTime is written "yyyy-MM-dd hh:mm:ss.zzz", a QString as it is, a null
    // QVariant() as NULL. etat: a null QVariant() writes NULL. Returns the new id.
    qint64 AjouterHistorique(const QString& agence, const QString& utilisateur,
                             const QVariant& date_creation, const QString& expediteur,
                             const QString& destinataire, const QString& numero,
                             const QString& message, const QVariant& date_envoi,
                             const QVariant& etat);

    // First column of the first row, as an integer (0 when there is no row).
    int Compter(const QString& sql);
    // First column of the first row (invalid QVariant when there is no row).
    QVariant Valeur(const QString& sql);
    // Any statement, e.g. "DROP TABLE Template" to damage the file on purpose.
    void Executer(const QString& sql);

  private:
    QVariant Ecrire(const QString& sql, const QVariantList& valeurs, bool lireId);
    QString ConnexionOutils();

    QTemporaryDir dossier;
    std::unique_ptr<TDataModuleAbs> module;
    TDataModuleAbs* precedent = nullptr;
    QString nomOutils;
};
