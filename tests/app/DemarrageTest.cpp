// Start-up and mode dispatch, run in-process with the real application object.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <stdexcept>

#include "app/Demarrage.h"
#include "app/Tapplicationparlivo.h"
#include "commun/DialoguesScriptes.h"
#include "data/Datamoduleabs.h"
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

// A parameter file that exists, for the runs that must reach a window.
class TFichierParametres {
  public:
    explicit TFichierParametres(const QByteArray& texte = "[Config]\nAgence=Nord\n") {
        QFile f(Chemin());
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(texte);
    }
    QString Chemin() const { return dossier.filePath(QStringLiteral("p.ini")); }

  private:
    QTemporaryDir dossier;
};

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
    const TFichierParametres parametres;
    // Under Turkish the locale's capital of "i" is "İ": the words must match all the same.
    struct TLangue {
        QLocale avant;
        explicit TLangue(const QLocale& l) { QLocale::setDefault(l); }
        ~TLangue() { QLocale::setDefault(avant); }
    };
    for (const QLocale& langue : {QLocale(), QLocale(QLocale::Turkish, QLocale::Turkey)})
        for (const auto& [mode, attendue] : cas) {
            const TLangue l1(langue);
            TDialoguesScriptes dialogues;
            const TLancement l = Lancer({parametres.Chemin(), mode});
            EXPECT_EQ(l.statut, 0);
            EXPECT_TRUE(l.boucleLancee) << mode.toStdString();
            EXPECT_TRUE(l.moduleCree);
            EXPECT_EQ(l.fenetre, attendue) << mode.toStdString();
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
    const TFichierParametres parametres;
    TDialoguesScriptes dialogues;
    const TLancement l = Lancer({parametres.Chemin(), QStringLiteral("histo")});
    EXPECT_EQ(l.fenetre, TFenetreOuverte::Historique);
    EXPECT_EQ(l.chemin, QStringLiteral("Nord"));
}

// A file that is missing, cannot be read or is over 1 MiB stops start-up before any
// window, in every mode; the argument checks come first. A file without the keys still
// opens the window.
TEST(DemarrageTest, FichierDeParametrageIntrouvableIllisibleOuTropGros) {
    QTemporaryDir dossier;
    const QString absent = dossier.filePath(QStringLiteral("absent.ini"));
    const QString unDossier = dossier.path();
    const TFichierParametres tropGros("[Config]\nAgence=Lyon\n" + QByteArray(1024 * 1024, ';'));
    const std::vector<std::pair<QStringList, QString>> cas{
        {{absent, "ENVOI"},
         QStringLiteral("Erreur : le fichier de paramétrage « %1 » est introuvable.").arg(absent)},
        {{absent, "config"},
         QStringLiteral("Erreur : le fichier de paramétrage « %1 » est introuvable.").arg(absent)},
        {{"", "Histo"}, QStringLiteral("Erreur : le fichier de paramétrage «  » est introuvable.")},
        {{unDossier, "HISTORIQUE"},
         QStringLiteral("Erreur : le fichier de paramétrage « %1 » est illisible.").arg(unDossier)},
        {{absent, "HISTOIRE"}, Message},
        {{tropGros.Chemin(), "ENVOI"},
         QStringLiteral("Erreur : le fichier de paramétrage « %1 » dépasse 1 Mio.")
             .arg(tropGros.Chemin())},
    };
    for (const auto& [arguments, attendu] : cas) {
        TDialoguesScriptes dialogues;
        const TLancement l = Lancer(arguments);
        EXPECT_EQ(l.statut, 0);
        EXPECT_FALSE(l.boucleLancee) << arguments.join(u'|').toStdString();
        ASSERT_EQ(dialogues.demandes.size(), 1u);
        EXPECT_EQ(dialogues.demandes[0].texte, attendu);
        EXPECT_EQ(DataModuleAbs, nullptr);
    }
    const TFichierParametres vide("");
    TDialoguesScriptes dialogues;
    EXPECT_EQ(Lancer({vide.Chemin(), "ENVOI"}).fenetre, TFenetreOuverte::Envoi);
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

// The French user meets the toolkit's own texts in French: the input box's buttons, a text
// field's context menu.
TEST(TApplicationParlivoTest, LesTextesDuToolkitSontEnFrancais) {
    EXPECT_TRUE(static_cast<TApplicationParlivo*>(qApp)->TraductionChargee());
    // The input box's buttons.
    const QDialogButtonBox boutons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(boutons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Annuler"));
    QLineEdit champ(QStringLiteral("texte"));
    const std::unique_ptr<QMenu> menu(champ.createStandardContextMenu());
    QStringList textes;
    for (const QAction* action : menu->actions()) textes << action->text();
    EXPECT_TRUE(textes.contains(QStringLiteral("Cop&ier\tCtrl+C")))
        << textes.join(u'|').toStdString();
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    TApplicationParlivo application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
