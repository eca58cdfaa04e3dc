#include "data/Ttransactionimmediate.h"

#include <QSqlQuery>

#include "data/Connexionbase.h"
#include "data/EErreurBase.h"
#include "data/MoteurMariadb.h"
#include "data/MoteurSqlite.h"

TTransactionImmediate::TTransactionImmediate(const QString& nomConnexion)
    : nomConnexion(nomConnexion) {
    QSqlDatabase base = Connexion(nomConnexion);
    VerifierOuverte(base);
    // Inside a caller's transaction, this one is part of it.
    const bool serveur = EstMariadb(base);
    if (serveur ? TransactionOuverteMariadb(base) : TransactionOuverteSqlite(base)) return;
    QSqlQuery q(base);
    // A plain BEGIN would take the write lock only at the first write, and fail at once
    // under contention; IMMEDIATE waits for it on the busy timeout. On the server, the
    // rows are reserved by the locking reads made inside the transaction.
    if (!q.exec(serveur ? QStringLiteral("START TRANSACTION") : QStringLiteral("BEGIN IMMEDIATE")))
        LeverErreurRequete(
            base,
            QStringLiteral("Erreur : la base de données n'a pas pu être réservée en écriture : %1"),
            q.lastError());
    enCours = true;
    NoterTransactionMariadb(base, true);
}

TTransactionImmediate::~TTransactionImmediate() {
    if (!enCours) return;
    QSqlDatabase base = Connexion(nomConnexion);
    if (!base.isOpen()) return;
    NoterTransactionMariadb(base, false);
    QSqlQuery q(base);
    q.exec(QStringLiteral("ROLLBACK"));
}

void TTransactionImmediate::Valider() {
    if (!enCours) return;
    QSqlDatabase base = Connexion(nomConnexion);
    VerifierOuverte(base);
    QSqlQuery q(base);
    if (!q.exec(QStringLiteral("COMMIT")))
        LeverErreurRequete(
            base, QStringLiteral("Erreur : les modifications n'ont pas pu être validées : %1"),
            q.lastError());
    enCours = false;
    NoterTransactionMariadb(base, false);
}
