#include "Toptionsoutil.h"

namespace {
QString Texte(const char* s) { return QString::fromUtf8(s); }
}  // namespace

TOptionsOutil::TOptionsOutil(const QStringList& mots, const QStringList& optionsPermises,
                             const QStringList& drapeaux) {
    bool finOptions = false;
    for (qsizetype i = 0; i < mots.size(); ++i) {
        const QString& mot = mots.at(i);
        if (finOptions || !mot.startsWith(QLatin1String("--"))) {
            positionnels << mot;
            continue;
        }
        if (mot == QLatin1String("--")) {
            finOptions = true;
            continue;
        }
        QString nom = mot.mid(2);
        const qsizetype egal = nom.indexOf(QLatin1Char('='));
        if (egal >= 0) nom = nom.left(egal);
        // An unknown option is named as such, even when no value follows it.
        const bool drapeau = drapeaux.contains(nom);
        if (!optionsPermises.contains(nom) && !drapeau) {
            QString message = Texte("option inconnue : --%1.").arg(nom);
            if (!optionsPermises.isEmpty() || !drapeaux.isEmpty())
                message += Texte(" Options possibles : --") +
                           (optionsPermises + drapeaux).join(QLatin1String(", --")) +
                           QLatin1Char('.');
            throw EErreurUsage(message);
        }
        QString valeur;
        if (drapeau) {
            if (egal >= 0)
                throw EErreurUsage(Texte("l'option --%1 ne prend pas de valeur.").arg(nom));
        } else if (egal >= 0) {
            valeur = mot.mid(2 + egal + 1);
        } else {
            if (i + 1 >= mots.size())
                throw EErreurUsage((Texte("l'option --%1 demande une valeur.").arg(nom)));
            valeur = mots.at(++i);
        }
        if (options.contains(nom))
            throw EErreurUsage(Texte("l'option --%1 est donnée deux fois.").arg(nom));
        options.insert(nom, valeur);
    }
}

void TOptionsOutil::ExigerPositionnels(const QStringList& noms) const {
    if (positionnels.size() < noms.size())
        throw EErreurUsage(Texte("argument manquant : %1.")
                               .arg(noms.mid(positionnels.size()).join(QLatin1Char(' '))));
    if (positionnels.size() > noms.size())
        throw EErreurUsage(Texte("argument en trop : « %1 ».")
                               .arg(positionnels.mid(noms.size()).join(QLatin1Char(' '))));
}

QString TOptionsOutil::Valeur(const QString& option, const QString& defaut) const {
    return options.value(option, defaut);
}

QString TOptionsOutil::Obligatoire(const QString& option) const {
    if (!options.contains(option))
        throw EErreurUsage(Texte("l'option --%1 est obligatoire.").arg(option));
    return options.value(option);
}

qint32 EntierOuErreur(const QString& texte, const QString& quoi) {
    bool ok = false;
    const qint32 valeur = texte.trimmed().toInt(&ok, 10);
    if (!ok)
        throw EErreurUsage(Texte("%1 doit être un nombre entier (entre -2147483648 et "
                                 "2147483647), pas « %2 ».")
                               .arg(quoi, texte));
    return valeur;
}
