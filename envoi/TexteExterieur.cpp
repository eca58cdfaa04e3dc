#include "envoi/TexteExterieur.h"

#include <QByteArray>
#include <QList>
#include <algorithm>

namespace {

// A key of one to three characters would mask ordinary words: such a key is no secret
// worth it.
constexpr qsizetype LongueurCleMinimale = 4;
// A key cut by the end of the text is masked when this many of its characters remain.
constexpr qsizetype CaracteresCoupesMinimum = 4;

const QString Masque = QStringLiteral("****");

QString Hex4(char16_t u) { return QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0')); }

// Where `forme` stands at `position` of `texte`: its end; the text's end when the text
// stops inside it; -1 otherwise.
qsizetype Correspond(const QString& texte, qsizetype position, const QString& forme,
                     Qt::CaseSensitivity casse) {
    const qsizetype reste = texte.size() - position;
    if (reste >= forme.size())
        return QStringView(texte).sliced(position, forme.size()).compare(forme, casse) == 0
                   ? position + forme.size()
                   : -1;
    return QStringView(texte).sliced(position).compare(QStringView(forme).first(reste), casse) == 0
               ? texte.size()
               : -1;
}

}  // namespace

TTexteExterieur::TTexteExterieur(const QString& cle) {
    if (cle.size() < LongueurCleMinimale) return;
    // A service may echo the key as it came (raw, or percent-encoded as the request
    // carried it, in either letter case) or inside a JSON string (\" \\ \/ and \uXXXX,
    // in either case): every character of it is looked for in each of these forms, so
    // that a form mixing them is found too. No library masks a secret in a text.
    for (const uint point : cle.toUcs4()) {
        const char32_t c = point;
        TFormes formes;
        formes.brute = QString::fromUcs4(&c, 1);
        auto& e = formes.echappees;
        QString json;
        for (const QChar u : formes.brute) json += Hex4(u.unicode());
        e.push_back(json);
        const std::pair<char32_t, const char*> courts[] = {
            {U'"', "\\\""}, {U'\\', "\\\\"}, {U'/', "\\/"},  {U'\b', "\\b"},
            {U'\f', "\\f"}, {U'\n', "\\n"},  {U'\r', "\\r"}, {U'\t', "\\t"}};
        for (const auto& [caractere, court] : courts)
            if (c == caractere) e.push_back(QLatin1String(court));
        QString pourcent;
        for (const char octet : formes.brute.toUtf8())
            pourcent += QStringLiteral("%%1").arg(uint(static_cast<unsigned char>(octet)), 2, 16,
                                                  QLatin1Char('0'));
        e.push_back(pourcent);
        if (c == U' ') e.push_back(QStringLiteral("+"));
        caracteres.push_back(std::move(formes));
    }
}

qsizetype TTexteExterieur::FinCle(const QString& texte, qsizetype debut) const {
    // Every position the characters matched so far may end at (a character may stand in
    // two forms that begin alike, such as "%" and "%25").
    std::vector<qsizetype> positions{debut}, suivantes;
    for (size_t i = 0; i < caracteres.size(); ++i) {
        suivantes.clear();
        for (const qsizetype p : positions) {
            if (p == texte.size()) {
                // The text stops inside the key.
                return static_cast<qsizetype>(i) >= CaracteresCoupesMinimum ? p : -1;
            }
            const auto ajouter = [&](qsizetype fin) {
                if (fin >= 0 &&
                    std::find(suivantes.begin(), suivantes.end(), fin) == suivantes.end())
                    suivantes.push_back(fin);
            };
            ajouter(Correspond(texte, p, caracteres[i].brute, Qt::CaseSensitive));
            for (const QString& forme : caracteres[i].echappees)
                ajouter(Correspond(texte, p, forme, Qt::CaseInsensitive));
        }
        if (suivantes.empty()) return -1;
        std::swap(positions, suivantes);
    }
    return *std::max_element(positions.begin(), positions.end());
}

QString TTexteExterieur::operator()(QString texte) const {
    if (!caracteres.empty()) {
        QString masque;
        qsizetype copie = 0;
        // Every form of the key's first character begins with it, a backslash, "%" or "+":
        // the other positions are passed over at once (an answer may be 1 MiB long).
        const QChar premier = caracteres.front().brute.front();
        for (qsizetype p = 0; p < texte.size();) {
            const QChar t = texte[p];
            const qsizetype fin =
                t == premier || t == u'\\' || t == u'%' || t == u'+' ? FinCle(texte, p) : -1;
            if (fin <= p) {
                ++p;
                continue;
            }
            masque += QStringView(texte).sliced(copie, p - copie);
            masque += Masque;
            copie = p = fin;
        }
        if (copie > 0) {
            masque += QStringView(texte).sliced(copie);
            texte = masque;
        }
    }
    return texte.left(LongueurMaximale);
}
