#pragma once

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>

// An invariant of the code under test: when it does not hold, the input is a finding,
// reported like a crash (libFuzzer keeps it and stops).
#define EXIGER(condition)                                                                   \
    do {                                                                                    \
        if (!(condition)) {                                                                 \
            std::fprintf(stderr, "Invariant non tenu : %s (%s:%d)\n", #condition, __FILE__, \
                         __LINE__);                                                         \
            std::abort();                                                                   \
        }                                                                                   \
    } while (false)

// The fuzzer's bytes as text: UTF-8, invalid sequences replaced.
inline QString TexteDesOctets(const uint8_t* octets, size_t taille) {
    return QString::fromUtf8(reinterpret_cast<const char*>(octets), qsizetype(taille));
}

inline QByteArray Octets(const uint8_t* octets, size_t taille) {
    return QByteArray(reinterpret_cast<const char*>(octets), qsizetype(taille));
}
