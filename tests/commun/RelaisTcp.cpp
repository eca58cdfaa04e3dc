#include "RelaisTcp.h"

#include <vector>

#include "PrisesTest.h"

TRelaisTcp::TRelaisTcp(std::function<quint16(int)> destination, std::optional<TCoupure> coupure)
    : destination(std::move(destination)), coupure(std::move(coupure)) {
    ecoute = EcouterEnLocal(port, 8, "TRelaisTcp");
    fil = std::thread([this] { Boucle(); });
}

TRelaisTcp::~TRelaisTcp() {
    fin = true;
    fil.join();
    FermerPrise(ecoute);
}

void TRelaisTcp::Boucle() {
    // Pairs of sockets: the client's and the one to its destination.
    std::vector<std::pair<TPrise, TPrise>> paires;
    char tampon[16384];
    while (!fin) {
        std::vector<pollfd> attente{{ecoute, POLLIN, 0}};
        for (const auto& [a, b] : paires) {
            attente.push_back({a, POLLIN, 0});
            attente.push_back({b, POLLIN, 0});
        }
        if (AttendrePrises(attente.data(), attente.size(), 50) <= 0) continue;
        const size_t suivies = paires.size();  // those that poll watched
        if (attente[0].revents & POLLIN) {
            const TPrise client = AccepterPrise(ecoute);
            const TPrise cible =
                client != PriseInvalide ? JoindreEnLocal(destination(connexions++)) : PriseInvalide;
            if (cible != PriseInvalide)
                paires.emplace_back(client, cible);
            else if (client != PriseInvalide)
                FermerPrise(client);
        }
        for (size_t i = 0; i < suivies; ++i) {
            auto& [a, b] = paires[i];
            bool fermer = false;
            for (const auto& [de, vers] : {std::pair{a, b}, std::pair{b, a}}) {
                const pollfd& p = attente[1 + 2 * i + (de == a ? 0 : 1)];
                if (!(p.revents & (POLLIN | POLLHUP | POLLERR))) continue;
                const qint64 n = LirePrise(de, tampon, sizeof tampon);
                if (n > 0 && de == a && coupure &&
                    QByteArrayView(tampon, n).contains(coupure->motif)) {
                    if (coupure->transmettre) EcrirePrise(vers, tampon, n);
                    coupure.reset();
                    fermer = true;
                } else if (n <= 0 || !EcrirePrise(vers, tampon, n)) {
                    fermer = true;
                }
            }
            if (fermer) {
                FermerPrise(a);
                FermerPrise(b);
                a = b = PriseInvalide;
            }
        }
        std::erase_if(paires, [](const auto& p) { return p.first == PriseInvalide; });
    }
    for (const auto& [a, b] : paires) {
        FermerPrise(a);
        FermerPrise(b);
    }
}
