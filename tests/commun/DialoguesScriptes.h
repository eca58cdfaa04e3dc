#pragma once

#include <QString>
#include <deque>
#include <vector>

#include "platform/Dialogues.h"

// A dialog layer for tests: records every dialog asked for and answers from a queue.
// Installs itself for its lifetime.
class TDialoguesScriptes : public TDialogues {
  public:
    enum class TGenre { Message, Dlg, Saisie };
    struct TDemande {
        TGenre genre;
        QString texte;  // the message, or the prompt of an input box
        TTypeDialogue type = TTypeDialogue::Information;
        TBoutons boutons = mbOK;
        QString titre;
    };

    TDialoguesScriptes();
    ~TDialoguesScriptes() override;
    TDialoguesScriptes(const TDialoguesScriptes&) = delete;
    TDialoguesScriptes& operator=(const TDialoguesScriptes&) = delete;

    // The next MessageDlg answers; without one queued, a dialog is closed without a
    // button (mrNone).
    void Repondre(TResultatDialogue reponse) { reponses.push_back(reponse); }
    // The next InputBox gives this text; without one queued, it is cancelled.
    void Saisir(const QString& texte) { saisies.push_back(texte); }

    std::vector<TDemande> demandes;
    QStringList Textes() const;

    void ShowMessage(const QString& texte) override;
    TResultatDialogue MessageDlg(const QString& texte, TTypeDialogue type,
                                 TBoutons boutons) override;
    QString InputBox(const QString& titre, const QString& invite, const QString& initial) override;

  private:
    std::deque<TResultatDialogue> reponses;
    std::deque<QString> saisies;
};
