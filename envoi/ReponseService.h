#pragma once

#include <QString>
#include <optional>

// How a send ended, read from the service's answer.
struct TReponseService {
    QString etat;                     // "Envoyé", or a text that begins with "Erreur : "
    std::optional<QString> dialogue;  // the text of the error box to show first, if any
};

// Reads the body of a service's answer: success only when the JSON text of the member
// "resultat" of the answer object is exactly 1; otherwise the member "erreurs" gives the
// error text. A body that is not JSON, or a JSON value that is not an object, or an
// object without "resultat", is an error of its own. With a member repeated, the first
// one counts.
TReponseService InterpreterReponse(const QString& corps);
