#include <gtest/gtest.h>

#include "envoi/RemplacerBalises.h"

TEST(RemplacerBalises, ChaqueBaliseRemplaceeParSaValeur) {
    TBalises balises;
    EXPECT_EQ(RemplacerBalises("Bonjour <Client_Nom>", balises), "Bonjour <Client_Nom>");

    balises.Definir("<Client_Nom>", "Dupont");
    balises.Definir("<Client_Prenom>", QString::fromUtf8("Zoé"));
    balises.Definir("<Dossier_Ref>", "");
    EXPECT_EQ(RemplacerBalises("<Client_Prenom> <Client_Nom>, <Client_Nom> !", balises),
              QString::fromUtf8("Zoé Dupont, Dupont !"));
    // A tag with an empty value disappears; an unknown tag or one in other letters stays.
    EXPECT_EQ(RemplacerBalises("[<Dossier_Ref>] <client_nom> <Client_Ville> <Client_NOM>", balises),
              "[] <client_nom> <Client_Ville> <Client_NOM>");
    EXPECT_EQ(RemplacerBalises("", balises), "");
    EXPECT_EQ(RemplacerBalises("Ligne 1\r\n<Client_Nom>\r\n", balises), "Ligne 1\r\nDupont\r\n");
}

TEST(RemplacerBalises, LOrdreDuDictionnaireDecideDesValeursQuiSontDesBalises) {
    TBalises balises;
    // Client tags come before Societe tags: a Client value naming a Societe tag is replaced
    // in its turn, a Societe value naming a Client tag stays.
    balises.Definir("<Client_Nom>", "<Societe_Nom>");
    balises.Definir("<Societe_Nom>", "Parlivo SA");
    balises.Definir("<Societe_Ville>", "<Client_Nom>");
    EXPECT_EQ(RemplacerBalises("<Client_Nom> / <Societe_Ville>", balises),
              "Parlivo SA / <Client_Nom>");

    // A value holding its own tag is not searched again.
    TBalises boucle;
    boucle.Definir("<Client_Nom>", "x<Client_Nom>y");
    EXPECT_EQ(RemplacerBalises("<Client_Nom><Client_Nom>", boucle), "x<Client_Nom>yx<Client_Nom>y");
}
