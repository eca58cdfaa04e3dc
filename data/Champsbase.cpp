#include "data/Champsbase.h"

#include "data/EErreurBase.h"
#include "data/Tcurseur.h"

QVariant ChampLigne(const QSqlRecord& ligne, const QString& nom, const QString& ou) {
    const int i = ligne.indexOf(nom);
    if (i < 0)
        throw EErreurBase(
            QStringLiteral("Erreur : le champ « %1 » n'existe pas dans %2.").arg(nom, ou));
    return ligne.value(i);
}

QVariant TChampsLigne::Champ(const QString& nom) const {
    if (curseur) return curseur->Champ(nom);
    if (ligne) return ChampLigne(*ligne, nom);
    // A record reads its fields in the order it names them: the one after the last read
    // first, then the name as spelt, then in another letter case.
    const size_t n = noms->size();
    const auto position = [&](Qt::CaseSensitivity casse) {
        for (size_t i = 0; i < n; ++i)
            if (nom.compare(QLatin1String((*noms)[i]), casse) == 0) return i;
        return n;
    };
    size_t i = suivant < n && nom == QLatin1String((*noms)[suivant]) ? suivant : n;
    if (i == n) i = position(Qt::CaseSensitive);
    if (i == n) i = position(Qt::CaseInsensitive);
    if (i < n) {
        suivant = i + 1;
        const QByteArrayView valeur = (*brute)[i];
        return valeur.isNull() ? QVariant() : QVariant(QString::fromUtf8(valeur));
    }
    throw EErreurBase(
        QStringLiteral("Erreur : le champ « %1 » n'existe pas dans la ligne lue.").arg(nom));
}

QDateTime DateZero() { return QDateTime(QDate(1899, 12, 30), QTime(0, 0)); }

QDateTime LireDateBase(const QVariant& valeur) {
    if (valeur.isNull() || !valeur.isValid()) return DateZero();
    if (valeur.metaType() == QMetaType::fromType<QDateTime>()) return valeur.toDateTime();
    const QString texte = valeur.toString().trimmed();
    if (texte.isEmpty()) return DateZero();
    // Day and time are read apart: QDateTime::fromString refuses a local time that a
    // clock change skips (02:30 on the last Sunday of March in Paris), and such a row must
    // still read.
    const QDate jour = QDate::fromString(texte.left(10), QStringLiteral("yyyy-MM-dd"));
    if (jour.isValid()) {
        const QString reste = texte.mid(10);
        if (reste.isEmpty()) return QDateTime(jour, QTime(0, 0));
        if (reste.front() == u' ' || reste.front() == u'T') {
            for (const char* f : {"hh:mm:ss.zzz", "hh:mm:ss", "hh:mm"}) {
                const QTime heure = QTime::fromString(reste.mid(1), QLatin1String(f));
                if (!heure.isValid()) continue;
                const QDateTime date(jour, heure);
                if (date.isValid()) return date;
                // In the skipped hour: the same time elapsed since midnight lands after it.
                return QDateTime(jour, QTime(0, 0)).addMSecs(heure.msecsSinceStartOfDay());
            }
        }
    }
    throw EErreurBase(QStringLiteral("Erreur : la date « %1 » lue dans la base n'est pas "
                                     "dans le format attendu (%2).")
                          .arg(texte, QLatin1String(FormatDateBase)));
}
