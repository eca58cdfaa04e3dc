#pragma once

#include <QByteArrayView>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "data/EErreurBase.h"

class QSqlError;
class QSqlQuery;

// How long a statement waits for another running copy to release the base.
inline constexpr int DelaiAttenteMs = 10000;

// What differs between the file (sms.abs, SQLite) and the server (MariaDB) is asked of
// the engine that serves the connection, chosen once by the data module when it creates
// the connection (connexion.ini beside the executable, or not). The queries, cursors,
// transactions, records and settings ask no other question about their engine.
class TMoteur {
  public:
    using TLigneBrute = std::vector<QByteArrayView>;
    using TRappelLigne = std::function<void(const TLigneBrute&)>;

    virtual ~TMoteur() = default;

    // The QtSql driver of the connection.
    virtual QString NomPilote() const = 0;
    // Opens the connection on `chemin`: sms.abs, or the connexion.ini naming the server.
    // Raises EErreurBase in French naming the file or the server; the connection is left
    // closed on failure.
    virtual void Ouvrir(QSqlDatabase& base, const QString& chemin) = 0;
    // The connection is closed on purpose: nothing is opened again behind the program.
    virtual void Oublier(const QSqlDatabase& base) = 0;
    // Before an operation: a connection the engine lost is opened again when it can be.
    virtual void Retablir(const QSqlDatabase& base) = 0;
    // The kind of the engine's error code.
    virtual TGenreErreur Genre(int code) const = 0;
    // The error of a statement, when the engine words it itself: a fault of the base's file
    // (a sentence naming the file or its folder), a cluster node not ready (naming the node).
    // Empty for the others, which read `debut` then the engine's text.
    virtual std::optional<EErreurBase> Interpreter(const QSqlDatabase&, const QSqlError&,
                                                   const QString& /*debut*/) {
        return std::nullopt;
    }

    // The statement that begins the program's write transactions.
    virtual QString InstructionDebut() const = 0;
    // Whether the program is inside a transaction it opened on the connection.
    virtual bool TransactionDuProgramme(const QSqlDatabase& base) const = 0;
    virtual void NoterTransaction(const QSqlDatabase& base, bool ouverte) = 0;
    // After a ROLLBACK that failed: the engine must not keep that transaction for the next
    // operation.
    virtual void RetourArriereEchoue(const QSqlDatabase& base, const QString& cause) = 0;
    // Whether a transaction that met another workstation's (a deadlock, a lock wait, a lost
    // connection) may be run again; `erreur` is what ended it.
    virtual bool Rejouable(const QSqlDatabase& base) const = 0;
    virtual bool ConflitDeVerrou(const std::exception& erreur, const QSqlDatabase& base) const = 0;

    // Whether the engine gives new rows their ids itself at the INSERT (a null id bound);
    // otherwise the data module computes them (ProchainId).
    virtual bool IdentifiantsALInsertion() const = 0;
    // Inside a transaction: the reservation that keeps a setting unique across running
    // copies, beyond what the transaction itself holds.
    virtual void VerrouillerParametre(const QSqlDatabase& base, const QString& agence,
                                      const QString& utilisateur, const QString& section,
                                      const QString& cle) = 0;

    // The statement that lists the columns of the index named :Nom of the table :Table, in
    // key order.
    virtual QString RequeteColonnesIndex() const = 0;

    // A long SELECT read as the engine gives it, the named columns of each row as UTF-8
    // (a null view for NULL). ParcourirTexte sends the statement itself; ParcourirRequete
    // goes on from the row an executed query stands on (`colonneUnique` tells the rows
    // apart). Each returns false, having read nothing, when the engine cannot.
    virtual bool ParcourirTexte(const QSqlDatabase& base, const QString& texte,
                                const std::vector<std::pair<QString, QVariant>>& parametres,
                                const std::vector<const char*>& colonnes,
                                const TRappelLigne& ligne) = 0;
    virtual bool ParcourirRequete(const QSqlQuery& requete,
                                  const std::vector<const char*>& colonnes,
                                  const char* colonneUnique, const TRappelLigne& ligne) = 0;
};

// The engine of the connection of that name, given by the data module that created it.
// Raises EErreurBase when none was given (the connection is not the data module's).
TMoteur& MoteurDe(const QString& nomConnexion);
// The same, or nullptr for a connection of the tools' own.
TMoteur* ChercherMoteur(const QString& nomConnexion);
void AttacherMoteur(const QString& nomConnexion, std::shared_ptr<TMoteur> moteur);
void DetacherMoteur(const QString& nomConnexion);

// A transaction that met another workstation's is run at least this many times, and again
// until about this long has passed since the first attempt, before the conflict reaches the
// user: on a cluster, commits refused for another node's write come quickly and in bursts.
inline constexpr int EssaisSurConflit = 3;
inline constexpr qint64 DureeEssaisSurConflitMs = 2000;
// Waits a random while, longer at each attempt, before the next one.
void AttendreAvantNouvelEssai(int essai);
// The error given to the user after the last attempt.
[[noreturn]] void ConflitPersistant(const std::exception& erreur);

// Runs `travail` (which opens and commits its own transaction) again when another
// workstation's ended it, as far as the engine allows; inside a caller's transaction, or
// on sms.abs, it runs once.
template <class F>
auto RejouerSurConflit(const QString& nomConnexion, F&& travail) -> decltype(travail()) {
    TMoteur& moteur = MoteurDe(nomConnexion);
    const QSqlDatabase base = QSqlDatabase::database(nomConnexion, false);
    if (!moteur.Rejouable(base)) return travail();
    QElapsedTimer depuis;
    depuis.start();
    for (int essai = 1;; ++essai) {
        try {
            return travail();
        } catch (const std::exception& e) {
            if (!moteur.ConflitDeVerrou(e, base)) throw;
            if (essai >= EssaisSurConflit && depuis.elapsed() >= DureeEssaisSurConflitMs)
                ConflitPersistant(e);
        }
        AttendreAvantNouvelEssai(essai);
    }
}
