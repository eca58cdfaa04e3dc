#include "platform/Dialogues.h"

#include "platform/DialoguesQt.h"

namespace {

TDialoguesQt dialoguesQt;
TDialogues* dialoguesInstalles = nullptr;

}  // namespace

TDialogues& Dialogues() { return dialoguesInstalles ? *dialoguesInstalles : dialoguesQt; }

void InstallerDialogues(TDialogues* dialogues) { dialoguesInstalles = dialogues; }

void ShowMessage(const QString& texte) { Dialogues().ShowMessage(texte); }

TResultatDialogue MessageDlg(const QString& texte, TTypeDialogue type, TBoutons boutons) {
    return Dialogues().MessageDlg(texte, type, boutons);
}

QString InputBox(const QString& titre, const QString& invite, const QString& initial) {
    return Dialogues().InputBox(titre, invite, initial);
}
