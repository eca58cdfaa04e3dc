#include <gtest/gtest.h>

#include "commun/MoteurTest.h"
#include "data/Datamoduleabs.h"
#include "data/Thistorique.h"

namespace {
QList<THistorique> Lire(const QString& condition = QString()) {
    auto r = DataModuleAbs->CreerRequete();
    r->SQL << "SELECT * FROM Historique";
    if (!condition.isEmpty()) r->SQL << condition;
    QList<THistorique> liste;
    for (r->Ouvrir(); !r->Eof(); r->Suivant()) liste.append(THistorique(r->Ligne()));
    r->Fermer();
    return liste;
}
}  // namespace

class Thistorique : public TTestDeuxMoteurs {};
INSTANCIER_DEUX_MOTEURS(Thistorique);

TEST_P(Thistorique, AjoutsSuccessifs) {
    TBaseTest base(true, GetParam());
    DataModuleAbs->OuvrirBase();
    const QDateTime avant = QDateTime::currentDateTime().addMSecs(-1);
    const QDateTime envoi(QDate(2024, 7, 14), QTime(9, 30, 0, 250));
    THistorique::AjouterHistorique({.agence = "AG",
                                    .utilisateur = "US",
                                    .expediteur = "Parlivo",
                                    .destinataire = "",
                                    .numero = "0612345678",
                                    .message = "Ligne 1\nLigne 2",
                                    .date_envoi = envoi,
                                    .etat = "Envoyé"});
    THistorique::AjouterHistorique({.agence = "AG",
                                    .utilisateur = "US",
                                    .expediteur = "",
                                    .destinataire = "Dupont",
                                    .numero = "0700000000",
                                    .message = "Deux",
                                    .date_envoi = envoi,
                                    .etat = "Erreur : refus du service"});
    const QDateTime apres = QDateTime::currentDateTime().addMSecs(1);

    QList<THistorique> lignes = Lire();
    ASSERT_EQ(lignes.size(), 2);
    EXPECT_NE(lignes[0].id(), lignes[1].id());
    for (const THistorique& h : lignes) {
        EXPECT_EQ(h.agence(), "AG");
        EXPECT_EQ(h.utilisateur(), "US");
        EXPECT_GE(h.date_creation(), avant);
        EXPECT_LE(h.date_creation(), apres);
        EXPECT_EQ(h.date_envoi(), envoi);
    }
    EXPECT_EQ(lignes[0].expediteur(), "Parlivo");
    EXPECT_EQ(lignes[0].numero(), "0612345678");
    EXPECT_EQ(lignes[0].message(), "Ligne 1\nLigne 2");
    EXPECT_EQ(lignes[0].etat(), "Envoyé");
    EXPECT_EQ(lignes[1].destinataire(), "Dupont");
    EXPECT_EQ(lignes[1].etat(), "Erreur : refus du service");

    // Stored as text in the one date form; an empty recipient is the empty text.
    EXPECT_EQ(base.Valeur("SELECT date_envoi FROM Historique LIMIT 1").toString(),
              "2024-07-14 09:30:00.250");
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Historique WHERE date_creation LIKE "
                           "'____-__-__ __:__:__.___' AND etat IS NOT NULL"),
              2);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Historique WHERE destinataire = ''"), 1);

    // The search statements of the history window find these rows.
    EXPECT_EQ(Lire(" WHERE etat = 'Envoyé'").size(), 1);
    EXPECT_EQ(Lire(" WHERE etat IS NOT NULL AND etat <> 'Envoyé'").size(), 1);
}

TEST_P(Thistorique, LectureDesValeursNulles) {
    TBaseTest base(true, GetParam());
    base.AjouterHistorique({.agence = "A",
                            .utilisateur = "U",
                            .date_creation = QVariant(),
                            .expediteur = "E",
                            .destinataire = "D",
                            .numero = "N",
                            .message = "M",
                            .date_envoi = QVariant(),
                            .etat = QVariant()});
    base.Executer("INSERT INTO Historique (agence) VALUES (NULL)");
    base.AjouterHistorique({.agence = "A",
                            .utilisateur = "U",
                            .date_creation = QString("2020-05-06 07:08:09.010"),
                            .expediteur = "E",
                            .destinataire = "D",
                            .numero = "N",
                            .message = "M",
                            .date_envoi = QDateTime(QDate(2020, 1, 1), QTime(0, 0)),
                            .etat = "Envoyé"});
    DataModuleAbs->OuvrirBase();
    QList<THistorique> lignes = Lire();
    ASSERT_EQ(lignes.size(), 3);

    const QDateTime jourZero(QDate(1899, 12, 30), QTime(0, 0));
    EXPECT_EQ(lignes[0].date_creation(), jourZero);
    EXPECT_EQ(lignes[0].date_envoi(), jourZero);
    EXPECT_TRUE(lignes[0].etat().isEmpty());
    EXPECT_EQ(lignes[0].message(), "M");

    EXPECT_GT(lignes[1].id(), 0);
    for (const QString& texte :
         {lignes[1].agence(), lignes[1].utilisateur(), lignes[1].expediteur(),
          lignes[1].destinataire(), lignes[1].numero(), lignes[1].message(), lignes[1].etat()})
        EXPECT_TRUE(texte.isEmpty());

    EXPECT_EQ(lignes[2].date_creation(), QDateTime(QDate(2020, 5, 6), QTime(7, 8, 9, 10)));
    EXPECT_EQ(lignes[2].date_envoi(), QDateTime(QDate(2020, 1, 1), QTime(0, 0)));

    // A row with NULL etat is the one the "En cours" search finds.
    EXPECT_EQ(Lire(" WHERE etat IS NULL").size(), 2);
}

TEST_P(Thistorique, BaseFermee) {
    TBaseTest base(true, GetParam());
    EXPECT_THROW(THistorique::AjouterHistorique({.agence = "A", .utilisateur = "U"}), EErreurBase);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Historique"), 0);
}
