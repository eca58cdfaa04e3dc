#include "platform/EncodageRequete.h"

#include <QByteArray>
#include <QUrl>

namespace {

bool Hexadecimal(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool InterditDansUneUrl(unsigned char c) {
    if (c <= 0x20 || c >= 0x7F) return true;
    switch (c) {
        case '"':
        case '<':
        case '>':
        case '\\':
        case '^':
        case '`':
        case '{':
        case '|':
        case '}':
            return true;
        default:
            return false;
    }
}

}  // namespace

QString EncoderValeur(const QString& valeur) {
    // Qt leaves exactly the unreserved characters of RFC 3986 as they are.
    return QString::fromLatin1(QUrl::toPercentEncoding(valeur));
}

QString EncoderStructure(const QString& texte) {
    static const char chiffres[] = "0123456789ABCDEF";
    const QByteArray octets = texte.toUtf8();
    QByteArray sortie;
    sortie.reserve(octets.size());
    for (qsizetype i = 0; i < octets.size(); ++i) {
        const auto c = static_cast<unsigned char>(octets[i]);
        const bool sequence = c == '%' && i + 2 < octets.size() && Hexadecimal(octets[i + 1]) &&
                              Hexadecimal(octets[i + 2]);
        if (InterditDansUneUrl(c) || (c == '%' && !sequence)) {
            sortie += '%';
            sortie += chiffres[c >> 4];
            sortie += chiffres[c & 0x0F];
        } else {
            sortie += static_cast<char>(c);
        }
    }
    return QString::fromLatin1(sortie);
}
