// Times the opening of the send and configuration windows against the size of the
// parameter file: 10 tag keys, then 1,000 and 10,000 (spread over the three tag sections).
//
//   parlivo-bench-parametres [--repetitions R] [--cles N]
//
// Each opening is the window's construction, its opening steps (database, parameter file,
// lists, first template) and its close, on a temporary sms.abs. Prints the best time of R
// openings (5 by default) per size and window, and its ratio to the 10-key file. With
// --cles N, only 10 keys then N (for counting one size's instructions under callgrind).
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "data/CreationBase.h"
#include "data/Datamoduleabs.h"
#include "data/Tcategorie.h"
#include "data/Ttemplate.h"
#include "ui/Ficheenvoisms.h"
#include "ui/Tficheconfiguration.h"

namespace {

void EcrireParametres(const QString& chemin, int cles) {
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly)) throw std::runtime_error("fichier de paramètres");
    f.write("[Config]\r\nAgence=Lyon\r\nUtilisateur=marc\r\nCategorie=1\r\n");
    const char* const sections[] = {"Societe", "Dossier", "Client"};
    for (int s = 0; s < 3; ++s) {
        f.write(QByteArray("[") + sections[s] + "]\r\n");
        for (int i = s; i < cles; i += 3)
            f.write("Cle" + QByteArray::number(i) + "=Valeur numéro " + QByteArray::number(i) +
                    "\r\n");
    }
}

template <class TFenetre>
[[gnu::noinline]] double Meilleur(const QString& parametres, int repetitions) {
    double meilleur = 1e30;
    for (int r = 0; r < repetitions; ++r) {
        QElapsedTimer chrono;
        chrono.start();
        {
            TFenetre fenetre;
            fenetre.DefinirFichierParametres(parametres);
            fenetre.FormActivate();
            fenetre.close();
        }
        meilleur = std::min(meilleur, double(chrono.nsecsElapsed()) / 1e6);
    }
    return meilleur;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    QApplication application(argc, argv);
    int repetitions = 5;
    std::vector<int> tailles = {10, 1000, 10000};
    const QStringList arguments = QCoreApplication::arguments();
    bool valides = arguments.size() % 2 == 1;
    for (qsizetype i = 1; valides && i + 1 < arguments.size(); i += 2) {
        const int n = arguments[i + 1].toInt();
        if (arguments[i] == QLatin1String("--repetitions"))
            repetitions = n;
        else if (arguments[i] == QLatin1String("--cles") && n > 0)
            tailles = {10, n};
        else
            valides = false;
    }
    if (repetitions <= 0 || !valides) {
        std::fprintf(stderr, "usage : parlivo-bench-parametres [--repetitions R] [--cles N]\n");
        return 2;
    }
    try {
        QTemporaryDir dossier;
        CreerBase(dossier.filePath(QStringLiteral("sms.abs")));
        TDataModuleAbs module(dossier.path());
        DataModuleAbs = &module;
        module.OuvrirBase();
        TCategorie categorie(false, QStringLiteral("Relances"));
        categorie.Sauvegarder();
        TTemplate modele(QStringLiteral("Lyon"), QStringLiteral("marc"), 1);
        modele.setNom(QStringLiteral("Rappel"));
        modele.setTexte(QStringLiteral("Bonjour <Client_Cle2>, votre dossier <Dossier_Cle1>."));
        modele.Sauvegarder();

        double reference[2] = {0, 0};
        for (const int cles : tailles) {
            const QString chemin = dossier.filePath(QStringLiteral("p%1.ini").arg(cles));
            EcrireParametres(chemin, cles);
            const double envoi = Meilleur<TFormEnvoiSMS>(chemin, repetitions);
            const double configuration = Meilleur<TFicheConfiguration>(chemin, repetitions);
            if (cles == 10) {
                reference[0] = envoi;
                reference[1] = configuration;
            }
            std::printf("%6d clés : envoi %8.1f ms (x%.2f), configuration %8.1f ms (x%.2f)\n", cles,
                        envoi, envoi / reference[0], configuration, configuration / reference[1]);
            std::fflush(stdout);
        }
        DataModuleAbs = nullptr;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
