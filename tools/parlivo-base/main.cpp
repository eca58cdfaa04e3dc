// parlivo-base: creates and administers the sms.abs database of Parlivo, which the
// program itself never creates and whose services and read-only settings it never writes.
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#include <exception>

#include "Toptionsoutil.h"
#include "Toutilbase.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream sortie(stdout);
    QTextStream erreurs(stderr);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    try {
        TOutilBase outil(sortie);
        const int statut = outil.Executer(arguments);
        sortie.flush();
        return statut;
    } catch (const EErreurUsage& e) {
        sortie.flush();
        erreurs << "parlivo-base : Erreur : " << e.Texte() << '\n'
                << "Aide : parlivo-base --help\n";
        return 2;
    } catch (const std::exception& e) {
        sortie.flush();
        erreurs << "parlivo-base : " << TexteErreur(e) << '\n';
        return 1;
    }
}
