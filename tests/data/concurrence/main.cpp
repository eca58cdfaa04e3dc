// One of the running copies of the concurrency test: waits for the start signal (a file
// named "depart" in the folder), then creates 200 categories and appends 200 history rows
// through the real classes, on the shared sms.abs of that folder.
// Usage: parlivo-concurrence DOSSIER NUMERO [NOMBRE]
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <cstdio>
#include <exception>

#include "data/Datamoduleabs.h"
#include "data/Tcategorie.h"
#include "data/Thistorique.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "Usage : parlivo-concurrence DOSSIER NUMERO [NOMBRE]\n");
        return 2;
    }
    const QString dossier = args.at(1);
    const QString numero = args.at(2);
    const int nombre = args.size() > 3 ? args.at(3).toInt() : 200;

    const QString depart = QDir(dossier).filePath(QStringLiteral("depart"));
    for (int i = 0; i < 30000 && !QFileInfo::exists(depart); ++i) QThread::msleep(5);

    try {
        TDataModuleAbs module(dossier);
        DataModuleAbs = &module;
        module.OuvrirBase();
        for (int i = 0; i < nombre; ++i) {
            TCategorie categorie(false, QStringLiteral("P%1-%2").arg(numero).arg(i));
            if (!categorie.Sauvegarder()) {
                std::fprintf(stderr, "Sauvegarder a rendu false\n");
                return 1;
            }
            std::printf("%d\n", categorie.id_categorie());
            THistorique::AjouterHistorique({.agence = QStringLiteral("A%1").arg(numero),
                                            .utilisateur = QStringLiteral("U"),
                                            .expediteur = QStringLiteral("Exp"),
                                            .destinataire = QStringLiteral("Dest"),
                                            .numero = QStringLiteral("0600000000"),
                                            .message = QStringLiteral("Message %1").arg(i),
                                            .date_envoi = QDateTime::currentDateTime(),
                                            .etat = QStringLiteral("Envoyé")});
        }
        module.FermerBase();
        DataModuleAbs = nullptr;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
