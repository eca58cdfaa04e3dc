// The HTTP request parser of the loopback servers: a request read from a buffer is read
// the same once more bytes follow it, its body starts inside the buffer after the blank
// line, and its announced body length is never negative.
#include "fuzz/Exiger.h"
#include "tools/http/RequeteHttpRecue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    const QByteArray tampon = Octets(donnees, taille);
    const std::optional<TRequeteHttpRecue> requete = AnalyserRequeteHttp(tampon);
    if (!requete) {
        EXIGER(!tampon.contains("\r\n\r\n"));
        return 0;
    }
    EXIGER(requete->debutCorps >= 4 && requete->debutCorps <= tampon.size());
    EXIGER(tampon.mid(requete->debutCorps - 4, 4) == "\r\n\r\n");
    EXIGER(requete->longueurCorps >= 0);
    EXIGER(!requete->cible.contains(' '));

    const std::optional<TRequeteHttpRecue> suite = AnalyserRequeteHttp(tampon + "suite\r\n\r\n");
    EXIGER(suite && suite->debutCorps == requete->debutCorps &&
           suite->methode == requete->methode && suite->cible == requete->cible &&
           suite->parametres == requete->parametres && suite->entetes == requete->entetes);
    return 0;
}
