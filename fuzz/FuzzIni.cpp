// The INI reader: every key listed is found again with its value, once, not empty, the
// section's values list them in the same order, and sections are found whatever the
// letter case of their name. Text without a byte-order mark or zero bytes is decoded as
// the toolkit's own UTF-8 decoder does, or as Windows-1252 where that one finds an error.
#include <QSet>
#include <QStringDecoder>

#include "fuzz/Exiger.h"
#include "platform/TIniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    const QByteArray octets = Octets(donnees, taille);
    const TIniFile ini = TIniFile::DepuisOctets(octets);
    const QString texte = DecoderTexteIni(octets);
    if (!octets.startsWith("\xFF\xFE") && !octets.startsWith("\xFE\xFF") &&
        !octets.contains('\0')) {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                        QStringConverter::Flag::ConvertInitialBom);
        QString attendu = utf8.decode(octets);
        if (utf8.hasError()) {
            // Windows-1252: a character per byte, the byte itself outside 0x80 to 0x9F.
            EXIGER(texte.size() == octets.size());
            for (qsizetype i = 0; i < octets.size(); ++i) {
                const auto o = static_cast<unsigned char>(octets[i]);
                if (o < 0x80 || o >= 0xA0) EXIGER(texte[i] == QChar(o));
            }
        } else {
            // Only the first byte-order mark goes: a second one is text.
            if (attendu.startsWith(QChar(0xFEFF))) attendu.remove(0, 1);
            EXIGER(texte == attendu);
        }
    }

    // Every section name that the text may hold.
    QSet<QString> sections;
    for (QStringView ligne : QStringView(texte).split(u'\n')) {
        ligne = ligne.trimmed();
        const qsizetype fin = ligne.indexOf(u']');
        if (ligne.startsWith(u'[') && fin > 0)
            sections.insert(ligne.mid(1, fin - 1).trimmed().toString());
    }
    const QString absent = QStringLiteral("\x01absent");
    for (const QString& section : sections) {
        QStringList cles;
        ini.ReadSection(section, cles);
        QStringList autreCasse;
        ini.ReadSection(section.toCaseFolded(), autreCasse);
        EXIGER(cles == autreCasse);
        EXIGER(QSet<QString>(cles.begin(), cles.end()).size() == cles.size());
        TIniFile::TEntrees entrees;
        for (const QString& cle : cles) {
            EXIGER(!cle.isEmpty() && cle == cle.trimmed() && !cle.contains(u'\n'));
            EXIGER(!cle.contains(u'='));
            const QString valeur = ini.ReadString(section, cle, absent);
            EXIGER(valeur != absent);
            entrees.append({cle, valeur});
            EXIGER(!valeur.contains(u'\n'));
            const qint32 entier = ini.ReadInteger(section, cle, -7);
            if (entier != -7) {
                // A value read as an integer is an optional sign and digits.
                bool ok = false;
                EXIGER(valeur.toLongLong(&ok) == entier && ok);
            }
        }
        EXIGER(ini.ReadSectionValues(section) == entrees);
    }
    return 0;
}
