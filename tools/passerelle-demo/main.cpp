// passerelle-demo: a local sending service for the demo and the end-to-end tests.
#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>
#include <cstdio>
#include <exception>

#include "tools/passerelle-demo/Tpasserelle.h"

namespace {

const char* const Aide =
    "Utilisation : passerelle-demo PORT [OPTION]\n"
    "\n"
    "Service d'envoi de SMS de démonstration : écoute sur 127.0.0.1 uniquement, affiche\n"
    "chaque requête reçue avec ses paramètres décodés et répond {\"resultat\":1}.\n"
    "\n"
    "  PORT           port d'écoute ; 0 pour en choisir un libre\n"
    "\n"
    "Options (une seule) :\n"
    "  --erreur       répond {\"resultat\":0,\"erreurs\":[...]}\n"
    "  --pas-json     répond une page HTML au lieu de JSON\n"
    "  --http500      répond avec le statut HTTP 500\n"
    "  --sans-reponse lit la requête et ne répond jamais\n"
    "  --aide         affiche cette aide\n"
    "\n"
    "La première ligne écrite est « port=NNNNN », le port réellement ouvert.\n"
    "Arrêt : Ctrl+C.\n";

int Erreur(const QString& texte) {
    QTextStream erreurs(stderr);
    erreurs << texte << Qt::endl << Qt::endl << QString::fromUtf8(Aide);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments();
    arguments.removeFirst();

    if (arguments.contains("--aide") || arguments.contains("-h") || arguments.contains("--help")) {
        QTextStream(stdout) << QString::fromUtf8(Aide);
        return 0;
    }
    if (arguments.isEmpty()) return Erreur(QStringLiteral("Erreur : le port est obligatoire."));
    if (arguments.size() > 2) return Erreur(QStringLiteral("Erreur : trop d'arguments."));

    bool valide = false;
    const uint port = arguments[0].toUInt(&valide);
    if (!valide || port > 65535) {
        return Erreur(QStringLiteral("Erreur : port invalide : %1").arg(arguments[0]));
    }
    TPasserelle::TMode mode = TPasserelle::TMode::Succes;
    if (arguments.size() == 2) {
        const QString option = arguments[1];
        if (option == "--erreur") {
            mode = TPasserelle::TMode::Erreur;
        } else if (option == "--pas-json") {
            mode = TPasserelle::TMode::PasJson;
        } else if (option == "--http500") {
            mode = TPasserelle::TMode::Http500;
        } else if (option == "--sans-reponse") {
            mode = TPasserelle::TMode::SansReponse;
        } else {
            return Erreur(QStringLiteral("Erreur : option inconnue : %1").arg(option));
        }
    }

    QTextStream journal(stdout);
    TPasserelle passerelle(mode, journal);
    try {
        passerelle.Ecouter(static_cast<quint16>(port));
    } catch (const std::exception& e) {
        QTextStream(stderr) << TexteErreur(e) << Qt::endl;
        return 1;
    }
    // Read by the scripts and the tests to find the port: first line, flushed at once.
    journal << QStringLiteral("port=%1").arg(passerelle.Port()) << Qt::endl;
    journal << QStringLiteral(
                   "Service d'envoi de démonstration à l'écoute sur http://127.0.0.1:%1/")
                   .arg(passerelle.Port())
            << Qt::endl;
    return application.exec();
}
