// The service's answer: the outcome is "Envoyé" or an error text, and the JSON text of a
// value reads back as the same value.
#include "envoi/ReponseService.h"
#include "fuzz/Exiger.h"
#include "platform/TexteJson.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    const QString corps = TexteDesOctets(donnees, taille);
    const TReponseService reponse = InterpreterReponse(corps);
    EXIGER(reponse.etat == QStringLiteral("Envoyé") ||
           reponse.etat.startsWith(QStringLiteral("Erreur : ")));
    EXIGER(!reponse.dialogue || reponse.dialogue->startsWith(QStringLiteral("Erreur : ")));
    EXIGER(reponse.etat != QStringLiteral("Envoyé") || !reponse.dialogue);

    if (const std::optional<TValeurJson> valeur = AnalyserJson(corps)) {
        const QString texte = TexteJson(*valeur);
        const std::optional<TValeurJson> relu = AnalyserJson(texte);
        EXIGER(relu.has_value());
        EXIGER(TexteJson(*relu) == texte);
        // Success only for the number 1 as written.
        if (reponse.etat == QStringLiteral("Envoyé")) {
            const TValeurJson* resultat = MembreJson(*valeur, QStringLiteral("resultat"));
            EXIGER(resultat && TexteJson(*resultat) == QStringLiteral("1"));
        }
    }
    return 0;
}
