// The example parameter files of the integrator's reference, each started as a host would
// start it: the window of its mode opens, and reads from the file what the reference says.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <functional>

#include "app/Demarrage.h"
#include "commun/BaseTest.h"
#include "commun/DialoguesScriptes.h"
#include "ui/Ficheenvoisms.h"
#include "ui/Tficheconfiguration.h"
#include "ui/Tfichehistorique.h"

namespace {

// Activates the one window of the run, as a window manager would, so that its opening
// steps run; then hands it to the check and closes it.
template <class TFenetre>
void Activer(TFenetre* fenetre) {
    ASSERT_NE(fenetre, nullptr);
    QApplication::setActiveWindow(fenetre);
    EXPECT_TRUE(QTest::qWaitForWindowActive(fenetre));
    QApplication::processEvents();
}

struct TExemple {
    const char* fichier;
    const char* mode;
    std::function<void()> verifier;  // runs while the window is open
};

QString T(const char* s) { return QString::fromUtf8(s); }

}  // namespace

TEST(ExemplesReference, ChaqueExempleOuvreSaFenetre) {
    TBaseTest base;
    base.AjouterService(QStringLiteral("Service A"));
    base.AjouterCategorie(1, QStringLiteral("Relances"));
    base.AjouterTemplate({.id = 1,
                          .agence = "AG01",
                          .utilisateur = "martin",
                          .id_categorie = 1,
                          .nom = "Relance",
                          .texte = "<Client_Civilite> <Client_Nom> : <Dossier_Montant>"});
    base.AjouterHistorique({.agence = "AG01",
                            .utilisateur = "martin",
                            .date_creation = QDateTime::currentDateTime(),
                            .numero = "0600000000",
                            .etat = T("Envoyé")});

    const std::vector<TExemple> exemples{
        {"envoi.ini", "ENVOI",
         [] {
             Activer(FormEnvoiSMS);
             EXPECT_EQ(FormEnvoiSMS->Agence(), QStringLiteral("AG01"));
             EXPECT_EQ(FormEnvoiSMS->Utilisateur(), QStringLiteral("martin"));
             EXPECT_EQ(FormEnvoiSMS->edtNumero->text(), QStringLiteral("06 12 34 56 78"));
             EXPECT_EQ(FormEnvoiSMS->edtExpediteur->text(), QStringLiteral("CabDurand"));
             EXPECT_EQ(FormEnvoiSMS->Balises().Valeur(QStringLiteral("<Dossier_Date RDV>")),
                       T("mardi 9 juillet à 14 h 30"));
             // Category 1 preselected: its template filled the message, tags replaced.
             EXPECT_EQ(FormEnvoiSMS->memoMessage->toPlainText(), T("Madame Lefèvre : 1 250,00 €"));
         }},
        {"envoi-windows-1252.ini", "envoi",
         [] {
             Activer(FormEnvoiSMS);
             EXPECT_EQ(FormEnvoiSMS->Agence(), QStringLiteral("AG02"));
             EXPECT_EQ(FormEnvoiSMS->Utilisateur(), T("b.léger"));
             EXPECT_EQ(FormEnvoiSMS->edtNumero->text(), QStringLiteral("+33 6 98 76 54 32"));
             EXPECT_EQ(FormEnvoiSMS->Balises().Valeur(QStringLiteral("<Client_Nom>")), T("Léger"));
             EXPECT_EQ(FormEnvoiSMS->Balises().Valeur(QStringLiteral("<Client_Solde>")),
                       T("reste dû ; 80 €"));
         }},
        {"configuration.ini", "CONFIG",
         [] {
             Activer(FicheConfiguration);
             EXPECT_EQ(FicheConfiguration->Agence(), QStringLiteral("AG01"));
             EXPECT_EQ(FicheConfiguration->ListeBalises().Nombre(), 7);
             EXPECT_TRUE(
                 FicheConfiguration->ListeBalises().Textes().contains("<Societe_Telephone>"));
         }},
        {"historique.ini", "HISTO",
         [] {
             Activer(FicheHistorique);
             EXPECT_EQ(FicheHistorique->Agence(), QStringLiteral("AG01"));
             EXPECT_EQ(FicheHistorique->Utilisateur(), QStringLiteral("martin"));
         }},
    };

    const QDir dossier(QStringLiteral(PARLIVO_SOURCE_DIR "/doc/exemples"));
    // Every example file of the reference is tried here.
    EXPECT_EQ(dossier.entryList({"*.ini"}, QDir::Files).size(), qsizetype(exemples.size()));
    for (const TExemple& e : exemples) {
        SCOPED_TRACE(e.fichier);
        ASSERT_TRUE(dossier.exists(e.fichier));
        TDialoguesScriptes dialogues;
        bool ouverte = false;
        const int statut = Demarrer(
            {dossier.filePath(e.fichier), QString::fromLatin1(e.mode)},
            [&] {
                ouverte = true;
                e.verifier();
                return 0;
            },
            base.Dossier());
        EXPECT_EQ(statut, 0);
        EXPECT_TRUE(ouverte);
        // No error box on the way: the example is a sound file for its window.
        for (const auto& d : dialogues.demandes) ADD_FAILURE() << d.texte.toStdString();
    }
}
