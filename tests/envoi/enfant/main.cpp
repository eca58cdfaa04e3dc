// The sending copy of the tests that end it during its request: sends one SMS through
// the real TEnvoiSms on the base of the folder (sms.abs, or the server its connexion.ini
// names), to a service at the given address, the confirmation answered OK. The test
// kills it while the service holds the request.
// Usage: parlivo-envoi-enfant DOSSIER URL MESSAGE
#include <QGuiApplication>
#include <cstdio>
#include <exception>

#include "commun/DialoguesScriptes.h"
#include "data/Datamoduleabs.h"
#include "data/Tconfigurationapi.h"
#include "envoi/Tenvoisms.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "Usage : parlivo-envoi-enfant DOSSIER URL MESSAGE\n");
        return 2;
    }
    try {
        TDataModuleAbs module(args.at(1));
        DataModuleAbs = &module;
        module.OuvrirBase();
        TDialoguesScriptes dialogues;
        dialogues.Repondre(TResultatDialogue::mrOK);
        const TConfigurationApi service(TConfigurationApi::TChamps{.id = 1,
                                                                   .nom = "Service",
                                                                   .url = args.at(2),
                                                                   .cle = "CLE",
                                                                   .cle_api = "key",
                                                                   .numero = "to",
                                                                   .message = "text"});
        TBalises balises;
        TEnvoiSms envoi;
        const auto etat = envoi.Envoyer({.service = service,
                                         .numero = QStringLiteral("0612345678"),
                                         .message = args.at(3),
                                         .expediteur = QString(),
                                         .dateEnvoi = QDateTime::currentDateTime(),
                                         .agence = QStringLiteral("AG01"),
                                         .utilisateur = QStringLiteral("jdupont")},
                                        balises, nullptr);
        std::printf("%s\n", etat ? qPrintable(*etat) : "annulé");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
