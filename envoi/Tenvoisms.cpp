#include "envoi/Tenvoisms.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QThread>
#include <exception>

#include "data/EErreurBase.h"
#include "data/Moteur.h"
#include "data/Tconfigurationapi.h"
#include "data/Thistorique.h"
#include "envoi/RemplacerBalises.h"
#include "envoi/ReponseService.h"
#include "envoi/TexteExterieur.h"
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

// Another running copy or workstation holds the base (the file's lock, the server's lock
// wait or deadlock): worth waiting for, unlike a missing table or right.
bool BaseOccupee(const EErreurBase& erreur) { return erreur.Genre() == TGenreErreur::Occupee; }

// Why the history cannot be written, in French first, the engine's text after.
QString CauseEcriture(const EErreurBase& erreur) {
    QString texte = QString::fromUtf8(erreur.what());
    if (texte.startsWith(QStringLiteral("Erreur : "))) texte.remove(0, 9);
    // The file's own faults are told by the data layer from the engine's code.
    if (erreur.Genre() == TGenreErreur::FichierBase) return texte;
    QString cause;
    switch (erreur.Genre()) {
        case TGenreErreur::Occupee:
            cause = QStringLiteral("la base est utilisée par un autre poste");
            break;
        case TGenreErreur::TexteTropLong:
            cause = QStringLiteral("un texte est plus long que la base ne l'accepte");
            break;
        case TGenreErreur::DroitManquant:
            cause = QStringLiteral(
                "le compte de ce poste n'a pas le droit d'écrire dans "
                "l'historique");
            break;
        case TGenreErreur::LectureSeule:
            cause = QStringLiteral("la base est en lecture seule");
            break;
        case TGenreErreur::DisquePlein:
            cause = QStringLiteral("le disque de la base est plein");
            break;
        default:
            break;
    }
    return cause.isEmpty() ? texte : cause + QStringLiteral(" (") + texte + QLatin1Char(')');
}

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

    const THistorique::TNouvelleLigne ligne{
        .agence = demande.agence,
        .utilisateur = demande.utilisateur,
        .expediteur = demande.expediteur,
        .destinataire = balises.Valeur(QStringLiteral("<Client_Nom>")),
        .numero = numero,
        .message = message,
        .date_envoi = demande.dateEnvoi};
    // No message leaves without its history row: the row is written and committed first,
    // its state empty ("En cours"), so that a base that cannot take it stops the send
    // here, and a send cut short (the program killed, the machine stopped) stays listed.
    qint32 idLigne = 0;
    try {
        TSablier sablier;
        idLigne = THistorique::AjouterEnCours(ligne);
    } catch (const EErreurBase& e) {
        throw EErreurBase(
            QStringLiteral("Erreur : le SMS n'a pas été envoyé, car l'historique ne peut pas être "
                           "écrit : %1")
                .arg(CauseEcriture(e)),
            e);
    }

    if (debutRequete) debutRequete();
    const TTexteExterieur exterieur(demande.service.cle());
    QString etat;
    try {
        derniereUrl = url;
        QString corps;
        {
            TSablier sablier;
            corps = client->Get(url, EntetesEnvoi);
        }
        const TReponseService reponse = InterpreterReponse(corps);
        if (reponse.dialogue) MessageDlg(exterieur(*reponse.dialogue), TTypeDialogue::Erreur, mbOK);
        etat = exterieur(reponse.etat);
    } catch (const std::exception& e) {
        etat = exterieur(QStringLiteral("Erreur : ") + TexteErreur(e));
        MessageDlg(etat, TTypeDialogue::Erreur, mbOK);
    }
    if (afficherReponse) afficherReponse(etat);
    if (etat != QString::fromUtf8("Envoyé"))
        JournaliserEnvoi(demande.agence, demande.utilisateur, demande.service.nom(), etat,
                         {demande.service.cle(), message});

    // The same row takes the outcome, whatever it is. The message has left: a base held by
    // another copy is waited for as long as that copy may hold it; any failure is then
    // told plainly, and the row stays "En cours".
    TSablier sablier;
    QElapsedTimer attente;
    attente.start();
    for (;;) {
        try {
            THistorique::EnregistrerEtat(idLigne, etat);
            break;
        } catch (const EErreurBase& e) {
            if (BaseOccupee(e) && attente.elapsed() < DelaiAttenteMs) {
                QThread::msleep(100);
                continue;
            }
            const QString cause = CauseEcriture(e);
            MessageDlg(
                (etat == QString::fromUtf8("Envoyé")
                     ? QStringLiteral(
                           "Le SMS a été envoyé, mais son issue n'a pas pu être inscrite "
                           "dans l'historique, où il reste « En cours » : %1")
                     : QStringLiteral("Le SMS est peut-être parti, et son issue n'a pas pu être "
                                      "inscrite dans l'historique, où il reste « En cours » : %1"))
                    .arg(cause),
                TTypeDialogue::Erreur, mbOK);
            break;
        }
    }
    return etat;
}
