#include "platform/ClientHttp.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "platform/DecodeurWindows.h"

namespace {

// What a user reads first when the request fails, in French; the network's own text
// follows in brackets for whoever supports the user.
QString DescriptionErreur(QNetworkReply::NetworkError code) {
    switch (code) {
        case QNetworkReply::ConnectionRefusedError:
            return QStringLiteral("Le service d'envoi refuse la connexion");
        case QNetworkReply::RemoteHostClosedError:
            return QStringLiteral("Le service d'envoi a fermé la connexion");
        case QNetworkReply::HostNotFoundError:
            return QStringLiteral("Le serveur du service d'envoi est introuvable");
        case QNetworkReply::TimeoutError:
            return QStringLiteral("Le service d'envoi ne répond pas");
        case QNetworkReply::SslHandshakeFailedError:
            return QStringLiteral("La connexion sécurisée au service d'envoi a échoué");
        case QNetworkReply::TemporaryNetworkFailureError:
        case QNetworkReply::NetworkSessionFailedError:
            return QStringLiteral("Le réseau est indisponible");
        case QNetworkReply::TooManyRedirectsError:
        case QNetworkReply::InsecureRedirectError:
            return QStringLiteral("La redirection demandée par le service d'envoi est refusée");
        case QNetworkReply::ProtocolUnknownError:
            return QStringLiteral("Le protocole de l'adresse du service n'est pas pris en charge");
        case QNetworkReply::ProtocolFailure:
            return QStringLiteral("La réponse du service d'envoi est illisible");
        case QNetworkReply::OperationCanceledError:
            return QStringLiteral("La requête a été interrompue");
        default:
            return QStringLiteral("La requête au service d'envoi a échoué");
    }
}

QString TexteDelai(int ms) {
    if (ms >= 1000 && ms % 1000 == 0) return QStringLiteral("%1 s").arg(ms / 1000);
    return QStringLiteral("%1 ms").arg(ms);
}

QString TexteDelaiDepasse(int ms, const QString& texteReseau) {
    return QStringLiteral("Le service d'envoi n'a pas répondu dans le délai de %1 (%2).")
        .arg(TexteDelai(ms), texteReseau);
}

// The charset parameter of a Content-Type value, or empty.
QByteArray JeuDeCaracteres(const QByteArray& typeContenu) {
    const QList<QByteArray> parties = typeContenu.split(';');
    for (qsizetype i = 1; i < parties.size(); ++i) {
        const QByteArray partie = parties[i].trimmed();
        const qsizetype egal = partie.indexOf('=');
        if (egal < 0 || partie.left(egal).trimmed().toLower() != "charset") continue;
        QByteArray valeur = partie.mid(egal + 1).trimmed();
        if (valeur.size() >= 2 && valeur.startsWith('"') && valeur.endsWith('"')) {
            valeur = valeur.mid(1, valeur.size() - 2);
        }
        return valeur;
    }
    return QByteArray();
}

QString Decoder(const QByteArray& corps, const QByteArray& typeContenu) {
    const QByteArray jeu = JeuDeCaracteres(typeContenu);
    if (!jeu.isEmpty()) {
        QStringDecoder decodeur(jeu.constData());
        if (decodeur.isValid()) return decodeur.decode(corps);
#ifdef Q_OS_WIN
        if (const auto texte = DecoderPageDeCode(corps, jeu)) return *texte;
#endif
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    return utf8.decode(corps);
}

}  // namespace

TClientHttp::TClientHttp() { NouveauGestionnaire(); }

// The manager owns its jar; the jar lives, with its cookies, as long as this client: a new
// manager takes over the old one's.
void TClientHttp::NouveauGestionnaire() {
    auto nouveau = std::make_unique<QNetworkAccessManager>();
    nouveau->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    nouveau->setCookieJar(gestionnaire ? gestionnaire->cookieJar()
                                       : new QNetworkCookieJar(nouveau.get()));
    gestionnaire = std::move(nouveau);
}

TClientHttp::~TClientHttp() = default;

void TClientHttp::DefinirDelai(int ms) { delai = ms > 0 ? ms : 1; }

QNetworkCookieJar* TClientHttp::Cookies() const { return gestionnaire->cookieJar(); }

// One exchange with the server, the redirects the toolkit follows included.
struct TClientHttp::TEchange {
    QUrl adresse;    // the last one asked for
    int statut = 0;  // 0 when the answer carried none
    QString raison;
    QNetworkReply::NetworkError erreur = QNetworkReply::NoError;
    QString texteErreur;
    QByteArray corps;
    QByteArray typeContenu;
    QByteArray destination;  // the Location header
};

namespace {

// Everything of an address but its query, which carries the service key.
QString SansRequete(const QUrl& adresse) {
    return adresse.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment).toString();
}

}  // namespace

QString TClientHttp::Get(const QString& url, const TEntetesHttp& entetes) {
    const QUrl adresse = QUrl::fromEncoded(url.toUtf8(), QUrl::TolerantMode);
    if (!adresse.isValid() || adresse.scheme().isEmpty() || adresse.host().isEmpty()) {
        throw EErreurHttp(
            // Without the query: it carries the service key, and this text is shown and stored.
            QStringLiteral("Adresse du service invalide : %1")
                .arg(url.left(url.indexOf(QLatin1Char('?')))));
    }
    // One limit for the whole request: every redirect, the transfer and the reading of
    // the body.
    const QDeadlineTimer limite(delai);
    const TEchange echange = Echanger(adresse, entetes, limite);
    if (echange.erreur == QNetworkReply::InsecureRedirectError) {
        const QUrl suivante =
            echange.adresse.resolved(QUrl::fromEncoded(echange.destination, QUrl::TolerantMode));
        throw EErreurHttp(QStringLiteral("Redirection refusée : le service a répondu avec le "
                                         "statut HTTP %1 vers une autre adresse (%2)")
                              .arg(echange.statut)
                              .arg(SansRequete(suivante)));
    }
    if (echange.erreur == QNetworkReply::TooManyRedirectsError) {
        throw EErreurHttp(QStringLiteral("Boucle de redirection : le service renvoie sans fin "
                                         "d'une adresse à l'autre (statut HTTP %1)")
                              .arg(echange.statut));
    }
    if (echange.statut != 0 && (echange.statut < 200 || echange.statut > 299)) {
        QString texte =
            QStringLiteral("Le service a répondu avec le statut HTTP %1").arg(echange.statut);
        if (!echange.raison.isEmpty()) texte += QStringLiteral(" (%1)").arg(echange.raison);
        throw EErreurHttp(texte);
    }
    if (echange.erreur != QNetworkReply::NoError &&
        echange.texteErreur.startsWith(QLatin1String("Decompression failed"))) {
        // The toolkit's text says nothing more than these two English words.
        throw EErreurHttp(
            "La réponse du service d'envoi est illisible : son contenu compressé n'a pas "
            "pu être décompressé.");
    }
    if (echange.erreur != QNetworkReply::NoError) {
        throw EErreurHttp(
            QStringLiteral("%1 (%2).").arg(DescriptionErreur(echange.erreur), echange.texteErreur));
    }
    const QString texte = Decoder(echange.corps, echange.typeContenu);
    if (limite.hasExpired())
        throw EErreurHttp(TexteDelaiDepasse(delai, QStringLiteral("lecture de la réponse")));
    return texte;
}

TClientHttp::TEchange TClientHttp::Echanger(const QUrl& adresse, const TEntetesHttp& entetes,
                                            const QDeadlineTimer& limite) {
    QNetworkRequest requete(adresse);
    for (const auto& [nom, valeur] : entetes) requete.setRawHeader(nom, valeur);
    // Redirects are followed within the same scheme, host and port only: another server
    // would receive the service key, or give a page of a site that is not the service. A
    // loop ends at the bound.
    requete.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::SameOriginRedirectPolicy);
    requete.setMaximumRedirectsAllowed(RedirectionsMaximum);

    std::unique_ptr<QNetworkReply> reponse(gestionnaire->get(requete));
    bool delaiDepasse = false;
    bool tropLongue = false;
    TEchange echange;
    QEventLoop boucle;
    QTimer minuterie;
    minuterie.setSingleShot(true);
    QObject::connect(&minuterie, &QTimer::timeout, &boucle, [&] {
        delaiDepasse = true;
        reponse->abort();
    });
    // The body is taken as it comes, so that its size is known before it is all there.
    const auto lire = [&] {
        if (tropLongue || !reponse->isOpen()) return;
        echange.corps += reponse->readAll();
        if (echange.corps.size() > TailleMaximaleReponse) {
            tropLongue = true;
            reponse->abort();
        }
    };
    QObject::connect(reponse.get(), &QNetworkReply::metaDataChanged, &boucle, [&] {
        const QVariant longueur = reponse->header(QNetworkRequest::ContentLengthHeader);
        if (longueur.isValid() && longueur.toLongLong() > TailleMaximaleReponse) {
            tropLongue = true;
            reponse->abort();
        }
    });
    QObject::connect(reponse.get(), &QNetworkReply::readyRead, &boucle, lire);
    QObject::connect(reponse.get(), &QNetworkReply::finished, &boucle, &QEventLoop::quit);
    minuterie.start(std::max<qint64>(limite.remainingTime(), 1));
    // A window must take no click nor key meanwhile: a second send could start.
    if (!reponse->isFinished()) boucle.exec(QEventLoop::ExcludeUserInputEvents);
    minuterie.stop();
    lire();

    // The network's own text. Some quote the whole URL, key included: only the address
    // without its query is kept.
    echange.texteErreur = reponse->errorString();
    echange.texteErreur.replace(QString::fromUtf8(adresse.toEncoded()), SansRequete(adresse));
    echange.texteErreur.replace(adresse.toString(), SansRequete(adresse));
    if (tropLongue || delaiDepasse) {
        // The toolkit may keep reading an abandoned answer on its connection, from a service
        // that never ends it, and hold the next request behind it: a new manager closes
        // every connection of the old one.
        reponse.reset();
        NouveauGestionnaire();
    }
    if (tropLongue) throw EErreurHttp("la réponse du service dépasse 1 Mio");
    if (delaiDepasse) throw EErreurHttp(TexteDelaiDepasse(delai, echange.texteErreur));
    const QVariant statut = reponse->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (statut.isValid()) echange.statut = statut.toInt();
    echange.raison =
        reponse->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
    echange.erreur = reponse->error();
    echange.typeContenu = reponse->rawHeader("Content-Type");
    echange.destination = reponse->rawHeader("Location");
    echange.adresse = reponse->url();
    return echange;
}
