#include "envoi/DateEnvoi.h"

QDateTime AjusterDateEnvoi(const QDateTime& choisie, const QDateTime& maintenant) {
    if (choisie <= maintenant) return QDateTime(choisie.date(), maintenant.time());
    return choisie;
}
