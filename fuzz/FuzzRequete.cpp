// Query encoding and number cleaning: an encoded value holds only unreserved characters
// and percent sequences and decodes back to the value; an encoded URL holds nothing that
// may not stand in a URL; a cleaned number is the number without its spaces, dots and
// dashes.
#include <QUrl>

#include "envoi/UrlEnvoi.h"
#include "fuzz/Exiger.h"
#include "platform/EncodageRequete.h"

namespace {

bool Hexa(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

bool SequencesValides(const QString& texte) {
    for (qsizetype i = 0; i < texte.size(); ++i) {
        const QChar c = texte[i];
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7F) return false;
        if (QStringLiteral("\"<>\\^`{|}").contains(c)) return false;
        if (c == u'%' && !(i + 2 < texte.size() && Hexa(texte[i + 1]) && Hexa(texte[i + 2])))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    const QString texte = TexteDesOctets(donnees, taille);

    const QString valeur = EncoderValeur(texte);
    EXIGER(SequencesValides(valeur));
    for (const QChar c : valeur)
        EXIGER(c.isLetterOrNumber() || QStringLiteral("-._~%").contains(c));
    EXIGER(QUrl::fromPercentEncoding(valeur.toLatin1()) == texte);

    const QString structure = EncoderStructure(texte);
    EXIGER(SequencesValides(structure));
    EXIGER(EncoderStructure(structure) == structure);

    const QString numero = NettoyerNumero(texte);
    EXIGER(numero == QString(texte).remove(u' ').remove(u'.').remove(u'-'));
    return 0;
}
