#include "platform/TIniFile.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringView>
#include <vector>

#include "platform/DecodeurWindows.h"

namespace {

QStringView RetirerGuillemets(QStringView valeur) {
    if (valeur.size() >= 2) {
        const QChar premier = valeur.front();
        if ((premier == u'"' || premier == u'\'') && valeur.back() == premier)
            return valeur.sliced(1, valeur.size() - 2);
    }
    return valeur;
}

// Windows-1252, as Windows' own conversion reads it (the five unassigned bytes are the C1
// controls of the same value). The toolkit built without ICU (on Windows) has no such
// converter: Windows then decodes it itself; Latin-1, which differs only in 0x80-0x9F,
// is the last resort.
QString DecoderCp1252(const QByteArray& octets) {
    QStringDecoder cp1252("windows-1252");
    if (cp1252.isValid()) return cp1252.decode(octets);
#ifdef Q_OS_WIN
    if (const auto texte = DecoderPageDeCode(octets, QByteArrayLiteral("windows-1252")))
        return *texte;
#endif
    return QString::fromLatin1(octets);
}

// UTF-16 without a byte-order mark: ASCII text in UTF-16 has a zero byte in every other
// place, which neither UTF-8 nor Windows-1252 text has. The side that holds more zeros is
// the high byte.
QString DecoderUtf16SansBom(const QByteArray& octets) {
    qsizetype zerosPairs = 0, zerosImpairs = 0;
    for (qsizetype i = 0; i < octets.size(); ++i)
        if (octets[i] == '\0') ++(i % 2 == 0 ? zerosPairs : zerosImpairs);
    QStringDecoder utf16(
        zerosImpairs >= zerosPairs ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
        QStringConverter::Flag::Default);
    return utf16.decode(octets);
}

}  // namespace

QString DecoderTexteIni(const QByteArray& octets) {
    if (octets.startsWith("\xFF\xFE") || octets.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(
            octets.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
            QStringConverter::Flag::Default);
        return utf16.decode(octets);  // the BOM is consumed by the decoder
    }
    if (octets.contains('\0')) return DecoderUtf16SansBom(octets);
    // Stateless: a sequence cut short at the end of the file is an error, not a wait for
    // more bytes; such a file is Windows-1252 text ending in an accented letter. The
    // decoder drops the first byte-order mark only: a second one is text.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString texte = utf8.decode(octets);
    return utf8.hasError() ? DecoderCp1252(octets) : texte;
}

TIniFile::TIniFile(const QString& chemin) {
    QFile fichier(chemin);
    if (!fichier.open(QIODevice::ReadOnly)) return;
    // Read one byte past the bound, so that a file growing meanwhile is caught too.
    const QByteArray octets = fichier.read(TailleMaximale + 1);
    fichier.close();
    Analyser(octets);
}

TIniFile TIniFile::DepuisOctets(const QByteArray& octets) {
    TIniFile ini;
    ini.Analyser(octets);
    return ini;
}

void TIniFile::Analyser(const QByteArray& octets) {
    if (octets.size() > TailleMaximale) {
        tropVolumineux = true;
        return;
    }
    const QString texte = DecoderTexteIni(octets);

    // First the lines, then the sections sized once for all their keys: a file may hold
    // thousands of keys, whose list and index would otherwise grow step by step.
    struct TLigne {
        qsizetype section;
        QStringView cle, valeur;
    };
    std::vector<TLigne> lignes;
    QHash<QString, qsizetype> numeros;  // case-folded name -> place in `tailles`
    std::vector<qsizetype> tailles;
    qsizetype courante = -1;
    for (QStringView ligne : QStringView(texte).tokenize(u'\n')) {
        ligne = ligne.trimmed();
        if (ligne.isEmpty() || ligne.front() == u';' || ligne.front() == u'#') continue;
        if (ligne.front() == u'[') {
            const qsizetype finNom = ligne.indexOf(u']');
            if (finNom < 0) continue;
            // Every occurrence of a section adds to the same entries.
            const QString nom = ligne.sliced(1, finNom - 1).trimmed().toString().toCaseFolded();
            const auto it = numeros.constFind(nom);
            if (it != numeros.cend()) {
                courante = *it;
            } else {
                courante = qsizetype(tailles.size());
                numeros.insert(nom, courante);
                tailles.push_back(0);
            }
            continue;
        }
        // At 0, the key would be empty.
        const qsizetype egal = ligne.indexOf(u'=');
        if (courante < 0 || egal <= 0) continue;
        lignes.push_back({courante, ligne.first(egal).trimmed(),
                          RetirerGuillemets(ligne.sliced(egal + 1).trimmed())});
        ++tailles[size_t(courante)];
    }

    // Adding a section may move the others: their places are taken once all are added.
    sections.reserve(numeros.size());
    for (auto it = numeros.cbegin(); it != numeros.cend(); ++it) sections[it.key()];
    std::vector<TSection*> parNumero(tailles.size());
    for (auto it = numeros.cbegin(); it != numeros.cend(); ++it) {
        TSection& section = sections[it.key()];
        section.entrees.reserve(tailles[size_t(*it)]);
        section.index.reserve(tailles[size_t(*it)]);
        parNumero[size_t(*it)] = &section;
    }
    for (const TLigne& ligne : lignes) {
        TSection& section = *parNumero[size_t(ligne.section)];
        const QString cle = ligne.cle.toString();
        const qsizetype avant = section.index.size();
        qsizetype& place = section.index[cle];
        if (section.index.size() == avant) continue;  // a repeated key keeps its first value
        place = section.entrees.size();
        section.entrees.append({cle, ligne.valeur.toString()});
    }
}

const TIniFile::TSection* TIniFile::Section(const QString& section) const {
    const auto it = sections.constFind(section.toCaseFolded());
    return it == sections.cend() ? nullptr : &*it;
}

const QString* TIniFile::Valeur(const QString& section, const QString& cle) const {
    const TSection* s = Section(section);
    if (!s) return nullptr;
    const auto it = s->index.constFind(cle);
    return it == s->index.cend() ? nullptr : &s->entrees.at(*it).second;
}

QString TIniFile::ReadString(const QString& section, const QString& cle,
                             const QString& defaut) const {
    const QString* valeur = Valeur(section, cle);
    return valeur ? *valeur : defaut;
}

bool TIniFile::ValueExists(const QString& section, const QString& cle) const {
    return Valeur(section, cle) != nullptr;
}

qint32 TIniFile::ReadInteger(const QString& section, const QString& cle, qint32 defaut) const {
    const QString texte = ReadString(section, cle, QString());
    if (texte.isNull() || texte.isEmpty()) return defaut;
    qsizetype i = 0;
    bool negatif = false;
    if (texte[0] == u'+' || texte[0] == u'-') {
        negatif = texte[0] == u'-';
        i = 1;
    }
    if (i >= texte.size()) return defaut;
    qint64 valeur = 0;
    for (; i < texte.size(); ++i) {
        const QChar c = texte[i];
        if (c < u'0' || c > u'9') return defaut;
        valeur = valeur * 10 + (c.unicode() - u'0');
        if (valeur > qint64(2147483648)) return defaut;
    }
    if (negatif) valeur = -valeur;
    if (valeur > 2147483647 || valeur < -qint64(2147483648)) return defaut;
    return static_cast<qint32>(valeur);
}

void TIniFile::ReadSection(const QString& section, QStringList& cles) const {
    cles.clear();
    if (const TSection* s = Section(section)) {
        cles.reserve(s->entrees.size());
        for (const auto& [cle, valeur] : s->entrees) cles.append(cle);
    }
}

TIniFile::TEntrees TIniFile::ReadSectionValues(const QString& section) const {
    const TSection* s = Section(section);
    return s ? s->entrees : TEntrees();
}
