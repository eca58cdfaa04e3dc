#include "envoi/Tenvoisms.h"

#include <exception>

#include "data/Tconfigurationapi.h"
#include "data/Thistorique.h"
#include "envoi/RemplacerBalises.h"
#include "envoi/ReponseService.h"
#include "envoi/UrlEnvoi.h"
#include "platform/ClientHttp.h"
#include "platform/Dialogues.h"
#include "platform/JournalSysteme.h"
#include "platform/Sablier.h"

namespace {

// The headers every send sets on the client.
const TEntetesHttp EntetesEnvoi = {
    {"User-Agent", "Mozilla/5.0 (Windows NT 6.1; WOW64; rv:12.0) Gecko/20100101 Firefox/12.0"},
    {"Content-Type", "application/json"},
    {"Accept", "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"},
};

}  // namespace

TEnvoiSms::TEnvoiSms() : client(std::make_unique<TClientHttp>()) {}

TEnvoiSms::~TEnvoiSms() = default;

void TEnvoiSms::DefinirDelai(int ms) { client->DefinirDelai(ms); }

QString TEnvoiSms::DerniereUrl() const { return derniereUrl; }

std::optional<QString> TEnvoiSms::Envoyer(
    const TDemande& demande, TBalises& balises,
    const std::function<void(const QString&)>& afficherReponse) {
    const QString numero = NettoyerNumero(demande.numero);
    const QString message = RemplacerBalises(demande.message, balises);
    const QString url =
        ConstruireUrlEnvoi(demande.service, numero, message, demande.expediteur, demande.dateEnvoi);

    if (MessageDlg(QStringLiteral("Confirmer l'envoi du message : ") + QLatin1Char('\n') + message,
                   TTypeDialogue::Confirmation, mbOKCancel) != TResultatDialogue::mrOK) {
        return std::nullopt;
    }

    if (debutRequete) debutRequete();
    QString etat;
    try {
        derniereUrl = url;
        QString corps;
        {
            TSablier sablier;
            corps = client->Get(url, EntetesEnvoi);
        }
        const TReponseService reponse = InterpreterReponse(corps);
        if (reponse.dialogue) MessageDlg(*reponse.dialogue, TTypeDialogue::Erreur, mbOK);
        etat = reponse.etat;
    } catch (const std::exception& e) {
        etat = QStringLiteral("Erreur : ") + QString::fromUtf8(e.what());
        MessageDlg(etat, TTypeDialogue::Erreur, mbOK);
    }
    if (afficherReponse) afficherReponse(etat);
    if (etat != QString::fromUtf8("Envoyé"))
        JournaliserEnvoi(demande.agence, demande.utilisateur, demande.service.nom(), etat,
                         {demande.service.cle(), message});

    // Written whatever the outcome; a failure of the database here is not the send's to
    // handle and leaves for the caller.
    THistorique::AjouterHistorique({.agence = demande.agence,
                                    .utilisateur = demande.utilisateur,
                                    .expediteur = demande.expediteur,
                                    .destinataire = balises.Valeur(QStringLiteral("<Client_Nom>")),
                                    .numero = numero,
                                    .message = message,
                                    .date_envoi = demande.dateEnvoi,
                                    .etat = etat});
    return etat;
}
