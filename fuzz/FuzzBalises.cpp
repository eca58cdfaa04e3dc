// Tag replacement: the result is that of replacing every tag in turn, in the dictionary's
// order (or both pass the bound); it never passes the bound, a text without any tag comes
// back unchanged, and a tag's value is cut at the bound. The same lines read as a
// parameter file's [Client] section give the tags and results of its keys set one by one.
//
// Input: lines; the first is the text, the others "tag=value" entries (a value's "\n" is
// written "\\n"; a digit after "*" repeats the value 2^digit times, to reach the bound).
#include <QStringList>
#include <memory>
#include <optional>

#include "envoi/RemplacerBalises.h"
#include "fuzz/Exiger.h"

namespace {

// Every tag in turn, each replacing all its occurrences; empty when the text would pass
// the bound.
std::optional<QString> UneParUne(QString texte, const TBalises& balises) {
    if (texte.size() > TBalises::LongueurMaximale) return std::nullopt;
    for (const auto& [balise, valeur] : balises.Entrees()) {
        if (balise.isEmpty()) continue;
        // Occurrences as replace() takes them, left to right without overlapping (count()
        // would count "aa" three times in "aaaa").
        qsizetype fois = 0;
        for (qsizetype i = texte.indexOf(balise); i >= 0;
             i = texte.indexOf(balise, i + balise.size()))
            ++fois;
        if (texte.size() + fois * (valeur.size() - balise.size()) > TBalises::LongueurMaximale)
            return std::nullopt;
        texte.replace(balise, valeur);
    }
    return texte;
}

// The result, or empty when the text passes the bound.
std::optional<QString> Remplace(const QString& texte, const TBalises& balises) {
    try {
        return RemplacerBalises(texte, balises);
    } catch (const EMessageTropLong&) {
        return std::nullopt;
    }
}

// The lines after the first as the [Client] section of a parameter file: the dictionary
// that reads the file when asked equals the one given each key in turn.
void CommeUnFichier(const QString& texte, const QStringList& lignes) {
    const QString section = QStringLiteral("Client");
    const auto fichier = std::make_shared<const TIniFile>(
        TIniFile::DepuisOctets("[Client]\n" + QStringList(lignes.mid(1)).join(u'\n').toUtf8()));
    TBalises lu, unParUn;
    lu.Definir(QStringLiteral("<Client_A>"), QStringLiteral("avant"));
    unParUn.Definir(QStringLiteral("<Client_A>"), QStringLiteral("avant"));
    lu.DefinirSection(fichier, section);
    for (const auto& [cle, valeur] : fichier->ReadSectionValues(section))
        unParUn.Definir(TBalises::TexteBalise(section, cle), valeur);
    EXIGER(lu.Entrees() == unParUn.Entrees());
    EXIGER(Remplace(texte, lu) == Remplace(texte, unParUn));
    for (const auto& [balise, valeur] : unParUn.Entrees())
        EXIGER(lu.Contient(balise) && lu.ValeurDe(balise) == valeur);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    const QStringList lignes = TexteDesOctets(donnees, taille).split(u'\n');
    const QString texte =
        QString(lignes.value(0)).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    TBalises balises;
    for (qsizetype i = 1; i < lignes.size(); ++i) {
        const qsizetype egal = lignes[i].indexOf(u'=');
        if (egal < 0) continue;
        QString valeur =
            lignes[i].mid(egal + 1).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
        const qsizetype etoile = valeur.lastIndexOf(u'*');
        if (etoile >= 0 && etoile + 2 == valeur.size() && valeur.back().isDigit())
            valeur = valeur.left(etoile).repeated(qsizetype(1) << valeur.back().digitValue());
        balises.Definir(lignes[i].left(egal), valeur);
        EXIGER(balises.Valeur(lignes[i].left(egal)).size() <= TBalises::LongueurMaximale);
    }

    bool sansBalise = true;
    for (const auto& [balise, valeur] : balises.Entrees())
        sansBalise = sansBalise && (balise.isEmpty() || !texte.contains(balise));
    const std::optional<QString> attendu = UneParUne(texte, balises);
    try {
        const QString resultat = RemplacerBalises(texte, balises);
        EXIGER(attendu && resultat == *attendu);
        EXIGER(resultat.size() <= TBalises::LongueurMaximale);
        if (sansBalise) EXIGER(resultat == texte);
        EXIGER(RemplacerBalises(texte, balises) == resultat);
    } catch (const EMessageTropLong&) {
        EXIGER(!attendu);
        EXIGER(texte.size() > TBalises::LongueurMaximale || !sansBalise);
    }
    CommeUnFichier(texte, lignes);
    return 0;
}
