#include <gtest/gtest.h>

#include "commun/MoteurTest.h"
#include "data/Datamoduleabs.h"
#include "data/Fonctions_bd.h"

namespace {

class Fonctions_bd : public TTestDeuxMoteurs {
  protected:
    void SetUp() override { DataModuleAbs->OuvrirBase(); }
    TCurseur& table() { return DataModuleAbs->tblParametres; }
    int Lignes(const QString& agence, const QString& utilisateur) {
        return base.Compter(QStringLiteral("SELECT count(*) FROM Parametres WHERE agence = '%1' "
                                           "AND utilisateur = '%2' AND section = 'S' AND cle = "
                                           "'K'")
                                .arg(agence, utilisateur));
    }
    TBaseTest base{true, GetParam()};
};

}  // namespace

INSTANCIER_DEUX_MOTEURS(Fonctions_bd);

TEST_P(Fonctions_bd, NomsDesTypes) {
    EXPECT_EQ((QStringList{TypeString, TypeShortInt, TypeSmallInt, TypeInteger, TypeLargeInt,
                           TypeFloat, TypeCurrency, TypeDate, TypeTime, TypeDateTime, TypeBlob,
                           TypeGraphic, TypeMemo}),
              (QStringList{"STRING", "SHORTINT", "SMALLINT", "INTEGER", "LARGEINT", "FLOAT",
                           "CURRENCY", "DATE", "TIME", "DATETIME", "BLOB", "GRAPHIC", "MEMO"}));
}

TEST_P(Fonctions_bd, AucuneLignePuisUneLigne) {
    EXPECT_FALSE(ExisteParametreEntier(table(), "A", "U", "S", "K"));
    EXPECT_EQ(LireParametreEntier(table(), "A", "U", "S", "K", 42), 42);
    EXPECT_TRUE(EcrireParametreEntier(table(), "A", "U", "S", "K", 5));
    EXPECT_EQ(Lignes("A", "U"), 1);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Parametres WHERE valeur_type = 'INTEGER' AND "
                           "valeur_int = 5 AND valeur_string IS NULL"),
              1);

    EXPECT_TRUE(ExisteParametreEntier(table(), "A", "U", "S", "K"));
    EXPECT_TRUE(ExisteParametre(table(), "A", "U", "S", "K", TypeInteger));
    EXPECT_FALSE(ExisteParametre(table(), "A", "U", "S", "K", TypeString));
    EXPECT_EQ(LireParametreEntier(table(), "A", "U", "S", "K", 42), 5);
    EXPECT_TRUE(EcrireParametreEntier(table(), "A", "U", "S", "K", -7));
    EXPECT_EQ(Lignes("A", "U"), 1);
    EXPECT_EQ(LireParametreEntier(table(), "A", "U", "S", "K", 42), -7);

    // Texts are compared exactly: another case, or a blank, is another setting.
    EXPECT_FALSE(ExisteParametreEntier(table(), "a", "U", "S", "K"));
    EXPECT_FALSE(ExisteParametreEntier(table(), "A ", "U", "S", "K"));

    // An empty value reads as 0.
    base.Executer("UPDATE Parametres SET valeur_int = NULL");
    EXPECT_EQ(LireParametreEntier(table(), "A", "U", "S", "K", 42), 0);

    // Direct insertion and modification report their row counts.
    EXPECT_FALSE(ModifierParametreEntier(table(), "B", "U", "S", "K", 1));
    EXPECT_TRUE(InsererParametreEntier(table(), "B", "U", "S", "K", 1));
    EXPECT_TRUE(ModifierParametreEntier(table(), "B", "U", "S", "K", 2));
    EXPECT_EQ(LireParametreEntier(table(), "B", "U", "S", "K", 0), 2);
}

TEST_P(Fonctions_bd, DeuxLignesDeLaMemeIdentite) {
    base.AjouterParametreEntier("A", "U", "S", "K", 1);
    // The server keeps one row per identity (its primary key); only the file holds twins.
    if (GetParam() == TMoteurTest::Serveur) {
        EXPECT_ANY_THROW(base.AjouterParametreEntier("A", "U", "S", "K", 2));
        return;
    }
    base.AjouterParametreEntier("A", "U", "S", "K", 2);
    EXPECT_FALSE(ExisteParametreEntier(table(), "A", "U", "S", "K"));
    EXPECT_EQ(LireParametreEntier(table(), "A", "U", "S", "K", 9), 9);
    // The store tries a third row, which the index accepts.
    EXPECT_TRUE(EcrireParametreEntier(table(), "A", "U", "S", "K", 3));
    EXPECT_EQ(Lignes("A", "U"), 3);
}

TEST_P(Fonctions_bd, LigneDUnAutreType) {
    // The server keeps one row per identity, whatever its type: an integer written where a
    // text is kept is refused, with the text left as it was.
    if (GetParam() == TMoteurTest::Serveur) {
        base.AjouterParametreEntier("B", "U", "S", "K", 8, "STRING");
        try {
            EcrireParametreEntier(table(), "B", "U", "S", "K", 6);
            ADD_FAILURE() << "écriture acceptée";
        } catch (const EErreurBase& e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).contains("qui n'est pas un entier"))
                << e.what();
        }
        EXPECT_EQ(Lignes("B", "U"), 1);
        return;
    }
    // One INTEGER row and one STRING row: both are rewritten, and the write reports false.
    base.AjouterParametreEntier("A", "U", "S", "K", 1);
    base.AjouterParametreEntier("A", "U", "S", "K", 8, "STRING");
    EXPECT_TRUE(ExisteParametreEntier(table(), "A", "U", "S", "K"));
    EXPECT_EQ(LireParametreEntier(table(), "A", "U", "S", "K", 9), 1);
    EXPECT_FALSE(EcrireParametreEntier(table(), "A", "U", "S", "K", 4));
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Parametres WHERE valeur_type = 'INTEGER' AND "
                           "valeur_int = 4"),
              2);
    EXPECT_FALSE(ExisteParametreEntier(table(), "A", "U", "S", "K"));
    EXPECT_EQ(LireParametreEntier(table(), "A", "U", "S", "K", 9), 9);

    // A STRING row alone: not an integer setting; the write adds one beside it.
    base.AjouterParametreEntier("B", "U", "S", "K", 8, "STRING");
    EXPECT_FALSE(ExisteParametreEntier(table(), "B", "U", "S", "K"));
    EXPECT_TRUE(ExisteParametre(table(), "B", "U", "S", "K", TypeString));
    EXPECT_EQ(LireParametreEntier(table(), "B", "U", "S", "K", 9), 9);
    EXPECT_TRUE(EcrireParametreEntier(table(), "B", "U", "S", "K", 6));
    EXPECT_EQ(Lignes("B", "U"), 2);
    EXPECT_EQ(LireParametreEntier(table(), "B", "U", "S", "K", 9), 6);
    EXPECT_EQ(base.Valeur("SELECT valeur_string FROM Parametres WHERE agence = 'B' AND "
                          "valeur_type = 'STRING'")
                  .toString(),
              "8");
}

TEST_P(Fonctions_bd, TexteVideEtTexteNul) {
    // A null text is the empty text: written and found again by "=".
    EXPECT_TRUE(EcrireParametreEntier(table(), QString(), QString(), "S", "K", 3));
    EXPECT_EQ(Lignes("", ""), 1);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Parametres WHERE agence IS NULL OR utilisateur "
                           "IS NULL"),
              0);
    EXPECT_TRUE(ExisteParametreEntier(table(), "", "", "S", "K"));
    EXPECT_EQ(LireParametreEntier(table(), QString(), "", "S", "K", 0), 3);
    EXPECT_TRUE(EcrireParametreEntier(table(), "", QString(), "S", "K", 4));
    EXPECT_EQ(Lignes("", ""), 1);
    EXPECT_EQ(LireParametreEntier(table(), "", "", "S", "K", 0), 4);
}

TEST_P(Fonctions_bd, BloquerCreationSurTroisNiveaux) {
    EXPECT_EQ(ResoudreBloquerCreation(table(), "A", "U"), std::nullopt);

    base.AjouterParametreEntier("", "", "CONFIG", "BloquerCreation", 0);
    EXPECT_EQ(ResoudreBloquerCreation(table(), "A", "U"), 0);
    EXPECT_EQ(ResoudreBloquerCreation(table(), "", ""), 0);

    // A ticked box for A/U writes the user level only; the global row still counts for V.
    EXPECT_TRUE(EcrireParametreEntier(table(), "A", "U", "CONFIG", "BloquerCreation", 1));
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Parametres"), 2);
    EXPECT_EQ(ResoudreBloquerCreation(table(), "A", "U"), 1);
    EXPECT_EQ(ResoudreBloquerCreation(table(), "A", "V"), 0);

    // An agency-level row counts for every user of the agency without a row of their own.
    base.AjouterParametreEntier("B", "", "CONFIG", "BloquerCreation", 1);
    EXPECT_EQ(ResoudreBloquerCreation(table(), "B", "X"), 1);
    EXPECT_EQ(ResoudreBloquerCreation(table(), "B", "Y"), 1);
    EXPECT_EQ(ResoudreBloquerCreation(table(), "C", "X"), 0);
    EXPECT_TRUE(EcrireParametreEntier(table(), "B", "Y", "CONFIG", "BloquerCreation", 0));
    EXPECT_EQ(ResoudreBloquerCreation(table(), "B", "Y"), 0);
    EXPECT_EQ(ResoudreBloquerCreation(table(), "B", "X"), 1);

    // Twin rows at the agency level (the file's) do not count as a row there: the global
    // row answers.
    if (GetParam() == TMoteurTest::Serveur) return;
    base.AjouterParametreEntier("D", "", "CONFIG", "BloquerCreation", 0);
    base.AjouterParametreEntier("D", "", "CONFIG", "BloquerCreation", 0);
    EXPECT_EQ(ResoudreBloquerCreation(table(), "D", "Z"), 0);
}
