#include <gtest/gtest.h>

#include <QByteArray>

#include "platform/EncodageRequete.h"

TEST(EncodageRequete, UneValeurGardeChacunDeSesCaracteres) {
    EXPECT_EQ(EncoderValeur("a&b=c+d#e%f?g/h;i,j:k@l!m'n(o)p*q$r"),
              "a%26b%3Dc%2Bd%23e%25f%3Fg%2Fh%3Bi%2Cj%3Ak%40l%21m%27n%28o%29p%2Aq%24r");
    EXPECT_EQ(EncoderValeur(QString::fromUtf8("Bonjour é\r\nà bientôt")),
              "Bonjour%20%C3%A9%0D%0A%C3%A0%20bient%C3%B4t");
    EXPECT_EQ(EncoderValeur("AZaz09-._~"), "AZaz09-._~");
    EXPECT_EQ(EncoderValeur("+33612345678"), "%2B33612345678");
    EXPECT_EQ(EncoderValeur(QString::fromUtf8("😀")), "%F0%9F%98%80");
    EXPECT_EQ(EncoderValeur(""), "");

    // Decoding gives back the UTF-8 text exactly.
    for (const QString& texte :
         {QString::fromUtf8("&numero=0611223344"), QString::fromUtf8("100 % sûr\n"),
          QString::fromUtf8("a+b c"), QString::fromUtf8("<Client_Nom> €")}) {
        EXPECT_EQ(
            QString::fromUtf8(QByteArray::fromPercentEncoding(EncoderValeur(texte).toLatin1())),
            texte);
    }
}

TEST(EncodageRequete, LAdresseEtLesNomsGardentLeurStructure) {
    EXPECT_EQ(EncoderStructure("https://exemple.fr:8443/api/envoi.php?compte=a&x=%2F#f"),
              "https://exemple.fr:8443/api/envoi.php?compte=a&x=%2F#f");
    EXPECT_EQ(EncoderStructure(QString::fromUtf8("http://hôte/mon envoi/\t")),
              "http://h%C3%B4te/mon%20envoi/%09");
    EXPECT_EQ(EncoderStructure("a|b{c}\"<>\\^`"), "a%7Cb%7Bc%7D%22%3C%3E%5C%5E%60");
    // A "%" that starts no percent sequence may not stand alone.
    EXPECT_EQ(EncoderStructure("taux100%"), "taux100%25");
    EXPECT_EQ(EncoderStructure("%2g%4"), "%252g%254");
    EXPECT_EQ(EncoderStructure("num_tel"), "num_tel");
    EXPECT_EQ(EncoderStructure(""), "");
}
