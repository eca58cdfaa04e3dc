#pragma once

// TServeurTest: a small HTTP/1.1 server inside the test process, on 127.0.0.1 and a port
// the system picks, for tests that send real requests (the send operation, the windows).
//
//   TServeurTest serveur;                           // listens at once
//   serveur.Repondre(200, R"({"resultat":1})");     // answer to every following request
//   ... send a request to serveur.Url("/envoi") ...
//   ASSERT_EQ(serveur.Requetes().size(), 1u);
//   EXPECT_EQ(serveur.Requetes()[0].Parametre("message"), "Bonjour");
//   EXPECT_EQ(serveur.Requetes()[0].Entete("User-Agent"), "...");
//
// - It runs on the test's thread, so it answers only while that thread processes events:
//   the synchronous HTTP client does while it waits; a test that makes another program
//   send waits with AttendreRequetes().
// - By default it answers 200 with {"resultat":1} (application/json; charset=utf-8).
// - The query is decoded as a sending service reads it: split on "&", name and value
//   split at the first "=", "+" read as a space, then percent-decoding and UTF-8. So a
//   "+" the client forgot to encode arrives as a space. `cible` keeps the raw target.
// - NePasRepondre(): requests are read and recorded but never answered (to reach the
//   client's time limit). Fermer(): stops listening; a request is then refused.
// - RepondreSur(chemin, ...): a different answer for one path (redirects, loops).
//   RepondreSansFin(): a body that never ends, sent as fast as the client reads it.
// - Each answer closes its connection ("Connection: close").
// - PendantRequete(action): runs the action on each request once it has arrived, before
//   the answer goes (a fault while the client waits: a table renamed, a right taken away,
//   the sending process ended).

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

#include "tools/http/RequeteHttpRecue.h"

class QTcpServer;
class QTcpSocket;

class TServeurTest : public QObject {
    Q_OBJECT
  public:
    struct TRequeteRecue : TRequeteHttpRecue {
        QByteArray corps;

        bool ContientParametre(const QString& nom) const;
        // The first value with that name; a null QString when there is none.
        QString Parametre(const QString& nom) const;
        QStringList NomsParametres() const;
        // The first header with that name (case-insensitive); a null array when none.
        QByteArray Entete(const QByteArray& nom) const;
    };

    explicit TServeurTest(QObject* parent = nullptr);
    ~TServeurTest() override;

    quint16 Port() const { return port; }
    // "http://127.0.0.1:<port>" followed by the path.
    QString Url(const QString& chemin = QStringLiteral("/")) const;

    // The answer to every following request.
    // `raison` replaces the usual reason phrase of the status when it is given.
    void Repondre(int statut, const QByteArray& corps,
                  const QByteArray& typeContenu = "application/json; charset=utf-8",
                  const QByteArray& raison = QByteArray());
    // The answer to the requests for this path (decoded, without the query).
    void RepondreSur(const QString& chemin, int statut,
                     const QList<QPair<QByteArray, QByteArray>>& entetes,
                     const QByteArray& corps = QByteArray());
    void RepondreSansFin();
    // An extra header of every following answer (for example Set-Cookie).
    void AjouterEnteteReponse(const QByteArray& nom, const QByteArray& valeur);
    void NePasRepondre();
    void PendantRequete(std::function<void()> action) { pendant = std::move(action); }
    void Fermer();

    const std::vector<TRequeteRecue>& Requetes() const { return requetes; }
    void ViderRequetes() { requetes.clear(); }
    // Processes events until `nombre` requests have arrived or `ms` have passed; true when
    // they have arrived.
    bool AttendreRequetes(std::size_t nombre, int ms = 10000);

    // The raison phrase written after a status code ("OK", "Internal Server Error").
    static QByteArray Raison(int statut);

  signals:
    void RequeteRecue();

  private:
    void NouvelleConnexion();
    void Lire(QTcpSocket* socket);

    QTcpServer* serveur;
    quint16 port = 0;
    struct TReponseChemin {
        int statut;
        QList<QPair<QByteArray, QByteArray>> entetes;
        QByteArray corps;
    };
    QList<QPair<QString, TReponseChemin>> reponsesChemins;
    bool sansFin = false;
    QByteArray raison;
    int statut = 200;
    QByteArray corps = R"({"resultat":1})";
    QByteArray typeContenu = "application/json; charset=utf-8";
    QList<QPair<QByteArray, QByteArray>> entetesReponse;
    bool repondre = true;
    std::function<void()> pendant;
    std::vector<TRequeteRecue> requetes;
};
