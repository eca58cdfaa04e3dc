#pragma once

#include <QByteArrayView>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <exception>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "data/EErreurBase.h"
#include "data/Moteur.h"

// The MariaDB server's own ways, for a base named by connexion.ini (its driver over
// libmariadb is PiloteMariadb): the connection options and the session's settings, the check of the
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

// One server of the list in `Hote` (a cluster's nodes, or a single server).
struct TNoeudMariadb {
    QString hote;
    int port = 3306;
};

// Section [Serveur] of connexion.ini.
struct TServeurMariadb {
    QString fichier;  // where it was read, for the messages
    // `Hote`: "hôte" or "hôte:port" entries separated by commas, `Port` their default. The
    // connection goes to the first that answers and is ready, and moves on along the list
    // when that one is lost or stops being ready.
    QList<TNoeudMariadb> noeuds;
    qsizetype courant = 0;  // the node the connection is on, or tries first
    QString base;
    QString utilisateur;
    QString motDePasse;
    QString socket;       // a local socket instead of host and port
    QString autoriteTls;  // CA file: TLS required and the server's certificate verified
    // "hôte:port" of the current node, or the socket, as the messages name the server.
    QString Designation() const;
};

// Reads connexion.ini; raises EErreurBase naming the file, and the key when one is
// missing or wrong.
TServeurMariadb LireConnexionIni(const QString& chemin);

// Opens the connection (a TPiloteMariadb one, NomPiloteMariadb) on the server, sets the session as
// the program needs it and checks the tables' layout. With a list of nodes, each is tried in
// turn from `serveur.courant`, and one that is a cluster node not ready to serve (out of the
// cluster's primary part, or still joining) is passed over. Raises EErreurBase in French with
// the server's text after it, for each node tried; the connection is left closed on failure.
void OuvrirMariadb(QSqlDatabase& base, const TServeurMariadb& serveur);

bool EstMariadb(const QSqlDatabase& base);

// Before an operation: when the server has dropped the connection (restart, KILL,
// network), opens it again once. When the server reports a transaction the program did not
// open (a ROLLBACK that failed, a statement that began one), the connection is closed first,
// so that the server drops that transaction, and opened again: nothing ever runs inside a
// transaction the program does not know of. When a transaction was open on it, that transaction is
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

// Kept by TTransactionImmediate: whether the program opened a transaction on the
// connection, and is inside it.
void NoterTransactionMariadb(const QSqlDatabase& base, bool ouverte);
bool TransactionDuProgrammeMariadb(const QSqlDatabase& base);
// After a ROLLBACK that failed: the connection is closed at once, so that the server drops
// the transaction; the next operation opens it again.
void AbandonnerConnexionMariadb(const QSqlDatabase& base, const QString& cause);

// The statement that lists the columns of the index named :Nom of the table :Table, in
// key order.
QString RequeteColonnesIndexMariadb();

// Inside a transaction: a locking read of one setting's identity, for its test-then-write.
void VerrouillerParametreMariadb(const QSqlDatabase& base, const QString& agence,
                                 const QString& utilisateur, const QString& section,
                                 const QString& cle);

// The kind of a server's or libmariadb's error (its code, and for a few codes its text).
TGenreErreur GenreErreurMariadb(int code, const QString& texte = {});
// The error of a statement on the connection, in French after `debut`. A node that
// answers it is not ready gets its own sentence naming it, and the connection is moved to
// another node at the next operation.
EErreurBase ErreurMariadb(const QSqlDatabase& base, int code, const QString& texte,
                          const QString& debut);

// True for a deadlock or a lock wait (Occupee), and for a transaction lost with its
// connection or refused by a node not ready, when the connection is open again or will be
// opened again on another node at the next attempt: the transaction, which committed
// nothing, can be run again. False once no node could be reached.
bool ConflitDeVerrou(const std::exception& erreur, const QSqlDatabase& base);

// The server engine behind the data module's seam.
class TMoteurMariadb : public TMoteur {
  public:
    QString NomPilote() const override;
    void Ouvrir(QSqlDatabase& base, const QString& chemin) override;
    void Oublier(const QSqlDatabase& base) override;
    void Retablir(const QSqlDatabase& base) override;
    TGenreErreur Genre(int code) const override;
    std::optional<EErreurBase> Interpreter(const QSqlDatabase& base, const QSqlError& erreur,
                                           const QString& debut) override;
    QString InstructionDebut() const override;
    bool TransactionDuProgramme(const QSqlDatabase& base) const override;
    void NoterTransaction(const QSqlDatabase& base, bool ouverte) override;
    void RetourArriereEchoue(const QSqlDatabase& base, const QString& cause) override;
    bool Rejouable(const QSqlDatabase& base) const override;
    bool ConflitDeVerrou(const std::exception& erreur, const QSqlDatabase& base) const override;
    // AUTO_INCREMENT: unique across a cluster's nodes without a lock.
    bool IdentifiantsALInsertion() const override { return true; }
    void VerrouillerParametre(const QSqlDatabase& base, const QString& agence,
                              const QString& utilisateur, const QString& section,
                              const QString& cle) override;
    QString RequeteColonnesIndex() const override;
    bool ParcourirTexte(const QSqlDatabase& base, const QString& texte,
                        const std::vector<std::pair<QString, QVariant>>& parametres,
                        const std::vector<const char*>& colonnes,
                        const TRappelLigne& ligne) override;
    bool ParcourirRequete(const QSqlQuery& requete, const std::vector<const char*>& colonnes,
                          const char* colonneUnique, const TRappelLigne& ligne) override;
};
