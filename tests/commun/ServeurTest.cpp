#include "commun/ServeurTest.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <stdexcept>

namespace {

constexpr const char* TamponPropriete = "tamponRequete";

}  // namespace

bool TServeurTest::TRequeteRecue::ContientParametre(const QString& nom) const {
    for (const auto& [n, v] : parametres) {
        if (n == nom) return true;
    }
    return false;
}

QString TServeurTest::TRequeteRecue::Parametre(const QString& nom) const {
    for (const auto& [n, v] : parametres) {
        if (n == nom) return v;
    }
    return QString();
}

QStringList TServeurTest::TRequeteRecue::NomsParametres() const {
    QStringList noms;
    for (const auto& [n, v] : parametres) noms << n;
    return noms;
}

QByteArray TServeurTest::TRequeteRecue::Entete(const QByteArray& nom) const {
    for (const auto& [n, v] : entetes) {
        if (n.compare(nom, Qt::CaseInsensitive) == 0) return v;
    }
    return QByteArray();
}

TServeurTest::TServeurTest(QObject* parent) : QObject(parent), serveur(new QTcpServer(this)) {
    if (!serveur->listen(QHostAddress::LocalHost, 0)) {
        throw std::runtime_error("TServeurTest : écoute impossible sur 127.0.0.1 (" +
                                 serveur->errorString().toStdString() + ")");
    }
    port = serveur->serverPort();
    connect(serveur, &QTcpServer::newConnection, this, &TServeurTest::NouvelleConnexion);
}

TServeurTest::~TServeurTest() = default;

QString TServeurTest::Url(const QString& chemin) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(chemin);
}

void TServeurTest::Repondre(int nouveauStatut, const QByteArray& nouveauCorps,
                            const QByteArray& nouveauType, const QByteArray& nouvelleRaison) {
    statut = nouveauStatut;
    corps = nouveauCorps;
    typeContenu = nouveauType;
    raison = nouvelleRaison;
    repondre = true;
    sansFin = false;
}

void TServeurTest::RepondreSur(const QString& chemin, int statutChemin,
                               const QList<QPair<QByteArray, QByteArray>>& entetes,
                               const QByteArray& corpsChemin) {
    reponsesChemins.append({chemin, {statutChemin, entetes, corpsChemin}});
}

void TServeurTest::RepondreSansFin() {
    repondre = true;
    sansFin = true;
}

void TServeurTest::AjouterEnteteReponse(const QByteArray& nom, const QByteArray& valeur) {
    entetesReponse.append({nom, valeur});
}

void TServeurTest::NePasRepondre() { repondre = false; }

void TServeurTest::Fermer() { serveur->close(); }

bool TServeurTest::AttendreRequetes(std::size_t nombre, int ms) {
    QDeadlineTimer limite(ms);
    while (requetes.size() < nombre && !limite.hasExpired()) {
        QEventLoop boucle;
        QTimer::singleShot(20, &boucle, &QEventLoop::quit);
        connect(this, &TServeurTest::RequeteRecue, &boucle, &QEventLoop::quit);
        boucle.exec();
    }
    return requetes.size() >= nombre;
}

QByteArray TServeurTest::Raison(int statut) {
    switch (statut) {
        case 200:
            return "OK";
        case 201:
            return "Created";
        case 204:
            return "No Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        case 502:
            return "Bad Gateway";
        case 503:
            return "Service Unavailable";
        default:
            return "Statut";
    }
}

void TServeurTest::NouvelleConnexion() {
    while (QTcpSocket* socket = serveur->nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Lire(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void TServeurTest::Lire(QTcpSocket* socket) {
    QByteArray tampon = socket->property(TamponPropriete).toByteArray() + socket->readAll();
    socket->setProperty(TamponPropriete, tampon);
    const std::optional<TRequeteHttpRecue> tete = AnalyserRequeteHttp(tampon);
    if (!tete) return;
    if (tampon.size() < tete->debutCorps + tete->longueurCorps) return;  // the body is coming
    TRequeteRecue requete;
    static_cast<TRequeteHttpRecue&>(requete) = *tete;
    requete.corps = tampon.mid(tete->debutCorps, tete->longueurCorps);
    socket->setProperty(TamponPropriete, QByteArray());
    requetes.push_back(requete);
    if (pendant) pendant();

    for (const auto& [chemin, reponse] : reponsesChemins) {
        if (chemin != requete.chemin) continue;
        socket->write(EcrireReponseHttp(reponse.statut, Raison(reponse.statut), QByteArray(),
                                        reponse.entetes, reponse.corps));
        socket->disconnectFromHost();
        emit RequeteRecue();
        return;
    }
    if (repondre && sansFin) {
        // No length: the body ends only when the client lets go.
        socket->write(
            "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
            "Connection: close\r\n\r\n{\"resultat\":0,\"erreurs\":\"");
        const QByteArray bloc(64 * 1024, 'x');
        socket->write(bloc);
        connect(socket, &QTcpSocket::bytesWritten, socket, [socket, bloc] {
            if (socket->bytesToWrite() < bloc.size()) socket->write(bloc);
        });
    } else if (repondre) {
        socket->write(EcrireReponseHttp(statut, raison.isEmpty() ? Raison(statut) : raison,
                                        typeContenu, entetesReponse, corps));
        socket->disconnectFromHost();
    }
    emit RequeteRecue();
}
