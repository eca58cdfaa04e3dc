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

    // The network's own text. Some quote the whole URL, key included: only the address
    // without its query is kept.
    const auto texteReseau = [&] {
        QString texte = reponse->errorString();
        const QString sansRequete = adresse.adjusted(QUrl::RemoveQuery).toString();
        texte.replace(QString::fromUtf8(adresse.toEncoded()), sansRequete);
        texte.replace(adresse.toString(), sansRequete);
        return texte;
    };
    if (delaiDepasse) {
        throw EErreurHttp(
            QStringLiteral("Le service d'envoi n'a pas répondu dans le délai de %1 (%2).")
                .arg(TexteDelai(delai), texteReseau()));
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
        throw EErreurHttp(
            QStringLiteral("%1 (%2).").arg(DescriptionErreur(reponse->error()), texteReseau()));
    }
    return Decoder(reponse->readAll(), reponse->rawHeader("Content-Type"));
}
