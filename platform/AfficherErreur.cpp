#include "platform/AfficherErreur.h"

#include <QString>
#include <typeinfo>

#include "platform/Dialogues.h"
#include "platform/EErreurTexte.h"

void AfficherErreur(const QString& texte) { MessageDlg(texte, TTypeDialogue::Erreur, mbOK); }

void AfficherErreur(const std::exception& erreur) {
    // A bare std::exception carries no message of ours: show an empty text rather than
    // the library's type name.
    if (typeid(erreur) == typeid(std::exception)) {
        AfficherErreur(QString());
        return;
    }
    AfficherErreur(TexteErreur(erreur));
}
