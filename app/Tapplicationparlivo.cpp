#include "app/Tapplicationparlivo.h"

#include "platform/AfficherErreur.h"
#include "ui/DialoguesQt.h"

TApplicationParlivo::TApplicationParlivo(int& argc, char** argv) : QApplication(argc, argv) {
    static TDialoguesQt dialogues;
    DefinirDialoguesProgramme(&dialogues);
}

TApplicationParlivo::~TApplicationParlivo() { DefinirDialoguesProgramme(nullptr); }

bool TApplicationParlivo::notify(QObject* destinataire, QEvent* evenement) {
    bool traite = false;
    Proteger([&] { traite = QApplication::notify(destinataire, evenement); });
    return traite;
}
