// The history window: its controls, the criteria it gathers, and the rows listed from a
// real sms.abs.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTest>
#include <set>

#include "commun/BaseTest.h"
#include "commun/DialoguesScriptes.h"
#include "commun/MoteurTest.h"
#include "data/Datamoduleabs.h"
#include "data/Thistorique.h"
#include "platform/FormatDateTime.h"
#include "ui/Tfichehistorique.h"
#include "ui/Tmodelehistorique.h"

namespace {

const QString Select = QStringLiteral("SELECT * FROM Historique");

// The searches run on both engines (TEST_P); the raw read of the file's rows is its own.
class TfichehistoriqueTest : public TTestDeuxMoteurs {
  protected:
    // A window whose parameter file names this agency and user (empty: no key at all).
    std::unique_ptr<TFicheHistorique> Fenetre(const QString& agence, const QString& utilisateur) {
        QByteArray texte = "[Config]\n";
        if (!agence.isEmpty()) texte += "Agence=" + agence.toUtf8() + "\n";
        if (!utilisateur.isEmpty()) texte += "Utilisateur=" + utilisateur.toUtf8() + "\n";
        const QString chemin = base.Dossier() + QStringLiteral("/parametres.ini");
        QFile f(chemin);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(texte);
        f.close();
        auto fenetre = std::make_unique<TFicheHistorique>();
        fenetre->DefinirFichierParametres(chemin);
        return fenetre;
    }

    qint64 Ligne(const QString& agence, const QString& utilisateur, const QVariant& creation,
                 const QVariant& etat = QStringLiteral("Envoyé"),
                 const QString& expediteur = QStringLiteral("AGENCE"),
                 const QString& destinataire = QStringLiteral("Mme Dupont"),
                 const QVariant& envoi = QStringLiteral("2024-06-10 09:00:00.000"),
                 const QString& message = QStringLiteral("Bonjour")) {
        return base.AjouterHistorique({.agence = agence,
                                       .utilisateur = utilisateur,
                                       .date_creation = creation,
                                       .expediteur = expediteur,
                                       .destinataire = destinataire,
                                       .numero = QStringLiteral("0612345678"),
                                       .message = message,
                                       .date_envoi = envoi,
                                       .etat = etat});
    }

    // The texts of one column of the list, in the order shown.
    static QStringList Colonne(const TFicheHistorique& f, int colonne) {
        QStringList textes;
        const TModeleHistorique* m = f.Modele();
        for (int i = 0; i < m->rowCount(); ++i) textes << m->Texte(i, colonne);
        return textes;
    }
    static std::multiset<QString> Ensemble(const QStringList& l) { return {l.begin(), l.end()}; }

    static void Cocher(QDateEdit* date, QCheckBox* coche, const QDate& jour) {
        date->setDate(jour);
        coche->setChecked(true);
    }

    TBaseTest base{true, Moteur()};
    TDialoguesScriptes dialogues;
};

}  // namespace

INSTANCIER_DEUX_MOTEURS(TfichehistoriqueTest);

TEST_F(TfichehistoriqueTest, ControlesEtDisposition) {
    auto f = Fenetre(QString(), QString());
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Historique"));
    EXPECT_EQ(f->size(), QSize(816, 476));
    EXPECT_EQ(f->minimumSize(), f->maximumSize());
    EXPECT_FALSE(f->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(f->windowFlags() & Qt::WindowMaximizeButtonHint);

    auto* gbCreation = f->findChild<QGroupBox*>(QStringLiteral("gbCreation"));
    auto* gbEnvoi = f->findChild<QGroupBox*>(QStringLiteral("gbEnvoi"));
    auto* rgEtat = f->findChild<QGroupBox*>(QStringLiteral("rgEtat"));
    ASSERT_TRUE(gbCreation && gbEnvoi && rgEtat);
    EXPECT_EQ(gbCreation->title(), QStringLiteral("Date de création"));
    EXPECT_EQ(gbEnvoi->title(), QStringLiteral("Date d'envoi"));
    EXPECT_EQ(rgEtat->title(), QStringLiteral("Etat"));

    // Each caption names its field; every picker starts on today, its box cleared.
    const struct {
        const char *libelle, *texte, *champ;
    } paires[] = {{"label_epediteur", "Expéditeur", "edit_expediteur"},
                  {"label_destinataire", "Destinataire", "edit_destinataire"},
                  {"Label_creation_du", "Du", "DateCreationDebut"},
                  {"Label_creation_au", "Au", "DateCreationFin"},
                  {"label_envoi_du", "Du", "DateEnvoiDebut"},
                  {"label_envoi_au", "Au", "DateEnvoiFin"}};
    for (const auto& p : paires) {
        auto* libelle = f->findChild<QLabel*>(QString::fromLatin1(p.libelle));
        ASSERT_NE(libelle, nullptr) << p.libelle;
        EXPECT_EQ(libelle->text(), QString::fromUtf8(p.texte));
        ASSERT_NE(libelle->buddy(), nullptr) << p.libelle;
        EXPECT_EQ(libelle->buddy()->objectName(), QString::fromLatin1(p.champ));
    }
    for (QDateEdit* d :
         {f->DateCreationDebut, f->DateCreationFin, f->DateEnvoiDebut, f->DateEnvoiFin}) {
        EXPECT_EQ(d->date(), QDate::currentDate()) << d->objectName().toStdString();
        EXPECT_TRUE(d->displayedSections() & QDateTimeEdit::YearSection);
        EXPECT_FALSE(d->displayedSections() & QDateTimeEdit::HourSection);
        auto* coche = f->findChild<QCheckBox*>(QStringLiteral("cb") + d->objectName());
        ASSERT_NE(coche, nullptr);
        EXPECT_FALSE(coche->isChecked());
        EXPECT_FALSE(coche->accessibleName().isEmpty());
    }
    EXPECT_TRUE(f->findChild<QLineEdit*>(QStringLiteral("edit_expediteur"))->text().isEmpty());

    // Four choices in two columns: "Tous" and "En cours" in the first, "Tous" selected.
    const QList<QRadioButton*> etats = rgEtat->findChildren<QRadioButton*>();
    ASSERT_EQ(etats.size(), 4);
    QStringList textes;
    for (auto* b : f->boutonsEtat->buttons()) textes << b->text();
    EXPECT_EQ(textes, (QStringList{"Tous", "En cours", "Envoyé", "Erreur"}));
    f->show();
    auto* b = f->boutonsEtat;
    EXPECT_EQ(b->button(0)->x(), b->button(1)->x());
    EXPECT_EQ(b->button(2)->x(), b->button(3)->x());
    EXPECT_LT(b->button(0)->x(), b->button(2)->x());
    EXPECT_EQ(b->button(0)->y(), b->button(2)->y());
    EXPECT_TRUE(b->button(0)->isChecked());
    EXPECT_EQ(f->EtatChoisi(), 0);

    EXPECT_EQ(f->findChild<QPushButton*>(QStringLiteral("btnRechercher"))->text(),
              QStringLiteral("Rechercher"));
    EXPECT_EQ(f->findChild<QPushButton*>(QStringLiteral("btnQuitter"))->text(),
              QStringLiteral("Fermer"));
    EXPECT_FALSE(f->btnRechercher->icon().isNull());
    EXPECT_FALSE(f->btnQuitter->icon().isNull());

    // The list: eight columns, "Agence" 60 pixels, the others sharing the rest.
    auto* liste = f->findChild<QTableView*>(QStringLiteral("ListView"));
    ASSERT_NE(liste, nullptr);
    QStringList titres;
    for (int c = 0; c < liste->model()->columnCount(); ++c)
        titres << liste->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titres, (QStringList{"Agence", "Utilisateur", "Date création", "Expéditeur",
                                   "Destinataire", "Message", "Date envoie", "Etat"}));
    QHeaderView* h = liste->horizontalHeader();
    EXPECT_EQ(h->sectionSize(0), 60);
    int total = 0;
    for (int c = 1; c < 8; ++c) {
        EXPECT_NEAR(h->sectionSize(c), h->sectionSize(1), 1);
        total += h->sectionSize(c);
    }
    EXPECT_NEAR(total + 60, liste->viewport()->width(), 1);
    EXPECT_TRUE(liste->showGrid());
    EXPECT_EQ(liste->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(liste->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(liste->model()->rowCount(), 0);

    // Nothing clipped: every caption fits in its widget.
    for (QWidget* w : f->findChildren<QWidget*>()) {
        if (!w->isVisible()) continue;
        EXPECT_GE(w->width(), std::min(w->sizeHint().width(), w->minimumSizeHint().width()))
            << w->objectName().toStdString();
        EXPECT_TRUE(f->rect().contains(QRect(w->mapTo(f.get(), QPoint(0, 0)), w->size())))
            << w->objectName().toStdString();
    }
}

TEST_P(TfichehistoriqueTest, LaPremiereActivationOuvreLaBaseEtCherche) {
    Ligne("A", "U", "2024-06-01 10:00:00.000");
    Ligne("A", "V", "2024-06-01 10:00:00.000");
    auto f = Fenetre("A", "U");
    f->show();
    QApplication::setActiveWindow(f.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.get()));
    EXPECT_EQ(Colonne(*f, 1), QStringList{"U"});
    EXPECT_TRUE(dialogues.demandes.empty());

    // A later activation does not search again.
    Ligne("A", "U", "2024-06-02 10:00:00.000");
    f->FormActivate();  // the handler itself still works when called
    EXPECT_EQ(f->Modele()->rowCount(), 2);

    // "Fermer" closes the window.
    f->btnQuitter->click();
    EXPECT_FALSE(f->isVisible());
}

TEST_P(TfichehistoriqueTest, AgenceEtUtilisateurDuFichierDeParametres) {
    Ligne("A", "U", "2024-06-01 10:00:00.000");
    Ligne("A", "U", "2024-06-02 10:00:00.000");
    Ligne("A", "V", "2024-06-01 10:00:00.000");
    Ligne("B", "U", "2024-06-01 10:00:00.000");
    DataModuleAbs->OuvrirBase();

    auto f = Fenetre("A", "U");
    f->btnRechercher->click();
    EXPECT_EQ(f->Criteres(), (TCriteresHistorique{.agence = "A", .utilisateur = "U"}));
    EXPECT_EQ(Colonne(*f, 0), (QStringList{"A", "A"}));
    EXPECT_EQ(Colonne(*f, 1), (QStringList{"U", "U"}));

    // Neither: every row whatever its agency and user.
    f = Fenetre(QString(), QString());
    f->btnRechercherClick();
    EXPECT_EQ(f->Criteres(), TCriteresHistorique{});
    EXPECT_EQ(f->Modele()->rowCount(), 4);

    // User only, then agency only.
    f = Fenetre(QString(), "U");
    f->btnRechercherClick();
    EXPECT_EQ(Ensemble(Colonne(*f, 0)), (std::multiset<QString>{"A", "A", "B"}));
    f = Fenetre("B", QString());
    f->btnRechercherClick();
    EXPECT_EQ(Colonne(*f, 0), QStringList{"B"});
    EXPECT_TRUE(dialogues.demandes.empty());
}

TEST_P(TfichehistoriqueTest, TousLesCriteresDonnentDixLignes) {
    Ligne("A", "U", "2024-06-05 10:00:00.000", QStringLiteral("Erreur : refusé"),
          QStringLiteral("X06Y"), QStringLiteral("M. Martin"), "2024-06-06 08:00:00.000");
    Ligne("A", "U", "2024-06-05 10:00:00.000", QStringLiteral("Envoyé"), QStringLiteral("X06Y"),
          QStringLiteral("M. Martin"), "2024-06-06 08:00:00.000");
    DataModuleAbs->OuvrirBase();

    auto f = Fenetre("A", "U");
    Cocher(f->DateCreationDebut, f->cbDateCreationDebut, QDate(2024, 6, 1));
    Cocher(f->DateCreationFin, f->cbDateCreationFin, QDate(2024, 6, 30));
    f->edit_expediteur->setText(QStringLiteral("06"));
    f->edit_destinataire->setText(QStringLiteral("Mart"));
    Cocher(f->DateEnvoiDebut, f->cbDateEnvoiDebut, QDate(2024, 6, 6));
    Cocher(f->DateEnvoiFin, f->cbDateEnvoiFin, QDate(2024, 6, 6));
    f->ChoisirEtat(3);
    f->btnRechercherClick();
    EXPECT_EQ(f->Criteres(), (TCriteresHistorique{.agence = "A",
                                                  .utilisateur = "U",
                                                  .creationDebut = QDate(2024, 6, 1),
                                                  .creationFin = QDate(2024, 6, 30),
                                                  .expediteur = "06",
                                                  .destinataire = "Mart",
                                                  .envoiDebut = QDate(2024, 6, 6),
                                                  .envoiFin = QDate(2024, 6, 6),
                                                  .etat = 3}));
    EXPECT_EQ(Colonne(*f, 7), QStringList{"Erreur : refusé"});
}

TEST_P(TfichehistoriqueTest, FiltresTexteEnLike) {
    Ligne("A", "U", "2024-06-01 10:00:00.000", "Envoyé", "0601", "Mme Dupont");
    Ligne("A", "U", "2024-06-01 10:00:00.000", "Envoyé", "AG06", "M. Durand");
    Ligne("A", "U", "2024-06-01 10:00:00.000", "Envoyé", "AGENCE", "Mme Dupond");
    Ligne("A", "U", "2024-06-01 10:00:00.000", "Envoyé", "0 6", "Dupont_Jean");
    DataModuleAbs->OuvrirBase();
    auto f = Fenetre(QString(), QString());

    f->edit_expediteur->setText(QStringLiteral("06"));
    f->btnRechercherClick();
    EXPECT_EQ(Ensemble(Colonne(*f, 3)), (std::multiset<QString>{"0601", "AG06"}));

    // The text is used as typed: blanks kept, "_" keeps its wildcard meaning.
    f->edit_expediteur->setText(QStringLiteral("0 "));
    f->btnRechercherClick();
    EXPECT_EQ(Colonne(*f, 3), QStringList{"0 6"});

    f->edit_expediteur->clear();
    f->edit_destinataire->setText(QStringLiteral("Dupon_"));
    f->btnRechercherClick();
    EXPECT_EQ(Ensemble(Colonne(*f, 4)),
              (std::multiset<QString>{"Mme Dupont", "Mme Dupond", "Dupont_Jean"}));
}

TEST_P(TfichehistoriqueTest, BornesDeJourneeCompletes) {
    // Creation dates around 2024-06-15, send dates around 2024-03-01.
    Ligne("A", "U", "2024-06-14 23:59:59.999", "Envoyé", "veille");
    Ligne("A", "U", "2024-06-15 00:00:00.000", "Envoyé", "minuit");
    Ligne("A", "U", "2024-06-15 12:00:00.000", "Envoyé", "midi");
    Ligne("A", "U", "2024-06-15 23:59:59.950", "Envoyé", "fin");
    Ligne("A", "U", "2024-06-16 00:00:00.000", "Envoyé", "lendemain");
    Ligne("A", "U", "2023-01-01 00:00:00.000", "Envoyé", "envoi veille", "x",
          "2024-02-29 23:59:59.999");
    Ligne("A", "U", "2023-01-01 00:00:00.000", "Envoyé", "envoi minuit", "x",
          "2024-03-01 00:00:00.000");
    Ligne("A", "U", "2023-01-01 00:00:00.000", "Envoyé", "envoi fin", "x",
          "2024-03-01 23:59:59.950");
    Ligne("A", "U", "2023-01-01 00:00:00.000", "Envoyé", "envoi lendemain", "x",
          "2024-03-02 00:00:00.000");
    DataModuleAbs->OuvrirBase();
    auto f = Fenetre("A", "U");

    Cocher(f->DateCreationDebut, f->cbDateCreationDebut, QDate(2024, 6, 15));
    Cocher(f->DateCreationFin, f->cbDateCreationFin, QDate(2024, 6, 15));
    f->btnRechercherClick();
    // The whole day, from midnight itself to its last millisecond.
    EXPECT_EQ(Ensemble(Colonne(*f, 3)), (std::multiset<QString>{"minuit", "midi", "fin"}));
    EXPECT_EQ(Colonne(*f, 2), (QStringList{"15/06/2024", "15/06/2024", "15/06/2024"}));

    // The lower bound alone.
    f->cbDateCreationFin->setChecked(false);
    f->btnRechercherClick();
    EXPECT_EQ(Ensemble(Colonne(*f, 3)),
              (std::multiset<QString>{"minuit", "midi", "fin", "lendemain"}));

    // Send dates, on a leap day's next day.
    f->cbDateCreationDebut->setChecked(false);
    Cocher(f->DateEnvoiDebut, f->cbDateEnvoiDebut, QDate(2024, 3, 1));
    Cocher(f->DateEnvoiFin, f->cbDateEnvoiFin, QDate(2024, 3, 1));
    f->btnRechercherClick();
    EXPECT_EQ(Ensemble(Colonne(*f, 3)), (std::multiset<QString>{"envoi minuit", "envoi fin"}));
    EXPECT_EQ(Colonne(*f, 6), (QStringList{"01/03/2024", "01/03/2024"}));

    // Lower bound after the upper one: the search runs, lists nothing, says nothing.
    f->DateEnvoiDebut->setDate(QDate(2024, 3, 2));
    f->btnRechercherClick();
    EXPECT_EQ(f->Modele()->rowCount(), 0);
    EXPECT_TRUE(dialogues.demandes.empty());
}

TEST_P(TfichehistoriqueTest, UneCaseNonCocheeNAjouteRien) {
    Ligne("A", "U", "2020-01-01 10:00:00.000");
    DataModuleAbs->OuvrirBase();
    auto f = Fenetre("A", "U");
    // Dates that would exclude the row, boxes left cleared.
    f->DateCreationDebut->setDate(QDate(2030, 1, 1));
    f->DateCreationFin->setDate(QDate(2000, 1, 1));
    f->DateEnvoiDebut->setDate(QDate(2030, 1, 1));
    f->DateEnvoiFin->setDate(QDate(2000, 1, 1));
    f->btnRechercherClick();
    EXPECT_EQ(f->Criteres(), (TCriteresHistorique{.agence = "A", .utilisateur = "U"}));
    EXPECT_EQ(f->Modele()->rowCount(), 1);

    // Ticking one box adds its condition only.
    f->cbDateEnvoiFin->setChecked(true);
    EXPECT_TRUE(f->DateEnvoiFin->isEnabled());
    EXPECT_FALSE(f->DateEnvoiDebut->isEnabled());
    f->btnRechercherClick();
    EXPECT_EQ(
        f->Criteres(),
        (TCriteresHistorique{.agence = "A", .utilisateur = "U", .envoiFin = QDate(2000, 1, 1)}));
    EXPECT_EQ(f->Modele()->rowCount(), 0);
}

TEST_P(TfichehistoriqueTest, EtatsEtTextesAffiches) {
    Ligne("A", "U", "2024-06-01 10:00:00.000", QVariant(), "nul");
    Ligne("A", "U", "2024-06-01 10:00:00.000", QStringLiteral("Envoyé"), "envoyé");
    Ligne("A", "U", "2024-06-01 10:00:00.000", QStringLiteral("Erreur : numéro invalide"),
          "erreur");
    Ligne("A", "U", "2024-06-01 10:00:00.000", QStringLiteral(""), "vide");
    Ligne("A", "U", "2024-06-01 10:00:00.000", QStringLiteral("envoyé"), "minuscule");
    DataModuleAbs->OuvrirBase();
    auto f = Fenetre("A", "U");

    auto expediteurs = [&](int etat) {
        f->ChoisirEtat(etat);
        f->btnRechercherClick();
        return Ensemble(Colonne(*f, 3));
    };
    EXPECT_EQ(expediteurs(0),
              (std::multiset<QString>{"nul", "envoyé", "erreur", "vide", "minuscule"}));
    EXPECT_EQ(expediteurs(1), (std::multiset<QString>{"nul"}));
    EXPECT_EQ(expediteurs(2), (std::multiset<QString>{"envoyé"}));
    EXPECT_EQ(expediteurs(3), (std::multiset<QString>{"erreur", "vide", "minuscule"}));

    // A row with no state shows an empty "Etat".
    f->ChoisirEtat(1);
    f->btnRechercherClick();
    ASSERT_EQ(f->Modele()->rowCount(), 1);
    EXPECT_EQ(f->Modele()->Texte(0, 7), QString());
}

TEST_P(TfichehistoriqueTest, ColonnesDUneLigne) {
    Ligne("Agence Sud", "jdurand", "2024-06-01 10:11:12.345", QStringLiteral("Envoyé"), "AGENCE",
          "Mme Dupont", "2024-07-02 08:00:00.000", "Votre dossier est prêt.");
    // Dates stored without milliseconds, or NULL, or at day 0's edge.
    Ligne("Agence Sud", "jdurand", "2024-01-09 10:11:12", QStringLiteral("Envoyé"), "sans ms", "x",
          QVariant());
    Ligne("Agence Sud", "jdurand", QVariant(), QStringLiteral("Envoyé"), "nulle", "x",
          "1899-12-30 00:00:00.000");
    DataModuleAbs->OuvrirBase();
    auto f = Fenetre("Agence Sud", "jdurand");
    f->btnRechercherClick();
    ASSERT_EQ(f->Modele()->rowCount(), 3);
    int i = Colonne(*f, 3).indexOf(QStringLiteral("AGENCE"));
    ASSERT_GE(i, 0);
    QStringList textes;
    for (int c = 0; c < 8; ++c) textes << f->Modele()->Texte(i, c);
    EXPECT_EQ(textes, (QStringList{"Agence Sud", "jdurand", "01/06/2024", "AGENCE", "Mme Dupont",
                                   "Votre dossier est prêt.", "02/07/2024", "Envoyé"}));
    // The view shows the same texts.
    const QModelIndex index = f->ListView->model()->index(i, 5);
    EXPECT_EQ(f->ListView->model()->data(index).toString(), "Votre dossier est prêt.");
    EXPECT_FALSE(f->ListView->model()->flags(index) & Qt::ItemIsEditable);

    i = Colonne(*f, 3).indexOf(QStringLiteral("sans ms"));
    EXPECT_EQ(f->Modele()->Texte(i, 2), QStringLiteral("09/01/2024"));
    EXPECT_EQ(f->Modele()->Texte(i, 6), QStringLiteral("30/12/1899"));
    i = Colonne(*f, 3).indexOf(QStringLiteral("nulle"));
    EXPECT_EQ(f->Modele()->Texte(i, 2), QStringLiteral("30/12/1899"));
    EXPECT_EQ(f->Modele()->Texte(i, 6), QStringLiteral("30/12/1899"));
}

TEST_P(TfichehistoriqueTest, ErreurDeLaBasePendantLaRecherche) {
    Ligne("A", "U", "2024-06-01 10:00:00.000");
    Ligne("A", "U", "2024-06-01 10:00:00.000");
    auto f = Fenetre("A", "U");
    f->FormActivate();
    ASSERT_EQ(f->Modele()->rowCount(), 2);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // A date the program cannot read stops the search; the list stays empty, the error is
    // shown and the cursor comes back.
    Ligne("A", "U", "pas une date");
    f->btnRechercher->click();
    ASSERT_EQ(dialogues.demandes.size(), 1u);
    EXPECT_TRUE(dialogues.demandes[0].texte.startsWith(QStringLiteral("Erreur : ")));
    EXPECT_TRUE(dialogues.demandes[0].texte.contains(QStringLiteral("pas une date")));
    EXPECT_EQ(f->Modele()->rowCount(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // A table gone: the engine's text is shown.
    base.Executer(QStringLiteral("DROP TABLE Historique"));
    f->btnRechercher->click();
    ASSERT_EQ(dialogues.demandes.size(), 2u);
    EXPECT_TRUE(dialogues.demandes[1].texte.contains(QStringLiteral("Historique")));
    EXPECT_EQ(f->Modele()->rowCount(), 0);
}

// The list's texts, read straight from the engine, are those of the history record read
// through QSqlQuery, dates written by FormatDateTime; over block and sharing limits too.
TEST_F(TfichehistoriqueTest, LesTextesSontCeuxDeLEnregistrement) {
    base.Executer(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) "
        "INSERT INTO Historique (agence, utilisateur, date_creation, expediteur, destinataire, "
        "numero, message, date_envoi, etat) SELECT "
        "'Agence ' || i, 'u' || (i % 7), "
        "printf('%04d-%02d-%02d %02d:00:00.%03d', 2020 + i % 5, i % 12 + 1, i % 28 + 1, "
        "i % 24, i % 1000), "
        "CASE WHEN i % 5 = 1 THEN NULL ELSE 'Expé ' || (i % 3) END, "
        "CASE WHEN i % 13 = 0 THEN '' ELSE 'Clé ' || i END, '06' || i, "
        "'Message n° ' || i || ' : à bientôt', "
        "CASE WHEN i % 9 = 0 THEN NULL WHEN i % 11 = 0 THEN '2021-02-03 04:05' "
        "ELSE printf('2023-%02d-%02d 23:59:59.999', i % 12 + 1, i % 28 + 1) END, "
        "CASE i % 3 WHEN 1 THEN NULL WHEN 2 THEN 'Envoyé' ELSE 'Erreur : n° ' || i END "
        "FROM n"));
    // A message longer than a storage block, in two-byte characters.
    Ligne("A", "U", "2024-06-01 10:00:00.000", "Envoyé", "long", "x", "2024-06-01 10:00:00.000",
          QString(800000, QChar(u'é')));
    DataModuleAbs->OuvrirBase();

    QList<QStringList> attendues;
    {
        QSqlQuery q(DataModuleAbs->Database());
        q.setForwardOnly(true);
        ASSERT_TRUE(q.exec(Select));
        const QString motif = QStringLiteral("dd/mm/yyyy");
        while (q.next()) {
            const THistorique h(q.record());
            attendues << QStringList{h.agence(),
                                     h.utilisateur(),
                                     FormatDateTime(motif, h.date_creation()),
                                     h.expediteur(),
                                     h.destinataire(),
                                     h.message(),
                                     FormatDateTime(motif, h.date_envoi()),
                                     h.etat()};
        }
    }
    ASSERT_EQ(attendues.size(), 5001);

    auto f = Fenetre(QString(), QString());
    for (bool directe : {true, false}) {
        TRequete::LectureDirecte = directe;
        f->btnRechercherClick();
        TRequete::LectureDirecte = true;
        ASSERT_EQ(f->Modele()->rowCount(), attendues.size()) << directe;
        int differences = 0;
        for (int i = 0; i < attendues.size(); ++i)
            for (int c = 0; c < 8; ++c)
                if (f->Modele()->Texte(i, c) != attendues[i][c] && ++differences < 5)
                    ADD_FAILURE() << "ligne " << i << " colonne " << c << " : "
                                  << f->Modele()->Texte(i, c).left(80).toStdString()
                                  << " au lieu de " << attendues[i][c].left(80).toStdString();
        EXPECT_EQ(differences, 0);
    }
    // Spot checks of what the comparison relies on.
    EXPECT_EQ(attendues[4999][0], QStringLiteral("Agence 5000"));
    EXPECT_EQ(attendues[8][6], QStringLiteral("30/12/1899"));   // NULL send date (i = 9)
    EXPECT_EQ(attendues[10][6], QStringLiteral("03/02/2021"));  // short form (i = 11)
    EXPECT_EQ(attendues[5000][5].size(), 800000);
}
