#include <gtest/gtest.h>

#include "commun/MoteurTest.h"
#include "data/Datamoduleabs.h"
#include "data/Tcategorie.h"

class Tcategorie : public TTestDeuxMoteurs {};
INSTANCIER_DEUX_MOTEURS(Tcategorie);

TEST_P(Tcategorie, CreationEnregistrementEtLecture) {
    TBaseTest base(true, GetParam());
    DataModuleAbs->OuvrirBase();

    TCategorie premiere(false, "Relances");
    EXPECT_EQ(premiere.id_categorie(), -1);
    EXPECT_TRUE(premiere.Sauvegarder());
    EXPECT_EQ(premiere.id_categorie(), 1);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Categorie WHERE id_categorie = 1 AND interne = 0 "
                           "AND nom = 'Relances'"),
              1);

    // A twin name is stored beside the first; identifiers continue from the largest.
    base.AjouterCategorie(9, "Interne", true);
    TCategorie jumelle(false, "Relances");
    EXPECT_TRUE(jumelle.Sauvegarder());
    EXPECT_EQ(jumelle.id_categorie(), 10);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Categorie WHERE nom = 'Relances'"), 2);

    // Rows come back in identifier order, interne read as a flag.
    QList<TCategorie> lues;
    TCurseur& c = DataModuleAbs->tblCategorie;
    c.AnnulerPlage();
    for (c.Premier(); !c.Eof(); c.Suivant()) lues.append(TCategorie(c.Ligne()));
    ASSERT_EQ(lues.size(), 3);
    EXPECT_EQ(lues[0].id_categorie(), 1);
    EXPECT_EQ(lues[1].id_categorie(), 9);
    EXPECT_EQ(lues[1].nom(), "Interne");
    EXPECT_EQ(lues[2].id_categorie(), 10);

    // Saving a stored category updates its row: interne true is written as 1.
    base.Executer("UPDATE Categorie SET interne = 5, nom = 'autre' WHERE id_categorie = 9");
    EXPECT_TRUE(lues[1].Sauvegarder());
    EXPECT_EQ(base.Compter("SELECT interne FROM Categorie WHERE id_categorie = 9"), 1);
    EXPECT_EQ(base.Valeur("SELECT nom FROM Categorie WHERE id_categorie = 9").toString(),
              "Interne");

    // A row removed meanwhile: no row affected, false.
    base.Executer("DELETE FROM Categorie WHERE id_categorie = 10");
    EXPECT_FALSE(lues[2].Sauvegarder());
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Categorie"), 2);
}

TEST_P(Tcategorie, InsertionRefuseeNeGardePasDIdentifiant) {
    TBaseTest base(true, GetParam());
    DataModuleAbs->OuvrirBase();
    base.Executer(base.SurServeur()
                      ? "CREATE TRIGGER refus BEFORE INSERT ON Categorie FOR EACH ROW IF NEW.nom = "
                        "'refusée' THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'insertion "
                        "refusée'; END IF"
                      : "CREATE TRIGGER refus BEFORE INSERT ON Categorie WHEN NEW.nom = 'refusée' "
                        "BEGIN SELECT RAISE(ABORT, 'insertion refusée'); END");
    TCategorie categorie(false, "refusée");
    try {
        categorie.Sauvegarder();
        ADD_FAILURE() << "aucune erreur";
    } catch (const EErreurBase& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains("insertion refusée")) << e.what();
    }
    // Otherwise a later save would run an UPDATE that finds no row and loses the category.
    EXPECT_EQ(categorie.id_categorie(), -1);
    base.Executer("DROP TRIGGER refus");
    EXPECT_TRUE(categorie.Sauvegarder());
    EXPECT_EQ(categorie.id_categorie(), 1);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Categorie WHERE nom = 'refusée'"), 1);
}

TEST_P(Tcategorie, SansModuleOuBaseFermee) {
    {
        TBaseTest base(true, GetParam());
        DataModuleAbs = nullptr;
        TCategorie categorie(false, "x");
        EXPECT_FALSE(categorie.Sauvegarder());
        EXPECT_EQ(categorie.id_categorie(), -1);
    }
    TBaseTest base(true, GetParam());  // not opened: an error, not a silent false
    TCategorie categorie(false, "x");
    EXPECT_THROW(categorie.Sauvegarder(), EErreurBase);
    EXPECT_EQ(categorie.id_categorie(), -1);
}
