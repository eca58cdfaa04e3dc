#pragma once

#include <QString>

#include "data/EErreurBase.h"

// Saves a record after `ecrire` has put the edited fields into it. When the save fails or
// stores nothing, the record gets back the fields it had, so that memory keeps what the
// base holds and the edit stays pending; a save that stores nothing raises EErreurBase
// with `erreurRienStocke`.
template <class TRecord, class FEcrire>
void SauvegarderOuRetablir(TRecord& record, FEcrire&& ecrire, const QString& erreurRienStocke) {
    const TRecord stocke = record;
    ecrire(record);
    bool sauvegarde = false;
    try {
        sauvegarde = record.Sauvegarder();
    } catch (...) {
        record = stocke;
        throw;
    }
    if (!sauvegarde) {
        record = stocke;
        throw EErreurBase(erreurRienStocke);
    }
}
