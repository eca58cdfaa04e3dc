#include "platform/Dialogues.h"

#include <QtGlobal>

#include "platform/JournalSysteme.h"

namespace {

// Before a program gives its real layer (a tool without windows, a test that forgot to
// script its dialogs), a dialog never blocks: its text goes to the log and it counts as
// closed without a button.
class TDialoguesJournal : public TDialogues {
  public:
    void ShowMessage(const QString& texte) override { qWarning("%s", qUtf8Printable(texte)); }
    TResultatDialogue MessageDlg(const QString& texte, TTypeDialogue, TBoutons) override {
        qWarning("%s", qUtf8Printable(texte));
        return TResultatDialogue::mrNone;
    }
    QString InputBox(const QString&, const QString& invite, const QString& initial) override {
        qWarning("%s", qUtf8Printable(invite));
        return initial;
    }
};

TDialoguesJournal dialoguesJournal;
TDialogues* dialoguesProgramme = nullptr;
TDialogues* dialoguesInstalles = nullptr;

}  // namespace

TDialogues& Dialogues() {
    if (dialoguesInstalles) return *dialoguesInstalles;
    return dialoguesProgramme ? *dialoguesProgramme : dialoguesJournal;
}

void DefinirDialoguesProgramme(TDialogues* dialogues) { dialoguesProgramme = dialogues; }

void InstallerDialogues(TDialogues* dialogues) { dialoguesInstalles = dialogues; }

void ShowMessage(const QString& texte) { Dialogues().ShowMessage(texte); }

TResultatDialogue MessageDlg(const QString& texte, TTypeDialogue type, TBoutons boutons) {
    if (type == TTypeDialogue::Erreur) JournaliserErreur(texte);
    return Dialogues().MessageDlg(texte, type, boutons);
}

QString InputBox(const QString& titre, const QString& invite, const QString& initial) {
    return Dialogues().InputBox(titre, invite, initial);
}
