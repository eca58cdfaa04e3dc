#include <gtest/gtest.h>

#include "envoi/TexteExterieur.h"

// The key is masked in every form a service may echo it in, and only the key.
TEST(TexteExterieur, LaCleEstMasqueeSousToutesSesFormes) {
    struct TCas {
        const char* nom;
        QString cle, texte, attendu;
    };
    const QString cle = QString::fromUtf8("Sk\\9\"x/Y1 é");
    const QString z = QString(1995, u'z');
    const std::vector<TCas> cas = {
        {"telle quelle", cle, "a " + cle + " b", "a **** b"},
        {"encodée en majuscules", cle, "a Sk%5C9%22x%2FY1%20%C3%A9 b", "a **** b"},
        {"encodée en minuscules, espace en +", cle, "a Sk%5c9%22x%2fY1+%c3%a9 b", "a **** b"},
        {"échappée en JSON", cle, QString::fromUtf8("a Sk\\\\9\\\"x\\/Y1 é b"), "a **** b"},
        {"échappée en \\u, les deux casses", cle,
         "a \\u0053k\\u005c9\\u0022x\\u002FY1\\u0020\\u00E9 b", "a **** b"},
        {"hors du plan de base", QString::fromUtf8("k😀y1"),
         QString::fromUtf8("k😀y1 k\\ud83d\\ude00y1"), "**** ****"},
        {"deux fois, collées", cle, cle + cle, "********"},
        {"coupée par la fin du texte", cle, "a Sk\\9\"x", "a ****"},
        {"coupée dans un échappement", cle, "a Sk%5C9%22x%2", "a ****"},
        {"coupée par la limite de 2000", cle, z + cle + " fin", z + "****" + " "},
        {"un début seulement, suivi d'autre chose", cle, "a Sk\\9\"xZ b", "a Sk\\9\"xZ b"},
        {"trop peu coupée pour être masquée", cle, "fin Sk\\", "fin Sk\\"},
        {"clé de moins de 4 caractères", "abc", "abc abc", "abc abc"},
    };
    for (const TCas& c : cas) {
        SCOPED_TRACE(c.nom);
        EXPECT_EQ(TTexteExterieur(c.cle)(c.texte), c.attendu);
    }
}
