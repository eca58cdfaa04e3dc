#include <gtest/gtest.h>

#include <tuple>

#include "commun/MoteurTest.h"
#include "data/Datamoduleabs.h"
#include "data/Trequete.h"
#include "data/Ttemplate.h"

class Ttemplate : public TTestDeuxMoteurs {};
INSTANCIER_DEUX_MOTEURS(Ttemplate);

TEST_P(Ttemplate, NouveauModele) {
    TBaseTest base(true, GetParam());
    DataModuleAbs->OuvrirBase();
    for (int id : {4, 12, 7})
        base.AjouterTemplate({.id = id,
                              .agence = "X",
                              .utilisateur = "Y",
                              .id_categorie = 1,
                              .nom = "t",
                              .texte = "texte"});

    TTemplate modele("AG1", "", 3);
    EXPECT_EQ(modele.id_template(), -1);
    EXPECT_EQ(modele.id_categorie(), 3);
    EXPECT_TRUE(modele.nom().isEmpty());
    EXPECT_TRUE(modele.texte().isEmpty());
    // Saved without a name: empty texts, not NULL.
    EXPECT_TRUE(modele.Sauvegarder());
    EXPECT_EQ(modele.id_template(), 13);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Template WHERE id_template = 13 AND agence = "
                           "'AG1' AND utilisateur = '' AND id_categorie = 3 AND nom = '' AND "
                           "texte = ''"),
              1);

    TTemplate autre("AG2", "U2", 1);
    autre.setNom("Rappel");
    autre.setTexte("Bonjour <Client_Nom>,\r\nvotre dossier <Dossier_Reference>.");
    EXPECT_TRUE(autre.Sauvegarder());
    EXPECT_EQ(autre.id_template(), 14);
    EXPECT_EQ(base.Valeur("SELECT texte FROM Template WHERE id_template = 14").toString(),
              "Bonjour <Client_Nom>,\r\nvotre dossier <Dossier_Reference>.");
}

TEST_P(Ttemplate, LectureEtMiseAJour) {
    TBaseTest base(true, GetParam());
    DataModuleAbs->OuvrirBase();
    base.AjouterTemplate({.id = 2,
                          .agence = "AG",
                          .utilisateur = "US",
                          .id_categorie = 5,
                          .nom = "Premier",
                          .texte = "Texte 1"});
    base.AjouterTemplate({.id = 1,
                          .agence = "AG",
                          .utilisateur = "US",
                          .id_categorie = 6,
                          .nom = "Second",
                          .texte = "Texte 2"});

    QList<TTemplate> lus;
    TCurseur& c = DataModuleAbs->tblTemplate;
    c.AnnulerPlage();
    for (c.Premier(); !c.Eof(); c.Suivant()) lus.append(TTemplate(c.Ligne()));
    ASSERT_EQ(lus.size(), 2);
    EXPECT_EQ(lus[0].id_template(), 1);  // index ID: identifier order
    EXPECT_EQ(lus[0].nom(), "Second");
    EXPECT_EQ(lus[1].id_categorie(), 5);
    EXPECT_EQ(lus[1].agence(), "AG");
    EXPECT_EQ(lus[1].utilisateur(), "US");
    EXPECT_EQ(lus[1].texte(), "Texte 1");

    // Saving an existing template changes only nom and texte in its row.
    base.Executer("UPDATE Template SET agence = 'AUTRE', id_categorie = 9 WHERE id_template = 2");
    lus[1].setNom("Premier bis");
    lus[1].setTexte("");
    EXPECT_TRUE(lus[1].Sauvegarder());
    EXPECT_EQ(lus[1].id_template(), 2);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Template WHERE id_template = 2 AND agence = "
                           "'AUTRE' AND utilisateur = 'US' AND id_categorie = 9 AND nom = "
                           "'Premier bis' AND texte = ''"),
              1);
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Template"), 2);

    // A template removed meanwhile: false, nothing inserted.
    base.Executer("DELETE FROM Template WHERE id_template = 1");
    EXPECT_FALSE(lus[0].Sauvegarder());
    EXPECT_EQ(base.Compter("SELECT count(*) FROM Template"), 1);
}

// A category's templates read from the cursor straight from the engine, through QtSql, or
// through a QSqlRecord: the same records in the same order, NULL, accents and breaks kept.
TEST_P(Ttemplate, MemesModelesQuelleQueSoitLaLecture) {
    TBaseTest base(true, GetParam());
    DataModuleAbs->OuvrirBase();
    const QString texte = QString::fromUtf8("Ligne 1\r\nMontant\u00a0: 1\u00a0250 € 😀");
    base.AjouterTemplate({.id = 3,
                          .agence = QString(),
                          .utilisateur = QString::fromUtf8("Élodie"),
                          .id_categorie = 7,
                          .nom = QString::fromUtf8("Échéance"),
                          .texte = texte});
    base.AjouterTemplate({.id = 1, .id_categorie = 8, .nom = "Autre", .texte = "x"});
    base.AjouterTemplate({.id = 2, .agence = "AG", .id_categorie = 7});
    // Texts that repeat from row to row, or differ by one letter only.
    const QString meme = QString::fromUtf8("même");
    for (const auto& [id, agence, utilisateur, contenu] :
         {std::tuple{4, "AG", "US1", meme}, {5, "AG", "US2", meme}, {6, "", "US2", QString()}})
        base.AjouterTemplate({.id = id,
                              .agence = agence,
                              .utilisateur = utilisateur,
                              .id_categorie = 7,
                              .nom = "n",
                              .texte = contenu});
    const auto textes = [](const std::vector<std::unique_ptr<TTemplate>>& modeles) {
        const auto t = [](const QString& s) { return s.isNull() ? QStringLiteral("NULL") : s; };
        QStringList lignes;
        for (const auto& m : modeles)
            lignes << QStringList{QString::number(m->id_template()),
                                  t(m->agence()),
                                  t(m->utilisateur()),
                                  QString::number(m->id_categorie()),
                                  t(m->nom()),
                                  t(m->texte())}
                          .join(u'|');
        return lignes;
    };
    const QStringList attendus = {
        "2|AG||7|NULL|NULL", QString::fromUtf8("3|NULL|Élodie|7|Échéance|") + texte,
        "4|AG|US1|7|n|" + meme, "5|AG|US2|7|n|" + meme, "6||US2|7|n|NULL"};

    TCurseur& c = DataModuleAbs->tblTemplate;
    c.DefinirPlage(QStringLiteral("id_categorie"), 7);
    for (bool directe : {true, false}) {
        TRequete::LectureDirecte = directe;
        const auto lus = LireRecords<TTemplate>(c);
        TRequete::LectureDirecte = true;
        EXPECT_EQ(textes(lus), attendus) << directe;
        EXPECT_TRUE(c.Eof());
    }
    std::vector<std::unique_ptr<TTemplate>> parLigne;
    for (c.Premier(); !c.Eof(); c.Suivant())
        parLigne.push_back(std::make_unique<TTemplate>(c.Ligne()));
    c.AnnulerPlage();
    EXPECT_EQ(textes(parLigne), attendus);
}
