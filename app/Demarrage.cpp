#include "app/Demarrage.h"

#include <QLocale>
#include <memory>

#include "data/Datamoduleabs.h"
#include "platform/AfficherErreur.h"
#include "platform/Dialogues.h"
#include "ui/Ficheenvoisms.h"
#include "ui/Tficheconfiguration.h"
#include "ui/Tfichehistorique.h"

const char* const MessageParametres =
    "Verifiez vos paramètres !\n1. Fichier de paramétrage.\n2. Mode.";

namespace {

// Creates the window, makes it the global instance, hands it the parameter file and
// runs the loop until it closes.
template <class TFenetre>
void Ouvrir(TFenetre*& globale, const QString& fichierParametres,
            const std::function<int()>& boucle) {
    auto fenetre = std::make_unique<TFenetre>();
    globale = fenetre.get();
    struct TRaz {
        TFenetre*& g;
        ~TRaz() { g = nullptr; }
    } raz{globale};
    fenetre->DefinirFichierParametres(fichierParametres);
    fenetre->show();
    boucle();
}

}  // namespace

int Demarrer(const QStringList& arguments, const std::function<int()>& boucle,
             const QString& dossierBase) {
    if (arguments.size() != 2) {
        ShowMessage(QString::fromUtf8(MessageParametres));
        return 0;
    }
    std::unique_ptr<TDataModuleAbs> module;
    try {
        module = std::make_unique<TDataModuleAbs>(dossierBase);
        DataModuleAbs = module.get();

        // Locale-aware upper-casing; blanks are kept, so " ENVOI" matches nothing.
        const QString mode = QLocale().toUpper(arguments.at(1));
        if (mode == u"ENVOI") {
            Ouvrir(FormEnvoiSMS, arguments.at(0), boucle);
        } else if (mode == u"CONFIG" || mode == u"CONFIGURATION") {
            Ouvrir(FicheConfiguration, arguments.at(0), boucle);
        } else if (mode == u"HISTO" || mode == u"HISTORIQUE") {
            Ouvrir(FicheHistorique, arguments.at(0), boucle);
        } else {
            ShowMessage(QString::fromUtf8(MessageParametres));
        }
    } catch (const std::exception& erreur) {
        AfficherErreur(erreur);
    } catch (...) {
        AfficherErreur(std::exception());
    }
    DataModuleAbs = nullptr;
    return 0;
}
