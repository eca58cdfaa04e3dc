#pragma once

#include <QStringList>
#include <functional>

extern const char* const MessageParametres;

// Start-up: checks the two arguments (parameter file, mode word), creates the data module
// and the one window of the mode, then runs `boucle` (the event loop) until that window
// closes. Shows the argument-error message on a wrong argument count or mode word.
// After those checks, a parameter file that does not exist or cannot be read shows its own
// message and no window opens.
// Always gives 0, the process's exit status.
int Demarrer(const QStringList& arguments, const std::function<int()>& boucle,
             const QString& dossierBase = QString());

// The message for a parameter file that does not exist or cannot be read; empty when it
// can be read.
QString ProblemeFichierParametres(const QString& chemin);
