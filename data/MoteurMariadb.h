#pragma once

#include <QByteArrayView>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <exception>
#include <functional>
#include <utility>
#include <vector>

// The only unit that knows the MariaDB server's own ways, for a base named by
// connexion.ini: the connection options and the session's settings, the check of the
// server's layout, the locking reads that keep identifiers and settings unique across
// workstations, and the retries after a deadlock or a lock wait. Every statement of the
// records is the same portable SQL on both engines.

// The file beside the executable that sends the program to a server instead of sms.abs.
inline constexpr const char* NomFichierConnexion = "connexion.ini";
// Seconds allowed to reach the server, and to wait for a row another workstation holds.
inline constexpr int DelaiConnexionServeurS = 5;
inline constexpr int DelaiVerrouServeurS = 3;
// Seconds a server that accepted a statement may stay silent before the connection is
// given up (a server frozen, or the network gone, would otherwise hang the window).
inline constexpr int DelaiReponseServeurS = 20;

// Section [Serveur] of connexion.ini.
struct TServeurMariadb {
    QString fichier;  // where it was read, for the messages
    QString hote;
    int port = 3306;
    QString base;
    QString utilisateur;
    QString motDePasse;
    QString socket;       // a local socket instead of host and port
    QString autoriteTls;  // CA file: TLS required and the server's certificate verified
    // "hôte:port" or the socket, as the messages name the server.
    QString Designation() const;
};

// Reads connexion.ini; raises EErreurBase naming the file, and the key when one is
// missing or wrong.
TServeurMariadb LireConnexionIni(const QString& chemin);

// Opens the connection (a QMYSQL one) on the server, sets the session as the program
// needs it and checks the tables' layout. Raises EErreurBase in French with the server's
// text after it; the connection is left closed on failure.
void OuvrirMariadb(QSqlDatabase& base, const TServeurMariadb& serveur);

bool EstMariadb(const QSqlDatabase& base);

// The error's text; for the server's errors, its UTF-8 text that Qt's driver reads as
// Latin-1 ("refusÃ©e") is read again as UTF-8.
QString TexteErreurMariadb(const QSqlError& erreur);

// Before an operation: when the server has dropped the connection (restart, KILL,
// network), opens it again once. When a transaction was open on it, that transaction is
// lost: the connection is opened again and EErreurBase says so (RejouerSurConflit then
// runs the whole transaction again). Raises EErreurBase naming the server when it cannot
// be reached; the connection is then closed and tried again at the next operation.
void RetablirConnexionMariadb(const QSqlDatabase& base);
// The connection is closed on purpose: the next operation must not open it again.
void OublierConnexionMariadb(const QSqlDatabase& base);
// A SELECT with a long result, through the connection's own client library: the
// statement is sent as text, its parameters (":Nom" outside quoted text, a name without a
// value reads NULL) written in as literals escaped for the connection, and the rows are
// read as the server sends them, without the driver's copy of the whole result nor a
// QVariant per field. Gives the named columns (case-insensitive) of each row as UTF-8
// bytes, a null view for NULL, valid until the next row. Returns false, having sent
// nothing, when the connection is not a server's. A connection the server has dropped is
// opened again once, as RetablirConnexionMariadb does, and the statement sent again.
// Raises EErreurBase in French with the server's text (statement refused, column missing,
// read broken off); the connection is ready for the next statement however the walk ends.
bool ParcourirBrutMariadb(const QSqlDatabase& base, const QString& texte,
                          const std::vector<std::pair<QString, QVariant>>& parametres,
                          const std::vector<const char*>& colonnes,
                          const std::function<void(const std::vector<QByteArrayView>&)>& ligne);

// Kept by TTransactionImmediate: whether the connection is inside its transaction.
void NoterTransactionMariadb(const QSqlDatabase& base, bool ouverte);
bool TransactionOuverteMariadb(const QSqlDatabase& base);

// The statement that lists the columns of the index named :Nom of the table :Table, in
// key order.
QString RequeteColonnesIndexMariadb();

// Inside a transaction: a locking read of the table's identifiers, so that another
// workstation computing the next identifier waits until this one has committed.
void VerrouillerIdentifiantsMariadb(const QSqlDatabase& base, const QString& table);
// Inside a transaction: a locking read of one setting's identity, for its test-then-write.
void VerrouillerParametreMariadb(const QSqlDatabase& base, const QString& agence,
                                 const QString& utilisateur, const QString& section,
                                 const QString& cle);

// True for the server's "deadlock" and "lock wait timeout" errors, and for a transaction
// lost with its connection (the next attempt opens the connection again): the
// transaction can be run again.
bool ConflitDeVerrou(const std::exception& erreur);
// How many times a transaction is run at most before the conflict reaches the user.
inline constexpr int EssaisSurConflit = 3;
// Waits a little, longer at each attempt, before the next one.
void AttendreAvantNouvelEssai(int essai);
// The error given to the user after the last attempt.
[[noreturn]] void ConflitPersistant(const std::exception& erreur);

// Runs `travail` (which opens and commits its own transaction) again when the server
// ends it with a deadlock or a lock wait, on a connection that is not already inside a
// transaction; on sms.abs, or inside a caller's transaction, it runs once.
template <class F>
auto RejouerSurConflit(const QString& nomConnexion, F&& travail) -> decltype(travail()) {
    const QSqlDatabase base = QSqlDatabase::database(nomConnexion, false);
    if (!EstMariadb(base) || TransactionOuverteMariadb(base)) return travail();
    for (int essai = 1;; ++essai) {
        try {
            return travail();
        } catch (const std::exception& e) {
            if (!ConflitDeVerrou(e)) throw;
            if (essai >= EssaisSurConflit) ConflitPersistant(e);
        }
        AttendreAvantNouvelEssai(essai);
    }
}
