// What each window reads from the parameter file, and the tag dictionaries built from it.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "envoi/Tbalises.h"
#include "ui/Ficheenvoisms.h"
#include "ui/Tficheconfiguration.h"
#include "ui/Tfichehistorique.h"
#include "ui/Tlistebalises.h"

namespace {

const QByteArray Fichier =
    "[Config]\n"
    "Agence=Agence Sud\n"
    "Utilisateur=jdurand\n"
    "Categorie=3\n"
    "Expediteur=AGENCE\n"
    "Numero=06 12 34 56 78\n"
    "Inconnue=ignorée\n"
    "[Societe]\n"
    "Nom=Immo Sud\n"
    "Tel=04 00 00 00 00\n"
    "[Dossier]\n"
    "Nom=Dossier 12\n"
    "[Client]\n"
    "Nom=Mme Dupont\n"
    "nom=minuscule\n"
    "Prenom=\n"
    "[Autre]\n"
    "Nom=jamais lu\n";

class ParametresTest : public ::testing::Test {
  protected:
    QString Ecrire(const QByteArray& octets) {
        const QString chemin = dossier.filePath(QStringLiteral("parametres.ini"));
        QFile f(chemin);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(octets);
        return chemin;
    }
    QTemporaryDir dossier;
};

}  // namespace

TEST_F(ParametresTest, FenetreDEnvoiLitTout) {
    TFormEnvoiSMS fenetre;
    fenetre.edtExpediteur->setText(QStringLiteral("avant"));
    fenetre.DefinirFichierParametres(Ecrire(Fichier));
    fenetre.LireFichierParametres();
    EXPECT_EQ(fenetre.Agence(), QStringLiteral("Agence Sud"));
    EXPECT_EQ(fenetre.Utilisateur(), QStringLiteral("jdurand"));
    EXPECT_EQ(fenetre.CategorieDefaut(), 3);
    EXPECT_EQ(fenetre.edtExpediteur->text(), QStringLiteral("AGENCE"));
    EXPECT_EQ(fenetre.edtNumero->text(), QStringLiteral("06 12 34 56 78"));

    // Code-unit order: Client before Dossier before Societe, capitals before small letters.
    QStringList balises, valeurs;
    for (const auto& [balise, valeur] : fenetre.Balises().Entrees()) {
        balises << balise;
        valeurs << valeur;
    }
    EXPECT_EQ(balises, (QStringList{"<Client_Nom>", "<Client_Prenom>", "<Client_nom>",
                                    "<Dossier_Nom>", "<Societe_Nom>", "<Societe_Tel>"}));
    EXPECT_EQ(valeurs, (QStringList{"Mme Dupont", "", "minuscule", "Dossier 12", "Immo Sud",
                                    "04 00 00 00 00"}));
}

TEST_F(ParametresTest, FichierAbsentDonneDesValeursVides) {
    const QString absent = dossier.filePath(QStringLiteral("absent.ini"));
    TFormEnvoiSMS envoi;
    envoi.edtNumero->setText(QStringLiteral("0600000000"));
    envoi.DefinirFichierParametres(absent);
    envoi.LireFichierParametres();
    EXPECT_TRUE(envoi.Agence().isEmpty());
    EXPECT_TRUE(envoi.Utilisateur().isEmpty());
    EXPECT_EQ(envoi.CategorieDefaut(), 0);
    EXPECT_TRUE(envoi.edtNumero->text().isEmpty());
    EXPECT_EQ(envoi.Balises().Nombre(), 0u);

    TFicheConfiguration configuration;
    configuration.DefinirFichierParametres(absent);
    configuration.LireFichierParametres();
    EXPECT_TRUE(configuration.Agence().isEmpty());
    EXPECT_EQ(configuration.ListeBalises().Nombre(), 0);

    TFicheHistorique historique;
    historique.DefinirFichierParametres(absent);
    EXPECT_TRUE(historique.Agence().isEmpty());
    EXPECT_TRUE(historique.Utilisateur().isEmpty());
}

TEST_F(ParametresTest, CategorieNonEntiereDonneZero) {
    TFormEnvoiSMS fenetre;
    fenetre.DefinirFichierParametres(Ecrire("[Config]\nCategorie=trois\n"));
    fenetre.LireFichierParametres();
    EXPECT_EQ(fenetre.CategorieDefaut(), 0);
}

TEST_F(ParametresTest, FenetresDeConfigurationEtDHistorique) {
    const QString chemin = Ecrire(Fichier + "[Societe]\nNom=doublon\n[Vide]\n");
    TFicheConfiguration configuration;
    configuration.DefinirFichierParametres(chemin);
    configuration.LireFichierParametres();
    EXPECT_EQ(configuration.Agence(), QStringLiteral("Agence Sud"));
    EXPECT_EQ(configuration.Utilisateur(), QStringLiteral("jdurand"));
    // Locale order with case significant; a key listed twice appears once.
    EXPECT_EQ(configuration.ListeBalises().Textes(),
              (QStringList{"<Client_nom>", "<Client_Nom>", "<Client_Prenom>", "<Dossier_Nom>",
                           "<Societe_Nom>", "<Societe_Tel>"}));

    TFicheHistorique historique;
    historique.DefinirFichierParametres(chemin);
    EXPECT_EQ(historique.Agence(), QStringLiteral("Agence Sud"));
    EXPECT_EQ(historique.Utilisateur(), QStringLiteral("jdurand"));
}

TEST(TBalisesTest, ValeurDUneBaliseAbsenteLAjouteVide) {
    TBalises balises;
    balises.Definir(QStringLiteral("<Societe_Nom>"), QStringLiteral("A"));
    balises.Definir(QStringLiteral("<Societe_Nom>"), QStringLiteral("B"));
    EXPECT_EQ(balises.Nombre(), 1u);
    EXPECT_EQ(balises.Valeur(QStringLiteral("<Societe_Nom>")), QStringLiteral("B"));
    EXPECT_FALSE(balises.Contient(QStringLiteral("<Client_Nom>")));
    const QString nom = balises.Valeur(QStringLiteral("<Client_Nom>"));
    EXPECT_TRUE(nom.isEmpty());
    EXPECT_FALSE(nom.isNull());
    ASSERT_TRUE(balises.Contient(QStringLiteral("<Client_Nom>")));
    EXPECT_EQ(balises.Entrees().begin()->first, QStringLiteral("<Client_Nom>"));
}

TEST(TListeBalisesTest, TriLocalSansDoublon) {
    TListeBalises liste;
    for (const char* t : {"<Societe_b>", "<Client_B>", "<Client_a>", "<Client_b>", "<Client_a>",
                          "<Client_é>", "<Client_e>", "<Client_f>"})
        liste.Ajouter(QString::fromUtf8(t));
    EXPECT_EQ(liste.Textes(), (QStringList{"<Client_a>", "<Client_b>", "<Client_B>", "<Client_e>",
                                           "<Client_é>", "<Client_f>", "<Societe_b>"}));
    // A tag added after the list was read takes its place at the next reading.
    liste.Ajouter(QStringLiteral("<Client_c>"));
    liste.Ajouter(QStringLiteral("<Client_a>"));
    EXPECT_EQ(liste.Textes().mid(2, 2), (QStringList{"<Client_B>", "<Client_c>"}));
    EXPECT_EQ(liste.Nombre(), 8);
}
