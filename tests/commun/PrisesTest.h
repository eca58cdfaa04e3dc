#pragma once

// The few socket calls of the tests' own servers on loopback (the fake MariaDB server, the
// TCP relay), the same on POSIX and on Winsock, which names some of them otherwise. They
// block a thread of their own, which Qt's sockets, tied to an event loop, would not.

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <winsock2.h>
using TPrise = SOCKET;
inline constexpr TPrise PriseInvalide = INVALID_SOCKET;
#else
#include <poll.h>
using TPrise = int;
inline constexpr TPrise PriseInvalide = -1;
#endif

// Listens on 127.0.0.1 and a port the system picks, which `port` receives; raises
// std::runtime_error naming `qui` when it cannot.
TPrise EcouterEnLocal(quint16& port, int file, const char* qui);
// The next connection waiting on a listening socket, or PriseInvalide.
TPrise AccepterPrise(TPrise ecoute);
// Connected to 127.0.0.1:port, or PriseInvalide.
TPrise JoindreEnLocal(quint16 port);
// Waits up to `ms` for something to read on each; the number of those ready (0: none).
int AttendrePrises(pollfd* prises, std::size_t nombre, int ms);
// The bytes read (0: the other side hung up; negative: an error).
qint64 LirePrise(TPrise prise, char* tampon, qint64 taille);
// Sends them all; false when the other side is gone.
bool EcrirePrise(TPrise prise, const char* octets, qint64 taille);
void FermerPrise(TPrise prise);
