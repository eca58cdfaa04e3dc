#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTextStream>

#include "platform/EErreurTexte.h"

class QTcpServer;
class QTcpSocket;

// The port cannot be listened on; French text.
class EErreurEcoute : public EErreurTexte {
  public:
    using EErreurTexte::EErreurTexte;
};

// A local sending service for the demo and the end-to-end tests: listens on 127.0.0.1
// only, writes every request it receives with its query parameters decoded (as a person
// wrote them), and answers as its mode says.
class TPasserelle : public QObject {
    Q_OBJECT
  public:
    enum class TMode {
        Succes,      // 200 {"resultat":1}
        Erreur,      // 200 {"resultat":0,"erreurs":[...]}
        PasJson,     // 200 with an HTML page
        Http500,     // 500 Internal Server Error
        SansReponse  // reads the request and never answers
    };

    TPasserelle(TMode mode, QTextStream& journal, QObject* parent = nullptr);

    // Raises EErreurEcoute when the port cannot be listened on.
    void Ecouter(quint16 port);
    quint16 Port() const;

  private:
    void NouvelleConnexion();
    void Lire(QTcpSocket* socket);
    void Repondre(QTcpSocket* socket);

    TMode mode;
    QTextStream& journal;
    QTcpServer* serveur;
    int numero = 0;
};
