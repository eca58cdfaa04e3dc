// The three windows as a screen reader gets them through the accessibility interface:
// every control's role, name and state, the window itself, the lists' current entries,
// and the keyboard's way out of the history list.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <functional>
#include <memory>

#include "commun/BaseTest.h"
#include "commun/DialoguesScriptes.h"
#include "ui/Ficheenvoisms.h"
#include "ui/Tficheconfiguration.h"
#include "ui/Tfichehistorique.h"
#include "ui/Tpagecontrol.h"

namespace {

using R = QAccessible::Role;

struct TControle {
    const char* nom;
    R role;
    const char* nomAccessible;  // nullptr: a control that needs no name (a page, a frame)
};

class Accessibilite : public ::testing::Test {
  protected:
    Accessibilite() {
        base.AjouterService(QStringLiteral("SMS Express"));
        base.AjouterService(QStringLiteral("Texto Pro"));
        base.AjouterCategorie(1, QStringLiteral("Relances"));
        base.AjouterTemplate({.id = 1, .id_categorie = 1, .nom = "Rappel", .texte = "Bonjour"});
        base.AjouterParametreEntier("", "", "CONFIG", "BloquerCreation", 0);
        QFile f(base.Dossier() + QStringLiteral("/p.ini"));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Config]\nAgence=A\nUtilisateur=U\nCategorie=1\nNumero=0611\n[Client]\nNom=X\n");
    }

    template <class TFenetre>
    std::unique_ptr<TFenetre> Ouvrir() {
        auto fenetre = std::make_unique<TFenetre>();
        fenetre->DefinirFichierParametres(base.Dossier() + QStringLiteral("/p.ini"));
        fenetre->show();
        QApplication::setActiveWindow(fenetre.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(fenetre.get()));
        return fenetre;
    }

    // The window is a window named by its caption; each control listed has its role and
    // name, none of them with blanks around it; every named control of the window is
    // listed; the state follows the control.
    void Verifier(QWidget* fenetre, const std::vector<TControle>& controles) {
        QAccessibleInterface* acces = QAccessible::queryAccessibleInterface(fenetre);
        ASSERT_NE(acces, nullptr);
        EXPECT_EQ(acces->role(), QAccessible::Window);
        EXPECT_EQ(acces->text(QAccessible::Name), fenetre->windowTitle());

        QStringList listes;
        for (const TControle& c : controles) listes << QString::fromLatin1(c.nom);
        for (const QWidget* w : fenetre->findChildren<QWidget*>()) {
            const QString nom = w->objectName();
            // The toolkit's own parts (the tab bar's scroll buttons) are the toolkit's.
            if (!nom.isEmpty() && !nom.startsWith(QLatin1String("qt_")) &&
                !w->parentWidget()->inherits("QTabBar")) {
                EXPECT_TRUE(listes.contains(nom)) << "non vérifié : " << nom.toStdString();
            }
        }
        for (const TControle& c : controles) {
            auto* w = fenetre->findChild<QWidget*>(QLatin1String(c.nom));
            ASSERT_NE(w, nullptr) << c.nom;
            QAccessibleInterface* controle = QAccessible::queryAccessibleInterface(w);
            ASSERT_NE(controle, nullptr) << c.nom;
            EXPECT_EQ(controle->role(), c.role) << c.nom;
            const QString nom = controle->text(QAccessible::Name);
            if (c.nomAccessible) {
                EXPECT_EQ(nom, QString::fromUtf8(c.nomAccessible)) << c.nom;
            }
            EXPECT_EQ(nom, nom.trimmed()) << c.nom;
            const QAccessible::State etat = controle->state();
            EXPECT_EQ(bool(etat.disabled), !w->isEnabled()) << c.nom;
            EXPECT_EQ(bool(etat.invisible), !w->isVisible()) << c.nom;
            EXPECT_EQ(bool(etat.focusable), w->focusPolicy() != Qt::NoFocus) << c.nom;
        }
    }

    TBaseTest base;
    TDialoguesScriptes dialogues;
};

}  // namespace

TEST_F(Accessibilite, FenetreDEnvoi) {
    auto f = Ouvrir<TFormEnvoiSMS>();
    Verifier(f.get(), {
                          {"label_api", R::StaticText, "Service d'expédition :"},
                          {"combo_api", R::ComboBox, "Service d'expédition :"},
                          {"label_sender", R::StaticText, "Expéditeur :"},
                          {"edtExpediteur", R::EditableText, "Expéditeur :"},
                          {"label_numero", R::StaticText, "Numéro :"},
                          {"edtNumero", R::EditableText, "Numéro :"},
                          {"Label2", R::StaticText, "Catégorie :"},
                          {"combo_categorie", R::ComboBox, "Catégorie :"},
                          {"Label1", R::StaticText, "Template :"},
                          {"combo_template", R::ComboBox, "Template :"},
                          {"btnRefreshMessage", R::Button, "Recharger le texte du template"},
                          {"label_message", R::StaticText, "Message :"},
                          {"memoMessage", R::EditableText, "Message :"},
                          {"label_delay", R::StaticText, "Date d'envoi :"},
                          {"dtpDateEnvoi", R::SpinBox, "Date d'envoi :"},
                          {"label_response", R::StaticText, "Réponse :"},
                          {"edtReponse", R::EditableText, "Réponse :"},
                          {"btnEnvoyer", R::Button, "Envoyer"},
                          {"btnQuitter", R::Button, "Fermer"},
                      });
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(f->edtReponse)->state().disabled);
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(f->combo_categorie)->state().disabled);

    // A drop-down list tells its current entry as its text and keeps its name.
    for (QComboBox* liste : {f->combo_api, f->combo_categorie, f->combo_template}) {
        QAccessibleInterface* acces = QAccessible::queryAccessibleInterface(liste);
        ASSERT_NE(acces->textInterface(), nullptr) << liste->objectName().toStdString();
        EXPECT_FALSE(liste->currentText().isEmpty());
        EXPECT_EQ(acces->textInterface()->text(0, acces->textInterface()->characterCount()),
                  liste->currentText());
        EXPECT_EQ(acces->text(QAccessible::Value), liste->currentText());
        ASSERT_EQ(acces->childCount(), 1);
        EXPECT_EQ(acces->child(0)->role(), R::List);
    }
    QAccessibleInterface* services = QAccessible::queryAccessibleInterface(f->combo_api);
    f->combo_api->setCurrentIndex(1);
    EXPECT_EQ(services->textInterface()->text(0, 20), QStringLiteral("Texto Pro"));
    EXPECT_EQ(services->text(QAccessible::Name), QStringLiteral("Service d'expédition :"));
}

TEST_F(Accessibilite, FenetreDeConfiguration) {
    auto f = Ouvrir<TFicheConfiguration>();
    const std::vector<TControle> controles = {
        {"PageControl", R::Client, "Onglets de la configuration"},
        {"PageControlOnglets", R::PageTabList, nullptr},
        {"TabTemplate", R::Client, nullptr},
        {"gbDroit", R::Grouping, "Gestions des droits"},
        {"cbBloquerCreation", R::CheckBox, "Bloquer la création de templates"},
        {"gbTemplates", R::Grouping, "Gestions des templates"},
        {"label_categorie", R::StaticText, "Catégorie"},
        {"combo_categorie", R::ComboBox, "Catégorie"},
        {"btnAddTemplate", R::Button, "Ajouter"},
        {"label_template", R::StaticText, "Templates"},
        {"combo_template", R::ComboBox, "Templates"},
        {"gbTemplate", R::Grouping, nullptr},
        {"label_nomTemplate", R::StaticText, "Nom"},
        {"edtNomTemplate", R::EditableText, "Nom"},
        {"label_message", R::StaticText, "Message"},
        {"memo_message", R::EditableText, "Message"},
        {"label_balises", R::StaticText, "Balises"},
        {"tvBalises", R::Tree, "Balises"},
        {"btnSauvegarderTemplate", R::Button, "Sauvegarder"},
        {"btnAnnulerTemplate", R::Button, "Annuler"},
        {"TabAPI", R::Client, nullptr},
        {"label_api", R::StaticText, "Service d'expédition"},
        {"combo_api", R::ComboBox, "Service d'expédition"},
        {"label_Cle", R::StaticText, "Clé"},
        {"edtCle", R::EditableText, "Clé"},
        {"label_siteAPI", R::StaticText, "Site web"},
        {"label_link", R::StaticText, nullptr},
        {"btnSauvegarderAPI", R::Button, "Sauvegarder"},
        {"btnAnnulerAPI", R::Button, "Annuler"},
        {"btnQuitter", R::Button, "Fermer"},
    };
    Verifier(f.get(), controles);
    // The service list keeps its caption's name once a service is picked, on either tab.
    f->PageControl->setCurrentWidget(f->TabAPI);
    f->combo_api->setCurrentIndex(0);
    f->combo_api->activated(0);
    EXPECT_EQ(f->combo_api->currentText(), QStringLiteral("SMS Express"));
    Verifier(f.get(), controles);
}

TEST_F(Accessibilite, FenetreDHistorique) {
    auto f = Ouvrir<TFicheHistorique>();
    Verifier(f.get(), {
                          {"gbCreation", R::Grouping, "Date de création"},
                          {"Label_creation_du", R::StaticText, "Du"},
                          {"cbDateCreationDebut", R::CheckBox, "Date de création du : critère"},
                          {"DateCreationDebut", R::SpinBox, "Du"},
                          {"Label_creation_au", R::StaticText, "Au"},
                          {"cbDateCreationFin", R::CheckBox, "Date de création au : critère"},
                          {"DateCreationFin", R::SpinBox, "Au"},
                          {"zoneTextes", R::Client, nullptr},
                          {"label_epediteur", R::StaticText, "Expéditeur"},
                          {"edit_expediteur", R::EditableText, "Expéditeur"},
                          {"label_destinataire", R::StaticText, "Destinataire"},
                          {"edit_destinataire", R::EditableText, "Destinataire"},
                          {"gbEnvoi", R::Grouping, "Date d'envoi"},
                          {"label_envoi_du", R::StaticText, "Du"},
                          {"cbDateEnvoiDebut", R::CheckBox, "Date d'envoi du : critère"},
                          {"DateEnvoiDebut", R::SpinBox, "Du"},
                          {"label_envoi_au", R::StaticText, "Au"},
                          {"cbDateEnvoiFin", R::CheckBox, "Date d'envoi au : critère"},
                          {"DateEnvoiFin", R::SpinBox, "Au"},
                          {"rgEtat", R::Grouping, "Etat"},
                          {"rgEtat0", R::RadioButton, "Tous"},
                          {"rgEtat1", R::RadioButton, "En cours"},
                          {"rgEtat2", R::RadioButton, "Envoyé"},
                          {"rgEtat3", R::RadioButton, "Erreur"},
                          {"btnRechercher", R::Button, "Rechercher"},
                          {"ListView", R::Table, "Historique des envois"},
                          {"btnQuitter", R::Button, "Fermer"},
                      });

    // Tab and Shift+Tab leave the list, whatever row is current.
    base.Executer(
        QStringLiteral("INSERT INTO Historique (id, agence, utilisateur) VALUES "
                       "(1, 'A', 'U'), (2, 'A', 'U')"));
    f->btnRechercherClick();
    ASSERT_EQ(f->ListView->model()->rowCount(), 2);
    f->ListView->setFocus();
    f->ListView->setCurrentIndex(f->ListView->model()->index(0, 0));
    QTest::keyClick(f->ListView, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(f->btnQuitter));
    f->ListView->setFocus();
    QTest::keyClick(f->ListView, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(f->btnRechercher));
}
