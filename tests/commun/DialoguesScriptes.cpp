#include "commun/DialoguesScriptes.h"

#include <QStringList>

TDialoguesScriptes::TDialoguesScriptes() { InstallerDialogues(this); }

TDialoguesScriptes::~TDialoguesScriptes() { InstallerDialogues(nullptr); }

QStringList TDialoguesScriptes::Textes() const {
    QStringList textes;
    for (const TDemande& d : demandes) textes << d.texte;
    return textes;
}

void TDialoguesScriptes::ShowMessage(const QString& texte) {
    demandes.push_back({TGenre::Message, texte, TTypeDialogue::Information, mbOK, {}});
}

TResultatDialogue TDialoguesScriptes::MessageDlg(const QString& texte, TTypeDialogue type,
                                                 TBoutons boutons) {
    demandes.push_back({TGenre::Dlg, texte, type, boutons, {}});
    if (reponses.empty()) return TResultatDialogue::mrNone;
    const TResultatDialogue r = reponses.front();
    reponses.pop_front();
    return r;
}

QString TDialoguesScriptes::InputBox(const QString& titre, const QString& invite,
                                     const QString& initial) {
    demandes.push_back({TGenre::Saisie, invite, TTypeDialogue::Information, mbOK, titre});
    if (saisies.empty()) return initial;
    const QString t = saisies.front();
    saisies.pop_front();
    return t;
}
