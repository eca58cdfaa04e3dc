#include "data/Champsbase.h"

#include <QAnyStringView>

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
    const size_t i = Position(nom);
    const QByteArrayView valeur = (*brute)[i];
    if (valeur.isNull()) return QVariant();
    if (!precedents) return QVariant(QString::fromUtf8(valeur));
    auto& [octets, texte] = (*precedents)[i];
    if (octets != valeur.size() || !QAnyStringView::equal(QUtf8StringView(valeur), texte)) {
        octets = valeur.size();
        texte = QString::fromUtf8(valeur);
    }
    return QVariant(texte);
}

int TChampsLigne::Entier(const QString& nom) const {
    if (!brute) return Champ(nom).toInt();
    // The digits as stored: what their text would give, NULL and other texts reading 0.
    return (*brute)[Position(nom)].trimmed().toInt();
}

size_t TChampsLigne::Position(const QString& nom) const {
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
    if (i == n)
        throw EErreurBase(
            QStringLiteral("Erreur : le champ « %1 » n'existe pas dans la ligne lue.").arg(nom));
    suivant = i + 1;
    return i;
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
