#include "data/Ttransactionimmediate.h"

#include <QSqlQuery>

#include "data/Connexionbase.h"
#include "data/EErreurBase.h"
#include "data/Moteur.h"

TTransactionImmediate::TTransactionImmediate(const QString& nomConnexion)
    : nomConnexion(nomConnexion) {
    QSqlDatabase base = Connexion(nomConnexion);
    VerifierOuverte(base);
    TMoteur& moteur = MoteurDe(nomConnexion);
    // Inside a caller's transaction, this one is part of it.
    if (moteur.TransactionDuProgramme(base)) return;
    QSqlQuery q(base);
    if (!q.exec(moteur.InstructionDebut()))
        throw ErreurMoteur(
            base, q.lastError(),
            QStringLiteral("Erreur : la base de données n'a pas pu être réservée en écriture : "));
    enCours = true;
    moteur.NoterTransaction(base, true);
}

TTransactionImmediate::~TTransactionImmediate() {
    if (!enCours) return;
    QSqlDatabase base = Connexion(nomConnexion);
    if (!base.isOpen()) return;
    TMoteur& moteur = MoteurDe(nomConnexion);
    moteur.NoterTransaction(base, false);
    QSqlQuery q(base);
    // A transaction the engine may still hold is never joined by a later operation.
    if (!q.exec(QStringLiteral("ROLLBACK")))
        moteur.RetourArriereEchoue(base, TexteMoteur(q.lastError()));
}

void TTransactionImmediate::Valider() {
    if (!enCours) return;
    QSqlDatabase base = Connexion(nomConnexion);
    VerifierOuverte(base);
    QSqlQuery q(base);
    if (!q.exec(QStringLiteral("COMMIT")))
        throw ErreurMoteur(
            base, q.lastError(),
            QStringLiteral("Erreur : les modifications n'ont pas pu être validées : "));
    enCours = false;
    MoteurDe(nomConnexion).NoterTransaction(base, false);
}
