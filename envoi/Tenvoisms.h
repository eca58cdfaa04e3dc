#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "envoi/Tbalises.h"

class TConfigurationApi;
class TClientHttp;

// One send, from the moment the inputs are checked to the history row: the number is
// cleaned, the tags replaced, the URL built, the user asked to confirm, the row written,
// the request sent, the answer read and the row given the outcome. The window only checks its
// fields and shows the outcome, so the whole road of a message can run without it.
class TEnvoiSms {
  public:
    // What the user asks to send, as typed: the number before cleaning, the message
    // before its tags are replaced.
    struct TDemande {
        const TConfigurationApi& service;
        QString numero;
        QString message;
        QString expediteur;
        QDateTime dateEnvoi;
        QString agence;
        QString utilisateur;
    };

    // Owns the HTTP client, so that the cookies a service sets last as long as this object.
    TEnvoiSms();
    ~TEnvoiSms();
    TEnvoiSms(const TEnvoiSms&) = delete;
    TEnvoiSms& operator=(const TEnvoiSms&) = delete;

    // Time limit of the request in milliseconds (60000 by default).
    void DefinirDelai(int ms);
    // Run once the user has confirmed, right before the request goes: the window shows
    // that the send is under way.
    void DefinirDebutRequete(std::function<void()> debut) { debutRequete = std::move(debut); }

    // std::nullopt when the user did not press OK at the confirmation: nothing is sent
    // and nothing is written. Otherwise the history row is written, its state empty ("En
    // cours"), before the request leaves; when it cannot be, EErreurBase says why and
    // nothing is sent. After the answer the outcome text ("Envoyé" or "Erreur : ...") is
    // written into that same row and returned; when that write fails, a box says so and
    // the row stays "En cours". `afficherReponse` receives the outcome text before it is
    // written. Dialogs go through the dialog layer; the wait cursor shows meanwhile.
    std::optional<QString> Envoyer(const TDemande& demande, TBalises& balises,
                                   const std::function<void(const QString&)>& afficherReponse);

    // The URL of the last request sent (empty before the first one).
    QString DerniereUrl() const;

  private:
    std::unique_ptr<TClientHttp> client;
    std::function<void()> debutRequete;
    QString derniereUrl;
};
