#pragma once

#include <QDateTime>

// The send date-time actually sent and stored: a chosen date-time that is not later than
// now takes the current time of day on the chosen date; a later one is kept as it is.
QDateTime AjusterDateEnvoi(const QDateTime& choisie, const QDateTime& maintenant);
