#include "PrisesTest.h"

#ifdef Q_OS_WIN
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <stdexcept>
#include <string>

namespace {

sockaddr_in Boucle(quint16 port) {
#ifdef Q_OS_WIN
    // Winsock needs its start-up once per process (counted: Qt's own call stays valid).
    static const bool demarre = [] {
        WSADATA donnees;
        return WSAStartup(MAKEWORD(2, 2), &donnees) == 0;
    }();
    (void)demarre;
#endif
    sockaddr_in adresse{};
    adresse.sin_family = AF_INET;
    adresse.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    adresse.sin_port = htons(port);
    return adresse;
}

}  // namespace

TPrise EcouterEnLocal(quint16& port, int file, const char* qui) {
    sockaddr_in adresse = Boucle(0);
    const TPrise s = socket(AF_INET, SOCK_STREAM, 0);
    socklen_t taille = sizeof adresse;
    if (s == PriseInvalide || bind(s, reinterpret_cast<sockaddr*>(&adresse), sizeof adresse) != 0 ||
        listen(s, file) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&adresse), &taille) != 0) {
        if (s != PriseInvalide) FermerPrise(s);
        throw std::runtime_error(std::string(qui) + " : écoute sur 127.0.0.1 impossible");
    }
    port = ntohs(adresse.sin_port);
    return s;
}

TPrise AccepterPrise(TPrise ecoute) { return accept(ecoute, nullptr, nullptr); }

TPrise JoindreEnLocal(quint16 port) {
    const sockaddr_in adresse = Boucle(port);
    const TPrise s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == PriseInvalide) return s;
    if (connect(s, reinterpret_cast<const sockaddr*>(&adresse), sizeof adresse) == 0) return s;
    FermerPrise(s);
    return PriseInvalide;
}

int AttendrePrises(pollfd* prises, std::size_t nombre, int ms) {
#ifdef Q_OS_WIN
    return WSAPoll(prises, static_cast<ULONG>(nombre), ms);
#else
    return poll(prises, nombre, ms);
#endif
}

qint64 LirePrise(TPrise prise, char* tampon, qint64 taille) {
    return recv(prise, tampon, static_cast<int>(taille), 0);
}

bool EcrirePrise(TPrise prise, const char* octets, qint64 taille) {
#ifdef Q_OS_WIN
    constexpr int sansSignal = 0;  // Winsock raises no signal when the other side is gone
#else
    constexpr int sansSignal = MSG_NOSIGNAL;
#endif
    while (taille > 0) {
        const auto n = send(prise, octets, static_cast<int>(taille), sansSignal);
        if (n <= 0) return false;
        octets += n;
        taille -= n;
    }
    return true;
}

void FermerPrise(TPrise prise) {
#ifdef Q_OS_WIN
    closesocket(prise);
#else
    close(prise);
#endif
}
