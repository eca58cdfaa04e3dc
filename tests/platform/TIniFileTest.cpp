#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/TIniFile.h"

namespace {

class TIniFileTest : public ::testing::Test {
  protected:
    QString Ecrire(const QByteArray& octets) {
        const QString chemin = dossier.filePath(QStringLiteral("p%1.ini").arg(++numero));
        QFile f(chemin);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(octets);
        return chemin;
    }
    QTemporaryDir dossier;
    int numero = 0;
};

QStringList Cles(const TIniFile& ini, const QString& section) {
    QStringList cles{QStringLiteral("reste d'avant")};
    ini.ReadSection(section, cles);
    return cles;
}

}  // namespace

TEST_F(TIniFileTest, SyntaxeDesSectionsClesEtValeurs) {
    const TIniFile ini(
        Ecrire("; commentaire\r\n"
               "# autre commentaire\r\n"
               "[config]\r\n"
               "  Agence  =  Lyon Nord  \r\n"
               "Liste=a,b;c\r\n"
               "Chemin=C:\\dossier\\%TEMP%\r\n"
               "Cite=\"  entre guillemets  \"\r\n"
               "Simple='x'\r\n"
               "Mixte=\"x'\r\n"
               "Vide=\r\n"
               "ligne sans egal\r\n"
               "Agence=Seconde valeur\r\n"
               "[Client]\r\n"
               "Nom=Dupont\r\n"
               "nom=dupont minuscule\r\n"
               "[CONFIG]\r\n"
               "Utilisateur=marc\r\n"));
    const QString c = QStringLiteral("Config");
    EXPECT_EQ(ini.ReadString(c, QStringLiteral("Agence"), QStringLiteral("?")),
              QStringLiteral("Lyon Nord"));
    // A comma and a ';' inside a value stay part of it; nothing is unescaped.
    EXPECT_EQ(ini.ReadString(c, QStringLiteral("Liste"), {}), QStringLiteral("a,b;c"));
    EXPECT_EQ(ini.ReadString(c, QStringLiteral("Chemin"), {}),
              QStringLiteral("C:\\dossier\\%TEMP%"));
    EXPECT_EQ(ini.ReadString(c, QStringLiteral("Cite"), {}),
              QStringLiteral("  entre guillemets  "));
    EXPECT_EQ(ini.ReadString(c, QStringLiteral("Simple"), {}), QStringLiteral("x"));
    EXPECT_EQ(ini.ReadString(c, QStringLiteral("Mixte"), {}), QStringLiteral("\"x'"));
    const QString vide = ini.ReadString(c, QStringLiteral("Vide"), QStringLiteral("defaut"));
    EXPECT_TRUE(vide.isEmpty());
    // Key names are exact; section names are not.
    EXPECT_EQ(ini.ReadString(c, QStringLiteral("agence"), QStringLiteral("absente")),
              QStringLiteral("absente"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("CLIENT"), QStringLiteral("nom"), {}),
              QStringLiteral("dupont minuscule"));
    // Both occurrences of the section are read; a repeated key keeps its first value.
    EXPECT_EQ(ini.ReadString(c, QStringLiteral("Utilisateur"), {}), QStringLiteral("marc"));
    EXPECT_EQ(Cles(ini, c), (QStringList{"Agence", "Liste", "Chemin", "Cite", "Simple", "Mixte",
                                         "Vide", "Utilisateur"}));
    EXPECT_EQ(Cles(ini, QStringLiteral("client")), (QStringList{"Nom", "nom"}));
    EXPECT_TRUE(Cles(ini, QStringLiteral("Societe")).isEmpty());
}

TEST_F(TIniFileTest, EncodagesDuFichier) {
    const QString texte = QStringLiteral("[Client]\nNom=Hélène Œuvré\n");
    QByteArray utf16le("\xFF\xFE");
    QByteArray utf16be("\xFE\xFF");
    for (const QChar c : texte) {
        utf16le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        utf16be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    }
    const QList<QByteArray> fichiers{texte.toUtf8(), QByteArray("\xEF\xBB\xBF") + texte.toUtf8(),
                                     utf16le, utf16be,
                                     // without a byte-order mark, told by the zero bytes
                                     utf16le.mid(2), utf16be.mid(2),
                                     // Windows-1252: é = E9, Œ = 8C
                                     QByteArray("[Client]\r\nNom=H\xE9l\xE8ne \x8Cuvr\xE9\r\n"),
                                     // ending in a letter that starts a UTF-8 sequence
                                     QByteArray("[Client]\r\nNom=H\xE9l\xE8ne \x8Cuvr\xE9")};
    for (const QByteArray& octets : fichiers) {
        const TIniFile ini(Ecrire(octets));
        EXPECT_EQ(ini.ReadString(QStringLiteral("Client"), QStringLiteral("Nom"), {}),
                  QStringLiteral("Hélène Œuvré"))
            << octets.toHex().toStdString();
    }
}

TEST_F(TIniFileTest, FichierAbsentOuIllisible) {
    const TIniFile absent(dossier.filePath(QStringLiteral("absent.ini")));
    EXPECT_EQ(absent.ReadString(QStringLiteral("Config"), QStringLiteral("Agence"),
                                QStringLiteral("defaut")),
              QStringLiteral("defaut"));
    EXPECT_EQ(absent.ReadInteger(QStringLiteral("Config"), QStringLiteral("Categorie"), 7), 7);
    EXPECT_TRUE(Cles(absent, QStringLiteral("Client")).isEmpty());
    // A folder given as the file reads as an empty file too.
    const TIniFile repertoire(dossier.path());
    EXPECT_TRUE(Cles(repertoire, QStringLiteral("Client")).isEmpty());
}

TEST_F(TIniFileTest, FichierDePlusDUnMioLuCommeVide) {
    QByteArray octets("[Config]\nAgence=Lyon\n[Client]\n");
    const QByteArray ligne = "Cle=" + QByteArray(60, 'v') + "\n";
    while (octets.size() + ligne.size() <= TIniFile::TailleMaximale) octets += ligne;
    const TIniFile limite(Ecrire(octets));
    EXPECT_FALSE(limite.TropVolumineux());
    EXPECT_EQ(limite.ReadString(QStringLiteral("Config"), QStringLiteral("Agence"), {}),
              QStringLiteral("Lyon"));

    const TIniFile trop(Ecrire(octets + QByteArray(TIniFile::TailleMaximale, '\n')));
    EXPECT_TRUE(trop.TropVolumineux());
    EXPECT_EQ(trop.ReadString(QStringLiteral("Config"), QStringLiteral("Agence"),
                              QStringLiteral("defaut")),
              QStringLiteral("defaut"));
}

TEST_F(TIniFileTest, MilliersDeClesEtDeSections) {
    QByteArray octets;
    for (int i = 0; i < 5000; ++i)
        octets += "[S" + QByteArray::number(i) + "]\nK=" + QByteArray::number(i) + "\n";
    for (int i = 0; i < 10000; ++i) octets += "[Client]\nC" + QByteArray::number(i) + "=v\n";
    octets += "[s4999]\nK=repete\nAutre=x\n";
    const TIniFile ini(Ecrire(octets));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("S4999"), QStringLiteral("K"), -1), 4999);
    EXPECT_EQ(Cles(ini, QStringLiteral("s4999")), (QStringList{"K", "Autre"}));
    const QStringList cles = Cles(ini, QStringLiteral("client"));
    ASSERT_EQ(cles.size(), 10000);
    EXPECT_EQ(cles.front(), QStringLiteral("C0"));
    EXPECT_EQ(cles.back(), QStringLiteral("C9999"));
}

TEST_F(TIniFileTest, LectureDEntiers) {
    const TIniFile ini(
        Ecrire("[Config]\nA=42\nB=-17\nC=+5\nD= 12 \nE=12a\nF=\nG=2147483647\n"
               "H=2147483648\nI=-2147483648\nJ=-2147483649\nK=0x10\nL=1.0\nM=-\n"
               "N=99999999999999999999\n"));
    const auto lire = [&](const char* cle) {
        return ini.ReadInteger(QStringLiteral("Config"), QString::fromLatin1(cle), -99);
    };
    EXPECT_EQ(lire("A"), 42);
    EXPECT_EQ(lire("B"), -17);
    EXPECT_EQ(lire("C"), 5);
    EXPECT_EQ(lire("D"), 12);
    EXPECT_EQ(lire("G"), 2147483647);
    EXPECT_EQ(lire("I"), -2147483647 - 1);
    for (const char* invalide : {"E", "F", "H", "J", "K", "L", "M", "N", "absente"})
        EXPECT_EQ(lire(invalide), -99) << invalide;
}
