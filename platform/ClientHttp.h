#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <memory>

#include "platform/EErreurTexte.h"

class QDeadlineTimer;
class QNetworkAccessManager;
class QUrl;
class QNetworkCookieJar;

// Raised when a request fails: no connection, no answer within the time limit, an
// answer whose HTTP status is not a success. French text, the network's own text after.
class EErreurHttp : public EErreurTexte {
  public:
    using EErreurTexte::EErreurTexte;
};

using TEntetesHttp = QList<QPair<QByteArray, QByteArray>>;

// A synchronous HTTP client: one GET at a time, waited for on the calling thread. The
// cookies the services set are kept for the client's life; no proxy is used.
class TClientHttp {
  public:
    static constexpr int DelaiParDefaut = 60000;
    // An answer's body past 1 MiB is abandoned: a service's answer is a few hundred bytes.
    static constexpr qint64 TailleMaximaleReponse = 1024 * 1024;
    // Redirects followed, within the same server, before giving up.
    static constexpr int RedirectionsMaximum = 10;

    TClientHttp();
    ~TClientHttp();
    TClientHttp(const TClientHttp&) = delete;
    TClientHttp& operator=(const TClientHttp&) = delete;

    // Time limit of a whole request, in milliseconds, from sending to the body read and
    // decoded, redirects included (at least 1: a request always has a limit).
    void DefinirDelai(int ms);
    int Delai() const { return delai; }

    // Sends one GET to an already encoded URL with these headers and gives the body as
    // text, decoded with the charset the answer declares (UTF-8 when it declares none or
    // one this client does not know). Meanwhile the events of the thread are processed,
    // except user input: no window takes a click or a key until the request is over.
    // Redirects are followed only to the same scheme, host and port, and never in a loop.
    // Raises EErreurHttp on any failure (a status outside 200-299 included, a body over
    // TailleMaximaleReponse, a redirect refused).
    QString Get(const QString& url, const TEntetesHttp& entetes);

    QNetworkCookieJar* Cookies() const;

  private:
    struct TEchange;
    TEchange Echanger(const QUrl& adresse, const TEntetesHttp& entetes,
                      const QDeadlineTimer& limite);
    void NouveauGestionnaire();

    std::unique_ptr<QNetworkAccessManager> gestionnaire;
    int delai = DelaiParDefaut;
};
