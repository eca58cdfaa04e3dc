#include "data/Connexionbase.h"

#include "data/EErreurBase.h"
#include "data/Moteur.h"

QSqlDatabase Connexion(const QString& nomConnexion) {
    return QSqlDatabase::database(nomConnexion, false);
}

void VerifierOuverte(const QSqlDatabase& base) {
    // A server may have dropped the connection since the last operation.
    if (TMoteur* moteur = ChercherMoteur(base.connectionName())) moteur->Retablir(base);
    if (!base.isValid() || !base.isOpen())
        throw EErreurBase("Erreur : la base de données n'est pas ouverte.");
}

EErreurBase ErreurMoteur(const QSqlDatabase& base, const QSqlError& erreur, const QString& debut) {
    const int code = erreur.nativeErrorCode().toInt();
    TMoteur* moteur = ChercherMoteur(base.connectionName());
    if (moteur)
        if (std::optional<EErreurBase> propre = moteur->Interpreter(base, erreur, debut))
            return *propre;
    return EErreurBase(debut + TexteMoteur(erreur),
                       moteur ? moteur->Genre(code) : TGenreErreur::Autre, code);
}

QString TexteMoteur(const QSqlError& erreur) {
    QString texte = erreur.text().trimmed();
    return texte.isEmpty() ? QStringLiteral("erreur inconnue") : texte;
}
