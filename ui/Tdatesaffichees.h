#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QString>
#include <QVariant>

#include "data/Datamoduleabs.h"
#include "platform/FormatDateTime.h"
#include "ui/Tmodelehistorique.h"

// A row-text cache of the history list model: the "dd/mm/yyyy" texts of its dates.
// Writes the stored date texts of one search as the list shows them. The usual text,
// "yyyy-MM-dd hh:mm:ss.zzz", is recognised from its bytes without building a QDateTime,
// and each day is written once by FormatDateTime, then kept for every row and every later
// search (the pattern holds no time of day, so the day alone decides the text); anything
// else (NULL, another form) goes the long way through the record's own date reading. The
// result is always what FormatDateTime gives for the value read.
class TDatesAffichees {
  public:
    explicit TDatesAffichees(TModeleHistorique::TContenu& contenu) : contenu(contenu) {
        // The texts depend on the locale's date separator: start again if it changed.
        static QLocale derniere;
        if (QLocale() != derniere || Separateur().isNull()) {
            derniere = QLocale();
            const QString separateur = FormatDateTime(QStringLiteral("/"), JourZero());
            if (separateur != Separateur()) {
                Separateur() = separateur;
                Jours().clear();
            }
        }
    }

    // The number in the contents of the text shown for this stored date.
    quint32 Numero(QByteArrayView octets) {
        int jour = 0;
        if (octets.isNull()) {
            // NULL reads as day 0.
            jour = 18991230;
        } else {
            jour = Jour(octets);
            if (jour == 0) {
                const QDate date = LireDateBase(QVariant(QString::fromUtf8(octets))).date();
                jour = date.year() * 10000 + date.month() * 100 + date.day();
            }
        }
        if (jour == dernierJour) return dernierNumero;
        auto numero = numeros.constFind(jour);
        if (numero == numeros.constEnd())
            numero = numeros.insert(jour, contenu.AjouterCommun(TexteDuJour(jour)));
        dernierJour = jour;
        dernierNumero = numero.value();
        return dernierNumero;
    }

  private:
    // Day 0 in UTC: the date is what matters, and a local time costs a time-zone lookup.
    static QDateTime JourZero() { return QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC); }

    static QString TexteDuJour(int jour) {
        QHash<int, QString>& jours = Jours();
        auto trouve = jours.constFind(jour);
        if (trouve == jours.constEnd()) {
            // In UTC, as for JourZero().
            const QDate date(jour / 10000, jour / 100 % 100, jour % 100);
            trouve = jours.insert(jour, FormatDateTime(QStringLiteral("dd/mm/yyyy"),
                                                       QDateTime(date, QTime(0, 0), Qt::UTC)));
        }
        return trouve.value();
    }

    // yyyymmdd when the text is exactly a valid "yyyy-MM-dd hh:mm:ss.zzz", else 0.
    static int Jour(QByteArrayView t) {
        if (t.size() != 23) return 0;
        const char* c = t.data();
        if (c[4] != '-' || c[7] != '-' || c[10] != ' ' || c[13] != ':' || c[16] != ':' ||
            c[19] != '.')
            return 0;
        bool chiffres = true;
        auto nombre = [&](int debut, int taille) {
            int valeur = 0;
            for (int i = debut; i < debut + taille; ++i) {
                const unsigned u = static_cast<unsigned char>(c[i]) - unsigned('0');
                chiffres = chiffres && u <= 9;
                valeur = valeur * 10 + static_cast<int>(u);
            }
            return valeur;
        };
        const int a = nombre(0, 4), m = nombre(5, 2), j = nombre(8, 2);
        const int h = nombre(11, 2), mi = nombre(14, 2), s = nombre(17, 2), ms = nombre(20, 3);
        if (!chiffres || a < 1 || !QDate::isValid(a, m, j) || !QTime::isValid(h, mi, s, ms))
            return 0;
        return a * 10000 + m * 100 + j;
    }

    static QString& Separateur() {
        static QString separateur;
        return separateur;
    }
    static QHash<int, QString>& Jours() {
        static QHash<int, QString> jours;
        return jours;
    }

    TModeleHistorique::TContenu& contenu;
    QHash<int, quint32> numeros;
    int dernierJour = -1;
    quint32 dernierNumero = 0;
};
