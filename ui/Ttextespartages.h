#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>

#include "ui/Tmodelehistorique.h"

// A row-text cache of the history list model: the texts that repeat in a column.
// Puts the texts of one column into the contents, storing each different text once: the
// agencies, users, senders and states repeat from row to row. Beyond a few thousand
// different texts, new ones are stored as plain bytes.
class TTextesPartages {
  public:
    TTextesPartages(TModeleHistorique::TContenu& contenu, int colonne)
        : contenu(contenu), colonne(colonne) {}

    void Ecrire(QByteArrayView octets) {
        if (octets.isNull()) octets = QByteArrayView("", 0);  // NULL reads as empty text
        if (aUnDernier && octets.size() == dernierOctets.size() &&
            octets == QByteArrayView(dernierOctets)) {
            contenu.Commun(colonne, dernierNumero);
            return;
        }
        auto trouve = numeros.constFind(QByteArray::fromRawData(octets.data(), octets.size()));
        if (trouve == numeros.constEnd()) {
            if (numeros.size() >= Limite) {
                contenu.Octets(colonne, octets);
                return;
            }
            trouve = numeros.insert(QByteArray(octets.data(), octets.size()),
                                    contenu.AjouterCommun(QString::fromUtf8(octets)));
        }
        aUnDernier = true;
        dernierOctets = trouve.key();
        dernierNumero = trouve.value();
        contenu.Commun(colonne, dernierNumero);
    }

  private:
    static constexpr qsizetype Limite = 4096;
    TModeleHistorique::TContenu& contenu;
    const int colonne;
    QHash<QByteArray, quint32> numeros;
    // The text of the previous row, found again without a look-up.
    bool aUnDernier = false;
    QByteArray dernierOctets;
    quint32 dernierNumero = 0;
};
