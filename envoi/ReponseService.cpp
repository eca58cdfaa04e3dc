#include "envoi/ReponseService.h"

#include "platform/TexteJson.h"

TReponseService InterpreterReponse(const QString& corps) {
    const std::optional<TValeurJson> reponse = AnalyserJson(corps);
    if (!reponse) {
        return {QStringLiteral("Erreur : Aucun retour json est null)"),
                QStringLiteral("Erreur : Aucun retour json est null")};
    }
    const TValeurJson* resultat = MembreJson(*reponse, QStringLiteral("resultat"));
    if (resultat == nullptr) {
        return {QStringLiteral("Erreur : pas de balise json resultat.)"),
                QStringLiteral("Erreur : pas de balise json resultat.")};
    }
    if (TexteJson(*resultat) == QLatin1String("1")) return {QStringLiteral("Envoyé"), std::nullopt};
    if (const TValeurJson* erreurs = MembreJson(*reponse, QStringLiteral("erreurs"))) {
        return {QStringLiteral("Erreur : ") + TexteJson(*erreurs), std::nullopt};
    }
    return {QStringLiteral("Erreur : pas de balise json erreurs.)"),
            QStringLiteral("Erreur : pas de balise json erreurs.")};
}
