#include <gtest/gtest.h>

#include "commun/MoteurTest.h"
#include "data/Datamoduleabs.h"
#include "data/Tconfigurationapi.h"

namespace {
QList<TConfigurationApi> Services() {
    QList<TConfigurationApi> liste;
    TCurseur& c = DataModuleAbs->tblConfigurationApi;
    c.AnnulerPlage();
    for (c.Premier(); !c.Eof(); c.Suivant()) liste.append(TConfigurationApi(c.Ligne()));
    return liste;
}
}  // namespace

class Tconfigurationapi : public TTestDeuxMoteurs {};
INSTANCIER_DEUX_MOTEURS(Tconfigurationapi);

TEST_P(Tconfigurationapi, LectureEtEnregistrementDeLaCle) {
    TBaseTest base(true, GetParam());
    base.AjouterService({.nom = "Zèbre SMS",
                         .url = "https://zebre.example/api/send",
                         .cle = "K-1",
                         .cle_api = "apikey",
                         .numero = "to",
                         .message = "msg",
                         .expediteur = "from",
                         .date_envoi = "when",
                         .format_date = "yyyy-mm-dd hh:nn",
                         .statut_ok = "200"});
    base.AjouterService({.nom = "Alpha",
                         .url = "http://a.example/envoi",
                         .cle = "",
                         .cle_api = "cle",
                         .numero = "num",
                         .message = "texte",
                         .expediteur = "exp",
                         .date_envoi = "date",
                         .format_date = "dd/mm/yyyy",
                         .statut_ok = "OK"});
    DataModuleAbs->OuvrirBase();

    QList<TConfigurationApi> liste = Services();
    ASSERT_EQ(liste.size(), 2);
    EXPECT_EQ(liste[0].nom(), "Alpha");  // by name, whatever the identifiers
    const TConfigurationApi& z = liste[1];
    EXPECT_EQ(z.id(), 1);
    EXPECT_EQ(z.nom(), "Zèbre SMS");
    EXPECT_EQ(z.url(), "https://zebre.example/api/send");
    EXPECT_EQ(z.cle(), "K-1");
    EXPECT_EQ(z.cle_api(), "apikey");
    EXPECT_EQ(z.numero(), "to");
    EXPECT_EQ(z.message(), "msg");
    EXPECT_EQ(z.expediteur(), "from");
    EXPECT_EQ(z.date_envoi(), "when");
    EXPECT_EQ(z.format_date(), "yyyy-mm-dd hh:nn");
    EXPECT_EQ(z.statut_ok(), "200");

    const QString ligne1 =
        "SELECT nom || '|' || url || '|' || cle || '|' || cle_api || '|' || "
        "numero || '|' || message || '|' || expediteur || '|' || date_envoi "
        "|| '|' || format_date || '|' || statut_ok FROM ConfigurationApi "
        "WHERE id = 1";
    const QString avant = base.Valeur(ligne1).toString();
    EXPECT_TRUE(liste[1].Sauvegarder());  // unchanged: the same row
    EXPECT_EQ(base.Valeur(ligne1).toString(), avant);

    // The key as typed; the other columns written back as read.
    base.Executer("UPDATE ConfigurationApi SET url = 'modifiée ailleurs' WHERE id = 1");
    liste[1].setCle("  nouvelle clé ");
    EXPECT_TRUE(liste[1].Sauvegarder());
    EXPECT_EQ(base.Valeur(ligne1).toString(),
              "Zèbre SMS|https://zebre.example/api/send|  nouvelle clé |apikey|to|msg|from|when|"
              "yyyy-mm-dd hh:nn|200");
    // An empty key is stored as the empty text.
    liste[0].setCle(QString());
    EXPECT_TRUE(liste[0].Sauvegarder());
    EXPECT_EQ(base.Compter("SELECT count(*) FROM ConfigurationApi WHERE id = 2 AND cle = ''"), 1);

    base.Executer("DELETE FROM ConfigurationApi WHERE id = 2");
    EXPECT_FALSE(liste[0].Sauvegarder());
    EXPECT_EQ(base.Compter("SELECT count(*) FROM ConfigurationApi"), 1);
}

TEST_P(Tconfigurationapi, InsertionParPosition) {
    TBaseTest base(true, GetParam());
    DataModuleAbs->OuvrirBase();
    TConfigurationApi nouveau({.nom = "N",
                               .url = "U",
                               .cle = "C",
                               .cle_api = "CA",
                               .numero = "NU",
                               .message = "ME",
                               .expediteur = "EX",
                               .date_envoi = "DE",
                               .format_date = "FO",
                               .statut_ok = "ST"});
    EXPECT_TRUE(nouveau.Sauvegarder());
    EXPECT_EQ(nouveau.id(), 1);
    // The values land in the columns in the table's order.
    EXPECT_EQ(base.Valeur("SELECT id || nom || url || cle || cle_api || numero || message || "
                          "expediteur || date_envoi || format_date || statut_ok FROM "
                          "ConfigurationApi")
                  .toString(),
              "1NUCCANUMEEXDEFOST");
    TConfigurationApi second({.nom = "N2"});
    EXPECT_TRUE(second.Sauvegarder());
    EXPECT_EQ(second.id(), 2);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM ConfigurationApi WHERE id = 2 AND url = '' AND "
                           "statut_ok = ''"),
              1);
}
