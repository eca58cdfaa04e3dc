#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <utility>
#include <vector>

// What the history search looks for: an empty text and an absent date are no criterion.
struct TCriteresHistorique {
    QString agence = {}, utilisateur = {};
    std::optional<QDate> creationDebut = {}, creationFin = {};
    QString expediteur = {}, destinataire = {};
    std::optional<QDate> envoiDebut = {}, envoiFin = {};
    int etat = 0;  // 0 every state, 1 "En cours", 2 "Envoyé", 3 "Erreur"

    bool operator==(const TCriteresHistorique&) const = default;
};

// The statement's lines and its parameters in the order bound: a QString for a text, a
// QDateTime for a date bound (from midnight itself to the last millisecond of the day).
struct TRequeteHistorique {
    QStringList lignes;
    std::vector<std::pair<QString, QVariant>> parametres;
};

TRequeteHistorique ConstruireRequeteHistorique(const TCriteresHistorique& criteres);
