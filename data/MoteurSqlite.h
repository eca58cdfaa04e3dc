#pragma once

#include <QByteArrayView>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <functional>
#include <vector>

#include "data/EErreurBase.h"
#include "data/Moteur.h"

// What is SQLite's own in the file engine, for what QtSql does not give: the wait for
// other running copies, whether a transaction is open, the kinds of its errors, and reading
// a long result straight from the engine's statement. (The server engine has its own
// units: MoteurMariadb, PiloteMariadb.)

// "file:<percent-encoded path>?mode=rw": opening never creates the file.
QString NomUriSqlite(const QString& chemin);

// The kind of an SQLite result code (primary or extended).
TGenreErreur GenreErreurSqlite(int code);

// Installs the wait for other copies on an open connection.
void RegleAttenteSqlite(const QSqlDatabase& base);

// True when the connection is inside a transaction (not in autocommit); false also when
// the driver is not SQLite's.
bool TransactionOuverteSqlite(const QSqlDatabase& base);

// For an error of a statement on an SQLite connection, the French sentence of a fault of
// the base's file that SQLite's extended code tells, naming the file or its folder: the
// file deleted, replaced or moved since it was opened (SQLITE_READONLY_DBMOVED), or its
// journal impossible to create beside it (SQLITE_CANTOPEN, SQLITE_READONLY_DIRECTORY, or
// an I/O error while something other than a file holds the journal's name). Empty for
// any other error, and on another driver.
QString CauseFichierSqlite(const QSqlDatabase& base, const QSqlError& erreur);

// Walks the rest of the result of an executed query from the row it stands on, giving
// the named columns of each row as UTF-8 bytes (a null view for NULL), straight from the
// engine's statement. Returns false, having read nothing, when that is not possible: the
// driver is not SQLite's, a column is missing, or the statement does not stand on the
// query's row (told by `colonneUnique`, an integer column that tells rows apart).
bool ParcourirBrutSqlite(const QSqlQuery& requete, const std::vector<const char*>& colonnes,
                         const char* colonneUnique,
                         const std::function<void(const std::vector<QByteArrayView>&)>& ligne);

// The file engine behind the data module's seam.
class TMoteurSqlite : public TMoteur {
  public:
    QString NomPilote() const override;
    void Ouvrir(QSqlDatabase& base, const QString& chemin) override;
    void Oublier(const QSqlDatabase&) override {}
    void Retablir(const QSqlDatabase&) override {}
    TGenreErreur Genre(int code) const override;
    std::optional<EErreurBase> Interpreter(const QSqlDatabase& base, const QSqlError& erreur,
                                           const QString& debut) override;
    QString InstructionDebut() const override;
    // The only transactions on the file are the program's: the engine's own state says it.
    bool TransactionDuProgramme(const QSqlDatabase& base) const override;
    void NoterTransaction(const QSqlDatabase&, bool) override {}
    bool IdentifiantsALInsertion() const override { return false; }
    void RetourArriereEchoue(const QSqlDatabase& base, const QString& cause) override;
    // The busy handler already waits for the other copies.
    bool Rejouable(const QSqlDatabase&) const override { return false; }
    bool ConflitDeVerrou(const std::exception&, const QSqlDatabase&) const override {
        return false;
    }
    // BEGIN IMMEDIATE holds the whole file.
    void VerrouillerParametre(const QSqlDatabase&, const QString&, const QString&, const QString&,
                              const QString&) override {}
    QString RequeteColonnesIndex() const override;
    bool ParcourirTexte(const QSqlDatabase&, const QString&,
                        const std::vector<std::pair<QString, QVariant>>&,
                        const std::vector<const char*>&, const TRappelLigne&) override {
        return false;
    }
    bool ParcourirRequete(const QSqlQuery& requete, const std::vector<const char*>& colonnes,
                          const char* colonneUnique, const TRappelLigne& ligne) override;
};
