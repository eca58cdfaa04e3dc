#include "data/Connexionbase.h"

#include "data/EErreurBase.h"
#include "data/MoteurMariadb.h"

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
