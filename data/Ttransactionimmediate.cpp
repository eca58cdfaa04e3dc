#include "data/Ttransactionimmediate.h"

#include <QSqlError>
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
    if (!q.exec(QStringLiteral("COMMIT"))) {
        const EErreurBase erreur = ErreurMoteur(
            base, q.lastError(),
            QStringLiteral("Erreur : les modifications n'ont pas pu être validées : "));
        // A cluster node that loses the primary part during the COMMIT may already have
        // sent the changes to the others, which apply them once the cluster is whole again:
        // its refusal, like a lost connection, leaves the outcome to be read back.
        if (erreur.Genre() != TGenreErreur::ConnexionPerdue &&
            erreur.Genre() != TGenreErreur::NoeudNonPret)
            throw erreur;
        // Nothing is left to roll back on a connection that is gone.
        enCours = false;
        MoteurDe(nomConnexion).NoterTransaction(base, false);
        if (ValidationFaite(base)) return;
        throw erreur;
    }
    enCours = false;
    MoteurDe(nomConnexion).NoterTransaction(base, false);
}

void TTransactionImmediate::NoterInsertion(const QString& table, const QString& colonneId,
                                           qint64 id) {
    insertions.push_back({table, colonneId, id});
}

bool TTransactionImmediate::ValidationFaite(QSqlDatabase& base) {
    auto inconnue = [](const QString& cause, int code) {
        return EErreurBase(
            QStringLiteral("Erreur : la connexion à la base a été perdue pendant la validation "
                           "des modifications, et il n'a pas été possible de savoir si elles "
                           "ont été enregistrées ; vérifiez-le avant de recommencer : %1")
                .arg(cause),
            TGenreErreur::IssueInconnue, code);
    };
    try {
        MoteurDe(nomConnexion).Retablir(base);
    } catch (const EErreurBase& e) {
        throw inconnue(QString::fromUtf8(e.what()), e.Code());
    }
    if (insertions.empty()) return false;
    // All the rows or none: the first tells.
    const TInsertion& ligne = insertions.front();
    QSqlQuery q(base);
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = :Id")
                       .arg(ligne.table, ligne.colonneId)))
        throw inconnue(TexteMoteur(q.lastError()), q.lastError().nativeErrorCode().toInt());
    q.bindValue(QStringLiteral(":Id"), ligne.id);
    if (!q.exec() || !q.next())
        throw inconnue(TexteMoteur(q.lastError()), q.lastError().nativeErrorCode().toInt());
    return q.value(0).toLongLong() > 0;
}
