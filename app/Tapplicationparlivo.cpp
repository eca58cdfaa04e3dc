#include "app/Tapplicationparlivo.h"

#include <QLibraryInfo>
#include <QLocale>

#include "platform/AfficherErreur.h"
#include "ui/DialoguesQt.h"

TApplicationParlivo::TApplicationParlivo(int& argc, char** argv) : QApplication(argc, argv) {
    static TDialoguesQt dialogues;
    DefinirDialoguesProgramme(&dialogues);
    // The program speaks French only: another language's catalogue would mix two
    // languages in one window.
    if (QLocale().language() == QLocale::French &&
        traductionQt.load(QStringLiteral("qtbase_fr"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        traductionChargee = installTranslator(&traductionQt);
}

TApplicationParlivo::~TApplicationParlivo() { DefinirDialoguesProgramme(nullptr); }

bool TApplicationParlivo::notify(QObject* destinataire, QEvent* evenement) {
    bool traite = false;
    Proteger([&] { traite = QApplication::notify(destinataire, evenement); });
    return traite;
}
