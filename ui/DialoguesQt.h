#pragma once

#include "platform/Dialogues.h"

// Real modal dialogs, parented to the active window.
class TDialoguesQt : public TDialogues {
  public:
    void ShowMessage(const QString& texte) override;
    TResultatDialogue MessageDlg(const QString& texte, TTypeDialogue type,
                                 TBoutons boutons) override;
    QString InputBox(const QString& titre, const QString& invite, const QString& initial) override;
};
