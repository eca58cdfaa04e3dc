// The send window as its user sees it: its controls, its opening, its lists and fields, the
// checks of the send button, a real send to a local service, and its closing.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "commun/BaseTest.h"
#include "commun/DialoguesScriptes.h"
#include "commun/MoteurTest.h"
#include "commun/ServeurTest.h"
#include "data/Datamoduleabs.h"
#include "envoi/Tenvoisms.h"
#include "ui/Ficheenvoisms.h"

// Readable texts in failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& texte, std::ostream* flux) {
    *flux << '"' << texte.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

const QColor Rouge(255, 0, 0);

QColor Couleur(const QLabel* libelle) { return libelle->palette().color(QPalette::WindowText); }
QColor Normale() { return QApplication::palette().color(QPalette::WindowText); }

QStringList Elements(const QComboBox* liste) {
    QStringList noms;
    for (int i = 0; i < liste->count(); ++i) noms << liste->itemText(i);
    return noms;
}

// What the user does when picking an entry in the drop-down list.
void Choisir(QComboBox* liste, const QString& nom) {
    const int index = liste->findText(nom, Qt::MatchExactly);
    ASSERT_GE(index, 0) << nom.toStdString();
    liste->setCurrentIndex(index);
    emit liste->activated(index);
}

const QByteArray ParametresComplets =
    "[Config]\n"
    "Agence=Agence Sud\n"
    "Utilisateur=jdurand\n"
    "Categorie=2\n"
    "Expediteur=AGENCE\n"
    "Numero=06 12.34-56 78\n"
    "[Societe]\n"
    "Nom=Immo Sud\n"
    "[Client]\n"
    "Nom=Mme Dupont\n";

// The cases whose result lies in the base run on both engines (TEST_P).
class FicheenvoismsTest : public TTestDeuxMoteurs {
  protected:
    QString Parametres(const QByteArray& texte) {
        const QString chemin = dossierIni.filePath(QStringLiteral("parametres.ini"));
        QFile f(chemin);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(texte);
        return chemin;
    }

    // Shown and activated as start-up does it: the first activation runs the opening steps.
    std::unique_ptr<TFormEnvoiSMS> Ouvrir(const QByteArray& parametres) {
        auto fenetre = std::make_unique<TFormEnvoiSMS>();
        fenetre->DefinirFichierParametres(Parametres(parametres));
        fenetre->show();
        QApplication::setActiveWindow(fenetre.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(fenetre.get()));
        return fenetre;
    }

    // Two services, three categories (two of them with templates).
    void Remplir() {
        base.AjouterService(QStringLiteral("Zeta SMS"));
        base.AjouterService(QStringLiteral("alpha"));
        base.AjouterService(QStringLiteral("Écho"));
        base.AjouterCategorie(1, QStringLiteral("Relances"));
        base.AjouterCategorie(2, QStringLiteral("Rendez-vous"));
        base.AjouterCategorie(3, QStringLiteral("Vide"));
        base.AjouterTemplate(
            {.id = 1,
             .agence = QStringLiteral("Agence Sud"),
             .utilisateur = QStringLiteral("jdurand"),
             .id_categorie = 2,
             .nom = QStringLiteral("Rappel"),
             .texte = QStringLiteral("Bonjour <Client_Nom>,\r\nà demain. <Societe_Nom>")});
        base.AjouterTemplate({.id = 2,
                              .agence = QStringLiteral("Autre"),
                              .utilisateur = QStringLiteral("autre"),
                              .id_categorie = 2,
                              .nom = QStringLiteral("Annulation"),
                              .texte = QStringLiteral("Annulé <client_nom>")});
        base.AjouterTemplate({.id = 3,
                              .agence = QStringLiteral("Agence Sud"),
                              .utilisateur = QStringLiteral("jdurand"),
                              .id_categorie = 1,
                              .nom = QStringLiteral("Impayé"),
                              .texte = QStringLiteral("Merci de régler.")});
    }

    TBaseTest base{true, Moteur()};
    TDialoguesScriptes dialogues;
    QTemporaryDir dossierIni;
};

}  // namespace

INSTANCIER_DEUX_MOTEURS(FicheenvoismsTest);

TEST_F(FicheenvoismsTest, ControlesNomsLibellesEtPlaces) {
    TFormEnvoiSMS fenetre;
    EXPECT_EQ(fenetre.windowTitle(), QStringLiteral("Parlivo - Version 1.0 du 10/06/2024"));
    EXPECT_EQ(fenetre.size(), QSize(470, 653));
    EXPECT_EQ(fenetre.minimumSize(), fenetre.maximumSize());
    EXPECT_TRUE(fenetre.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(fenetre.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(fenetre.windowFlags() & Qt::WindowMaximizeButtonHint);

    const std::pair<const char*, const char*> libelles[] = {{"label_api", "Service d'expédition :"},
                                                            {"label_sender", "Expéditeur :"},
                                                            {"label_numero", "Numéro :"},
                                                            {"Label2", "Catégorie :"},
                                                            {"Label1", "Template :"},
                                                            {"label_message", "Message :"},
                                                            {"label_delay", "Date d'envoi :"},
                                                            {"label_response", "Réponse : "}};
    for (const auto& [nom, texte] : libelles) {
        const auto* libelle = fenetre.findChild<QLabel*>(QLatin1String(nom));
        ASSERT_NE(libelle, nullptr) << nom;
        EXPECT_EQ(libelle->text(), QString::fromUtf8(texte));
        // The caption names its field for assistive technology, without its blanks.
        ASSERT_NE(libelle->buddy(), nullptr) << nom;
        QAccessibleInterface* acces = QAccessible::queryAccessibleInterface(libelle->buddy());
        ASSERT_NE(acces, nullptr);
        EXPECT_EQ(acces->text(QAccessible::Name), QString::fromUtf8(texte).trimmed()) << nom;
    }
    EXPECT_EQ(fenetre.findChild<QPushButton*>("btnEnvoyer")->text(), QStringLiteral("Envoyer"));
    EXPECT_EQ(fenetre.findChild<QPushButton*>("btnQuitter")->text(), QStringLiteral("Fermer"));
    for (const char* nom : {"btnEnvoyer", "btnQuitter", "btnRefreshMessage"})
        EXPECT_FALSE(fenetre.findChild<QPushButton*>(nom)->icon().pixmap(16, 16).isNull()) << nom;
    EXPECT_TRUE(fenetre.findChild<QPushButton*>("btnRefreshMessage")->text().isEmpty());
    EXPECT_FALSE(fenetre.findChild<QPushButton*>("btnRefreshMessage")->accessibleName().isEmpty());

    EXPECT_EQ(fenetre.findChild<QLineEdit*>("edtExpediteur")->maxLength(), 11);
    EXPECT_FALSE(fenetre.findChild<QPlainTextEdit*>("edtReponse")->isEnabled());
    EXPECT_FALSE(fenetre.findChild<QComboBox*>("combo_api")->isEditable());
    auto* date = fenetre.findChild<QDateTimeEdit*>("dtpDateEnvoi");
    EXPECT_EQ(date->displayFormat(), QLocale().dateFormat(QLocale::LongFormat));
    EXPECT_LE(qAbs(date->dateTime().secsTo(QDateTime::currentDateTime())), 60);
    // The time of day is kept even though only the date shows.
    date->setDateTime(QDateTime(QDate(2031, 5, 6), QTime(17, 45, 3)));
    EXPECT_EQ(date->text(), QStringLiteral("mardi 6 mai 2031"));
    EXPECT_EQ(date->dateTime().time(), QTime(17, 45, 3));
    // Also when the user changes the day.
    date->setFocus();
    date->setCurrentSection(QDateTimeEdit::DaySection);
    QTest::keyClick(date, Qt::Key_Up);
    EXPECT_EQ(date->dateTime(), QDateTime(QDate(2031, 5, 7), QTime(17, 45, 3)));
    // The sample line and the sample number are placeholders, not text to send.
    EXPECT_TRUE(fenetre.memoMessage->toPlainText().isEmpty());
    EXPECT_EQ(fenetre.memoMessage->placeholderText(),
              QStringLiteral("Saisissez ici le texte du message."));
    EXPECT_TRUE(fenetre.edtNumero->text().isEmpty());
    EXPECT_EQ(fenetre.edtNumero->placeholderText(), QStringLiteral("0600000000"));

    // The window's tab order: the template list before the category list.
    const char* ordre[] = {"combo_api",       "edtExpediteur",     "edtNumero",   "combo_template",
                           "combo_categorie", "btnRefreshMessage", "memoMessage", "dtpDateEnvoi",
                           "edtReponse",      "btnEnvoyer",        "btnQuitter"};
    for (std::size_t i = 0; i + 1 < std::size(ordre); ++i) {
        const auto* w = fenetre.findChild<QWidget*>(QLatin1String(ordre[i]));
        ASSERT_NE(w, nullptr) << ordre[i];
        const QWidget* suivant = w->nextInFocusChain();
        // Inner widgets (a date edit's line edit) sit between two fields of the chain.
        while (suivant->objectName().isEmpty() || suivant->parentWidget() != &fenetre ||
               suivant->focusPolicy() == Qt::NoFocus)
            suivant = suivant->nextInFocusChain();
        EXPECT_EQ(suivant->objectName(), QLatin1String(ordre[i + 1])) << ordre[i];
    }

    // Nothing clipped: every caption shows its whole text, every field gets at least its
    // minimum height, nothing overlaps and everything lies inside the window.
    QList<QWidget*> controles;
    for (QWidget* w : fenetre.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!w->objectName().isEmpty()) controles << w;
    EXPECT_EQ(controles.size(), 19);
    for (const QWidget* w : controles) {
        const QString nom = w->objectName();
        EXPECT_TRUE(fenetre.rect().contains(w->geometry())) << nom.toStdString();
        if (qobject_cast<const QLabel*>(w)) {
            EXPECT_GE(w->width(), w->sizeHint().width()) << nom.toStdString();
            EXPECT_GE(w->height(), w->sizeHint().height()) << nom.toStdString();
        } else {
            EXPECT_GE(w->height(), w->minimumSizeHint().height()) << nom.toStdString();
        }
        for (const QWidget* autre : controles) {
            if (autre != w) {
                EXPECT_FALSE(w->geometry().intersects(autre->geometry()))
                    << nom.toStdString() << " / " << autre->objectName().toStdString();
            }
        }
    }
    EXPECT_EQ(fenetre.combo_api->geometry(), QRect(8, 30, 451, 22));
    EXPECT_EQ(fenetre.memoMessage->geometry(), QRect(8, 289, 451, 176));
    EXPECT_EQ(fenetre.btnEnvoyer->geometry(), QRect(223, 596, 115, 49));
    EXPECT_EQ(fenetre.btnQuitter->geometry(), QRect(344, 596, 115, 49));
}

TEST_P(FicheenvoismsTest, OuvertureComplete) {
    Remplir();
    base.AjouterParametreEntier(QStringLiteral("Agence Sud"), QStringLiteral("jdurand"),
                                QStringLiteral("UTILISATION"), QStringLiteral("API"), 3);
    auto fenetre = Ouvrir(ParametresComplets);

    // Names only, in the locale's order; the records keep the order they were read in.
    EXPECT_EQ(
        Elements(fenetre->combo_api),
        QStringList({QStringLiteral("alpha"), QStringLiteral("Écho"), QStringLiteral("Zeta SMS")}));
    EXPECT_EQ(fenetre->ListeApi().size(), 3u);
    EXPECT_EQ(fenetre->combo_api->currentText(), QStringLiteral("Écho"));
    EXPECT_EQ(Elements(fenetre->combo_categorie),
              QStringList({QStringLiteral("Relances"), QStringLiteral("Rendez-vous"),
                           QStringLiteral("Vide")}));
    EXPECT_EQ(fenetre->combo_categorie->currentText(), QStringLiteral("Rendez-vous"));
    EXPECT_FALSE(fenetre->combo_categorie->isEnabled());
    // Every template of the category, whoever wrote it, the first name selected.
    EXPECT_EQ(Elements(fenetre->combo_template),
              QStringList({QStringLiteral("Annulation"), QStringLiteral("Rappel")}));
    EXPECT_EQ(fenetre->combo_template->currentText(), QStringLiteral("Annulation"));
    // Tags are exact: a tag in small letters stays.
    EXPECT_EQ(fenetre->memoMessage->toPlainText(), QStringLiteral("Annulé <client_nom>"));
    EXPECT_EQ(fenetre->edtExpediteur->text(), QStringLiteral("AGENCE"));
    EXPECT_EQ(fenetre->edtNumero->text(), QStringLiteral("06 12.34-56 78"));
    // The sample number is not read out after a real one.
    EXPECT_TRUE(fenetre->edtNumero->placeholderText().isEmpty());
    EXPECT_FALSE(fenetre->memoMessage->isReadOnly());
    EXPECT_EQ(Couleur(fenetre->label_numero), Normale());
    EXPECT_EQ(Couleur(fenetre->label_message), Normale());
    EXPECT_TRUE(dialogues.demandes.empty()) << dialogues.Textes().join('|').toStdString();

    // A template picked by the user: its text, tags replaced, line by line.
    Choisir(fenetre->combo_template, QStringLiteral("Rappel"));
    EXPECT_EQ(fenetre->memoMessage->toPlainText(),
              QStringLiteral("Bonjour Mme Dupont,\nà demain. Immo Sud"));
    EXPECT_EQ(fenetre->memoMessage->document()->blockCount(), 2);
    // The refresh button gives the template's text back after an edit.
    fenetre->memoMessage->setPlainText(QStringLiteral("modifié"));
    QTest::mouseClick(fenetre->btnRefreshMessage, Qt::LeftButton);
    EXPECT_EQ(fenetre->memoMessage->toPlainText(),
              QStringLiteral("Bonjour Mme Dupont,\nà demain. Immo Sud"));

    // A later activation repeats nothing.
    QWidget autre;
    autre.show();
    QApplication::setActiveWindow(&autre);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&autre));
    QApplication::setActiveWindow(fenetre.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(fenetre.get()));
    EXPECT_EQ(fenetre->combo_api->count(), 3);
    EXPECT_EQ(fenetre->ListeCategories().size(), 3u);
    EXPECT_EQ(fenetre->Balises().Nombre(), 2u);
}

// A base that cannot be opened (no sms.abs; a server that does not answer): the error is
// shown, the window stays open with its lists empty, and no file is created.
TEST_P(FicheenvoismsTest, BaseInaccessibleALOuverture) {
    Remplir();
    const char* cause = "est introuvable";
    if (base.SurServeur()) {
        QFile ini(base.Dossier() + QStringLiteral("/connexion.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write("[Serveur]\nSocket=" + base.Dossier().toUtf8() +
                  "/absent.sock\nBase=parlivo\nUtilisateur=poste\n");
        cause = "ne répond pas ou refuse la connexion";
    } else {
        base.FermerOutils();
        ASSERT_TRUE(QFile::remove(base.Chemin()));
    }
    auto fenetre = Ouvrir(ParametresComplets);
    ASSERT_EQ(dialogues.demandes.size(), 1u);
    EXPECT_TRUE(dialogues.demandes[0].texte.startsWith(QStringLiteral("Erreur : ")));
    EXPECT_TRUE(dialogues.demandes[0].texte.contains(QString::fromUtf8(cause)))
        << dialogues.demandes[0].texte.toStdString();
    EXPECT_TRUE(fenetre->isVisible());
    EXPECT_EQ(fenetre->combo_api->count(), 0);
    EXPECT_EQ(fenetre->combo_categorie->count(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(QFile::exists(base.Chemin()));
}

TEST_P(FicheenvoismsTest, OuvertureSansParametresNiReglage) {
    Remplir();
    // A setting naming no service: the first name in the locale's order.
    base.AjouterParametreEntier(QString(""), QString(""), QStringLiteral("UTILISATION"),
                                QStringLiteral("API"), 99);
    auto fenetre = Ouvrir("[Config]\nCategorie=42\n");
    EXPECT_EQ(fenetre->combo_api->currentText(), QStringLiteral("alpha"));
    // No such category: the list stays free, with nothing selected and no templates.
    EXPECT_TRUE(fenetre->combo_categorie->isEnabled());
    EXPECT_EQ(fenetre->combo_categorie->currentIndex(), -1);
    EXPECT_EQ(fenetre->combo_template->count(), 0);
    EXPECT_TRUE(fenetre->memoMessage->toPlainText().isEmpty());
    // No number in the file: the field is empty and its caption is red.
    EXPECT_TRUE(fenetre->edtNumero->text().isEmpty());
    EXPECT_EQ(Couleur(fenetre->label_numero), Rouge);
    EXPECT_EQ(fenetre->edtNumero->placeholderText(), QStringLiteral("0600000000"));
    // The untouched message box is empty: the send stops at the message check.
    fenetre->edtNumero->setText(QStringLiteral("0611"));
    fenetre->btnEnvoyerClick();
    ASSERT_EQ(dialogues.demandes.size(), 1u);
    EXPECT_EQ(dialogues.demandes[0].texte,
              QStringLiteral("Erreur : Veuillez renseigner un message à envoyer."));
    EXPECT_EQ(Couleur(fenetre->label_message), Rouge);
    EXPECT_TRUE(fenetre->memoMessage->hasFocus());
    dialogues.demandes.clear();
    fenetre->edtNumero->setText(QStringLiteral("0"));
    EXPECT_EQ(Couleur(fenetre->label_numero), Normale());

    // Picking a category with the keyboard lists its templates and fills the message.
    fenetre->combo_categorie->setFocus();
    QTest::keyClick(fenetre->combo_categorie, Qt::Key_Down);
    EXPECT_EQ(fenetre->combo_categorie->currentText(), QStringLiteral("Relances"));
    EXPECT_EQ(Elements(fenetre->combo_template), QStringList({QStringLiteral("Impayé")}));
    EXPECT_EQ(fenetre->memoMessage->toPlainText(), QStringLiteral("Merci de régler."));
    // Another category replaces the whole list.
    Choisir(fenetre->combo_categorie, QStringLiteral("Rendez-vous"));
    EXPECT_EQ(Elements(fenetre->combo_template),
              QStringList({QStringLiteral("Annulation"), QStringLiteral("Rappel")}));
    EXPECT_EQ(fenetre->ListeTemplates().size(), 2u);
    // A category without templates empties the message; its caption turns red.
    Choisir(fenetre->combo_categorie, QStringLiteral("Vide"));
    EXPECT_EQ(fenetre->combo_template->count(), 0);
    EXPECT_TRUE(fenetre->ListeTemplates().empty());
    EXPECT_TRUE(fenetre->memoMessage->toPlainText().isEmpty());
    EXPECT_EQ(Couleur(fenetre->label_message), Rouge);
    fenetre->memoMessage->setPlainText(QStringLiteral("x"));
    EXPECT_EQ(Couleur(fenetre->label_message), Normale());

    // A selection made by the window itself runs no handler.
    fenetre->combo_categorie->setCurrentIndex(0);
    EXPECT_EQ(fenetre->combo_template->count(), 0);
    EXPECT_EQ(fenetre->memoMessage->toPlainText(), QStringLiteral("x"));
    EXPECT_TRUE(dialogues.demandes.empty()) << dialogues.Textes().join('|').toStdString();
}

TEST_F(FicheenvoismsTest, CategorieVerrouilleeSansTemplate) {
    Remplir();
    auto fenetre = Ouvrir("[Config]\nCategorie=3\nNumero=0601\n");
    EXPECT_EQ(fenetre->combo_categorie->currentText(), QStringLiteral("Vide"));
    EXPECT_FALSE(fenetre->combo_categorie->isEnabled());
    EXPECT_TRUE(fenetre->memoMessage->toPlainText().isEmpty());
    EXPECT_EQ(Couleur(fenetre->label_message), Rouge);
    // Without any setting, the first service by name.
    EXPECT_EQ(fenetre->combo_api->currentText(), QStringLiteral("alpha"));
}

TEST_P(FicheenvoismsTest, MemesNomsPremierEnregistrementLu) {
    base.AjouterCategorie(1, QStringLiteral("Doublon"));
    base.AjouterCategorie(2, QStringLiteral("Doublon"));
    base.AjouterTemplate({.id = 1,
                          .id_categorie = 1,
                          .nom = QStringLiteral("T"),
                          .texte = QStringLiteral("premier")});
    base.AjouterTemplate({.id = 2,
                          .id_categorie = 1,
                          .nom = QStringLiteral("T"),
                          .texte = QStringLiteral("second")});
    base.AjouterTemplate({.id = 3,
                          .id_categorie = 2,
                          .nom = QStringLiteral("Autre"),
                          .texte = QStringLiteral("de la 2")});
    auto fenetre = Ouvrir("[Config]\n");
    EXPECT_EQ(Elements(fenetre->combo_categorie),
              QStringList({QStringLiteral("Doublon"), QStringLiteral("Doublon")}));
    Choisir(fenetre->combo_categorie, QStringLiteral("Doublon"));
    fenetre->combo_categorie->setCurrentIndex(1);
    emit fenetre->combo_categorie->activated(1);
    // Whichever item was picked, the category read first.
    EXPECT_EQ(Elements(fenetre->combo_template),
              QStringList({QStringLiteral("T"), QStringLiteral("T")}));
    fenetre->combo_template->setCurrentIndex(1);
    emit fenetre->combo_template->activated(1);
    EXPECT_EQ(fenetre->memoMessage->toPlainText(), QStringLiteral("premier"));
}

TEST_P(FicheenvoismsTest, BlocageDeLaCreation) {
    base.AjouterCategorie(1, QStringLiteral("Relances"));
    base.AjouterTemplate({.id = 1,
                          .id_categorie = 1,
                          .nom = QStringLiteral("T"),
                          .texte = QStringLiteral("texte <Client_Nom>")});
    {
        // Blocked: read-only for the user, templates still fill the box.
        base.AjouterParametreEntier(QStringLiteral("A"), QStringLiteral("U"),
                                    QStringLiteral("CONFIG"), QStringLiteral("BloquerCreation"), 1);
        auto fenetre = Ouvrir("[Config]\nAgence=A\nUtilisateur=U\nCategorie=1\n[Client]\nNom=X\n");
        EXPECT_TRUE(fenetre->memoMessage->isReadOnly());
        EXPECT_EQ(fenetre->memoMessage->toPlainText(), QStringLiteral("texte X"));
        fenetre->memoMessage->setFocus();
        QTest::keyClicks(fenetre->memoMessage, "abc");
        EXPECT_EQ(fenetre->memoMessage->toPlainText(), QStringLiteral("texte X"));
        fenetre->memoMessage->clear();
        fenetre->btnRefreshMessageClick();
        EXPECT_EQ(fenetre->memoMessage->toPlainText(), QStringLiteral("texte X"));
        fenetre->close();
    }
    {
        // 0 at the user's level wins over the 1 of another user: editable.
        base.AjouterParametreEntier(QStringLiteral("A"), QStringLiteral("V"),
                                    QStringLiteral("CONFIG"), QStringLiteral("BloquerCreation"), 0);
        auto fenetre = Ouvrir("[Config]\nAgence=A\nUtilisateur=V\n");
        EXPECT_FALSE(fenetre->memoMessage->isReadOnly());
        fenetre->close();
    }
    {
        // No row at any level for this agency: editable.
        auto fenetre = Ouvrir("[Config]\nAgence=B\nUtilisateur=W\n");
        EXPECT_FALSE(fenetre->memoMessage->isReadOnly());
        fenetre->memoMessage->clear();
        fenetre->memoMessage->setFocus();
        QTest::keyClicks(fenetre->memoMessage, "abc");
        EXPECT_EQ(fenetre->memoMessage->toPlainText(), QStringLiteral("abc"));
    }
}

TEST_F(FicheenvoismsTest, ControlesAvantEnvoi) {
    auto fenetre = Ouvrir("[Config]\nNumero=\n");
    ASSERT_EQ(fenetre->combo_api->count(), 0);
    fenetre->memoMessage->clear();
    // No service: the first check, whatever else is missing too.
    QTest::mouseClick(fenetre->btnEnvoyer, Qt::LeftButton);
    ASSERT_EQ(dialogues.demandes.size(), 1u);
    EXPECT_EQ(dialogues.demandes[0].texte,
              QStringLiteral("Erreur : Veuillez sélectionner un service d'expédition."));
    EXPECT_EQ(dialogues.demandes[0].type, TTypeDialogue::Erreur);
    EXPECT_EQ(dialogues.demandes[0].boutons, mbOK);
    EXPECT_EQ(Couleur(fenetre->label_api), Rouge);
    EXPECT_EQ(QApplication::focusWidget(), fenetre->combo_api);
    EXPECT_TRUE(fenetre->edtReponse->toPlainText().isEmpty());
    fenetre->close();

    base.AjouterService(QStringLiteral("Service"));
    fenetre = Ouvrir("[Config]\nNumero=\n");
    fenetre->memoMessage->clear();
    fenetre->edtReponse->setPlainText(QStringLiteral("ancienne réponse"));
    dialogues.demandes.clear();
    fenetre->btnEnvoyerClick();
    ASSERT_EQ(dialogues.demandes.size(), 1u);
    EXPECT_EQ(dialogues.demandes[0].texte,
              QStringLiteral("Erreur : Veuillez renseigner un numéro de téléphone."));
    EXPECT_EQ(Couleur(fenetre->label_numero), Rouge);
    EXPECT_EQ(QApplication::focusWidget(), fenetre->edtNumero);
    EXPECT_TRUE(fenetre->edtReponse->toPlainText().isEmpty());

    // Spaces only pass the number check: it looks at the raw text.
    fenetre->edtNumero->setText(QStringLiteral(" "));
    dialogues.demandes.clear();
    fenetre->btnEnvoyerClick();
    ASSERT_EQ(dialogues.demandes.size(), 1u);
    EXPECT_EQ(dialogues.demandes[0].texte,
              QStringLiteral("Erreur : Veuillez renseigner un message à envoyer."));
    EXPECT_EQ(Couleur(fenetre->label_message), Rouge);
    EXPECT_EQ(QApplication::focusWidget(), fenetre->memoMessage);

    // A name in the list without its record.
    fenetre->memoMessage->setPlainText(QStringLiteral("texte"));
    fenetre->combo_api->insertItem(0, QStringLiteral("service"));
    fenetre->combo_api->setCurrentIndex(0);
    dialogues.demandes.clear();
    fenetre->btnEnvoyerClick();
    ASSERT_EQ(dialogues.demandes.size(), 1u);
    EXPECT_EQ(dialogues.demandes[0].texte,
              QStringLiteral("Erreur : Impossible de trouver le service d'expédition demandé"));
    EXPECT_EQ(Couleur(fenetre->label_api), Rouge);
    EXPECT_EQ(QApplication::focusWidget(), fenetre->combo_api);
    // The user's pick gives the caption its colour back.
    Choisir(fenetre->combo_api, QStringLiteral("Service"));
    EXPECT_EQ(Couleur(fenetre->label_api), Normale());
    EXPECT_EQ(base.Compter(QStringLiteral("SELECT count(*) FROM Historique")), 0);
}

TEST_F(FicheenvoismsTest, AnnulationEtDateDEnvoi) {
    TServeurTest serveur;
    base.AjouterService(
        {.nom = QStringLiteral("Service"), .url = serveur.Url(QStringLiteral("/envoi"))});
    auto fenetre = Ouvrir("[Config]\nNumero=0612\n");
    fenetre->memoMessage->setPlainText(QStringLiteral("Bonjour"));

    // A later date-time keeps its time of day.
    const QDateTime plusTard(QDate::currentDate().addDays(5), QTime(10, 11, 12));
    fenetre->dtpDateEnvoi->setDateTime(plusTard);
    dialogues.Repondre(TResultatDialogue::mrCancel);
    fenetre->btnEnvoyerClick();
    ASSERT_EQ(dialogues.demandes.size(), 1u);
    EXPECT_EQ(dialogues.demandes[0].type, TTypeDialogue::Confirmation);
    EXPECT_EQ(dialogues.demandes[0].boutons, mbOKCancel);
    EXPECT_EQ(dialogues.demandes[0].texte,
              QStringLiteral("Confirmer l'envoi du message : \nBonjour"));
    EXPECT_EQ(fenetre->dtpDateEnvoi->dateTime(), plusTard);
    // Cancelled: nothing sent, nothing written, nothing shown.
    EXPECT_TRUE(serveur.Requetes().empty());
    EXPECT_EQ(base.Compter(QStringLiteral("SELECT count(*) FROM Historique")), 0);
    EXPECT_TRUE(fenetre->edtReponse->toPlainText().isEmpty());

    // An earlier date takes the current time of day, even when a check then fails.
    const QDate avantHier = QDate::currentDate().addDays(-2);
    fenetre->dtpDateEnvoi->setDateTime(QDateTime(avantHier, QTime(0, 0)));
    fenetre->memoMessage->clear();
    dialogues.demandes.clear();
    const QTime avant = QTime::currentTime();
    fenetre->btnEnvoyerClick();
    const QTime apres = QTime::currentTime();
    ASSERT_EQ(dialogues.demandes.size(), 1u);
    EXPECT_EQ(dialogues.demandes[0].texte,
              QStringLiteral("Erreur : Veuillez renseigner un message à envoyer."));
    EXPECT_EQ(fenetre->dtpDateEnvoi->date(), avantHier);
    if (avant <= apres) {  // not across midnight
        EXPECT_GE(fenetre->dtpDateEnvoi->time(), avant.addMSecs(-avant.msec()));
        EXPECT_LE(fenetre->dtpDateEnvoi->time(), apres);
    }
    EXPECT_TRUE(serveur.Requetes().empty());
}

TEST_P(FicheenvoismsTest, EnvoiConfirmeSansSecondEnvoiNiSaisie) {
    TServeurTest serveur;
    base.AjouterService(
        {.nom = QStringLiteral("Service"), .url = serveur.Url(QStringLiteral("/envoi"))});
    base.AjouterCategorie(1, QStringLiteral("Relances"));
    base.AjouterTemplate({.id = 1,
                          .id_categorie = 1,
                          .nom = QStringLiteral("T"),
                          .texte = QStringLiteral("Bonjour <Client_Nom>")});
    auto fenetre = Ouvrir(
        "[Config]\nAgence=Agence Sud\nUtilisateur=jdurand\nCategorie=1\nExpediteur=AGENCE\n"
        "Numero=+33 6.12-34 56 78\n[Client]\nNom=Mme Dupont\n");
    ASSERT_EQ(fenetre->memoMessage->toPlainText(), QStringLiteral("Bonjour Mme Dupont"));
    // Tags typed by hand are replaced at the send too; unknown ones stay.
    fenetre->memoMessage->appendPlainText(QStringLiteral("<Client_Nom> <Societe_Nom>"));
    const QDate hier = QDate::currentDate().addDays(-1);
    fenetre->dtpDateEnvoi->setDateTime(QDateTime(hier, QTime(0, 0)));

    // While the service is being asked: wait cursor, a second click starts nothing, the
    // window takes neither clicks nor keys and refuses to close.
    bool vuPendant = false, enCours = false, visible = false;
    Qt::CursorShape curseur = Qt::ArrowCursor;
    QString numeroPendant, reponsePendant, descriptionPendant;
    QObject::connect(&serveur, &TServeurTest::RequeteRecue, fenetre.get(), [&] {
        vuPendant = true;
        enCours = fenetre->EnvoiEnCours();
        reponsePendant = fenetre->edtReponse->toPlainText();
        if (const QWidget* focus = fenetre->focusWidget()) {
            descriptionPendant = QAccessible::queryAccessibleInterface(const_cast<QWidget*>(focus))
                                     ->text(QAccessible::Description);
        }
        if (const QCursor* c = QGuiApplication::overrideCursor()) curseur = c->shape();
        fenetre->btnEnvoyer->click();
        QTest::mouseClick(fenetre->btnEnvoyer, Qt::LeftButton);
        QTest::keyClick(fenetre->edtNumero, Qt::Key_A);
        numeroPendant = fenetre->edtNumero->text();
        fenetre->close();
        visible = fenetre->isVisible();
    });

    dialogues.Repondre(TResultatDialogue::mrOK);
    const QDateTime avant = QDateTime::currentDateTime();
    QTest::mouseClick(fenetre->btnEnvoyer, Qt::LeftButton);
    const QDateTime apres = QDateTime::currentDateTime();

    ASSERT_TRUE(vuPendant);
    EXPECT_TRUE(enCours);
    EXPECT_EQ(curseur, Qt::WaitCursor);
    EXPECT_EQ(reponsePendant, QStringLiteral("Envoi en cours…"));
    // The outcome is also spoken from the control that has the focus.
    EXPECT_EQ(descriptionPendant, QStringLiteral("Envoi en cours…"));
    ASSERT_NE(fenetre->focusWidget(), nullptr);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(fenetre->focusWidget())
                  ->text(QAccessible::Description),
              QStringLiteral("Envoyé"));
    EXPECT_EQ(numeroPendant, QStringLiteral("+33 6.12-34 56 78"));
    EXPECT_TRUE(visible);
    EXPECT_FALSE(fenetre->EnvoiEnCours());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    const QString message = QStringLiteral("Bonjour Mme Dupont\r\nMme Dupont <Societe_Nom>");
    ASSERT_EQ(dialogues.demandes.size(), 1u) << dialogues.Textes().join('|').toStdString();
    EXPECT_EQ(dialogues.demandes[0].texte,
              QStringLiteral("Confirmer l'envoi du message : \n") + message);
    ASSERT_EQ(serveur.Requetes().size(), 1u);
    const auto& requete = serveur.Requetes()[0];
    EXPECT_EQ(requete.Parametre(QStringLiteral("to")), QStringLiteral("+33612345678"));
    EXPECT_EQ(requete.Parametre(QStringLiteral("text")), message);
    EXPECT_EQ(requete.Parametre(QStringLiteral("from")), QStringLiteral("AGENCE"));
    EXPECT_EQ(fenetre->edtReponse->toPlainText(), QStringLiteral("Envoyé"));

    // One history row with the cleaned number, the final message and the recipient.
    ASSERT_EQ(base.Compter(QStringLiteral("SELECT count(*) FROM Historique")), 1);
    auto colonne = [&](const char* nom) {
        return base.Valeur(QStringLiteral("SELECT %1 FROM Historique").arg(QLatin1String(nom)));
    };
    EXPECT_EQ(colonne("agence").toString(), QStringLiteral("Agence Sud"));
    EXPECT_EQ(colonne("utilisateur").toString(), QStringLiteral("jdurand"));
    EXPECT_EQ(colonne("expediteur").toString(), QStringLiteral("AGENCE"));
    EXPECT_EQ(colonne("destinataire").toString(), QStringLiteral("Mme Dupont"));
    EXPECT_EQ(colonne("numero").toString(), QStringLiteral("+33612345678"));
    EXPECT_EQ(colonne("message").toString(), message);
    EXPECT_EQ(colonne("etat").toString(), QStringLiteral("Envoyé"));
    // The picker's date with the time of the click, sent and stored as the picker holds it.
    const QDateTime dateEnvoi = fenetre->dtpDateEnvoi->dateTime();
    EXPECT_EQ(dateEnvoi.date(), hier);
    EXPECT_EQ(LireDateBase(colonne("date_envoi")), dateEnvoi);
    EXPECT_EQ(requete.Parametre(QStringLiteral("date")),
              dateEnvoi.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    if (avant.date() == apres.date()) {
        EXPECT_GE(dateEnvoi.time(), avant.time().addMSecs(-avant.time().msec()));
        EXPECT_LE(dateEnvoi.time(), apres.time());
    }

    // Right after, another send can go.
    dialogues.Repondre(TResultatDialogue::mrOK);
    fenetre->btnEnvoyerClick();
    EXPECT_EQ(serveur.Requetes().size(), 2u);
    EXPECT_EQ(base.Compter(QStringLiteral("SELECT count(*) FROM Historique")), 2);
}

TEST_P(FicheenvoismsTest, LesEspacesInsecablesDuMessageSontEnvoyesTelsQuels) {
    TServeurTest serveur;
    base.AjouterService(
        {.nom = QStringLiteral("Service"), .url = serveur.Url(QStringLiteral("/envoi"))});
    base.AjouterCategorie(1, QStringLiteral("Relances"));
    const QChar insecable(0x00A0);
    base.AjouterTemplate(
        {.id = 1,
         .id_categorie = 1,
         .nom = QStringLiteral("T"),
         .texte = QStringLiteral("Bonjour%1!\r\n\u00AB%1<Client_Nom>%1\u00BB").arg(insecable)});
    auto fenetre = Ouvrir("[Config]\nCategorie=1\nNumero=0612\n[Client]\nNom=Mme Dupont\n");
    const QString message =
        QStringLiteral("Bonjour%1!\r\n\u00AB%1Mme Dupont%1\u00BB").arg(insecable);
    dialogues.Repondre(TResultatDialogue::mrOK);
    fenetre->btnEnvoyerClick();
    ASSERT_EQ(dialogues.demandes.size(), 1u) << dialogues.Textes().join('|').toStdString();
    EXPECT_EQ(dialogues.demandes[0].texte,
              QStringLiteral("Confirmer l'envoi du message : \n") + message);
    ASSERT_EQ(serveur.Requetes().size(), 1u);
    EXPECT_EQ(serveur.Requetes()[0].Parametre(QStringLiteral("text")), message);
    EXPECT_EQ(base.Valeur(QStringLiteral("SELECT message FROM Historique")).toString(), message);
}

TEST_P(FicheenvoismsTest, EnvoiEnEchec) {
    TServeurTest serveur;
    serveur.Repondre(500, "panne");
    base.AjouterService(
        {.nom = QStringLiteral("Service"), .url = serveur.Url(QStringLiteral("/envoi"))});
    auto fenetre = Ouvrir("[Config]\nNumero=0612\n");
    fenetre->memoMessage->setPlainText(QStringLiteral("Bonjour"));
    fenetre->edtExpediteur->clear();
    dialogues.Repondre(TResultatDialogue::mrOK);
    QTest::mouseClick(fenetre->btnEnvoyer, Qt::LeftButton);
    ASSERT_EQ(serveur.Requetes().size(), 1u);
    ASSERT_EQ(dialogues.demandes.size(), 2u) << dialogues.Textes().join('|').toStdString();
    EXPECT_EQ(dialogues.demandes[1].type, TTypeDialogue::Erreur);
    EXPECT_TRUE(dialogues.demandes[1].texte.startsWith(QStringLiteral("Erreur : ")));
    const QString resultat = fenetre->edtReponse->toPlainText();
    EXPECT_TRUE(resultat.startsWith(QStringLiteral("Erreur : "))) << resultat.toStdString();
    EXPECT_EQ(base.Valeur(QStringLiteral("SELECT etat FROM Historique")).toString(), resultat);
    // No "Client" section: the recipient is stored empty.
    EXPECT_EQ(base.Valeur(QStringLiteral("SELECT destinataire FROM Historique")).toString(),
              QString(""));

    // A service answering with its own errors: shown as the outcome, no dialog.
    serveur.Repondre(200, R"({"resultat":0,"erreurs":["numéro invalide"]})");
    dialogues.demandes.clear();
    dialogues.Repondre(TResultatDialogue::mrOK);
    fenetre->btnEnvoyerClick();
    EXPECT_EQ(dialogues.demandes.size(), 1u) << dialogues.Textes().join('|').toStdString();
    EXPECT_EQ(fenetre->edtReponse->toPlainText(), QStringLiteral("Erreur : [\"numéro invalide\"]"));
    EXPECT_EQ(base.Compter(QStringLiteral("SELECT count(*) FROM Historique")), 2);
}

TEST_P(FicheenvoismsTest, FermetureParBoutonEtBarreDeTitre) {
    Remplir();
    auto fenetre = Ouvrir(ParametresComplets);
    ASSERT_TRUE(DataModuleAbs->Database().isOpen());
    ASSERT_FALSE(fenetre->ListeTemplates().empty());
    QTest::mouseClick(fenetre->btnQuitter, Qt::LeftButton);
    EXPECT_FALSE(fenetre->isVisible());
    EXPECT_FALSE(DataModuleAbs->Database().isOpen());
    EXPECT_TRUE(fenetre->ListeApi().empty());
    EXPECT_TRUE(fenetre->ListeCategories().empty());
    EXPECT_TRUE(fenetre->ListeTemplates().empty());

    // The title bar's close button reaches the window as a close event on its window.
    fenetre = Ouvrir(ParametresComplets);
    ASSERT_TRUE(DataModuleAbs->Database().isOpen());
    ASSERT_EQ(fenetre->ListeApi().size(), 3u);
    QCloseEvent fermeture;
    QApplication::sendEvent(fenetre->windowHandle(), &fermeture);
    EXPECT_FALSE(fenetre->isVisible());
    EXPECT_FALSE(DataModuleAbs->Database().isOpen());
    EXPECT_TRUE(fenetre->ListeApi().empty());
    EXPECT_TRUE(dialogues.demandes.empty()) << dialogues.Textes().join('|').toStdString();
}
