// Runs the built passerelle-demo as the demo script does and sends it real requests.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

#include "envoi/ReponseService.h"
#include "platform/ClientHttp.h"

namespace {

const QString Programme = QStringLiteral(PARLIVO_BIN_DIR "/passerelle-demo");

// One running passerelle-demo; stopped when the object dies.
class TPasserelleLancee {
  public:
    explicit TPasserelleLancee(const QStringList& options = {}) {
        // Text: its lines end in "\r\n" on Windows, read as "\n".
        processus.start(Programme, QStringList{"0"} + options,
                        QIODevice::ReadWrite | QIODevice::Text);
        if (!processus.waitForStarted(10000)) return;
        // The first line gives the port.
        while (!sortie.contains('\n') && processus.waitForReadyRead(10000)) {
            sortie += processus.readAllStandardOutput();
        }
        const auto trouve = QRegularExpression("^port=(\\d+)\n").match(QString::fromUtf8(sortie));
        if (trouve.hasMatch()) port = trouve.captured(1).toUShort();
    }
    ~TPasserelleLancee() {
        processus.kill();
        processus.waitForFinished(10000);
    }

    QString Url(const QString& cible) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(cible);
    }

    // What it has written so far, once `texte` is in it (or after 10 s without output).
    QString SortieJusqua(const QString& texte) {
        // The event loop of a request may already have read part of it into the buffer.
        sortie += processus.readAllStandardOutput();
        while (!QString::fromUtf8(sortie).contains(texte) && processus.waitForReadyRead(10000)) {
            sortie += processus.readAllStandardOutput();
        }
        return QString::fromUtf8(sortie);
    }

    QProcess processus;
    QByteArray sortie;
    quint16 port = 0;
};

const QString Cible = QStringLiteral(
    "/api/envoi?key=CLE&to=%2B33612345678&text=Bonjour%20Dupont%20%26%20co%20%C3%A9%0D%0A"
    "%C3%A0%20bient%C3%B4t&from=Agence&date=2025-03-05%2009%3A07%3A02");

}  // namespace

TEST(Passerelledemo, AfficheLesParametresDecodesEtRepondSucces) {
    TPasserelleLancee passerelle;
    ASSERT_NE(passerelle.port, 0) << passerelle.sortie.toStdString();
    TClientHttp client;
    EXPECT_EQ(client.Get(passerelle.Url(Cible), {}), R"({"resultat":1})");
    const QString sortie = passerelle.SortieJusqua("Réponse");
    EXPECT_TRUE(sortie.startsWith(QStringLiteral("port=%1\n").arg(passerelle.port)));
    EXPECT_TRUE(sortie.contains(QString::fromUtf8("Requête n°1 : GET /api/envoi\n")))
        << sortie.toStdString();
    EXPECT_TRUE(sortie.contains("  key = CLE\n")) << sortie.toStdString();
    EXPECT_TRUE(sortie.contains("  to = +33612345678\n")) << sortie.toStdString();
    EXPECT_TRUE(
        sortie.contains(QString::fromUtf8("  text = Bonjour Dupont & co é\n"
                                          "         à bientôt\n")))
        << sortie.toStdString();
    EXPECT_TRUE(sortie.contains("  from = Agence\n")) << sortie.toStdString();
    EXPECT_TRUE(sortie.contains("  date = 2025-03-05 09:07:02\n")) << sortie.toStdString();
    EXPECT_TRUE(sortie.contains(QString::fromUtf8("Réponse : 200 {\"resultat\":1}")));
    EXPECT_EQ(InterpreterReponse(client.Get(passerelle.Url("/envoi"), {})).etat,
              QString::fromUtf8("Envoyé"));
}

TEST(Passerelledemo, OptionsDeReponse) {
    TClientHttp client;
    {
        TPasserelleLancee erreur({"--erreur"});
        ASSERT_NE(erreur.port, 0);
        const TReponseService reponse = InterpreterReponse(client.Get(erreur.Url(Cible), {}));
        EXPECT_EQ(
            reponse.etat,
            QString::fromUtf8("Erreur : [\"Numéro refusé par la passerelle de démonstration\"]"));
        EXPECT_FALSE(reponse.dialogue.has_value());
    }
    {
        TPasserelleLancee pasJson({"--pas-json"});
        ASSERT_NE(pasJson.port, 0);
        EXPECT_EQ(InterpreterReponse(client.Get(pasJson.Url(Cible), {})).etat,
                  "Erreur : Aucun retour json est null)");
    }
    {
        TPasserelleLancee http500({"--http500"});
        ASSERT_NE(http500.port, 0);
        try {
            client.Get(http500.Url(Cible), {});
            ADD_FAILURE() << "HTTP 500 accepté";
        } catch (const EErreurHttp& e) {
            EXPECT_TRUE(e.Texte().contains("500")) << e.what();
        }
    }
    {
        TPasserelleLancee muette({"--sans-reponse"});
        ASSERT_NE(muette.port, 0);
        client.DefinirDelai(500);
        try {
            client.Get(muette.Url(Cible), {});
            ADD_FAILURE() << "réponse reçue";
        } catch (const EErreurHttp& e) {
            EXPECT_TRUE(e.Texte().startsWith(
                QString::fromUtf8("Le service d'envoi n'a pas répondu dans le délai")))
                << e.what();
        }
        // The request was still received and written out.
        EXPECT_TRUE(muette.SortieJusqua("Réponse : aucune").contains("  to = +33612345678\n"));
    }
}

TEST(Passerelledemo, ArgumentsInvalides) {
    for (const QStringList& arguments :
         {QStringList{}, QStringList{"abc"}, QStringList{"70000"}, QStringList{"0", "--inconnue"},
          QStringList{"0", "--erreur", "--http500"}}) {
        QProcess processus;
        processus.start(Programme, arguments);
        ASSERT_TRUE(processus.waitForFinished(10000)) << arguments.join(' ').toStdString();
        EXPECT_EQ(processus.exitCode(), 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(processus.readAllStandardError().startsWith("Erreur : "))
            << arguments.join(' ').toStdString();
    }
    QProcess aide;
    aide.start(Programme, {"--aide"}, QIODevice::ReadWrite | QIODevice::Text);
    ASSERT_TRUE(aide.waitForFinished(10000));
    EXPECT_EQ(aide.exitCode(), 0);
    EXPECT_TRUE(aide.readAllStandardOutput().startsWith("Utilisation : passerelle-demo PORT"));
}
