#include "ServeurMariadbFactice.h"

namespace {

// A protocol packet: its length on three bytes, its sequence number, its content.
QByteArray Paquet(const QByteArray& contenu, char sequence) {
    QByteArray p;
    const auto n = static_cast<quint32>(contenu.size());
    p += char(n & 0xFF);
    p += char((n >> 8) & 0xFF);
    p += char((n >> 16) & 0xFF);
    p += sequence;
    return p + contenu;
}

// The server's greeting, without TLS among its capabilities.
QByteArray Accueil() {
    // LONG_PASSWORD, FOUND_ROWS, LONG_FLAG, CONNECT_WITH_DB, PROTOCOL_41, TRANSACTIONS,
    // SECURE_CONNECTION, MULTI_RESULTS, PLUGIN_AUTH.
    const quint32 capacites = 0x1 | 0x2 | 0x4 | 0x8 | 0x200 | 0x2000 | 0x8000 | 0x20000 | 0x80000;
    QByteArray a;
    a += char(10);
    a += QByteArray("5.5.5-10.11.6-MariaDB") + '\0';
    a += QByteArray("\x07\x00\x00\x00", 4);
    a += QByteArray("abcdefgh") + '\0';
    a += char(capacites & 0xFF);
    a += char((capacites >> 8) & 0xFF);
    a += char(45);  // utf8mb4
    a += QByteArray("\x02\x00", 2);
    a += char((capacites >> 16) & 0xFF);
    a += char((capacites >> 24) & 0xFF);
    a += char(21);
    a += QByteArray(10, '\0');
    a += QByteArray("ijklmnopqrst") + '\0';
    a += QByteArray("mysql_native_password") + '\0';
    return a;
}

}  // namespace

TServeurMariadbFactice::TServeurMariadbFactice(const QByteArray& methode) : methode(methode) {
    ecoute = EcouterEnLocal(port, 4, "TServeurMariadbFactice");
    fil = std::thread([this] { Boucle(); });
}

TServeurMariadbFactice::~TServeurMariadbFactice() {
    Arreter();
    FermerPrise(ecoute);
}

void TServeurMariadbFactice::Arreter() {
    fin = true;
    if (fil.joinable()) fil.join();
}

QByteArray TServeurMariadbFactice::Recu() const {
    const std::lock_guard verrou(garde);
    return recu;
}

void TServeurMariadbFactice::Boucle() {
    while (!fin) {
        pollfd attente{ecoute, POLLIN, 0};
        if (AttendrePrises(&attente, 1, 50) <= 0) continue;
        const TPrise client = AccepterPrise(ecoute);
        if (client == PriseInvalide) continue;
        Servir(client);
        FermerPrise(client);
    }
}

void TServeurMariadbFactice::Servir(TPrise client) {
    auto envoyer = [client](const QByteArray& octets) {
        return EcrirePrise(client, octets.constData(), octets.size());
    };
    // Reads what the client sends, until it hangs up or stays silent for two seconds.
    auto lire = [&](bool unPaquet) {
        char tampon[4096];
        QByteArray paquet;
        for (;;) {
            pollfd attente{client, POLLIN, 0};
            if (AttendrePrises(&attente, 1, 2000) <= 0) return;
            const qint64 n = LirePrise(client, tampon, sizeof tampon);
            if (n <= 0) return;
            paquet.append(tampon, n);
            {
                const std::lock_guard verrou(garde);
                recu.append(tampon, n);
            }
            if (unPaquet && paquet.size() >= 4 &&
                paquet.size() >=
                    4 + (static_cast<uchar>(paquet[0]) | static_cast<uchar>(paquet[1]) << 8 |
                         static_cast<uchar>(paquet[2]) << 16))
                return;
        }
    };
    if (!envoyer(Paquet(Accueil(), 0))) return;
    lire(true);
    // The switch to another method, with a fresh challenge.
    if (!envoyer(Paquet(
            QByteArray(1, char(0xFE)) + methode + '\0' + QByteArray("uvwxyzABCDEFGHIJKLMN") + '\0',
            2)))
        return;
    lire(false);
}
