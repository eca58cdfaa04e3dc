#include "envoi/UrlEnvoi.h"

#include "data/Tconfigurationapi.h"
#include "platform/EncodageRequete.h"
#include "platform/FormatDateTime.h"

QString NettoyerNumero(const QString& numero) {
    QString resultat = numero;
    resultat.remove(QLatin1Char(' '));
    resultat.remove(QLatin1Char('.'));
    resultat.remove(QLatin1Char('-'));
    return resultat;
}

QString ConstruireUrlEnvoi(const TConfigurationApi& service, const QString& numero,
                           const QString& message, const QString& expediteur,
                           const QDateTime& dateEnvoi) {
    const auto piece = [](const QString& nom, const QString& valeur) {
        return EncoderStructure(nom) + QLatin1Char('=') + EncoderValeur(valeur);
    };
    QString url = EncoderStructure(service.url()) + QLatin1Char('?');
    url += piece(service.cle_api(), service.cle());
    url += QLatin1Char('&') + piece(service.numero(), numero);
    url += QLatin1Char('&') + piece(service.message(), message);
    if (!expediteur.isEmpty()) url += QLatin1Char('&') + piece(service.expediteur(), expediteur);
    const QString date = FormatDateTime(service.format_date(), dateEnvoi);
    if (!date.isEmpty()) url += QLatin1Char('&') + piece(service.date_envoi(), date);
    return url;
}
