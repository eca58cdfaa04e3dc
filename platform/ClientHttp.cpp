#include "platform/ClientHttp.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>
#include <QUrl>

namespace {

QString DescriptionErreur(QNetworkReply::NetworkError code) {
    switch (code) {
        case QNetworkReply::ConnectionRefusedError:
            return QStringLiteral("Connexion refusée par le serveur");
        case QNetworkReply::RemoteHostClosedError:
            return QStringLiteral("Le serveur a fermé la connexion");
        case QNetworkReply::HostNotFoundError:
            return QStringLiteral("Serveur introuvable");
        case QNetworkReply::TimeoutError:
            return QStringLiteral("Le serveur ne répond pas");
        case QNetworkReply::SslHandshakeFailedError:
            return QStringLiteral("Échec de l'établissement de la connexion sécurisée");
        case QNetworkReply::TemporaryNetworkFailureError:
        case QNetworkReply::NetworkSessionFailedError:
            return QStringLiteral("Réseau indisponible");
        case QNetworkReply::TooManyRedirectsError:
        case QNetworkReply::InsecureRedirectError:
            return QStringLiteral("Redirection refusée");
        case QNetworkReply::ProtocolUnknownError:
            return QStringLiteral("Protocole non pris en charge");
        case QNetworkReply::ProtocolFailure:
            return QStringLiteral("Réponse du serveur illisible");
        case QNetworkReply::OperationCanceledError:
            return QStringLiteral("Requête interrompue");
        default:
            return QStringLiteral("Échec de la requête HTTP");
    }
}

QString TexteDelai(int ms) {
    if (ms >= 1000 && ms % 1000 == 0) return QStringLiteral("%1 s").arg(ms / 1000);
    return QStringLiteral("%1 ms").arg(ms);
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
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    return utf8.decode(corps);
}

}  // namespace

TClientHttp::TClientHttp() : gestionnaire(std::make_unique<QNetworkAccessManager>()) {
    gestionnaire->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    // The manager owns its jar; it lives, with its cookies, as long as this client.
    gestionnaire->setCookieJar(new QNetworkCookieJar(gestionnaire.get()));
}

TClientHttp::~TClientHttp() = default;

void TClientHttp::DefinirDelai(int ms) { delai = ms > 0 ? ms : 1; }

QNetworkCookieJar* TClientHttp::Cookies() const { return gestionnaire->cookieJar(); }

QString TClientHttp::Get(const QString& url, const TEntetesHttp& entetes) {
    const QUrl adresse = QUrl::fromEncoded(url.toUtf8(), QUrl::TolerantMode);
    if (!adresse.isValid() || adresse.scheme().isEmpty() || adresse.host().isEmpty()) {
        throw EErreurHttp(
            // Without the query: it carries the service key, and this text is shown and stored.
            QStringLiteral("Adresse du service invalide : %1")
                .arg(url.left(url.indexOf(QLatin1Char('?')))));
    }
    QNetworkRequest requete(adresse);
    for (const auto& [nom, valeur] : entetes) requete.setRawHeader(nom, valeur);

    std::unique_ptr<QNetworkReply> reponse(gestionnaire->get(requete));
    bool delaiDepasse = false;
    QEventLoop boucle;
    QTimer minuterie;
    minuterie.setSingleShot(true);
    QObject::connect(&minuterie, &QTimer::timeout, &boucle, [&] {
        delaiDepasse = true;
        reponse->abort();
    });
    QObject::connect(reponse.get(), &QNetworkReply::finished, &boucle, &QEventLoop::quit);
    minuterie.start(delai);
    // A window must take no click nor key meanwhile: a second send could start.
    if (!reponse->isFinished()) boucle.exec(QEventLoop::ExcludeUserInputEvents);
    minuterie.stop();

    if (delaiDepasse) {
        throw EErreurHttp(QStringLiteral("Délai dépassé : le service n'a pas répondu en %1")
                              .arg(TexteDelai(delai)));
    }
    const QVariant statut = reponse->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (statut.isValid() && (statut.toInt() < 200 || statut.toInt() > 299)) {
        const QString raison =
            reponse->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
        QString texte =
            QStringLiteral("Le service a répondu avec le statut HTTP %1").arg(statut.toInt());
        if (!raison.isEmpty()) texte += QStringLiteral(" (%1)").arg(raison);
        throw EErreurHttp(texte);
    }
    if (reponse->error() != QNetworkReply::NoError) {
        // Some of the network's texts quote the whole URL, key included: keep only the
        // address without its query.
        QString texteReseau = reponse->errorString();
        const QString sansRequete = adresse.adjusted(QUrl::RemoveQuery).toString();
        texteReseau.replace(QString::fromUtf8(adresse.toEncoded()), sansRequete);
        texteReseau.replace(adresse.toString(), sansRequete);
        throw EErreurHttp(
            QStringLiteral("%1 (%2)").arg(DescriptionErreur(reponse->error()), texteReseau));
    }
    return Decoder(reponse->readAll(), reponse->rawHeader("Content-Type"));
}
