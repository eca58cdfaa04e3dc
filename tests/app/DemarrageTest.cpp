// Start-up and mode dispatch, run in-process with the real application object.
#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimer>
#include <stdexcept>

#include "app/Demarrage.h"
#include "app/Tapplicationparlivo.h"
#include "data/Datamoduleabs.h"
#include "commun/DialoguesScriptes.h"
#include "ui/Ficheenvoisms.h"
#include "ui/Tficheconfiguration.h"
#include "ui/Tfichehistorique.h"

namespace {

enum class TFenetreOuverte { Aucune, Envoi, Configuration, Historique };

struct TLancement {
    TFenetreOuverte fenetre = TFenetreOuverte::Aucune;
    bool boucleLancee = false;
    bool moduleCree = false;
    QString chemin;
    int statut = -1;
};

// Runs start-up; the "event loop" notes which window is open, then closes it.
TLancement Lancer(const QStringList& arguments) {
    TLancement l;
    l.statut = Demarrer(arguments, [&l] {
        l.boucleLancee = true;
        l.moduleCree = DataModuleAbs != nullptr;
        int ouvertes = 0;
        if (FormEnvoiSMS) {
            l.fenetre = TFenetreOuverte::Envoi;
            ++ouvertes;
        }
        if (FicheConfiguration) {
            l.fenetre = TFenetreOuverte::Configuration;
            ++ouvertes;
        }
        if (FicheHistorique) {
            l.fenetre = TFenetreOuverte::Historique;
            l.chemin = FicheHistorique->Agence();
            ++ouvertes;
        }
        EXPECT_EQ(ouvertes, 1);
        return 0;
    });
    return l;
}

const QString Message = QString::fromUtf8(MessageParametres);

}  // namespace

TEST(DemarrageTest, NombreDArgumentsIncorrect) {
    for (const QStringList& arguments :
         {QStringList{}, QStringList{"x.ini"}, QStringList{"x.ini", "ENVOI", "de trop"}}) {
        TDialoguesScriptes dialogues;
        const TLancement l = Lancer(arguments);
        EXPECT_EQ(l.statut, 0);
        EXPECT_FALSE(l.boucleLancee);
        ASSERT_EQ(dialogues.demandes.size(), 1u) << arguments.join(u'|').toStdString();
        EXPECT_EQ(dialogues.demandes[0].texte, Message);
        EXPECT_EQ(DataModuleAbs, nullptr);
    }
    EXPECT_EQ(Message,
              QStringLiteral("Verifiez vos paramètres !\n1. Fichier de paramétrage.\n2. Mode."));
}

TEST(DemarrageTest, MotsDeModeEnToutesCasses) {
    const std::vector<std::pair<QString, TFenetreOuverte>> cas{
        {"ENVOI", TFenetreOuverte::Envoi},
        {"envoi", TFenetreOuverte::Envoi},
        {"Envoi", TFenetreOuverte::Envoi},
        {"CONFIG", TFenetreOuverte::Configuration},
        {"config", TFenetreOuverte::Configuration},
        {"Configuration", TFenetreOuverte::Configuration},
        {"HISTO", TFenetreOuverte::Historique},
        {"histo", TFenetreOuverte::Historique},
        {"Historique", TFenetreOuverte::Historique},
    };
    for (const auto& [mode, attendue] : cas) {
        TDialoguesScriptes dialogues;
        const TLancement l = Lancer({QStringLiteral("/nulle/part/absent.ini"), mode});
        EXPECT_EQ(l.statut, 0);
        EXPECT_TRUE(l.boucleLancee) << mode.toStdString();
        EXPECT_TRUE(l.moduleCree);
        EXPECT_EQ(l.fenetre, attendue) << mode.toStdString();
        // The parameter file does not exist: no message at start-up.
        EXPECT_TRUE(dialogues.demandes.empty()) << mode.toStdString();
        // The window and the data module end with the run.
        EXPECT_EQ(FormEnvoiSMS, nullptr);
        EXPECT_EQ(FicheConfiguration, nullptr);
        EXPECT_EQ(FicheHistorique, nullptr);
        EXPECT_EQ(DataModuleAbs, nullptr);
    }
}

TEST(DemarrageTest, MotDeModeInconnu) {
    for (const QString& mode : {QStringLiteral("HISTORIQUEX"), QStringLiteral(" ENVOI"),
                                QStringLiteral("ENVOI "), QStringLiteral("ENV"), QStringLiteral(""),
                                QStringLiteral("CONFIGURATIONS"), QStringLiteral("xENVOI")}) {
        TDialoguesScriptes dialogues;
        const TLancement l = Lancer({QStringLiteral("x.ini"), mode});
        EXPECT_EQ(l.statut, 0);
        EXPECT_FALSE(l.boucleLancee) << '"' << mode.toStdString() << '"';
        ASSERT_EQ(dialogues.demandes.size(), 1u);
        EXPECT_EQ(dialogues.demandes[0].texte, Message);
    }
}

TEST(DemarrageTest, LeFichierEstTransmisALaFenetre) {
    QTemporaryDir dossier;
    const QString chemin = dossier.filePath(QStringLiteral("p.ini"));
    QFile f(chemin);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Config]\nAgence=Nord\n");
    f.close();
    TDialoguesScriptes dialogues;
    const TLancement l = Lancer({chemin, QStringLiteral("histo")});
    EXPECT_EQ(l.fenetre, TFenetreOuverte::Historique);
    EXPECT_EQ(l.chemin, QStringLiteral("Nord"));
}

TEST(TApplicationParlivoTest, UneErreurDansUnGestionnaireEstAfficheeEtLaBoucleContinue) {
    TDialoguesScriptes dialogues;
    bool suivantTraite = false;
    QTimer::singleShot(0, [] { throw std::runtime_error("Erreur : la base est absente"); });
    QTimer::singleShot(0, [] { throw 42; });
    QTimer::singleShot(5, [&] {
        suivantTraite = true;
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    EXPECT_TRUE(suivantTraite);
    ASSERT_EQ(dialogues.demandes.size(), 2u);
    EXPECT_EQ(dialogues.demandes[0].texte, QStringLiteral("Erreur : la base est absente"));
    EXPECT_EQ(dialogues.demandes[0].type, TTypeDialogue::Erreur);
    EXPECT_TRUE(dialogues.demandes[1].texte.isEmpty());
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    TApplicationParlivo application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
