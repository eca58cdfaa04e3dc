#include "RelaisTcp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

namespace {

int Ecouter(quint16& port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in adresse{};
    adresse.sin_family = AF_INET;
    adresse.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t taille = sizeof adresse;
    if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&adresse), sizeof adresse) != 0 ||
        listen(s, 8) != 0 || getsockname(s, reinterpret_cast<sockaddr*>(&adresse), &taille) != 0)
        throw std::runtime_error("écoute sur 127.0.0.1 impossible");
    port = ntohs(adresse.sin_port);
    return s;
}

int Joindre(quint16 port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in adresse{};
    adresse.sin_family = AF_INET;
    adresse.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    adresse.sin_port = htons(port);
    if (s >= 0 && connect(s, reinterpret_cast<sockaddr*>(&adresse), sizeof adresse) == 0) return s;
    if (s >= 0) close(s);
    return -1;
}

bool ToutEcrire(int s, const char* octets, ssize_t taille) {
    while (taille > 0) {
        const ssize_t n = send(s, octets, static_cast<size_t>(taille), MSG_NOSIGNAL);
        if (n <= 0) return false;
        octets += n;
        taille -= n;
    }
    return true;
}

}  // namespace

TRelaisTcp::TRelaisTcp(std::function<quint16(int)> destination, std::optional<TCoupure> coupure)
    : destination(std::move(destination)), coupure(std::move(coupure)) {
    ecoute = Ecouter(port);
    fil = std::thread([this] { Boucle(); });
}

TRelaisTcp::~TRelaisTcp() {
    fin = true;
    fil.join();
    close(ecoute);
}

void TRelaisTcp::Boucle() {
    // Pairs of sockets: the client's and the one to its destination.
    std::vector<std::pair<int, int>> paires;
    char tampon[16384];
    while (!fin) {
        std::vector<pollfd> attente{{ecoute, POLLIN, 0}};
        for (const auto& [a, b] : paires) {
            attente.push_back({a, POLLIN, 0});
            attente.push_back({b, POLLIN, 0});
        }
        if (poll(attente.data(), attente.size(), 50) <= 0) continue;
        const size_t suivies = paires.size();  // those that poll watched
        if (attente[0].revents & POLLIN) {
            const int client = accept(ecoute, nullptr, nullptr);
            const int cible = client >= 0 ? Joindre(destination(connexions++)) : -1;
            if (cible >= 0)
                paires.emplace_back(client, cible);
            else if (client >= 0)
                close(client);
        }
        for (size_t i = 0; i < suivies; ++i) {
            auto& [a, b] = paires[i];
            bool fermer = false;
            for (const auto& [de, vers] : {std::pair{a, b}, std::pair{b, a}}) {
                const pollfd& p = attente[1 + 2 * i + (de == a ? 0 : 1)];
                if (!(p.revents & (POLLIN | POLLHUP | POLLERR))) continue;
                const ssize_t n = recv(de, tampon, sizeof tampon, 0);
                if (n > 0 && de == a && coupure &&
                    QByteArrayView(tampon, n).contains(coupure->motif)) {
                    if (coupure->transmettre) ToutEcrire(vers, tampon, n);
                    coupure.reset();
                    fermer = true;
                } else if (n <= 0 || !ToutEcrire(vers, tampon, n)) {
                    fermer = true;
                }
            }
            if (fermer) {
                close(a);
                close(b);
                a = b = -1;
            }
        }
        std::erase_if(paires, [](const auto& p) { return p.first < 0; });
    }
    for (const auto& [a, b] : paires) {
        close(a);
        close(b);
    }
}
