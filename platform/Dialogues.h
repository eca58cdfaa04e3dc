#pragma once

#include <QString>

// Every modal dialog of the program goes through this layer, so that tests can answer
// them without a modal loop.

enum class TTypeDialogue { Erreur, Confirmation, Information };

enum TBouton { mbOK = 1, mbCancel = 2, mbYes = 4, mbNo = 8 };
using TBoutons = int;
inline constexpr TBoutons mbOKCancel = mbOK | mbCancel;
inline constexpr TBoutons mbYesNo = mbYes | mbNo;

// The button that closed a dialog; mrNone when it was closed any other way.
enum class TResultatDialogue { mrNone, mrOK, mrCancel, mrYes, mrNo };

class TDialogues {
  public:
    virtual ~TDialogues() = default;
    virtual void ShowMessage(const QString& texte) = 0;
    virtual TResultatDialogue MessageDlg(const QString& texte, TTypeDialogue type,
                                         TBoutons boutons) = 0;
    // Gives back the typed text, or the initial text when cancelled.
    virtual QString InputBox(const QString& titre, const QString& invite,
                             const QString& initial) = 0;
};

// The layer in force: the one a test installed, else the program's own (the Qt dialogs,
// given by the application object), else one that only logs and answers "closed".
TDialogues& Dialogues();
// The program's layer (not owned).
void DefinirDialoguesProgramme(TDialogues* dialogues);
// Installs a layer over the program's (not owned); nullptr removes it.
void InstallerDialogues(TDialogues* dialogues);

void ShowMessage(const QString& texte);
TResultatDialogue MessageDlg(const QString& texte, TTypeDialogue type, TBoutons boutons);
QString InputBox(const QString& titre, const QString& invite, const QString& initial);
