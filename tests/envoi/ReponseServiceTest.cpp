#include <gtest/gtest.h>

#include "envoi/ReponseService.h"

namespace {

const QString Envoye = QString::fromUtf8("Envoyé");

struct TCas {
    const char* corps;
    QString etat;
    std::optional<QString> dialogue;
};

const TCas PasDeJson{"", "Erreur : Aucun retour json est null)",
                     "Erreur : Aucun retour json est null"};
const TCas PasDeResultat{"", "Erreur : pas de balise json resultat.)",
                         "Erreur : pas de balise json resultat."};
const TCas PasDErreurs{"", "Erreur : pas de balise json erreurs.)",
                       "Erreur : pas de balise json erreurs."};

TCas Cas(const char* corps, const TCas& modele) { return {corps, modele.etat, modele.dialogue}; }

}  // namespace

TEST(ReponseService, ChaqueReponseDonneSonEtatEtSonDialogue) {
    const std::vector<TCas> cas = {
        {R"({"resultat":1})", Envoye, std::nullopt},
        {R"( { "resultat" : 1 , "erreurs" : ["ignoré"] } )", Envoye, std::nullopt},
        {R"({"resultat":0,"erreurs":["a",2]})", R"(Erreur : ["a",2])", std::nullopt},
        {R"({"resultat":"1","erreurs":"Numéro invalide"})", R"(Erreur : "Numéro invalide")",
         std::nullopt},
        {R"({"resultat":0,"erreurs":{"code":12,"texte":"x"}})",
         R"(Erreur : {"code":12,"texte":"x"})", std::nullopt},
        {R"({"resultat":0,"erreurs":null})", "Erreur : null", std::nullopt},
        {R"({"resultat":false,"erreurs":[1.50]})", "Erreur : [1.50]", std::nullopt},
        Cas(R"({"resultat":"1"})", PasDErreurs),
        Cas(R"({"resultat":1.0})", PasDErreurs),
        Cas(R"({"resultat":1e0})", PasDErreurs),
        Cas(R"({"resultat":true})", PasDErreurs),
        Cas(R"({"resultat":[1]})", PasDErreurs),
        Cas(R"({"resultat":null})", PasDErreurs),
        Cas(R"({"erreurs":["a"]})", PasDeResultat),
        Cas(R"({"Resultat":1})", PasDeResultat),
        Cas(R"({})", PasDeResultat),
        Cas(R"([{"resultat":1}])", PasDeResultat),
        Cas(R"("resultat")", PasDeResultat),
        Cas("1", PasDeResultat),
        Cas("null", PasDeResultat),
        Cas("", PasDeJson),
        Cas("   ", PasDeJson),
        Cas("<html><body>Erreur interne</body></html>", PasDeJson),
        Cas(R"({"resultat":1)", PasDeJson),
    };
    for (const TCas& c : cas) {
        const TReponseService reponse = InterpreterReponse(QString::fromUtf8(c.corps));
        EXPECT_EQ(reponse.etat, c.etat) << "corps " << c.corps;
        EXPECT_EQ(reponse.dialogue, c.dialogue) << "corps " << c.corps;
    }
}

TEST(ReponseService, LePremierDesMembresRepetesCompte) {
    EXPECT_EQ(InterpreterReponse(R"({"resultat":1,"resultat":0})").etat, Envoye);
    EXPECT_EQ(InterpreterReponse(R"({"resultat":0,"resultat":1})").etat,
              "Erreur : pas de balise json erreurs.)");
    EXPECT_EQ(InterpreterReponse(R"({"resultat":0,"erreurs":[1],"erreurs":[2]})").etat,
              "Erreur : [1]");
}
