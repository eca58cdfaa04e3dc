#include "app/Tapplicationparlivo.h"

#include "platform/AfficherErreur.h"

TApplicationParlivo::TApplicationParlivo(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplicationParlivo::notify(QObject* destinataire, QEvent* evenement) {
    bool traite = false;
    Proteger([&] { traite = QApplication::notify(destinataire, evenement); });
    return traite;
}
