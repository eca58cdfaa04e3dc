// The history search's statement, built from the criteria without a window.
#include <gtest/gtest.h>

#include <QDateTime>

#include "data/Champsbase.h"
#include "data/Requetehistorique.h"

namespace {

// Every criterion, the send dates' lower bound after the upper one.
const TCriteresHistorique Tous = {.agence = "A",
                                  .utilisateur = "U",
                                  .creationDebut = QDate(2024, 6, 15),
                                  .creationFin = QDate(2024, 6, 15),
                                  .expediteur = "06",
                                  .destinataire = "Mart",
                                  .envoiDebut = QDate(2024, 3, 1),
                                  .envoiFin = QDate(2024, 2, 29),
                                  .etat = 2};

}  // namespace

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
        {{.etat = 2}, {select, " WHERE etat = 'Envoyé'"}},
        {{.agence = "A"}, {select, " WHERE agence = :Agence "}},
        {{.destinataire = "D", .envoiFin = QDate(2024, 1, 1)},
         {select, " WHERE destinataire LIKE :Destinataire", " AND date_envoi <= :DateEnvoiFin"}},
        {Tous,
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

// The parameters in the order bound, as "Nom=texte" ("Nom=date texte" for a date, written
// as it is bound).
TEST(Requetehistorique, ParametresDansLOrdreLie) {
    const struct {
        TCriteresHistorique criteres;
        QStringList parametres;
    } cas[] = {
        {{.etat = 2}, {}},
        {{.agence = "A", .utilisateur = "U"}, {"Agence=A", "Utilisateur=U"}},
        // Whole days, from midnight itself to the day's last millisecond; a lower bound
        // after the upper one is bound as chosen.
        {Tous,
         {"Agence=A", "Utilisateur=U", "DateCreationDebut=date 2024-06-15 00:00:00.000",
          "DateCreationFin=date 2024-06-15 23:59:59.999", "Expediteur=%06%", "Destinataire=%Mart%",
          "DateEnvoiDebut=date 2024-03-01 00:00:00.000",
          "DateEnvoiFin=date 2024-02-29 23:59:59.999"}},
        // Texts as typed: blanks kept, "_" and "%" keep their wildcard meaning.
        {{.expediteur = "0 ", .destinataire = "Dupon_"},
         {"Expediteur=%0 %", "Destinataire=%Dupon_%"}},
        {{.creationFin = QDate(2024, 3, 9), .envoiDebut = QDate(2024, 3, 1)},
         {"DateCreationFin=date 2024-03-09 23:59:59.999",
          "DateEnvoiDebut=date 2024-03-01 00:00:00.000"}},
    };
    for (const auto& c : cas) {
        QStringList parametres;
        for (const auto& [nom, valeur] : ConstruireRequeteHistorique(c.criteres).parametres)
            parametres << nom + QLatin1Char('=') +
                              (valeur.metaType() == QMetaType::fromType<QDateTime>()
                                   ? QStringLiteral("date ") +
                                         valeur.toDateTime().toString(FormatDateBase)
                                   : valeur.toString());
        EXPECT_EQ(parametres, c.parametres) << c.parametres.join('|').toStdString();
    }
}
