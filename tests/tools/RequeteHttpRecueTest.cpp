#include <gtest/gtest.h>

#include "tools/http/RequeteHttpRecue.h"

TEST(RequeteHttpRecue, TeteIncompletePuisComplete) {
    const QByteArray debut = "GET /envoi?a=1 HTTP/1.1\r\nHost: x\r\n";
    EXPECT_FALSE(AnalyserRequeteHttp(debut).has_value());

    const QByteArray tampon =
        "POST /chemin%20long?to=%2B33+6&vide=&seul&&t=%C3%A9%26x HTTP/1.1\r\n"
        "Host: 127.0.0.1\r\ncontent-length: 4\r\n\r\ncorps";
    const auto requete = AnalyserRequeteHttp(tampon);
    ASSERT_TRUE(requete.has_value());
    EXPECT_EQ(requete->methode, "POST");
    EXPECT_EQ(requete->chemin, QStringLiteral("/chemin long"));
    const QList<QPair<QString, QString>> attendus{
        {"to", "+33 6"}, {"vide", ""}, {"seul", ""}, {"t", QStringLiteral("é&x")}};
    EXPECT_EQ(requete->parametres, attendus);
    EXPECT_EQ(requete->entetes.size(), 2);
    EXPECT_EQ(requete->longueurCorps, 4);
    EXPECT_EQ(tampon.mid(requete->debutCorps, requete->longueurCorps), "corp");
}

TEST(RequeteHttpRecue, Reponse) {
    EXPECT_EQ(EcrireReponseHttp(500, "Internal Server Error", "text/plain", {{"X-A", "b"}}, "oups"),
              "HTTP/1.1 500 Internal Server Error\r\nContent-Type: text/plain\r\nX-A: b\r\n"
              "Content-Length: 4\r\nConnection: close\r\n\r\noups");
}
