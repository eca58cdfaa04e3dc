// FormatDateTime: the same pattern and date always write the same text, of bounded
// length, and a pattern without any token letter, separator or quote is copied as is.
//
// Input: 8 bytes of the date (milliseconds, brought within years 1 to 9999), then the
// pattern in UTF-8.
#include <cstring>

#include "fuzz/Exiger.h"
#include "platform/FormatDateTime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    if (taille < 8) return 0;
    quint64 brut = 0;
    std::memcpy(&brut, donnees, 8);
    const QDateTime debut(QDate(1, 1, 1), QTime(0, 0));
    const qint64 etendue = debut.msecsTo(QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999)));
    const QDateTime date = debut.addMSecs(qint64(brut % quint64(etendue)));
    const QString motif = TexteDesOctets(donnees + 8, taille - 8);

    const QString texte = FormatDateTime(motif, date);
    EXIGER(FormatDateTime(motif, date) == texte);
    EXIGER(texte.size() <= 64 * (motif.size() + 1));
    bool sansJeton = !motif.isEmpty();
    for (const QChar c : motif)
        sansJeton = sansJeton && !QStringLiteral("dDmMyYhHnNsSzZaApPcC/:\"'").contains(c);
    if (sansJeton) EXIGER(texte == motif);
    return 0;
}
