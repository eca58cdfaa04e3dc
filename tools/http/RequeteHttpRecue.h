#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <optional>

// The head of an HTTP/1.1 request as our small loopback servers (the demo sending
// service, the tests' server) receive it. Query components are decoded as a sending
// service reads them: "+" is a space, then percent-decoding as UTF-8.
struct TRequeteHttpRecue {
    QByteArray methode;                            // "GET"
    QByteArray cible;                              // path and query, as sent (encoded)
    QString chemin;                                // the path, decoded
    QList<QPair<QString, QString>> parametres;     // the query, decoded, in order
    QList<QPair<QByteArray, QByteArray>> entetes;  // the headers, in order
    qsizetype debutCorps = 0;                      // where the body starts in the buffer
    qsizetype longueurCorps = 0;                   // from Content-Length, 0 without one
};

// The request whose head the buffer holds; none while the head is incomplete.
std::optional<TRequeteHttpRecue> AnalyserRequeteHttp(const QByteArray& tampon);

// A whole answer, closing the connection after it.
QByteArray EcrireReponseHttp(int statut, const QByteArray& raison, const QByteArray& typeContenu,
                             const QList<QPair<QByteArray, QByteArray>>& entetes,
                             const QByteArray& corps);
