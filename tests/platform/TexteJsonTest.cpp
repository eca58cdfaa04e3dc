#include <gtest/gtest.h>

#include "platform/TexteJson.h"

namespace {

// The JSON text of a parsed text, or "<pas du JSON>".
QString Relu(const QString& texte) {
    const auto valeur = AnalyserJson(texte);
    return valeur ? TexteJson(*valeur) : QStringLiteral("<pas du JSON>");
}

}  // namespace

TEST(TexteJson, CeQuiNEstPasDuJson) {
    for (const char* texte :
         {"", " ", "abc", "{", "{\"a\":1} x", "{'a':1}", "[1,]", "<html></html>"}) {
        EXPECT_FALSE(AnalyserJson(QString::fromUtf8(texte)).has_value()) << texte;
    }
    ASSERT_TRUE(AnalyserJson("null").has_value());
    EXPECT_TRUE(AnalyserJson("null")->is_null());
    EXPECT_TRUE(AnalyserJson("[1]")->is_array());
    // A byte order mark in front of the text is allowed.
    EXPECT_EQ(Relu(QString(QChar(0xFEFF)) + "{\"a\":1}"), "{\"a\":1}");
}

TEST(TexteJson, LesValeursSontEcritesCommeEllesOntEteRecues) {
    EXPECT_EQ(Relu("1"), "1");
    EXPECT_EQ(Relu("-12"), "-12");
    EXPECT_EQ(Relu("1.0"), "1.0");
    EXPECT_EQ(Relu("1e0"), "1e0");
    EXPECT_EQ(Relu("2.50"), "2.50");
    EXPECT_EQ(Relu("-1.5E+3"), "-1.5E+3");
    EXPECT_EQ(Relu("18446744073709551615"), "18446744073709551615");
    EXPECT_EQ(Relu("123456789012345678901234567890"), "123456789012345678901234567890");
    EXPECT_EQ(Relu("\"1\""), "\"1\"");
    EXPECT_EQ(Relu("true"), "true");
    EXPECT_EQ(Relu("false"), "false");
    EXPECT_EQ(Relu(" null "), "null");
    EXPECT_EQ(Relu("\"a\\\"b\\\\c\\n\\u00e9\\/\""), QString::fromUtf8("\"a\\\"b\\\\c\\n\u00e9/\""));
    EXPECT_EQ(Relu("[ \"a\" , 2 , [ ] , { } ]"), "[\"a\",2,[],{}]");
    EXPECT_EQ(Relu("{ \"z\" : 1 , \"a\" : [ 1.0 , \"x\" ] }"), "{\"z\":1,\"a\":[1.0,\"x\"]}");
}

TEST(TexteJson, UnMembreRepeteGardeSaPremiereValeur) {
    EXPECT_EQ(Relu("{\"resultat\":1,\"resultat\":0}"), "{\"resultat\":1}");
    EXPECT_EQ(Relu("{\"x\":{\"y\":1},\"x\":{\"z\":[1,{\"w\":2}]},\"k\":\"v\"}"),
              "{\"x\":{\"y\":1},\"k\":\"v\"}");
    EXPECT_EQ(
        Relu("{\"a\":{\"b\":1,\"b\":2,\"c\":[{\"d\":1,\"d\":{\"x\":[1,2]}},{\"d\":3}]},\"a\":3}"),
        "{\"a\":{\"b\":1,\"c\":[{\"d\":1},{\"d\":3}]}}");

    const auto valeur = AnalyserJson("{\"resultat\":\"1\",\"erreurs\":[\"a\"],\"resultat\":1}");
    ASSERT_TRUE(valeur.has_value());
    const TValeurJson* resultat = MembreJson(*valeur, "resultat");
    ASSERT_NE(resultat, nullptr);
    EXPECT_EQ(TexteJson(*resultat), "\"1\"");
    ASSERT_NE(MembreJson(*valeur, "erreurs"), nullptr);
    EXPECT_EQ(TexteJson(*MembreJson(*valeur, "erreurs")), "[\"a\"]");
}

TEST(TexteJson, MembreChercheParSonNomExact) {
    const auto objet = AnalyserJson(QString::fromUtf8("{\"Resultat\":1,\"clé\":2}"));
    ASSERT_TRUE(objet.has_value());
    EXPECT_EQ(MembreJson(*objet, "resultat"), nullptr);
    ASSERT_NE(MembreJson(*objet, "Resultat"), nullptr);
    ASSERT_NE(MembreJson(*objet, QString::fromUtf8("clé")), nullptr);
    EXPECT_EQ(TexteJson(*MembreJson(*objet, QString::fromUtf8("clé"))), "2");

    const auto tableau = AnalyserJson("[{\"resultat\":1}]");
    ASSERT_TRUE(tableau.has_value());
    EXPECT_EQ(MembreJson(*tableau, "resultat"), nullptr);
    EXPECT_EQ(MembreJson(*AnalyserJson("\"resultat\""), "resultat"), nullptr);
}

TEST(TexteJson, UneValeurTresImbriqueeEstEcriteEntiere) {
    // A service's answer can nest as deep as its size allows: reading and writing it back
    // must not exhaust the stack.
    const int profondeur = 200000;
    const QString texte = QString(profondeur, QLatin1Char('[')) + QStringLiteral("{\"a\":[1,{}]}") +
                          QString(profondeur, QLatin1Char(']'));
    EXPECT_EQ(Relu(texte), texte);
    const QString objets = QStringLiteral("{\"a\":").repeated(profondeur) + QStringLiteral("null") +
                           QString(profondeur, QLatin1Char('}'));
    EXPECT_EQ(Relu(objets), objets);
}
