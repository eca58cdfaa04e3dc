#pragma once

// TServeurMariadbFactice: a fake MariaDB server on 127.0.0.1 and a port the system picks,
// in a thread of its own, as a man in the middle would stand: it offers no TLS, greets
// each client with an ordinary handshake (mysql_native_password), reads its answer, then
// asks it to switch to `methode` (mysql_clear_password by default) and records every byte
// the client sends until it hangs up.
//
//   TServeurMariadbFactice faux;
//   ... connexion.ini names 127.0.0.1:faux.Port(); OuvrirBase fails ...
//   faux.Arreter();
//   EXPECT_FALSE(faux.Recu().contains("secret"));

#include <QByteArray>
#include <QtGlobal>
#include <atomic>
#include <mutex>
#include <thread>

#include "PrisesTest.h"

class TServeurMariadbFactice {
  public:
    explicit TServeurMariadbFactice(const QByteArray& methode = "mysql_clear_password");
    ~TServeurMariadbFactice();
    TServeurMariadbFactice(const TServeurMariadbFactice&) = delete;
    TServeurMariadbFactice& operator=(const TServeurMariadbFactice&) = delete;

    quint16 Port() const { return port; }
    // Stops listening and waits for the connection under way to end.
    void Arreter();
    // Every byte received from the clients so far.
    QByteArray Recu() const;

  private:
    void Boucle();
    void Servir(TPrise client);
    QByteArray methode;
    TPrise ecoute = PriseInvalide;
    quint16 port = 0;
    std::atomic<bool> fin{false};
    mutable std::mutex garde;
    QByteArray recu;
    std::thread fil;
};
