#include "data/Connexionbase.h"

#include "data/EErreurBase.h"
#include "data/MoteurMariadb.h"
#include "data/MoteurSqlite.h"

QSqlDatabase Connexion(const QString& nomConnexion) {
    return QSqlDatabase::database(nomConnexion, false);
}

void VerifierOuverte(const QSqlDatabase& base) {
    // A server may have dropped the connection since the last operation.
    RetablirConnexionMariadb(base);
    if (!base.isValid() || !base.isOpen())
        throw EErreurBase("Erreur : la base de données n'est pas ouverte.");
}

QString TexteMoteur(const QSqlError& erreur) {
    QString texte = TexteErreurMariadb(erreur).trimmed();
    return texte.isEmpty() ? QStringLiteral("erreur inconnue") : texte;
}

void LeverErreurRequete(const QSqlDatabase& base, const QString& modele, const QSqlError& erreur) {
    const QString cause = CauseFichierSqlite(base, erreur);
    if (!cause.isEmpty())
        throw EErreurFichierBase(
            QStringLiteral("Erreur : %1 (%2)").arg(cause, TexteMoteur(erreur)));
    throw EErreurBase(modele.arg(TexteMoteur(erreur)));
}
