#include "app/Demarrage.h"

#include <QFile>
#include <QFileInfo>
#include <memory>

#include "data/Datamoduleabs.h"
#include "platform/AfficherErreur.h"
#include "platform/Dialogues.h"
#include "platform/JournalSysteme.h"
#include "platform/TIniFile.h"
#include "ui/Ficheenvoisms.h"
#include "ui/Tficheconfiguration.h"
#include "ui/Tfichehistorique.h"

const char* const MessageParametres =
    "Verifiez vos paramètres !\n1. Fichier de paramétrage.\n2. Mode.";

namespace {

enum class TMode { Inconnu, Envoi, Configuration, Historique };

TMode ModeDuMot(const QString& mot) {
    // Unicode's own upper-casing, the same under every language (a Turkish locale would
    // turn the i of "envoi" into a dotted capital); blanks are kept, so " ENVOI" matches
    // nothing.
    const QString mode = mot.toUpper();
    if (mode == u"ENVOI") return TMode::Envoi;
    if (mode == u"CONFIG" || mode == u"CONFIGURATION") return TMode::Configuration;
    if (mode == u"HISTO" || mode == u"HISTORIQUE") return TMode::Historique;
    return TMode::Inconnu;
}

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

QString ProblemeFichierParametres(const QString& chemin) {
    // The windows take who is working from this file: without it a send would be recorded
    // for no agency and the history would list every agency's sends.
    const QString texte = QStringLiteral("Erreur : le fichier de paramétrage « %1 » est %2.");
    const QFileInfo info(chemin);
    if (chemin.isEmpty() || !info.exists()) return texte.arg(chemin, QStringLiteral("introuvable"));
    QFile fichier(chemin);
    if (!info.isFile() || !fichier.open(QIODevice::ReadOnly))
        return texte.arg(chemin, QStringLiteral("illisible"));
    // The reader would see a bigger file as empty: a host's file is a few kilobytes.
    if (info.size() > TIniFile::TailleMaximale)
        return QStringLiteral("Erreur : le fichier de paramétrage « %1 » dépasse 1 Mio.")
            .arg(chemin);
    return QString();
}

int Demarrer(const QStringList& arguments, const std::function<int()>& boucle,
             const QString& dossierBase) {
    DefinirContexteJournal(QString(), QString(), QString());
    if (arguments.size() != 2) {
        JournaliserErreur(QString::fromUtf8(MessageParametres));
        ShowMessage(QString::fromUtf8(MessageParametres));
        return 0;
    }
    std::unique_ptr<TDataModuleAbs> module;
    try {
        module = std::make_unique<TDataModuleAbs>(dossierBase);
        DataModuleAbs = module.get();

        const TMode mode = ModeDuMot(arguments.at(1));
        // Who is working, for the lines of the administrator's log.
        const TIniFile ini(arguments.at(0));
        DefinirContexteJournal(arguments.at(1).toUpper(),
                               ini.ReadString("Config", "Agence", QString("")),
                               ini.ReadString("Config", "Utilisateur", QString("")));
        if (mode == TMode::Inconnu) {
            JournaliserErreur(QString::fromUtf8(MessageParametres));
            ShowMessage(QString::fromUtf8(MessageParametres));
        } else if (const QString probleme = ProblemeFichierParametres(arguments.at(0));
                   !probleme.isEmpty()) {
            AfficherErreur(probleme);
        } else if (mode == TMode::Envoi) {
            Ouvrir(FormEnvoiSMS, arguments.at(0), boucle);
        } else if (mode == TMode::Configuration) {
            Ouvrir(FicheConfiguration, arguments.at(0), boucle);
        } else {
            Ouvrir(FicheHistorique, arguments.at(0), boucle);
        }
    } catch (const std::exception& erreur) {
        AfficherErreur(erreur);
    } catch (...) {
        AfficherErreur(std::exception());
    }
    DataModuleAbs = nullptr;
    return 0;
}
