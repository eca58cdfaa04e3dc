#include "platform/TIniFile.h"

#include <QFile>
#include <QHashFunctions>
#include <QStringDecoder>
#include <algorithm>
#include <bit>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F; the five unassigned bytes map to
// the C1 controls of the same value, as Windows' own conversion does.
constexpr char16_t Cp1252Haut[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString DecoderCp1252(const QByteArray& octets) {
    QString texte;
    texte.reserve(octets.size());
    for (const char c : octets) {
        const auto o = static_cast<unsigned char>(c);
        texte.append(o >= 0x80 && o < 0xA0 ? QChar(Cp1252Haut[o - 0x80]) : QChar(o));
    }
    return texte;
}

// The place of the first `a` or `b` in d[i, n), n when there is none. A file may hold
// thousands of lines: eight characters are compared at a time where the processor can.
qsizetype Prochain(const QChar* d, qsizetype i, qsizetype n, char16_t a, char16_t b) {
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi16(static_cast<short>(a));
    const __m128i vb = _mm_set1_epi16(static_cast<short>(b));
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        const unsigned masque = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(v, va), _mm_cmpeq_epi16(v, vb))));
        if (masque != 0) return i + std::countr_zero(masque) / 2;
    }
#endif
    for (; i < n; ++i)
        if (d[i] == a || d[i] == b) return i;
    return n;
}

QStringView RetirerGuillemets(QStringView valeur) {
    if (valeur.size() >= 2) {
        const QChar premier = valeur.front();
        if ((premier == u'"' || premier == u'\'') && valeur.back() == premier)
            return valeur.mid(1, valeur.size() - 2);
    }
    return valeur;
}

// UTF-8 as RFC 3629 writes it, into UTF-16: false at the first ill-formed sequence, a
// sequence cut short at the end of the file included (such a file is Windows-1252 text
// ending in an accented letter). Runs of ASCII are widened sixteen bytes at a time where
// the processor can: a parameter file is mostly ASCII.
bool DecoderUtf8(const QByteArray& octets, QString& texte) {
    const auto* const o = reinterpret_cast<const unsigned char*>(octets.constData());
    const qsizetype n = octets.size();
    // A UTF-8 sequence never gives more UTF-16 units than it has bytes.
    texte.resize(n);
    char16_t* const debut = reinterpret_cast<char16_t*>(texte.data());
    char16_t* s = debut;
    qsizetype i = 0;
    while (i < n) {
#if defined(__SSE2__)
        if (i + 16 <= n) {
            // All sixteen are widened; those from the first non-ASCII byte on are written
            // over next. The output stays behind the input, so the room is there.
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(o + i));
            const __m128i zero = _mm_setzero_si128();
            _mm_storeu_si128(reinterpret_cast<__m128i*>(s), _mm_unpacklo_epi8(v, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(s + 8), _mm_unpackhi_epi8(v, zero));
            const unsigned masque = static_cast<unsigned>(_mm_movemask_epi8(v));
            const int ascii = masque == 0 ? 16 : std::countr_zero(masque);
            s += ascii;
            i += ascii;
            if (masque == 0) continue;
        }
#endif
        const unsigned c = o[i];
        if (c < 0x80) {
            *s++ = char16_t(c);
            ++i;
            continue;
        }
        // The lead byte gives the length and the range of the second byte, which rules out
        // overlong forms, surrogates and code points past U+10FFFF.
        int suite = 0;
        unsigned min2 = 0x80, max2 = 0xBF;
        char32_t point = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            suite = 1;
            point = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            suite = 2;
            point = c & 0x0F;
            if (c == 0xE0) min2 = 0xA0;
            if (c == 0xED) max2 = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            suite = 3;
            point = c & 0x07;
            if (c == 0xF0) min2 = 0x90;
            if (c == 0xF4) max2 = 0x8F;
        } else {
            return false;
        }
        if (i + suite >= n) return false;
        for (int k = 1; k <= suite; ++k) {
            const unsigned b = o[i + k];
            if (b < (k == 1 ? min2 : 0x80) || b > (k == 1 ? max2 : 0xBF)) return false;
            point = (point << 6) | (b & 0x3F);
        }
        i += suite + 1;
        if (point >= 0x10000) {
            *s++ = QChar::highSurrogate(point);
            *s++ = QChar::lowSurrogate(point);
        } else {
            *s++ = char16_t(point);
        }
    }
    texte.resize(s - debut);
    return true;
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
    QString texte;
    if (DecoderUtf8(octets, texte)) {
        if (texte.startsWith(QChar(0xFEFF))) texte.remove(0, 1);
        return texte;
    }
    return DecoderCp1252(octets);
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
    texte = DecoderTexteIni(octets);

    // Line by line on views of the text, kept as they are: nothing is copied. A file may
    // hold thousands of keys: each line is walked once, its first "=" found on the way.
    const QChar* const d = texte.constData();
    const qsizetype n = texte.size();
    TSection* courante = nullptr;
    for (qsizetype debut = 0; debut <= n;) {
        qsizetype egal = -1, fin = Prochain(d, debut, n, u'\n', u'=');
        if (fin < n && d[fin] == u'=') {
            egal = fin;
            fin = Prochain(d, fin + 1, n, u'\n', u'\n');
        }
        // The line without its blanks at either end: [b, e).
        qsizetype b = debut, e = fin;
        debut = fin + 1;
        while (b < e && d[b].isSpace()) ++b;
        while (e > b && d[e - 1].isSpace()) --e;
        if (b == e || d[b] == u';' || d[b] == u'#') continue;
        if (d[b] == u'[') {
            const QStringView ligne(d + b, e - b);
            const qsizetype finNom = ligne.indexOf(QChar(u']'));
            if (finNom < 0) continue;
            // Every occurrence of a section adds to the same entries.
            const QString nom = ligne.mid(1, finNom - 1).trimmed().toString().toCaseFolded();
            auto it = indexSections.constFind(nom);
            if (it == indexSections.cend()) {
                it = indexSections.insert(nom, sections.size());
                sections.emplace_back();
            }
            courante = &sections[*it];
            continue;
        }
        // A line's first "=" is past its leading blanks: at `b`, the key would be empty.
        if (!courante || egal <= b) continue;
        qsizetype finCle = egal;
        while (finCle > b && d[finCle - 1].isSpace()) --finCle;
        qsizetype debutValeur = egal + 1;
        while (debutValeur < e && d[debutValeur].isSpace()) ++debutValeur;
        courante->entrees.emplace_back(
            QStringView(d + b, finCle - b),
            RetirerGuillemets(QStringView(d + debutValeur, e - debutValeur)));
    }
    for (TSection& section : sections) section.Indexer();
}

void TIniFile::TSection::Indexer() {
    // Sized once for every line read: a repeated key finds its first entry's slot taken.
    std::size_t taille = 16;
    while (taille < 2 * entrees.size()) taille *= 2;
    places.assign(taille, 0);
    std::size_t gardees = 0;
    for (const auto& entree : entrees) {
        std::uint32_t& place = places[Place(entree.first)];
        if (place != 0) continue;
        entrees[gardees] = entree;
        place = std::uint32_t(++gardees);
    }
    entrees.resize(gardees);
}

std::size_t TIniFile::TSection::Place(QStringView cle) const {
    const std::size_t masque = places.size() - 1;
    for (std::size_t i = qHash(cle, QHashSeed::globalSeed()) & masque;; i = (i + 1) & masque) {
        const std::uint32_t p = places[i];
        if (p == 0 || entrees[p - 1].first == cle) return i;
    }
}

const QStringView* TIniFile::TSection::Valeur(QStringView cle) const {
    if (places.empty()) return nullptr;
    const std::uint32_t p = places[Place(cle)];
    return p == 0 ? nullptr : &entrees[p - 1].second;
}

const TIniFile::TSection* TIniFile::Section(const QString& section) const {
    const auto it = indexSections.constFind(section.toCaseFolded());
    return it == indexSections.cend() ? nullptr : &sections[*it];
}

QString TIniFile::ReadString(const QString& section, const QString& cle,
                             const QString& defaut) const {
    if (const TSection* s = Section(section))
        if (const QStringView* valeur = s->Valeur(cle)) return valeur->toString();
    return defaut;
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
        for (const auto& [cle, valeur] : s->entrees) cles.append(cle.toString());
    }
}

TIniFile::TEntrees TIniFile::ReadSectionValues(const QString& section) const {
    TEntrees entrees;
    const TVues& vues = VuesSection(section);
    entrees.reserve(vues.size());
    for (const auto& [cle, valeur] : vues) entrees.append({cle.toString(), valeur.toString()});
    return entrees;
}

const TIniFile::TVues& TIniFile::VuesSection(const QString& section) const {
    static const TVues aucune;
    const TSection* s = Section(section);
    return s ? s->entrees : aucune;
}
