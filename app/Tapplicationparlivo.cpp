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
    // Qt's own folder first (the system's Qt on Linux), then "translations" beside the
    // executable, where a Windows copy of the program carries it.
    if (QLocale().language() != QLocale::French) return;
    for (const QString& dossier : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                   applicationDirPath() + QStringLiteral("/translations")})
        if (traductionQt.load(QStringLiteral("qtbase_fr"), dossier)) {
            traductionChargee = installTranslator(&traductionQt);
            return;
        }
}

TApplicationParlivo::~TApplicationParlivo() { DefinirDialoguesProgramme(nullptr); }

bool TApplicationParlivo::notify(QObject* destinataire, QEvent* evenement) {
    bool traite = false;
    Proteger([&] { traite = QApplication::notify(destinataire, evenement); });
    return traite;
}
