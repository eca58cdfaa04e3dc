#include <gtest/gtest.h>

#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <QtEndian>

#include "commun/ServeurTest.h"
#include "platform/ClientHttp.h"

namespace {

// The text of the failure a request raises; fails the test when it raises none.
QString Echec(TClientHttp& client, const QString& url) {
    try {
        const QString corps = client.Get(url, {});
        ADD_FAILURE() << "aucune erreur; corps reçu : " << corps.left(200).toStdString();
    } catch (const EErreurHttp& e) {
        return e.Texte();
    }
    return QString();
}

// `octets` in the gzip format (RFC 1952), made here so that no gzip program is needed:
// qCompress gives a zlib stream (RFC 1950), whose deflate data gzip wraps in its own
// header and trailer (CRC-32, then the size).
QByteArray Gzip(const QByteArray& octets) {
    const QByteArray zlib = qCompress(octets, 9);  // 4-byte size, 2-byte header, ..., Adler-32
    quint32 crc = 0xFFFFFFFF;
    for (const char c : octets) {
        crc ^= static_cast<quint8>(c);
        for (int i = 0; i < 8; ++i) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    QByteArray gzip("\x1f\x8b\x08\0\0\0\0\0\x02\xff", 10);
    gzip += zlib.mid(6, zlib.size() - 10);
    char fin[8];
    qToLittleEndian<quint32>(~crc, fin);
    qToLittleEndian<quint32>(static_cast<quint32>(octets.size()), fin + 4);
    return gzip + QByteArray(fin, 8);
}

}  // namespace

TEST(ClientHttp, EnvoieLesEntetesEtLaCibleTelsQuels) {
    TServeurTest serveur;
    serveur.Repondre(200, QString::fromUtf8("{\"texte\":\"reçu é\"}").toUtf8());
    TClientHttp client;
    const QString cible =
        "/api/envoi?cle=a%26b&message=a%26b%3Dc%2Bd%23e%25f%20%C3%A9%0D%0A~&numero=%2B33612345678";
    const QString corps = client.Get(serveur.Url(cible), {{"User-Agent", "Agent/1.0"},
                                                          {"Content-Type", "application/json"},
                                                          {"Accept", "text/html,*/*;q=0.8"}});
    EXPECT_EQ(corps, QString::fromUtf8("{\"texte\":\"reçu é\"}"));
    ASSERT_EQ(serveur.Requetes().size(), 1u);
    const auto& requete = serveur.Requetes()[0];
    EXPECT_EQ(requete.methode, "GET");
    EXPECT_EQ(requete.cible, cible.toLatin1());
    EXPECT_EQ(requete.chemin, "/api/envoi");
    EXPECT_EQ(requete.Parametre("message"), QString::fromUtf8("a&b=c+d#e%f é\r\n~"));
    EXPECT_EQ(requete.Parametre("numero"), "+33612345678");
    EXPECT_EQ(requete.Entete("user-agent"), "Agent/1.0");
    EXPECT_EQ(requete.Entete("Content-Type"), "application/json");
    EXPECT_EQ(requete.Entete("Accept"), "text/html,*/*;q=0.8");
    EXPECT_TRUE(requete.corps.isEmpty());
}

TEST(ClientHttp, DecodeLeCorpsSelonLeJeuDeCaracteresAnnonce) {
    TServeurTest serveur;
    TClientHttp client;
    serveur.Repondre(200, "caf\xe9", "text/plain; charset=ISO-8859-1");
    EXPECT_EQ(client.Get(serveur.Url(), {}), QString::fromUtf8("café"));
    serveur.Repondre(200, "caf\xe9", "text/plain;Charset=\"latin1\"");
    EXPECT_EQ(client.Get(serveur.Url(), {}), QString::fromUtf8("café"));
    serveur.Repondre(200,
                     QByteArray("\xff\xfe"
                                "a\0\xe9\0",
                                6),
                     "application/json; charset=UTF-16");
    EXPECT_EQ(client.Get(serveur.Url(), {}), QString::fromUtf8("aé"));
    serveur.Repondre(200, "\x80 d\xfb", "text/html; charset=windows-1252");
    EXPECT_EQ(client.Get(serveur.Url(), {}), QString::fromUtf8("€ dû"));
    // Without a charset, or with one unknown, the body is read as UTF-8.
    serveur.Repondre(200, "caf\xc3\xa9", "application/json");
    EXPECT_EQ(client.Get(serveur.Url(), {}), QString::fromUtf8("café"));
    serveur.Repondre(200, "caf\xc3\xa9", "");
    EXPECT_EQ(client.Get(serveur.Url(), {}), QString::fromUtf8("café"));
    serveur.Repondre(200, "caf\xc3\xa9", "text/plain; charset=inconnu-42");
    EXPECT_EQ(client.Get(serveur.Url(), {}), QString::fromUtf8("café"));
    serveur.Repondre(200, "", "application/json");
    EXPECT_EQ(client.Get(serveur.Url(), {}), "");
}

TEST(ClientHttp, UnStatutHorsSuccesEstUneErreurQuiLeNomme) {
    TServeurTest serveur;
    TClientHttp client;
    serveur.Repondre(500, R"({"resultat":1})");
    const QString erreur500 = Echec(client, serveur.Url("/envoi"));
    EXPECT_TRUE(erreur500.contains("500")) << erreur500.toStdString();
    EXPECT_TRUE(erreur500.contains("Internal Server Error")) << erreur500.toStdString();

    serveur.Repondre(404, "absent", "text/plain");
    const QString erreur404 = Echec(client, serveur.Url("/envoi"));
    EXPECT_TRUE(erreur404.contains("404")) << erreur404.toStdString();
    EXPECT_TRUE(erreur404.contains("Not Found")) << erreur404.toStdString();

    serveur.Repondre(201, "cree");
    EXPECT_EQ(client.Get(serveur.Url(), {}), "cree");
}

// Each failure a user meets opens with a French sentence; the network's own text follows
// in brackets.
TEST(ClientHttp, EchecsDeTransportEnFrancais) {
    TClientHttp client;
    TServeurTest ferme;
    ferme.Fermer();
    TServeurTest serveur;
    const QString texte = Echec(client, ferme.Url("/envoi?key=SECRET"));
    EXPECT_TRUE(texte.startsWith("Le service d'envoi refuse la connexion (") &&
                texte.endsWith(")."))
        << texte.toStdString();
    EXPECT_FALSE(texte.contains("SECRET")) << texte.toStdString();
    // The query, which carries the service key, is left out of the text.
    EXPECT_EQ(Echec(client, "pas une adresse?key=SECRET"),
              "Adresse du service invalide : pas une adresse");
    EXPECT_EQ(Echec(client, ""), "Adresse du service invalide : ");

    TServeurTest muet;
    muet.NePasRepondre();
    client.DefinirDelai(300);
    EXPECT_EQ(client.Delai(), 300);
    EXPECT_EQ(Echec(client, muet.Url("/envoi")),
              "Le service d'envoi n'a pas répondu dans le délai de 300 ms (Operation canceled).");
    EXPECT_EQ(muet.Requetes().size(), 1u);

    // The client is still usable after a failure.
    EXPECT_EQ(client.Get(serveur.Url(), {}), R"({"resultat":1})");
}

// A server that answers a secure connection in plain text.
TEST(ClientHttp, EchecDeConnexionSecuriseeEnFrancais) {
    TClientHttp client;
    QTcpServer clair;
    ASSERT_TRUE(clair.listen(QHostAddress::LocalHost));
    QObject::connect(&clair, &QTcpServer::newConnection, [&clair] {
        QTcpSocket* socket = clair.nextPendingConnection();
        socket->write("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
        socket->disconnectFromHost();
    });
    const QString texte =
        Echec(client, QString("https://127.0.0.1:%1/envoi?key=SECRET").arg(clair.serverPort()));
    EXPECT_TRUE(texte.startsWith("La connexion sécurisée au service d'envoi a échoué (") &&
                texte.endsWith(")."))
        << texte.toStdString();
    EXPECT_FALSE(texte.contains("SECRET")) << texte.toStdString();
}

TEST(ClientHttp, UneReponseDePlusDUnMioEstAbandonnee) {
    const QString attendu = QStringLiteral("la réponse du service dépasse 1 Mio");
    TServeurTest serveur;
    TClientHttp client;
    // Exactly 1 MiB still comes through.
    serveur.Repondre(200, QByteArray(TClientHttp::TailleMaximaleReponse, 'a'), "text/plain");
    EXPECT_EQ(client.Get(serveur.Url(), {}).size(), TClientHttp::TailleMaximaleReponse);
    // Announced by its length, or without a length and never ending.
    serveur.Repondre(200, QByteArray(TClientHttp::TailleMaximaleReponse + 1, 'a'), "text/plain");
    EXPECT_EQ(Echec(client, serveur.Url()), attendu);
    serveur.RepondreSansFin();
    const QNetworkCookieJar* cookies = client.Cookies();
    EXPECT_EQ(Echec(client, serveur.Url()), attendu);
    // The next request is not held behind the abandoned answer; the cookies are kept.
    EXPECT_EQ(client.Cookies(), cookies);
    // Compressed: read inflated; small, but too large once inflated.
    serveur.AjouterEnteteReponse("Content-Encoding", "gzip");
    serveur.Repondre(200, Gzip("compressé"), "text/plain; charset=utf-8");
    EXPECT_EQ(client.Get(serveur.Url(), {}), QString::fromUtf8("compressé"));
    const QByteArray bombe = Gzip(QByteArray(4 * 1024 * 1024, '0'));
    ASSERT_LT(bombe.size(), 100 * 1024);
    serveur.Repondre(200, bombe, "text/plain");
    EXPECT_EQ(Echec(client, serveur.Url()), attendu);
    // A body announced as compressed that does not inflate is said so, in French.
    serveur.Repondre(200, "ceci n'est pas du gzip", "text/plain");
    const QString illisible = Echec(client, serveur.Url());
    EXPECT_TRUE(illisible.startsWith(QStringLiteral("La réponse du service d'envoi est illisible")))
        << illisible.toStdString();
}

TEST(ClientHttp, RedirectionsSurLeMemeServeurSeulementEtSansBoucle) {
    TServeurTest serveur;
    TServeurTest autre;
    TClientHttp client;
    serveur.Repondre(200, "arrivé", "text/plain; charset=utf-8");
    serveur.RepondreSur("/ici", 302, {{"Location", "/la?cle=k"}});
    serveur.RepondreSur("/boucle", 301, {{"Location", "/boucle2"}});
    serveur.RepondreSur("/boucle2", 301, {{"Location", serveur.Url("/boucle").toUtf8()}});
    serveur.RepondreSur("/ailleurs", 307, {{"Location", autre.Url("/x").toUtf8()}});
    serveur.RepondreSur("/https", 301,
                        {{"Location", serveur.Url("/x").replace("http:", "https:").toUtf8()}});
    serveur.RepondreSur(
        "/hote", 302, {{"Location", serveur.Url("/x").replace("127.0.0.1", "localhost").toUtf8()}});

    EXPECT_EQ(client.Get(serveur.Url("/ici?cle=k"), {}), QString::fromUtf8("arrivé"));
    ASSERT_EQ(serveur.Requetes().size(), 2u);
    EXPECT_EQ(serveur.Requetes()[1].cible, "/la?cle=k");

    EXPECT_EQ(Echec(client, serveur.Url("/boucle")),
              QStringLiteral("Boucle de redirection : le service renvoie sans fin d'une adresse "
                             "à l'autre (statut HTTP 301)"));
    for (const auto& [chemin, statut] :
         {std::pair{"/ailleurs", 307}, std::pair{"/https", 301}, std::pair{"/hote", 302}}) {
        const QString texte = Echec(client, serveur.Url(chemin));
        EXPECT_TRUE(texte.startsWith(QStringLiteral("Redirection refusée : le service a répondu "
                                                    "avec le statut HTTP %1 vers une autre adresse")
                                         .arg(statut)))
            << texte.toStdString();
    }
    EXPECT_TRUE(autre.Requetes().empty());
}

TEST(ClientHttp, GardeLesCookiesPourSaDureeDeVie) {
    TServeurTest serveur;
    serveur.AjouterEnteteReponse("Set-Cookie", "session=abc123; Path=/");
    TClientHttp client;
    EXPECT_EQ(client.Delai(), TClientHttp::DelaiParDefaut);
    client.Get(serveur.Url("/connexion"), {});
    client.Get(serveur.Url("/envoi"), {});
    ASSERT_EQ(serveur.Requetes().size(), 2u);
    EXPECT_TRUE(serveur.Requetes()[0].Entete("Cookie").isNull());
    EXPECT_EQ(serveur.Requetes()[1].Entete("Cookie"), "session=abc123");
    EXPECT_EQ(client.Cookies()->cookiesForUrl(QUrl(serveur.Url())).size(), 1);

    // Another client starts with no cookie.
    TClientHttp autre;
    autre.Get(serveur.Url("/envoi"), {});
    ASSERT_EQ(serveur.Requetes().size(), 3u);
    EXPECT_TRUE(serveur.Requetes()[2].Entete("Cookie").isNull());
}
