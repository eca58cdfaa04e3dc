#include <gtest/gtest.h>

#include <memory>

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

    // The same order among thousands of tags, with tags that hold a ">" of their own, a
    // tag outside chevrons, and texts of many tags.
    TBalises milliers;
    for (int i = 0; i < 3000; ++i)
        milliers.Definir(QStringLiteral("<Client_C%1>").arg(i), QStringLiteral("v%1").arg(i));
    milliers.Definir("<Client_A>", "<Client_A>b> <Client_B>");
    milliers.Definir("<Client_A>b>", "1");
    milliers.Definir("<Client_B>", "<Client_A>");
    milliers.Definir("<Societe_X>", "<Client_C7>");
    const QString texte = "<Client_A> <Client_C12> <Societe_X> <Client_C2999>";
    const QString attendu = "1 <Client_A> v12 <Client_C7> v2999";
    EXPECT_EQ(RemplacerBalises(texte, milliers), attendu);
    QString beaucoup, beaucoupAttendu;
    for (int i = 0; i < 200; ++i) {
        beaucoup += QStringLiteral("<Client_C%1>").arg(i * 7);
        beaucoupAttendu += QStringLiteral("v%1").arg(i * 7);
    }
    EXPECT_EQ(RemplacerBalises(texte + beaucoup, milliers), attendu + beaucoupAttendu);
    milliers.Definir("Client_C12", "douze");
    EXPECT_EQ(RemplacerBalises(texte, milliers), attendu);
    EXPECT_EQ(RemplacerBalises("Client_C12", milliers), "douze");
}

TEST(RemplacerBalises, UnTexteQuiDepasse64KiCaracteresEstRefuse) {
    // Each level's value names the next level's tag twice: 40 levels would double the text
    // 40 times. The replacement stops as soon as the text passes the bound.
    TBalises imbriquees;
    for (int i = 0; i < 40; ++i)
        imbriquees.Definir(
            QStringLiteral("<Client_N%1>").arg(i, 2, 10, QLatin1Char('0')),
            QStringLiteral("<Client_N%1><Client_N%1>").arg(i + 1, 2, 10, QLatin1Char('0')));
    try {
        RemplacerBalises("<Client_N00>", imbriquees);
        ADD_FAILURE() << "aucune erreur";
    } catch (const EMessageTropLong& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()),
                  QStringLiteral("Erreur : le message dépasse 65 536 caractères après le "
                                 "remplacement des balises."));
    }

    // Up to the bound itself the text is kept whole; a single character more is refused.
    TBalises balises;
    balises.Definir("<Client_A>", QString(TBalises::LongueurMaximale - 1, u'a'));
    EXPECT_EQ(RemplacerBalises("<Client_A>b", balises).size(), TBalises::LongueurMaximale);
    EXPECT_THROW(RemplacerBalises("<Client_A>bc", balises), EMessageTropLong);
    EXPECT_THROW(RemplacerBalises(QString(TBalises::LongueurMaximale + 1, u'x'), TBalises()),
                 EMessageTropLong);

    // A value longer than the bound is cut when it is set.
    balises.Definir("<Client_B>", QString(10'000'000, u'b'));
    EXPECT_EQ(RemplacerBalises("<Client_B>", balises), QString(TBalises::LongueurMaximale, u'b'));
}

TEST(RemplacerBalises, LesClesDUnFichierValentCellesPoseesUneAUne) {
    // What the dictionary reads from the file when asked must equal setting each key's tag
    // in turn: before and after other entries, across sections, with a repeated key, a key
    // holding a ">", and a value past the bound.
    const QByteArray octets =
        "[Client]\nNom=<Dossier_Ref>\nA>b=<Client_Nom>!\nNom=double\n"
        "[Dossier]\nRef=R-12\nLong=" +
        QByteArray(TBalises::LongueurMaximale + 10, 'x') + "\n[Societe]\nNom=Parlivo\n";
    const auto fichier = std::make_shared<const TIniFile>(TIniFile::DepuisOctets(octets));
    const char* const sections[] = {"Client", "Dossier", "Societe"};
    TBalises lu, unParUn;
    for (TBalises* b : {&lu, &unParUn}) b->Definir("<Client_Nom>", "avant");
    for (const char* section : sections) {
        lu.DefinirSection(fichier, section);
        for (const auto& [cle, valeur] : fichier->ReadSectionValues(section))
            unParUn.Definir(TBalises::TexteBalise(QString::fromLatin1(section), cle), valeur);
    }
    for (TBalises* b : {&lu, &unParUn}) b->Definir("<Societe_Nom>", "après");

    EXPECT_EQ(lu.Entrees(), unParUn.Entrees());
    EXPECT_EQ(lu.Nombre(), 5u);
    EXPECT_EQ(lu.ValeurDe("<Dossier_Long>").size(), TBalises::LongueurMaximale);
    for (const QString texte : {"<Client_A>b> <Client_Nom> <Societe_Nom>", "<Client_A>",
                                "<client_nom> <Client_> <Client_Nom", "<Dossier_Long>"})
        EXPECT_EQ(RemplacerBalises(texte, lu), RemplacerBalises(texte, unParUn))
            << texte.toStdString();
    EXPECT_EQ(RemplacerBalises("<Client_A>b> <Client_Nom>", lu), "R-12! R-12");
    EXPECT_TRUE(lu.Valeur("<Client_Ville>").isEmpty());
    EXPECT_TRUE(lu.Contient("<Client_Ville>"));
}
