#include <gtest/gtest.h>

#include "data/Tconfigurationapi.h"
#include "envoi/UrlEnvoi.h"

namespace {

TConfigurationApi Service(const QString& url, const QString& format = "yyyy-mm-dd hh:nn:ss",
                          const QString& cle = "CLE-123") {
    return TConfigurationApi({.id = 1,
                              .nom = "Service",
                              .url = url,
                              .cle = cle,
                              .cle_api = "apikey",
                              .numero = "to",
                              .message = "text",
                              .expediteur = "from",
                              .date_envoi = "date",
                              .format_date = format,
                              .statut_ok = "OK"});
}

const QDateTime Date(QDate(2025, 3, 5), QTime(9, 7, 2));

}  // namespace

TEST(UrlEnvoi, NettoyerNumeroNeRetireQueEspacesPointsEtTirets) {
    EXPECT_EQ(NettoyerNumero("+33 6.12-34.56-78"), "+33612345678");
    EXPECT_EQ(NettoyerNumero("06 12 34 56 78"), "0612345678");
    EXPECT_EQ(NettoyerNumero(" . - .."), "");
    EXPECT_EQ(NettoyerNumero("(06) 12/34 ab\t"), "(06)12/34ab\t");
    EXPECT_EQ(NettoyerNumero(""), "");
}

TEST(UrlEnvoi, LesPiecesDansLOrdreChaqueValeurEncodee) {
    EXPECT_EQ(ConstruireUrlEnvoi(
                  Service("https://sms.exemple.fr/api/send", "yyyy-mm-dd hh:nn:ss", "a&b=c"),
                  "+33612345678", QString::fromUtf8("Salut & bises = 1+1 #é\r\n"), "Agence", Date),
              "https://sms.exemple.fr/api/send?apikey=a%26b%3Dc&to=%2B33612345678"
              "&text=Salut%20%26%20bises%20%3D%201%2B1%20%23%C3%A9%0D%0A&from=Agence"
              "&date=2025-03-05%2009%3A07%3A02");
    // A url that already ends with "?" gets a second one.
    EXPECT_EQ(ConstruireUrlEnvoi(Service("http://h/envoi?"), "1", "m", "e", Date),
              "http://h/envoi??apikey=CLE-123&to=1&text=m&from=e&date=2025-03-05%2009%3A07%3A02");
    // The url and names keep their structure, encoded only where they must be.
    EXPECT_EQ(
        ConstruireUrlEnvoi(TConfigurationApi({.id = 1,
                                              .nom = "S",
                                              .url = QString::fromUtf8("http://h/mon envoi?v=2&"),
                                              .cle = "k",
                                              .cle_api = "api key",
                                              .numero = QString::fromUtf8("n°"),
                                              .message = "msg",
                                              .expediteur = "exp",
                                              .date_envoi = "d",
                                              .format_date = "yyyy",
                                              .statut_ok = "OK"}),
                           "1", "m", "", Date),
        "http://h/mon%20envoi?v=2&?api%20key=k&n%C2%B0=1&msg=m&d=2025");
}

TEST(UrlEnvoi, PiecesFacultatives) {
    // No sender: no sender piece.
    EXPECT_EQ(ConstruireUrlEnvoi(Service("http://h/e"), "1", "m", "", Date),
              "http://h/e?apikey=CLE-123&to=1&text=m&date=2025-03-05%2009%3A07%3A02");
    // A pattern that writes nothing: no date piece.
    EXPECT_EQ(ConstruireUrlEnvoi(Service("http://h/e", "''"), "1", "m", "x", Date),
              "http://h/e?apikey=CLE-123&to=1&text=m&from=x");
    // An empty pattern is written as "c".
    EXPECT_EQ(ConstruireUrlEnvoi(Service("http://h/e", ""), "1", "m", "", Date),
              "http://h/e?apikey=CLE-123&to=1&text=m&date=05%2F03%2F2025%2009%3A07%3A02");
    // Empty key, number and message still give their pieces.
    EXPECT_EQ(ConstruireUrlEnvoi(Service("http://h/e", "''", ""), "", "", "", Date),
              "http://h/e?apikey=&to=&text=");
}
