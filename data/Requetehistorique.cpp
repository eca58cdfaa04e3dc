#include "data/Requetehistorique.h"

#include <QDateTime>

TRequeteHistorique ConstruireRequeteHistorique(const TCriteresHistorique& c) {
    TRequeteHistorique r;
    QString prefixe = QStringLiteral(" WHERE ");
    r.lignes.append(QStringLiteral("SELECT * FROM Historique"));
    auto condition = [&](const QString& texte) {
        r.lignes.append(prefixe + texte);
        prefixe = QStringLiteral(" AND ");
    };
    auto texte = [&](const QString& nom, const QString& valeur) {
        r.parametres.emplace_back(nom, valeur);
    };
    // Whole days: from midnight itself to the last millisecond of the day. The bound is
    // the date and time as written, so it is built in UTC: a local time would cost a
    // time-zone lookup, and could be moved by a clock change at midnight.
    auto date = [&](const QString& colonne, const QString& nom, const std::optional<QDate>& jour,
                    const char* comparaison, const QTime& heure) {
        if (!jour) return;
        condition(colonne + QLatin1String(comparaison) + nom);
        r.parametres.emplace_back(nom, QDateTime(*jour, heure, Qt::UTC));
    };
    const QTime debutJour(0, 0, 0, 0);
    const QTime finJour(23, 59, 59, 999);

    if (!c.agence.isEmpty()) {
        condition(QStringLiteral("agence = :Agence "));
        texte(QStringLiteral("Agence"), c.agence);
    }
    if (!c.utilisateur.isEmpty()) {
        condition(QStringLiteral("utilisateur = :Utilisateur"));
        texte(QStringLiteral("Utilisateur"), c.utilisateur);
    }
    date(QStringLiteral("date_creation"), QStringLiteral("DateCreationDebut"), c.creationDebut,
         " >= :", debutJour);
    date(QStringLiteral("date_creation"), QStringLiteral("DateCreationFin"), c.creationFin,
         " <= :", finJour);
    if (!c.expediteur.isEmpty()) {
        condition(QStringLiteral("expediteur LIKE :Expediteur"));
        texte(QStringLiteral("Expediteur"), QLatin1Char('%') + c.expediteur + QLatin1Char('%'));
    }
    if (!c.destinataire.isEmpty()) {
        condition(QStringLiteral("destinataire LIKE :Destinataire"));
        texte(QStringLiteral("Destinataire"), QLatin1Char('%') + c.destinataire + QLatin1Char('%'));
    }
    date(QStringLiteral("date_envoi"), QStringLiteral("DateEnvoiDebut"), c.envoiDebut,
         " >= :", debutJour);
    date(QStringLiteral("date_envoi"), QStringLiteral("DateEnvoiFin"), c.envoiFin,
         " <= :", finJour);
    switch (c.etat) {
        case 1:
            condition(QStringLiteral("etat IS NULL"));
            break;
        case 2:
            condition(QStringLiteral("etat = 'Envoyé'"));
            break;
        case 3:
            condition(QStringLiteral("etat IS NOT NULL AND etat <> 'Envoyé'"));
            break;
        default:
            break;
    }
    return r;
}
