#pragma once

#include <exception>
#include <utility>

class QString;

// The program's error display: a message box carrying the error's text.
void AfficherErreur(const QString& texte);
void AfficherErreur(const std::exception& erreur);

// Runs an event handler and shows what escapes it, so that no exception crosses Qt's own
// frames; the event loop then goes on as if nothing happened.
template <class F>
void Proteger(F&& gestionnaire) {
    try {
        std::forward<F>(gestionnaire)();
    } catch (const std::exception& erreur) {
        AfficherErreur(erreur);
    } catch (...) {
        AfficherErreur(std::exception());
    }
}
