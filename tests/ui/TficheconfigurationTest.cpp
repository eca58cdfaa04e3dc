// The configuration window on a real sms.abs, driven as a user drives it: picking entries
// in the lists, typing, pressing buttons, changing tabs. Only the modal dialogs are
// scripted.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <memory>

#include "commun/BaseTest.h"
#include "commun/DialoguesScriptes.h"
#include "commun/MoteurTest.h"
#include "data/Datamoduleabs.h"
#include "ui/DialoguesQt.h"
#include "ui/Police.h"
#include "ui/Tficheconfiguration.h"
#include "ui/Tpagecontrol.h"

namespace {

const QString Question = QStringLiteral("Voulez-vous sauvegarder les données modifiées ?");

const QByteArray Parametres =
    "[Config]\n"
    "Agence=Agence Sud\n"
    "Utilisateur=jdurand\n"
    "[Societe]\n"
    "Nom=Immo Sud\n"
    "Tel=04\n"
    "[Client]\n"
    "Nom=Mme Dupont\n"
    "Prenom=Anne\n"
    "[Dossier]\n";

bool Marque(const QLabel* etiquette) {
    return etiquette->font().bold() && etiquette->font().italic();
}
bool Normale(const QLabel* etiquette) {
    return !etiquette->font().bold() && !etiquette->font().italic();
}

QStringList Entrees(const QComboBox* combo) {
    QStringList textes;
    for (int i = 0; i < combo->count(); ++i) textes << combo->itemText(i);
    return textes;
}

// Records, for each question asked, which tab was active at that moment.
class TDialoguesObserves : public TDialoguesScriptes {
  public:
    QTabWidget* onglets = nullptr;
    std::vector<QString> ongletsAuxQuestions;
    TResultatDialogue MessageDlg(const QString& texte, TTypeDialogue type,
                                 TBoutons boutons) override {
        if (onglets) ongletsAuxQuestions.push_back(onglets->currentWidget()->objectName());
        return TDialoguesScriptes::MessageDlg(texte, type, boutons);
    }
};

// The cases whose result lies in the base run on both engines (TEST_P).
class Configuration : public TTestDeuxMoteurs {
  protected:
    void SetUp() override {
        // Two services, stored in reverse name order: the list follows the names.
        base.AjouterService(
            {.nom = "Service B", .url = "http://b.exemple:8080/sms?to=1", .cle = "CLE-B"});
        base.AjouterService(
            {.nom = "Service A", .url = "https://api.service-a.fr/v1/envoi", .cle = "CLE-A"});
        base.AjouterCategorie(1, "Relances");
        base.AjouterCategorie(2, "accueil");
        base.AjouterCategorie(3, "Échéances");
        base.AjouterTemplate({.id = 1,
                              .agence = "Agence Sud",
                              .utilisateur = "jdurand",
                              .id_categorie = 1,
                              .nom = "Rappel",
                              .texte = "Bonjour,\r\nà demain"});
        base.AjouterTemplate({.id = 2,
                              .agence = "Autre agence",
                              .utilisateur = "autre",
                              .id_categorie = 1,
                              .nom = "Relance 2",
                              .texte = "Texte 2"});
        base.AjouterTemplate({.id = 3, .id_categorie = 2, .nom = "Bienvenue", .texte = "Texte 3"});
        base.AjouterParametreEntier("", "", "CONFIG", "BloquerCreation", 0);
    }

    void Ouvrir(const QByteArray& parametres = Parametres) {
        const QString chemin = base.Dossier() + QStringLiteral("/parametres.ini");
        QFile fichier(chemin);
        ASSERT_TRUE(fichier.open(QIODevice::WriteOnly));
        fichier.write(parametres);
        fichier.close();
        fenetre = std::make_unique<TFicheConfiguration>();
        f = fenetre.get();
        f->OuvrirLien = [this](const QUrl& lien) { liensOuverts.push_back(lien); };
        dialogues.onglets = f->PageControl;
        f->DefinirFichierParametres(chemin);
        f->show();
        QApplication::setActiveWindow(f);
        ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    }

    // The user opens the list and clicks the entry.
    void Choisir(QComboBox* combo, const QString& texte) {
        const int index = combo->findText(texte);
        ASSERT_GE(index, 0) << texte.toStdString();
        combo->showPopup();
        QAbstractItemView* vue = combo->view();
        const QRect rectangle = vue->visualRect(vue->model()->index(index, 0));
        QTest::mouseClick(vue->viewport(), Qt::LeftButton, {}, rectangle.center());
        ASSERT_EQ(combo->currentText(), texte);
    }
    void Taper(QWidget* champ, const QString& texte) {
        for (const QChar c : texte)
            QTest::sendKeyEvent(QTest::Click, champ, Qt::Key_unknown, QString(c), {});
    }
    void Effacer(QWidget* champ) { QTest::keyClick(champ, Qt::Key_Backspace); }
    void Cliquer(QPushButton* bouton) { QTest::mouseClick(bouton, Qt::LeftButton); }
    // On the box itself: the check box is as wide as its group, its text is not.
    void Cocher() {
        QTest::mouseClick(f->cbBloquerCreation, Qt::LeftButton, {},
                          QPoint(6, f->cbBloquerCreation->height() / 2));
    }
    void Onglet(QWidget* page) {
        QTabBar* barre = f->PageControl->tabBar();
        QTest::mouseClick(barre, Qt::LeftButton, {},
                          barre->tabRect(f->PageControl->indexOf(page)).center());
        ASSERT_EQ(f->PageControl->currentWidget(), page);
    }
    QStringList Questions() const {
        QStringList questions;
        for (const auto& d : dialogues.demandes)
            if (d.genre == TDialoguesScriptes::TGenre::Dlg) questions << d.texte;
        return questions;
    }
    QString CleStockee(int id) {
        return base.Valeur(QStringLiteral("SELECT cle FROM ConfigurationApi WHERE id = %1").arg(id))
            .toString();
    }
    void OuvrirTemplate(const QString& categorie, const QString& modele) {
        Choisir(f->combo_categorie, categorie);
        Choisir(f->combo_template, modele);
    }

    TBaseTest base{true, Moteur()};
    TDialoguesObserves dialogues;
    std::vector<QUrl> liensOuverts;
    std::unique_ptr<TFicheConfiguration> fenetre;
    TFicheConfiguration* f = nullptr;
};

using FenetreConfiguration = Configuration;
using OngletService = Configuration;
using OngletTemplates = Configuration;
using GardeModifications = Configuration;
using BlocageCreation = Configuration;

}  // namespace

INSTANCIER_DEUX_MOTEURS(OngletService);
INSTANCIER_DEUX_MOTEURS(OngletTemplates);
INSTANCIER_DEUX_MOTEURS(GardeModifications);
INSTANCIER_DEUX_MOTEURS(BlocageCreation);

// ---------------------------------------------------------------------------------------
// The window as built

TEST_F(FenetreConfiguration, ControlesCommeConstruits) {
    TFicheConfiguration w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Configuration du Parlivo"));
    EXPECT_EQ(w.minimumSize(), QSize(517, 612));
    EXPECT_EQ(w.maximumSize(), QSize(517, 612));
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(w.font().family(), PoliceTahoma(8).family());
    EXPECT_EQ(w.font().pointSize(), 8);

    auto* pages = w.findChild<QTabWidget*>("PageControl");
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->currentWidget(), w.findChild<QWidget*>("TabTemplate"));
    EXPECT_EQ(pages->tabText(0), QStringLiteral("Gestion des templates"));
    EXPECT_EQ(pages->tabText(1), QStringLiteral("Service d'expédition"));

    // Name, caption, enabled at start.
    const struct {
        const char* nom;
        QString texte;
        bool actif;
    } controles[] = {
        {"gbDroit", "Gestions des droits", true},
        {"cbBloquerCreation", "Bloquer la création de templates", true},
        {"gbTemplates", "Gestions des templates", true},
        {"label_categorie", "Catégorie", true},
        {"btnAddTemplate", "Ajouter", true},
        {"label_template", "Templates", true},
        {"gbTemplate", "", true},
        {"label_nomTemplate", "Nom  ", true},
        {"label_message", "Message  ", true},
        {"label_balises", "Balises", true},
        {"btnSauvegarderTemplate", "Sauvegarder", false},
        {"btnAnnulerTemplate", "Annuler", false},
        {"label_Cle", "Clé ", true},
        {"label_siteAPI", "Site web", true},
        {"label_link", "", true},
        {"btnSauvegarderAPI", "Sauvegarder", false},
        {"btnAnnulerAPI", "Annuler", false},
        {"btnQuitter", "Fermer", true},
    };
    for (const auto& c : controles) {
        QWidget* controle = w.findChild<QWidget*>(c.nom);
        ASSERT_NE(controle, nullptr) << c.nom;
        QString texte;
        if (auto* l = qobject_cast<QLabel*>(controle)) texte = l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(controle)) texte = b->text();
        if (auto* g = qobject_cast<QGroupBox*>(controle)) texte = g->title();
        EXPECT_EQ(texte, c.texte) << c.nom;
        EXPECT_EQ(controle->isEnabled(), c.actif) << c.nom;
    }
    for (const char* nom : {"btnSauvegarderTemplate", "btnAnnulerTemplate", "btnSauvegarderAPI",
                            "btnAnnulerAPI", "btnQuitter"})
        EXPECT_FALSE(w.findChild<QPushButton*>(nom)->icon().isNull()) << nom;
    EXPECT_FALSE(w.findChild<QCheckBox*>("cbBloquerCreation")->isChecked());

    // Fields: enabled at start, caption that names them.
    const struct {
        const char* champ;
        const char* etiquette;
        bool actif;
    } champs[] = {
        {"combo_categorie", "label_categorie", true},   {"combo_template", "label_template", false},
        {"edtNomTemplate", "label_nomTemplate", false}, {"memo_message", "label_message", false},
        {"tvBalises", "label_balises", false},          {"edtCle", "label_Cle", false},
        {"label_link", "label_siteAPI", true}};
    for (const auto& c : champs) {
        QWidget* champ = w.findChild<QWidget*>(c.champ);
        ASSERT_NE(champ, nullptr) << c.champ;
        EXPECT_EQ(w.findChild<QLabel*>(c.etiquette)->buddy(), champ) << c.champ;
        EXPECT_EQ(champ->isEnabled(), c.actif) << c.champ;
    }
    for (const char* nom : {"combo_categorie", "combo_template", "combo_api"}) {
        auto* combo = w.findChild<QComboBox*>(nom);
        ASSERT_NE(combo, nullptr) << nom;
        EXPECT_TRUE(combo->isEditable()) << nom;
        EXPECT_EQ(combo->currentText(), QString()) << nom;
    }
    EXPECT_FALSE(w.findChild<QComboBox*>("combo_api")->accessibleName().isEmpty());
    EXPECT_EQ(w.findChild<QTreeWidget*>("tvBalises")->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(Normale(w.findChild<QLabel*>("label_Cle")));
}

TEST_F(FenetreConfiguration, ChangementDOngletAnnonceAvantDeSeFaire) {
    Ouvrir();
    Onglet(f->TabAPI);
    Choisir(f->combo_api, "Service A");
    Taper(f->edtCle, "x");
    // Keyboard: Ctrl+Tab on the window, the arrows on the tab bar; then the mouse.
    QTest::keyClick(f->PageControl, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(f->PageControl->currentWidget(), f->TabTemplate);
    Taper(f->edtCle, "y");
    QTest::keyClick(f->PageControl->tabBar(), Qt::Key_Right);
    EXPECT_EQ(f->PageControl->currentWidget(), f->TabAPI);
    Taper(f->edtCle, "z");
    Onglet(f->TabTemplate);
    // Each question came while the old tab was still the active one.
    EXPECT_EQ(dialogues.ongletsAuxQuestions,
              (std::vector<QString>{"TabAPI", "TabTemplate", "TabAPI"}));
    EXPECT_EQ(Questions(), QStringList(3, Question));
    // A click on the active tab is no change: nothing runs.
    Taper(f->edtCle, "w");
    Onglet(f->TabTemplate);
    EXPECT_EQ(Questions().size(), 3);
    EXPECT_TRUE(f->ApiModifiee());
}

// ---------------------------------------------------------------------------------------
// Service tab: Empty, Loaded, Edited

TEST_P(OngletService, EtatsEtTransitions) {
    Ouvrir();
    // Opening: Empty.
    EXPECT_EQ(Entrees(f->combo_api), (QStringList{"Service A", "Service B"}));
    EXPECT_EQ(f->combo_api->currentText(), QString());
    EXPECT_FALSE(f->edtCle->isEnabled());
    EXPECT_TRUE(f->edtCle->text().isEmpty());
    EXPECT_FALSE(f->btnSauvegarderAPI->isEnabled());
    EXPECT_FALSE(f->btnAnnulerAPI->isEnabled());
    EXPECT_TRUE(f->label_link->text().isEmpty());

    // Picking: Loaded, with the site of the URL as a link.
    Onglet(f->TabAPI);
    Choisir(f->combo_api, "Service A");
    EXPECT_EQ(f->edtCle->text(), QStringLiteral("CLE-A"));
    EXPECT_TRUE(f->edtCle->isEnabled());
    EXPECT_TRUE(f->btnSauvegarderAPI->isEnabled());
    EXPECT_TRUE(f->btnAnnulerAPI->isEnabled());
    EXPECT_EQ(f->label_link->text(),
              QStringLiteral("<a href=\"https://api.service-a.fr\">https://api.service-a.fr</a>"));
    EXPECT_FALSE(f->ApiModifiee());
    EXPECT_TRUE(Normale(f->label_Cle));

    // Typing a key: Edited. Saving: Loaded, stored as typed, spaces kept.
    f->edtCle->selectAll();
    Taper(f->edtCle, "  clé neuve ");
    EXPECT_TRUE(f->ApiModifiee());
    EXPECT_TRUE(Marque(f->label_Cle));
    const QString autresColonnes = QStringLiteral(
        "SELECT nom || url || cle_api || numero || message || expediteur || date_envoi || "
        "format_date || statut_ok FROM ConfigurationApi WHERE id = 2");
    const QString avant = base.Valeur(autresColonnes).toString();
    Cliquer(f->btnSauvegarderAPI);
    EXPECT_EQ(CleStockee(2), QStringLiteral("  clé neuve "));
    EXPECT_EQ(base.Valeur(autresColonnes).toString(), avant);
    EXPECT_EQ(CleStockee(1), QStringLiteral("CLE-B"));
    EXPECT_FALSE(f->ApiModifiee());
    EXPECT_TRUE(Normale(f->label_Cle));
    EXPECT_TRUE(f->edtCle->isEnabled());
    EXPECT_TRUE(f->btnSauvegarderAPI->isEnabled());

    // Cancelling shows the key last stored, not the one the window opened with.
    Taper(f->edtCle, "xyz");
    Cliquer(f->btnAnnulerAPI);
    EXPECT_EQ(f->edtCle->text(), QStringLiteral("  clé neuve "));
    EXPECT_FALSE(f->ApiModifiee());
    EXPECT_TRUE(Normale(f->label_Cle));

    // The empty key is stored too.
    f->edtCle->selectAll();
    Effacer(f->edtCle);
    Cliquer(f->btnSauvegarderAPI);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM ConfigurationApi WHERE id = 2 AND cle = ''"), 1);

    // Picking another service after an edit: its key replaces the edit, nothing stored.
    Taper(f->edtCle, "perdue");
    Choisir(f->combo_api, "Service B");
    EXPECT_EQ(f->edtCle->text(), QStringLiteral("CLE-B"));
    EXPECT_EQ(f->label_link->text(),
              QStringLiteral("<a href=\"http://b.exemple:8080\">http://b.exemple:8080</a>"));
    EXPECT_TRUE(CleStockee(2).isEmpty());
    EXPECT_FALSE(f->ApiModifiee());

    // Typing in the list empties the tab; typing a service's exact name loads nothing.
    f->combo_api->lineEdit()->selectAll();
    Taper(f->combo_api->lineEdit(), "Service A");
    EXPECT_TRUE(f->edtCle->text().isEmpty());
    EXPECT_FALSE(f->edtCle->isEnabled());
    EXPECT_FALSE(f->btnSauvegarderAPI->isEnabled());
    EXPECT_FALSE(f->btnAnnulerAPI->isEnabled());
    EXPECT_TRUE(f->label_link->text().isEmpty());
    QTest::keyClick(f->combo_api->lineEdit(), Qt::Key_Return);
    f->combo_api->clearFocus();
    EXPECT_FALSE(f->edtCle->isEnabled());
    EXPECT_EQ(Entrees(f->combo_api), (QStringList{"Service A", "Service B"}));
    EXPECT_TRUE(dialogues.demandes.empty());
}

TEST_F(OngletService, LienDuSite) {
    EXPECT_EQ(TFicheConfiguration::ExtraireSiteWeb("https://h.fr:8443/a/b?q=1"),
              "https://h.fr:8443");
    EXPECT_EQ(TFicheConfiguration::ExtraireSiteWeb("http://h.fr/"), "http://h.fr");
    EXPECT_EQ(TFicheConfiguration::ExtraireSiteWeb("http://x/y"), "http://x");
    // No "/" at or after the 9th character: the whole URL.
    EXPECT_EQ(TFicheConfiguration::ExtraireSiteWeb("https://h.fr"), "https://h.fr");
    EXPECT_EQ(TFicheConfiguration::ExtraireSiteWeb("http:/"), "http:/");
    EXPECT_EQ(TFicheConfiguration::ExtraireSiteWeb(""), "");

    base.AjouterService({.nom = "Guillemet", .url = "https://a\"b<c>/p"});
    base.AjouterService({.nom = "Fichier", .url = "file:///usr/bin/programme"});
    base.AjouterService({.nom = "Esperluette", .url = "https://h.fr?a=1&b=2"});
    Ouvrir();
    Onglet(f->TabAPI);
    Choisir(f->combo_api, "Service A");
    // A click on the link opens the site in the browser.
    QTest::mouseClick(f->label_link, Qt::LeftButton, {}, QPoint(4, f->label_link->height() / 2));
    ASSERT_EQ(liensOuverts.size(), 1u);
    EXPECT_EQ(liensOuverts[0], QUrl("https://api.service-a.fr"));
    // Markup characters in the URL stay text.
    Choisir(f->combo_api, "Guillemet");
    EXPECT_EQ(f->label_link->text(), QStringLiteral("<a href=\"https://a&quot;b&lt;c&gt;\">"
                                                    "https://a&quot;b&lt;c&gt;</a>"));
    // Only web addresses reach the shell.
    Choisir(f->combo_api, "Fichier");
    EXPECT_EQ(f->label_link->text(), QStringLiteral("<a href=\"file:///usr\">file:///usr</a>"));
    QTest::mouseClick(f->label_link, Qt::LeftButton, {}, QPoint(4, f->label_link->height() / 2));
    f->label_linkLinkClick(QString());
    EXPECT_EQ(liensOuverts.size(), 1u);
    // No "/" after the host: the whole URL; an "&" reaches the browser as itself.
    Choisir(f->combo_api, "Esperluette");
    EXPECT_EQ(f->label_link->text(),
              QStringLiteral("<a href=\"https://h.fr?a=1&amp;b=2\">https://h.fr?a=1&amp;b=2</a>"));
    QTest::mouseClick(f->label_link, Qt::LeftButton, {}, QPoint(4, f->label_link->height() / 2));
    ASSERT_EQ(liensOuverts.size(), 2u);
    EXPECT_EQ(liensOuverts[1], QUrl("https://h.fr?a=1&b=2"));
}

TEST_P(OngletService, Homonymes) {
    base.AjouterService({.nom = "Service A", .url = "http://second.fr/x", .cle = "CLE-A2"});
    Ouvrir();
    Onglet(f->TabAPI);
    // The second "Service A" entry loads and stores the first of that name.
    f->combo_api->showPopup();
    QAbstractItemView* vue = f->combo_api->view();
    QTest::mouseClick(vue->viewport(), Qt::LeftButton, {},
                      vue->visualRect(vue->model()->index(1, 0)).center());
    EXPECT_EQ(f->combo_api->currentIndex(), 1);
    EXPECT_EQ(f->edtCle->text(), QStringLiteral("CLE-A"));
    Taper(f->edtCle, "+");
    Cliquer(f->btnSauvegarderAPI);
    EXPECT_EQ(CleStockee(2), QStringLiteral("CLE-A+"));
    EXPECT_EQ(CleStockee(3), QStringLiteral("CLE-A2"));
}

TEST_P(OngletService, SauvegardeQuiNEnregistreRien) {
    base.Executer("DELETE FROM ConfigurationApi");
    Ouvrir();
    // An empty table: the first tab change still enables the key field and the buttons.
    EXPECT_EQ(f->combo_api->count(), 0);
    Onglet(f->TabAPI);
    EXPECT_TRUE(f->edtCle->isEnabled());
    EXPECT_TRUE(f->btnSauvegarderAPI->isEnabled());
    Taper(f->edtCle, "cle");
    // Nothing can be stored: said so, and the edit stays pending.
    Cliquer(f->btnSauvegarderAPI);
    ASSERT_EQ(dialogues.demandes.size(), 1u);
    EXPECT_EQ(dialogues.demandes[0].type, TTypeDialogue::Erreur);
    EXPECT_TRUE(dialogues.demandes[0].texte.startsWith("Erreur : "));
    EXPECT_TRUE(f->ApiModifiee());
    EXPECT_TRUE(Marque(f->label_Cle));
    EXPECT_EQ(base.Compter("SELECT count(*) FROM ConfigurationApi"), 0);
}

TEST_P(OngletService, ServiceSupprimeParUnAutrePoste) {
    Ouvrir();
    Onglet(f->TabAPI);
    Choisir(f->combo_api, "Service A");
    Taper(f->edtCle, "-2");
    base.Executer("DELETE FROM ConfigurationApi WHERE id = 2");
    Cliquer(f->btnSauvegarderAPI);
    ASSERT_EQ(dialogues.demandes.size(), 1u);
    EXPECT_EQ(dialogues.demandes[0].type, TTypeDialogue::Erreur);
    EXPECT_TRUE(f->ApiModifiee());
    EXPECT_TRUE(Marque(f->label_Cle));
    // The record still holds the key last stored.
    Cliquer(f->btnAnnulerAPI);
    EXPECT_EQ(f->edtCle->text(), QStringLiteral("CLE-A"));
}

// ---------------------------------------------------------------------------------------
// Template tab: Hidden (see BlocageCreation), No category, Category picked, Template open,
// Template edited

TEST_P(OngletTemplates, OuvertureSansCategorie) {
    Ouvrir();
    // Sorted in the locale's order, whatever the table's order and the letter case.
    EXPECT_EQ(Entrees(f->combo_categorie), (QStringList{"accueil", "Échéances", "Relances"}));
    EXPECT_EQ(f->combo_categorie->currentText(), QString());
    EXPECT_EQ(f->IdCategorieCourante(), -1);
    EXPECT_FALSE(f->combo_template->isEnabled());
    EXPECT_EQ(f->combo_template->count(), 0);
    for (QWidget* w :
         std::initializer_list<QWidget*>{f->edtNomTemplate, f->memo_message, f->tvBalises,
                                         f->btnSauvegarderTemplate, f->btnAnnulerTemplate})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();

    // The tag tree: one root per section with tags, in sorted order; "Dossier" has none.
    ASSERT_EQ(f->tvBalises->topLevelItemCount(), 2);
    EXPECT_EQ(f->tvBalises->topLevelItem(0)->text(0), QStringLiteral("Client"));
    EXPECT_EQ(f->tvBalises->topLevelItem(1)->text(0), QStringLiteral("Societe"));
    ASSERT_EQ(f->tvBalises->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(f->tvBalises->topLevelItem(0)->child(0)->text(0), QStringLiteral("<Client_Nom>"));
    EXPECT_EQ(f->tvBalises->topLevelItem(0)->child(1)->text(0), QStringLiteral("<Client_Prenom>"));
    EXPECT_EQ(f->tvBalises->topLevelItem(1)->childCount(), 2);
    EXPECT_EQ(f->tvBalises->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(f->tvBalises->selectionMode(), QAbstractItemView::NoSelection);

    // Typing a category's exact name opens nothing.
    Taper(f->combo_categorie->lineEdit(), "Relances");
    f->combo_categorie->clearFocus();
    EXPECT_FALSE(f->combo_template->isEnabled());
    EXPECT_EQ(f->IdCategorieCourante(), -1);
}

TEST_P(OngletTemplates, EtatsEtTransitions) {
    Ouvrir();
    // Category picked: "<Nouveau>" then every template of the category, whoever wrote it.
    Choisir(f->combo_categorie, "Relances");
    EXPECT_EQ(f->IdCategorieCourante(), 1);
    EXPECT_TRUE(f->combo_template->isEnabled());
    EXPECT_EQ(Entrees(f->combo_template), (QStringList{"<Nouveau>", "Rappel", "Relance 2"}));
    EXPECT_EQ(f->combo_template->currentText(), QString());
    EXPECT_FALSE(f->edtNomTemplate->isEnabled());

    // Template open.
    Choisir(f->combo_template, "Rappel");
    EXPECT_EQ(f->edtNomTemplate->text(), QStringLiteral("Rappel"));
    EXPECT_EQ(f->memo_message->toPlainText(), QStringLiteral("Bonjour,\nà demain"));
    for (QWidget* w :
         std::initializer_list<QWidget*>{f->edtNomTemplate, f->memo_message, f->tvBalises,
                                         f->btnSauvegarderTemplate, f->btnAnnulerTemplate})
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_FALSE(f->TemplateModifie());
    EXPECT_TRUE(Normale(f->label_nomTemplate));
    EXPECT_TRUE(Normale(f->label_message));

    // Template edited: only the changed field's caption is marked.
    f->memo_message->moveCursor(QTextCursor::End);
    Taper(f->memo_message, " !");
    EXPECT_TRUE(f->TemplateModifie());
    EXPECT_TRUE(Marque(f->label_message));
    EXPECT_TRUE(Normale(f->label_nomTemplate));
    Taper(f->edtNomTemplate, " bis");
    EXPECT_TRUE(Marque(f->label_nomTemplate));

    // Cancelling shows the stored version.
    Cliquer(f->btnAnnulerTemplate);
    EXPECT_EQ(f->edtNomTemplate->text(), QStringLiteral("Rappel"));
    EXPECT_FALSE(f->TemplateModifie());
    EXPECT_TRUE(Normale(f->label_message));

    // Saving: name and text stored (CR LF between lines), owner and category kept; the
    // entry moves to the end under its new name and stays selected.
    f->edtNomTemplate->selectAll();
    Taper(f->edtNomTemplate, "Rappel J-1");
    f->memo_message->moveCursor(QTextCursor::End);
    QTest::keyClick(f->memo_message, Qt::Key_Return);
    Taper(f->memo_message, "Cordialement");
    Cliquer(f->btnSauvegarderTemplate);
    EXPECT_EQ(base.Valeur("SELECT nom FROM Template WHERE id_template = 1").toString(),
              QStringLiteral("Rappel J-1"));
    EXPECT_EQ(base.Valeur("SELECT texte FROM Template WHERE id_template = 1").toString(),
              QStringLiteral("Bonjour,\r\nà demain\r\nCordialement"));
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Template WHERE id_template = 1 AND agence = "
                           "'Agence Sud' AND utilisateur = 'jdurand' AND id_categorie = 1"),
              1);
    EXPECT_EQ(Entrees(f->combo_template), (QStringList{"<Nouveau>", "Relance 2", "Rappel J-1"}));
    EXPECT_EQ(f->combo_template->currentIndex(), 2);
    EXPECT_EQ(f->combo_template->currentText(), QStringLiteral("Rappel J-1"));
    EXPECT_FALSE(f->TemplateModifie());
    EXPECT_TRUE(Normale(f->label_nomTemplate));
    EXPECT_TRUE(Normale(f->label_message));
    EXPECT_TRUE(f->edtNomTemplate->isEnabled());
    EXPECT_EQ(f->edtNomTemplate->text(), QStringLiteral("Rappel J-1"));

    // Another user's template can be changed like any other.
    Choisir(f->combo_template, "Relance 2");
    Taper(f->memo_message, "*");
    Cliquer(f->btnSauvegarderTemplate);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Template WHERE id_template = 2 AND agence = "
                           "'Autre agence' AND texte = '*Texte 2'"),
              1);

    // Typing in the template list: back to Category picked.
    f->combo_template->lineEdit()->selectAll();
    Taper(f->combo_template->lineEdit(), "Rappel J-1");
    EXPECT_FALSE(f->edtNomTemplate->isEnabled());
    EXPECT_TRUE(f->edtNomTemplate->text().isEmpty());
    EXPECT_TRUE(f->memo_message->toPlainText().isEmpty());
    EXPECT_FALSE(f->btnSauvegarderTemplate->isEnabled());
    EXPECT_TRUE(f->combo_template->isEnabled());
    EXPECT_EQ(f->combo_template->currentText(), QStringLiteral("Rappel J-1"));

    // Typing in the category list: No category; the editing controls stay as they were.
    Choisir(f->combo_template, "Relance 2");
    f->combo_categorie->lineEdit()->selectAll();
    Taper(f->combo_categorie->lineEdit(), "R");
    EXPECT_EQ(f->IdCategorieCourante(), -1);
    EXPECT_FALSE(f->combo_template->isEnabled());
    EXPECT_EQ(f->combo_template->count(), 0);
    EXPECT_TRUE(f->combo_template->currentText().isEmpty());
    EXPECT_TRUE(f->edtNomTemplate->isEnabled());
    EXPECT_EQ(f->edtNomTemplate->text(), QStringLiteral("Relance 2"));
    EXPECT_TRUE(dialogues.demandes.empty());
}

TEST_P(OngletTemplates, TexteGardeSesCaracteres) {
    // French typography: non-breaking spaces before ":" and inside the amount.
    const QString texte = QStringLiteral("Montant\u00a0: 1\u00a0250\u00a0\u20ac\r\nMerci\u00a0!");
    base.AjouterTemplate({.id = 4, .id_categorie = 2, .nom = "Montant", .texte = texte});
    Ouvrir();
    OuvrirTemplate("accueil", "Montant");
    // Only the name is changed: the text is stored back as it was read.
    Taper(f->edtNomTemplate, "s");
    Cliquer(f->btnSauvegarderTemplate);
    EXPECT_EQ(base.Valeur("SELECT nom FROM Template WHERE id_template = 4").toString(),
              QStringLiteral("Montants"));
    EXPECT_EQ(base.Valeur("SELECT texte FROM Template WHERE id_template = 4").toString(), texte);
}

TEST_P(OngletTemplates, NouveauTemplate) {
    Ouvrir("[Config]\nAgence=\nUtilisateur=\n");
    OuvrirTemplate("accueil", "<Nouveau>");
    EXPECT_EQ(f->edtNomTemplate->text(), QStringLiteral("Nouveau"));
    EXPECT_EQ(f->memo_message->toPlainText(),
              QStringLiteral("Inscrivez le contenu du message ici"));
    EXPECT_FALSE(f->TemplateModifie());
    EXPECT_TRUE(Normale(f->label_nomTemplate));
    EXPECT_TRUE(Normale(f->label_message));

    // Saving twice with "<Nouveau>" still selected stores two templates.
    Cliquer(f->btnSauvegarderTemplate);
    Cliquer(f->btnSauvegarderTemplate);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Template WHERE id_categorie = 2 AND nom = "
                           "'Nouveau' AND texte = 'Inscrivez le contenu du message ici' AND "
                           "agence = '' AND utilisateur = ''"),
              2);
    EXPECT_EQ(base.Compter("SELECT count(DISTINCT id_template) FROM Template"), 5);
    EXPECT_EQ(Entrees(f->combo_template),
              (QStringList{"<Nouveau>", "Bienvenue", "Nouveau", "Nouveau"}));
    EXPECT_EQ(f->combo_template->currentText(), QStringLiteral("<Nouveau>"));
    EXPECT_EQ(f->combo_template->currentIndex(), 0);

    // The new templates are listed again when the category is picked again.
    Choisir(f->combo_categorie, "Relances");
    Choisir(f->combo_categorie, "accueil");
    EXPECT_EQ(f->combo_template->count(), 4);
}

TEST_P(OngletTemplates, AjouterUneCategorie) {
    Ouvrir();
    // Cancelled, or confirmed empty: nothing added.
    Cliquer(f->btnAddTemplate);
    dialogues.Saisir(QString(""));
    Cliquer(f->btnAddTemplate);
    ASSERT_EQ(dialogues.demandes.size(), 2u);
    EXPECT_EQ(dialogues.demandes[0].genre, TDialoguesScriptes::TGenre::Saisie);
    EXPECT_EQ(dialogues.demandes[0].titre, QStringLiteral("Nouvelle catégorie"));
    EXPECT_EQ(dialogues.demandes[0].texte, QStringLiteral("Nom de la catégorie"));
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Categorie"), 3);
    EXPECT_EQ(f->combo_categorie->count(), 3);

    // A new name goes to its sorted place and becomes current with "<Nouveau>" alone.
    dialogues.Saisir(QStringLiteral("Devis"));
    Cliquer(f->btnAddTemplate);
    EXPECT_EQ(Entrees(f->combo_categorie),
              (QStringList{"accueil", "Devis", "Échéances", "Relances"}));
    EXPECT_EQ(f->combo_categorie->currentText(), QStringLiteral("Devis"));
    EXPECT_EQ(f->IdCategorieCourante(), 4);
    EXPECT_EQ(Entrees(f->combo_template), QStringList{"<Nouveau>"});
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Categorie WHERE id_categorie = 4 AND nom = "
                           "'Devis' AND interne = 0"),
              1);

    // Spaces are kept; a name already used is added again, and its entry is picked as any
    // other: the first category of that name opens, where a template saved next can be
    // found again.
    dialogues.Saisir(QStringLiteral("  "));
    Cliquer(f->btnAddTemplate);
    EXPECT_EQ(f->IdCategorieCourante(), 5);
    dialogues.Saisir(QStringLiteral("Relances"));
    Cliquer(f->btnAddTemplate);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Categorie WHERE nom = '  '"), 1);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Categorie WHERE nom = 'Relances'"), 2);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Categorie WHERE id_categorie = 6"), 1);
    EXPECT_EQ(f->combo_categorie->currentIndex(), f->combo_categorie->findText("Relances") + 1);
    EXPECT_EQ(f->IdCategorieCourante(), 1);
    EXPECT_EQ(Entrees(f->combo_template), (QStringList{"<Nouveau>", "Rappel", "Relance 2"}));
    Choisir(f->combo_template, "<Nouveau>");
    Cliquer(f->btnSauvegarderTemplate);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Template WHERE nom = 'Nouveau' AND "
                           "id_categorie = 1"),
              1);

    // Either "Relances" entry opens the first of them in load order.
    for (int entree :
         {f->combo_categorie->findText("Relances"), f->combo_categorie->findText("Relances") + 1}) {
        f->combo_categorie->showPopup();
        QAbstractItemView* vue = f->combo_categorie->view();
        QTest::mouseClick(vue->viewport(), Qt::LeftButton, {},
                          vue->visualRect(vue->model()->index(entree, 0)).center());
        EXPECT_EQ(f->combo_categorie->currentIndex(), entree);
        EXPECT_EQ(f->IdCategorieCourante(), 1);
        EXPECT_EQ(f->combo_template->count(), 4);
    }
}

// ---------------------------------------------------------------------------------------
// The unsaved-changes guard, row by row

TEST_P(GardeModifications, FermerDemandeServicePuisTemplate) {
    Ouvrir();
    OuvrirTemplate("Relances", "Rappel");
    Taper(f->edtNomTemplate, "T");
    Onglet(f->TabAPI);  // asks for the template: answered No, its edit dropped
    Choisir(f->combo_api, "Service A");
    Taper(f->edtCle, "S");
    Onglet(f->TabTemplate);  // asks for the service: No restores the stored key
    EXPECT_EQ(f->edtCle->text(), QStringLiteral("CLE-A"));
    EXPECT_EQ(f->edtNomTemplate->text(), QStringLiteral("Rappel"));
    dialogues.demandes.clear();
    dialogues.ongletsAuxQuestions.clear();

    Taper(f->edtCle, "S");
    Taper(f->edtNomTemplate, "T");
    dialogues.Repondre(TResultatDialogue::mrYes);
    dialogues.Repondre(TResultatDialogue::mrNo);
    Cliquer(f->btnQuitter);
    EXPECT_EQ(Questions(), QStringList(2, Question));
    EXPECT_EQ(dialogues.demandes[0].type, TTypeDialogue::Confirmation);
    EXPECT_EQ(dialogues.demandes[0].boutons, mbYesNo);
    EXPECT_EQ(CleStockee(2), QStringLiteral("CLE-AS"));  // service first: Yes
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Template WHERE nom = 'RappelT'"), 0);
    EXPECT_FALSE(f->isVisible());
}

// With the real box: Escape and the close button leave the question open, the edit, its
// flag and the window as they were; only Oui or Non answers.
TEST_F(GardeModifications, EchapNeRepondPasALaQuestion) {
    Ouvrir();
    Choisir(f->combo_api, "Service A");
    Taper(f->edtCle, "S");
    TDialoguesQt vraies;
    InstallerDialogues(&vraies);
    bool vu = false;
    QTimer attente;
    attente.setInterval(5);
    QObject::connect(&attente, &QTimer::timeout, [&] {
        auto* boite = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (boite == nullptr || !boite->isVisible()) return;
        attente.stop();
        QTest::keyClick(boite, Qt::Key_Escape);
        boite->close();
        vu = boite->isVisible() && f->isVisible() && f->ApiModifiee() &&
             f->edtCle->text() == QStringLiteral("CLE-AS") && Marque(f->label_Cle);
        for (QAbstractButton* bouton : boite->buttons())
            if (bouton->text() == QStringLiteral("Oui")) QTest::mouseClick(bouton, Qt::LeftButton);
    });
    attente.start();
    Cliquer(f->btnQuitter);
    InstallerDialogues(&dialogues);
    EXPECT_TRUE(vu);
    EXPECT_EQ(CleStockee(2), QStringLiteral("CLE-AS"));
    EXPECT_FALSE(f->isVisible());
}

TEST_P(GardeModifications, FermerNonDeuxFoisNeStockeRien) {
    Ouvrir();
    OuvrirTemplate("Relances", "Rappel");
    Taper(f->edtNomTemplate, "T");
    f->PageControl->ChangerOnglet(1);
    Choisir(f->combo_api, "Service A");
    Taper(f->edtCle, "S");
    dialogues.demandes.clear();
    dialogues.Repondre(TResultatDialogue::mrYes);  // the service: stored
    Onglet(f->TabTemplate);
    EXPECT_EQ(CleStockee(2), QStringLiteral("CLE-AS"));
    Taper(f->edtCle, "2");
    Taper(f->edtNomTemplate, "2");
    dialogues.demandes.clear();
    dialogues.Repondre(TResultatDialogue::mrNo);
    dialogues.Repondre(TResultatDialogue::mrNo);
    Cliquer(f->btnQuitter);
    EXPECT_EQ(Questions().size(), 2);
    EXPECT_EQ(CleStockee(2), QStringLiteral("CLE-AS"));
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Template WHERE nom LIKE 'Rappel%2'"), 0);
    EXPECT_FALSE(f->isVisible());
}

TEST_P(GardeModifications, ChangementDOnglet) {
    Ouvrir();
    OuvrirTemplate("Relances", "Rappel");
    Taper(f->edtNomTemplate, "X");
    dialogues.Repondre(TResultatDialogue::mrYes);
    Onglet(f->TabAPI);  // Yes stores the template
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Template WHERE nom = 'RappelX'"), 1);
    EXPECT_EQ(f->edtNomTemplate->text(), QStringLiteral("RappelX"));
    EXPECT_FALSE(f->TemplateModifie());
    // Nothing edited: the change reloads the service named by the list and asks nothing.
    Choisir(f->combo_api, "Service B");
    f->edtCle->setText("écrit par la fenêtre");
    EXPECT_TRUE(f->ApiModifiee());  // the window's own writes count as edits
    dialogues.Repondre(TResultatDialogue::mrYes);
    Onglet(f->TabTemplate);  // Yes stores the key
    EXPECT_EQ(CleStockee(1), QStringLiteral("écrit par la fenêtre"));
    Taper(f->edtNomTemplate, "Y");
    dialogues.Repondre(TResultatDialogue::mrNo);
    Onglet(f->TabAPI);  // No restores the stored template
    EXPECT_EQ(f->edtNomTemplate->text(), QStringLiteral("RappelX"));
    EXPECT_TRUE(Normale(f->label_nomTemplate));
    EXPECT_EQ(Questions().size(), 3);
    Onglet(f->TabTemplate);
    EXPECT_EQ(Questions().size(), 3);
}

TEST_P(GardeModifications, FrappeDansLesListes) {
    Ouvrir();
    OuvrirTemplate("Relances", "Rappel");
    f->PageControl->ChangerOnglet(1);
    Choisir(f->combo_api, "Service A");
    Taper(f->edtCle, "K");
    Taper(f->edtNomTemplate, "X");
    EXPECT_TRUE(f->TemplateModifie());
    EXPECT_TRUE(dialogues.demandes.empty());

    // combo_api: asked once for the service, Yes stores into the service that was loaded;
    // the template edit is not affected.
    dialogues.Repondre(TResultatDialogue::mrYes);
    Taper(f->combo_api->lineEdit(), "zz");
    EXPECT_EQ(Questions().size(), 1);
    EXPECT_EQ(CleStockee(2), QStringLiteral("CLE-AK"));
    EXPECT_TRUE(f->TemplateModifie());
    EXPECT_TRUE(Marque(f->label_nomTemplate));

    // combo_template: asked, Yes stores the open template, the fields are emptied and the
    // typed text stays.
    dialogues.Repondre(TResultatDialogue::mrYes);
    f->combo_template->lineEdit()->end(false);
    Taper(f->combo_template->lineEdit(), "?");
    EXPECT_EQ(Questions().size(), 2);
    EXPECT_EQ(base.Valeur("SELECT nom FROM Template WHERE id_template = 1").toString(),
              QStringLiteral("RappelX"));
    EXPECT_EQ(f->combo_template->currentText(), QStringLiteral("Rappel?"));
    EXPECT_EQ(Entrees(f->combo_template), (QStringList{"<Nouveau>", "Relance 2", "RappelX"}));
    EXPECT_TRUE(f->edtNomTemplate->text().isEmpty());
    EXPECT_FALSE(f->edtNomTemplate->isEnabled());
    Taper(f->edtCle, "L");  // the service tab was emptied: the key field refuses typing
    EXPECT_FALSE(f->ApiModifiee());

    // combo_categorie: asked for the template only, Yes stores it; the service edit stays.
    f->PageControl->ChangerOnglet(0);
    Choisir(f->combo_template, "<Nouveau>");
    Taper(f->edtNomTemplate, " 2");
    Taper(f->edtCle, "M");
    EXPECT_TRUE(f->ApiModifiee());
    dialogues.Repondre(TResultatDialogue::mrYes);
    Taper(f->combo_categorie->lineEdit(), "x");
    EXPECT_EQ(Questions().size(), 3);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Template WHERE nom = 'Nouveau 2' AND "
                           "id_categorie = 1"),
              1);
    EXPECT_TRUE(f->ApiModifiee());
}

TEST_P(GardeModifications, FrappeDansLesListesReponseNon) {
    Ouvrir();
    // combo_template, No: nothing stored, the fields are emptied all the same.
    OuvrirTemplate("Relances", "Rappel");
    Taper(f->edtNomTemplate, "X");
    dialogues.Repondre(TResultatDialogue::mrNo);
    Taper(f->combo_template->lineEdit(), "?");
    EXPECT_EQ(Questions().size(), 1);
    EXPECT_EQ(base.Valeur("SELECT nom FROM Template WHERE id_template = 1").toString(),
              QStringLiteral("Rappel"));
    EXPECT_EQ(Entrees(f->combo_template), (QStringList{"<Nouveau>", "Rappel", "Relance 2"}));
    EXPECT_TRUE(f->edtNomTemplate->text().isEmpty());
    EXPECT_FALSE(f->edtNomTemplate->isEnabled());
    EXPECT_FALSE(f->TemplateModifie());
    EXPECT_TRUE(Normale(f->label_nomTemplate));

    // combo_template, Yes on "<Nouveau>": a new template, appended to the list.
    Choisir(f->combo_template, "<Nouveau>");
    Taper(f->edtNomTemplate, "!");
    dialogues.Repondre(TResultatDialogue::mrYes);
    Taper(f->combo_template->lineEdit(), "x");
    EXPECT_EQ(Questions().size(), 2);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Template WHERE nom = 'Nouveau!' AND "
                           "id_categorie = 1 AND agence = 'Agence Sud'"),
              1);
    EXPECT_EQ(Entrees(f->combo_template),
              (QStringList{"<Nouveau>", "Rappel", "Relance 2", "Nouveau!"}));
    EXPECT_FALSE(f->edtNomTemplate->isEnabled());

    // combo_categorie, No: the edit stays pending with its fields, and the question comes
    // again at the next keystroke.
    Choisir(f->combo_template, "Rappel");
    Taper(f->edtNomTemplate, "Y");
    dialogues.Repondre(TResultatDialogue::mrNo);
    Taper(f->combo_categorie->lineEdit(), "a");
    EXPECT_EQ(Questions().size(), 3);
    EXPECT_EQ(f->IdCategorieCourante(), -1);
    EXPECT_EQ(f->combo_template->count(), 0);
    EXPECT_TRUE(f->TemplateModifie());
    EXPECT_TRUE(f->edtNomTemplate->isEnabled());
    EXPECT_EQ(f->edtNomTemplate->text(), QStringLiteral("RappelY"));
    EXPECT_TRUE(Marque(f->label_nomTemplate));
    dialogues.Repondre(TResultatDialogue::mrNo);
    Taper(f->combo_categorie->lineEdit(), "b");
    EXPECT_EQ(Questions().size(), 4);
    EXPECT_EQ(base.Valeur("SELECT nom FROM Template WHERE id_template = 1").toString(),
              QStringLiteral("Rappel"));

    // combo_api, No: nothing stored, the tab is emptied, and the question comes once.
    dialogues.Repondre(TResultatDialogue::mrNo);
    Onglet(f->TabAPI);
    EXPECT_EQ(Questions().size(), 5);
    EXPECT_FALSE(f->TemplateModifie());
    Choisir(f->combo_api, "Service A");
    Taper(f->edtCle, "K");
    dialogues.Repondre(TResultatDialogue::mrNo);
    Taper(f->combo_api->lineEdit(), "z");
    Taper(f->combo_api->lineEdit(), "z");
    EXPECT_EQ(Questions().size(), 6);
    EXPECT_EQ(CleStockee(2), QStringLiteral("CLE-A"));
    EXPECT_TRUE(f->edtCle->text().isEmpty());
    EXPECT_FALSE(f->edtCle->isEnabled());
    EXPECT_FALSE(f->ApiModifiee());
    EXPECT_TRUE(Normale(f->label_Cle));
}

TEST_P(GardeModifications, ChoixEtFermetureParLaBarreDeTitre) {
    Ouvrir();
    f->PageControl->ChangerOnglet(1);
    Choisir(f->combo_api, "Service A");
    Taper(f->edtCle, "K");
    // Picking a service replaces the edit without a question.
    Choisir(f->combo_api, "Service B");
    EXPECT_EQ(f->edtCle->text(), QStringLiteral("CLE-B"));
    EXPECT_EQ(CleStockee(2), QStringLiteral("CLE-A"));

    // Picking a template, a category, or adding one replaces the template edit.
    f->PageControl->ChangerOnglet(0);
    OuvrirTemplate("Relances", "Rappel");
    Taper(f->edtNomTemplate, "1");
    Choisir(f->combo_template, "Relance 2");
    EXPECT_EQ(f->edtNomTemplate->text(), QStringLiteral("Relance 2"));
    Taper(f->edtNomTemplate, "2");
    Choisir(f->combo_categorie, "accueil");
    EXPECT_FALSE(f->TemplateModifie());
    Choisir(f->combo_template, "Bienvenue");
    Taper(f->edtNomTemplate, "3");
    dialogues.Saisir(QStringLiteral("Neuve"));
    Cliquer(f->btnAddTemplate);
    EXPECT_FALSE(f->TemplateModifie());
    EXPECT_EQ(Questions().size(), 0);

    // The title bar's close: nothing asked, nothing stored.
    Choisir(f->combo_template, "<Nouveau>");
    Taper(f->edtNomTemplate, "4");
    Taper(f->edtCle, "5");
    EXPECT_TRUE(f->ApiModifiee());
    ASSERT_TRUE(f->close());
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(Questions().size(), 0);
    EXPECT_EQ(CleStockee(1), QStringLiteral("CLE-B"));
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Template"), 3);
}

// ---------------------------------------------------------------------------------------
// The creation block at its three levels

TEST_P(BlocageCreation, TroisNiveaux) {
    struct Cas {
        const char* description;
        std::vector<std::tuple<QString, QString, int>> lignes;
        bool visible;
    };
    const Cas cas[] = {
        {"aucune ligne", {}, false},
        {"utilisateur 0 l'emporte",
         {{"Agence Sud", "jdurand", 0}, {"Agence Sud", "", 1}, {"", "", 1}},
         true},
        {"utilisateur 1 l'emporte",
         {{"Agence Sud", "jdurand", 1}, {"Agence Sud", "", 0}, {"", "", 0}},
         false},
        {"agence 0 puis globale", {{"Agence Sud", "", 0}, {"", "", 1}}, true},
        {"agence 1 puis globale", {{"Agence Sud", "", 1}, {"", "", 0}}, false},
        {"globale 0", {{"", "", 0}}, true},
        {"globale 2", {{"", "", 2}}, false},
        {"autre utilisateur", {{"Agence Sud", "autre", 0}}, false},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.description);
        base.Executer("DELETE FROM Parametres");
        for (const auto& [agence, utilisateur, valeur] : c.lignes)
            base.AjouterParametreEntier(agence, utilisateur, "CONFIG", "BloquerCreation", valeur);
        fenetre.reset();
        Ouvrir();
        EXPECT_EQ(f->PageControl->isTabVisible(f->PageControl->indexOf(f->TabTemplate)), c.visible);
        EXPECT_EQ(f->PageControl->currentWidget(), c.visible ? f->TabTemplate : f->TabAPI);
        // Blocked: the template tab's controls are never loaded; the services are.
        EXPECT_EQ(f->combo_categorie->count(), c.visible ? 3 : 0);
        EXPECT_EQ(f->tvBalises->topLevelItemCount(), c.visible ? 2 : 0);
        EXPECT_EQ(f->combo_api->count(), 2);
        EXPECT_FALSE(f->edtCle->isEnabled());
        EXPECT_TRUE(dialogues.demandes.empty());
    }
}

TEST_P(BlocageCreation, CocherLaCase) {
    Ouvrir();
    EXPECT_FALSE(f->cbBloquerCreation->isChecked());
    Cocher();
    const QString ligne = QStringLiteral(
        "SELECT valeur_int FROM Parametres WHERE agence = 'Agence Sud' AND utilisateur = "
        "'jdurand' AND section = 'CONFIG' AND cle = 'BloquerCreation' AND valeur_type = "
        "'INTEGER'");
    EXPECT_EQ(base.Valeur(ligne).toInt(), 1);
    EXPECT_TRUE(f->PageControl->isTabVisible(0));
    Cocher();
    EXPECT_EQ(base.Valeur(ligne).toInt(), 0);
    Cocher();
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Parametres"), 2);
    // Only the user's level is written; the next opening hides the tab.
    EXPECT_EQ(base.Valeur("SELECT valeur_int FROM Parametres WHERE agence = ''").toInt(), 0);
    fenetre.reset();
    Ouvrir();
    EXPECT_FALSE(f->PageControl->isTabVisible(f->PageControl->indexOf(f->TabTemplate)));
}
