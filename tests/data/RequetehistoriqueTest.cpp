// The history search's statement, built from the criteria without a window.
#include <gtest/gtest.h>

#include <QDateTime>

#include "data/Requetehistorique.h"

TEST(Requetehistorique, LignesSelonLesCriteres) {
    const QString select = QStringLiteral("SELECT * FROM Historique");
    const struct {
        TCriteresHistorique criteres;
        QStringList lignes;
    } cas[] = {
        {{}, {select}},
        {{.agence = "A", .utilisateur = "U"},
         {select, " WHERE agence = :Agence ", " AND utilisateur = :Utilisateur"}},
        {{.utilisateur = "U"}, {select, " WHERE utilisateur = :Utilisateur"}},
        {{.etat = 3}, {select, " WHERE etat IS NOT NULL AND etat <> 'Envoyé'"}},
        {{.etat = 1}, {select, " WHERE etat IS NULL"}},
        {{.agence = "A",
          .utilisateur = "U",
          .creationDebut = QDate(2024, 1, 1),
          .creationFin = QDate(2024, 1, 31),
          .expediteur = "06",
          .destinataire = "Dupont",
          .envoiDebut = QDate(2024, 2, 1),
          .envoiFin = QDate(2024, 2, 2),
          .etat = 2},
         {select, " WHERE agence = :Agence ", " AND utilisateur = :Utilisateur",
          " AND date_creation >= :DateCreationDebut", " AND date_creation <= :DateCreationFin",
          " AND expediteur LIKE :Expediteur", " AND destinataire LIKE :Destinataire",
          " AND date_envoi >= :DateEnvoiDebut", " AND date_envoi <= :DateEnvoiFin",
          " AND etat = 'Envoyé'"}},
    };
    for (const auto& c : cas)
        EXPECT_EQ(ConstruireRequeteHistorique(c.criteres).lignes, c.lignes)
            << c.lignes.join('|').toStdString();
}

TEST(Requetehistorique, ParametresDansLOrdreLie) {
    const TRequeteHistorique r = ConstruireRequeteHistorique({.agence = "A",
                                                              .creationFin = QDate(2024, 3, 9),
                                                              .expediteur = "06",
                                                              .envoiDebut = QDate(2024, 3, 1)});
    ASSERT_EQ(r.parametres.size(), 4u);
    EXPECT_EQ(r.parametres[0], std::make_pair(QString("Agence"), QVariant(QString("A"))));
    EXPECT_EQ(r.parametres[1].first, "DateCreationFin");
    EXPECT_EQ(r.parametres[1].second.toDateTime(),
              QDateTime(QDate(2024, 3, 9), QTime(23, 59, 59, 999), Qt::UTC));
    EXPECT_EQ(r.parametres[2], std::make_pair(QString("Expediteur"), QVariant(QString("%06%"))));
    EXPECT_EQ(r.parametres[3].second.toDateTime(),
              QDateTime(QDate(2024, 3, 1), QTime(0, 0), Qt::UTC));
}
