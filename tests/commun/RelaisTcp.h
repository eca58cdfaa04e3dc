#pragma once

// TRelaisTcp: a man in the middle on loopback, for the tests of the server's connection.
// Listens on 127.0.0.1 and a port the system picks, and hands each connection it accepts to
// the local port that `destination(n)` gives (n counts the connections from 0), copying the
// bytes both ways unread. It works in a thread of its own, since the client under test
// blocks the test's thread while it connects.
//
//   TRelaisTcp relais([&](int n) { return n == 0 ? portReel : portImposteur; });
//   ... connexion.ini names 127.0.0.1:relais.Port() ...

#include <QByteArray>
#include <QtGlobal>
#include <atomic>
#include <functional>
#include <optional>
#include <thread>

#include "PrisesTest.h"

class TRelaisTcp {
  public:
    // Once: the first bytes from a client that hold `motif` cut that connection both ways,
    // after handing them to the destination (transmettre) or without.
    struct TCoupure {
        QByteArray motif;
        bool transmettre = true;
    };
    explicit TRelaisTcp(std::function<quint16(int)> destination,
                        std::optional<TCoupure> coupure = std::nullopt);
    ~TRelaisTcp();
    TRelaisTcp(const TRelaisTcp&) = delete;
    TRelaisTcp& operator=(const TRelaisTcp&) = delete;

    quint16 Port() const { return port; }
    int Connexions() const { return connexions; }

  private:
    void Boucle();
    std::function<quint16(int)> destination;
    std::optional<TCoupure> coupure;
    TPrise ecoute = PriseInvalide;
    quint16 port = 0;
    std::atomic<int> connexions{0};
    std::atomic<bool> fin{false};
    std::thread fil;
};
