#include "tools/passerelle-demo/Tpasserelle.h"

#include <QHostAddress>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <stdexcept>

#include "tools/http/RequeteHttpRecue.h"

namespace {

constexpr const char* TamponPropriete = "tamponRequete";

// A value on several lines keeps its lines, each following one indented under the first.
QString Indenter(const QString& valeur, int largeur) {
    QString texte = valeur;
    texte.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    texte.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return texte.replace(QLatin1Char('\n'), QLatin1Char('\n') + QString(largeur, QLatin1Char(' ')));
}

}  // namespace

TPasserelle::TPasserelle(TMode mode, QTextStream& journal, QObject* parent)
    : QObject(parent), mode(mode), journal(journal), serveur(new QTcpServer(this)) {
    connect(serveur, &QTcpServer::newConnection, this, &TPasserelle::NouvelleConnexion);
}

void TPasserelle::Ecouter(quint16 port) {
    if (!serveur->listen(QHostAddress::LocalHost, port)) {
        throw EErreurEcoute(QStringLiteral("Erreur : écoute impossible sur 127.0.0.1:%1 (%2)")
                                .arg(port)
                                .arg(serveur->errorString()));
    }
}

quint16 TPasserelle::Port() const { return serveur->serverPort(); }

void TPasserelle::NouvelleConnexion() {
    while (QTcpSocket* socket = serveur->nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Lire(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void TPasserelle::Lire(QTcpSocket* socket) {
    const QByteArray tampon = socket->property(TamponPropriete).toByteArray() + socket->readAll();
    const std::optional<TRequeteHttpRecue> requete = AnalyserRequeteHttp(tampon);
    if (!requete) {
        socket->setProperty(TamponPropriete, tampon);
        return;
    }
    // A GET has no body; anything after the headers is not read.
    socket->setProperty(TamponPropriete, QByteArray());

    journal << QStringLiteral("Requête n°%1 : %2 %3")
                   .arg(++numero)
                   .arg(QString::fromLatin1(requete->methode), requete->chemin)
            << Qt::endl;
    for (const auto& [nom, valeur] : requete->parametres) {
        const QString debut = QStringLiteral("  %1 = ").arg(nom);
        journal << debut << Indenter(valeur, static_cast<int>(debut.size())) << Qt::endl;
    }
    if (requete->parametres.isEmpty()) journal << QStringLiteral("  (aucun paramètre)") << Qt::endl;
    Repondre(socket);
}

void TPasserelle::Repondre(QTcpSocket* socket) {
    int statut = 200;
    QByteArray raison = "OK";
    QByteArray type = "application/json; charset=utf-8";
    QByteArray corps = R"({"resultat":1})";
    switch (mode) {
        case TMode::Succes:
            break;
        case TMode::Erreur:
            corps =
                QStringLiteral(
                    R"({"resultat":0,"erreurs":["Numéro refusé par la passerelle de démonstration"]})")
                    .toUtf8();
            break;
        case TMode::PasJson:
            type = "text/html; charset=utf-8";
            corps = "<html><body>Service en maintenance</body></html>";
            break;
        case TMode::Http500:
            statut = 500;
            raison = "Internal Server Error";
            type = "text/plain; charset=utf-8";
            corps = "Erreur interne de la passerelle";
            break;
        case TMode::SansReponse:
            journal << QStringLiteral("Réponse : aucune (la connexion reste ouverte)") << Qt::endl;
            return;
    }
    journal << QStringLiteral("Réponse : %1 %2").arg(statut).arg(QString::fromUtf8(corps))
            << Qt::endl;
    socket->write(EcrireReponseHttp(statut, raison, type, {}, corps));
    socket->disconnectFromHost();
}
