#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

// Raised for every failure of the database layer; the text is in French and carries
// the engine's own text after it.
class EErreurBase : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// One statement on the connection. The SQL text is a list of lines joined with line
// breaks, blanks kept; parameters are bound by name.
class TRequete {
  public:
    explicit TRequete(const QString& nomConnexion);

    QStringList SQL;
    QString Texte() const { return SQL.join(QLatin1Char('\n')); }

    void ParamEntier(const QString& nom, qint32 valeur);
    void ParamTexte(const QString& nom, const QString& valeur);  // a null text binds as ""
    // Bound as the text "yyyy-MM-dd hh:mm:ss.zzz"; an invalid QDateTime binds NULL.
    void ParamDate(const QString& nom, const QDateTime& valeur);

    // A statement that returns no rows; gives the number of rows affected.
    int ExecSQL();

    // A SELECT: open, walk, read fields by name (case-insensitive), close.
    void Ouvrir();
    bool Eof() const;
    void Suivant();
    // Counts the rows of the whole result, wherever the walk stands, then goes back to the
    // first row (the statement runs again).
    int NombreLignes();
    QSqlRecord Ligne() const;
    QVariant Champ(const QString& nom) const;
    void Fermer();

    // For a long result: walks it from the current row to the end, giving the named
    // columns of each row as UTF-8 bytes (a null view for NULL), valid until the next row,
    // then closes the query, also when the walk fails. On SQLite the rows come straight
    // from the engine's statement, without a QVariant per field; `colonneUnique` (an
    // integer column that tells the rows apart) checks that the statement stands on the
    // query's row before reading it so.
    using TLigneBrute = std::vector<QByteArrayView>;
    void ParcourirBrut(const std::vector<const char*>& colonnes, const char* colonneUnique,
                       const std::function<void(const TLigneBrute&)>& ligne);
    // Off: ParcourirBrut reads through QSqlQuery like every other reader (tests compare).
    static inline bool LectureDirecte = true;

    // The underlying query.
    QSqlQuery& Requete() { return requete; }

  private:
    void DefinirParametre(const QString& nom, const QVariant& valeur);
    void Preparer();
    void Avancer();
    int Relancer();
    QSqlQuery requete;
    int ligne = 0;  // rows read since the statement ran; 1 on the first row
    bool prepare = false;
    bool eof = true;
    std::vector<std::pair<QString, QVariant>> parametres;
};

// A table cursor: scans one table in the order of its selected index or field list.
class TCurseur {
  public:
    TCurseur(const QString& nomConnexion);

    QString TableName;
    QString IndexName;        // the design's index name: "ID", "OnlyOne"
    QString IndexFieldNames;  // replaces IndexName when set, e.g. "NOM"
    bool ReadOnly = false;

    QString NomConnexion() const { return nomConnexion; }
    bool Active() const { return actif; }
    void Ouvrir();  // checks that the table exists
    void Fermer();

    void AnnulerPlage();  // the program never sets a range; kept for the scanning steps
    void Premier();
    void Suivant();
    bool Eof() const;
    QSqlRecord Ligne() const;
    QVariant Champ(const QString& nom) const;

    // Select an ordering the way the opening steps do: the index "<Table>_<nom>" must exist.
    void SelectionnerIndex(const QString& nomIndex);
    // Order by a field list ("NOM", or "A;B"); replaces the index.
    void SelectionnerChamps(const QString& champs);

  private:
    QStringList ColonnesIndex(const QString& nomIndex) const;
    void Avancer();
    QString nomConnexion;
    QString indexColonnes;  // the index whose columns colonnesIndex holds
    QStringList colonnesIndex;
    bool actif = false;
    std::unique_ptr<QSqlQuery> parcours;
    bool eof = true;
};

// The data module: the one connection to sms.abs and the five table cursors.
class TDataModuleAbs {
  public:
    // dossier: the folder that holds sms.abs; empty means the executable's folder.
    // nomFichier: another file name, for the administration tool only.
    explicit TDataModuleAbs(const QString& dossier = QString(),
                            const QString& nomFichier = QStringLiteral("sms.abs"));
    ~TDataModuleAbs();
    TDataModuleAbs(const TDataModuleAbs&) = delete;
    TDataModuleAbs& operator=(const TDataModuleAbs&) = delete;

    static constexpr const char* NomBase = "databaseSMS";

    QSqlDatabase Database() const;
    // The connection's name in QSqlDatabase: "databaseSMS" for the first module.
    QString NomConnexion() const;
    QString CheminFichier() const;
    // "file:<percent-encoded path>?mode=rw": opening never creates the file.
    static QString NomUri(const QString& chemin);

    TCurseur tblHistorique;
    TCurseur tblConfigurationApi;
    TCurseur tblCategorie;
    TCurseur tblParametres;
    TCurseur tblTemplate;

    void OuvrirBase();
    void FermerBase();
    std::unique_ptr<TRequete> CreerRequete();
    qint32 ProchainId(TCurseur& table);

  private:
    void Connecter();
    QString dossier;
    QString nomFichier;
    QString nomConnexion;
};

// BEGIN IMMEDIATE ... COMMIT on the module's connection, so that another running copy
// waits instead of computing the same identifier or writing the same setting twice.
// Rolls back when left without Valider().
class TTransactionImmediate {
  public:
    explicit TTransactionImmediate(const QString& nomConnexion);
    ~TTransactionImmediate();
    TTransactionImmediate(const TTransactionImmediate&) = delete;
    TTransactionImmediate& operator=(const TTransactionImmediate&) = delete;
    void Valider();

  private:
    QString nomConnexion;
    bool enCours = false;
};

// The one global instance; set by start-up (and by tests).
extern TDataModuleAbs* DataModuleAbs;

// Date-times are stored as local-time text in this form.
inline constexpr const char* FormatDateBase = "yyyy-MM-dd hh:mm:ss.zzz";
// Day 0 of the date-time values: what a NULL date reads as.
QDateTime DateZero();
// NULL or empty reads as DateZero(); text in another form raises EErreurBase.
QDateTime LireDateBase(const QVariant& valeur);
// A field of a row by name, case-insensitively; raises EErreurBase when there is none.
QVariant ChampLigne(const QSqlRecord& ligne, const QString& nom);
