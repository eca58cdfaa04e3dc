#include "platform/FormatDateTime.h"

#include <QLocale>

namespace {

// The first character of a Qt date or time format that is neither a letter nor inside
// quotes: the separator the locale writes between the fields.
QChar SeparateurDe(const QString& formatQt, QChar parDefaut) {
    bool entreGuillemets = false;
    for (QChar c : formatQt) {
        if (c == QLatin1Char('\'')) {
            entreGuillemets = !entreGuillemets;
        } else if (!entreGuillemets && !c.isLetter() && !c.isSpace()) {
            return c;
        }
    }
    return parDefaut;
}

// The locale's long time format without its time zone ("HH:mm:ss t" in French): the
// patterns of the services write local times with no zone.
QString FormatHeureLongue(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString resultat;
    bool entreGuillemets = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\'')) entreGuillemets = !entreGuillemets;
        if (!entreGuillemets && c == QLatin1Char('t')) continue;
        resultat += c;
    }
    return resultat.trimmed();
}

QString Nombre(int valeur, int chiffres) {
    return QStringLiteral("%1").arg(valeur, chiffres, 10, QLatin1Char('0'));
}

bool CommencePar(const QString& motif, qsizetype position, QLatin1StringView texte) {
    return motif.mid(position, texte.size()).compare(texte, Qt::CaseInsensitive) == 0;
}

// Whether the pattern holds an "am/pm" or "a/p" marker outside quoted text.
bool HorlogeDouzeHeures(const QString& motif) {
    QChar guillemet;
    for (qsizetype i = 0; i < motif.size(); ++i) {
        const QChar c = motif[i];
        if (!guillemet.isNull()) {
            if (c == guillemet) guillemet = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            guillemet = c;
        } else if (CommencePar(motif, i, QLatin1StringView("am/pm")) ||
                   CommencePar(motif, i, QLatin1StringView("a/p"))) {
            return true;
        }
    }
    return false;
}

class TRedacteur {
  public:
    explicit TRedacteur(const QDateTime& valeur) : date(valeur.date()), heure(valeur.time()) {}

    QString Ecrire(const QString& motif) {
        if (motif.isEmpty()) return Ecrire(QStringLiteral("c"));
        douzeHeures = HorlogeDouzeHeures(motif);
        QString sortie;
        QChar dernierJeton;  // last letter token, to tell minutes from months
        qsizetype i = 0;
        while (i < motif.size()) {
            const QChar c = motif[i];
            if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                const qsizetype fin = motif.indexOf(c, i + 1);
                if (fin < 0) {
                    sortie += motif.mid(i + 1);
                    break;
                }
                sortie += motif.mid(i + 1, fin - i - 1);
                i = fin + 1;
                continue;
            }
            if (c == QLatin1Char('/')) {
                sortie += SeparateurDe(locale.dateFormat(QLocale::ShortFormat), QLatin1Char('/'));
                ++i;
                continue;
            }
            if (c == QLatin1Char(':')) {
                sortie += SeparateurDe(locale.timeFormat(QLocale::ShortFormat), QLatin1Char(':'));
                ++i;
                continue;
            }
            if (c.toLower() == QLatin1Char('a')) {
                if (CommencePar(motif, i, QLatin1StringView("am/pm"))) {
                    sortie += heure.hour() < 12 ? motif.mid(i, 2) : motif.mid(i + 3, 2);
                    i += 5;
                    dernierJeton = QLatin1Char('a');
                    continue;
                }
                if (CommencePar(motif, i, QLatin1StringView("a/p"))) {
                    sortie += heure.hour() < 12 ? motif.mid(i, 1) : motif.mid(i + 2, 1);
                    i += 3;
                    dernierJeton = QLatin1Char('a');
                    continue;
                }
            }
            const QChar lettre = c.toLower();
            qsizetype nombre = 1;
            while (i + nombre < motif.size() && motif[i + nombre].toLower() == lettre) ++nombre;
            if (!EcrireJeton(lettre, nombre, dernierJeton, sortie)) {
                // Not a token: copied as written.
                sortie += motif.mid(i, nombre);
            }
            if (c.unicode() < 128 && c.isLetter()) dernierJeton = lettre;
            i += nombre;
        }
        return sortie;
    }

  private:
    bool EcrireJeton(QChar lettre, qsizetype nombre, QChar dernierJeton, QString& sortie) {
        switch (lettre.unicode()) {
            case 'd':
                switch (nombre) {
                    case 1:
                        sortie += QString::number(date.day());
                        break;
                    case 2:
                        sortie += Nombre(date.day(), 2);
                        break;
                    case 3:
                        sortie += locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
                        break;
                    case 4:
                        sortie += locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
                        break;
                    case 5:
                        sortie += locale.toString(date, QLocale::ShortFormat);
                        break;
                    default:
                        sortie += locale.toString(date, QLocale::LongFormat);
                        break;
                }
                return true;
            case 'm':
                if (nombre <= 2 && dernierJeton == QLatin1Char('h')) {
                    sortie +=
                        nombre == 1 ? QString::number(heure.minute()) : Nombre(heure.minute(), 2);
                } else if (nombre <= 2) {
                    sortie += nombre == 1 ? QString::number(date.month()) : Nombre(date.month(), 2);
                } else {
                    sortie += locale.monthName(
                        date.month(), nombre == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
                }
                return true;
            case 'y':
                sortie += nombre <= 2 ? Nombre(date.year() % 100, 2) : Nombre(date.year(), 4);
                return true;
            case 'h': {
                int h = heure.hour();
                if (douzeHeures) {
                    h %= 12;
                    if (h == 0) h = 12;
                }
                sortie += nombre == 1 ? QString::number(h) : Nombre(h, 2);
                return true;
            }
            case 'n':
                sortie += nombre == 1 ? QString::number(heure.minute()) : Nombre(heure.minute(), 2);
                return true;
            case 's':
                sortie += nombre == 1 ? QString::number(heure.second()) : Nombre(heure.second(), 2);
                return true;
            case 'z':
                sortie += nombre == 1 ? QString::number(heure.msec()) : Nombre(heure.msec(), 3);
                return true;
            case 'c':
                sortie += DateEtHeure();
                return true;
            default:
                return false;
        }
    }

    QString DateEtHeure() const {
        QString texte = locale.toString(date, QLocale::ShortFormat);
        if (heure != QTime(0, 0)) {
            texte += QLatin1Char(' ') + locale.toString(heure, FormatHeureLongue(locale));
        }
        return texte;
    }

    QLocale locale;
    QDate date;
    QTime heure;
    bool douzeHeures = false;
};

}  // namespace

QString FormatDateTime(const QString& motif, const QDateTime& valeur) {
    return TRedacteur(valeur).Ecrire(motif);
}
