#include "tools/http/RequeteHttpRecue.h"

#include <QUrl>
#include <algorithm>
#include <cstdint>

namespace {

QString DecoderComposant(QByteArray texte) {
    texte.replace('+', ' ');
    return QString::fromUtf8(QByteArray::fromPercentEncoding(texte));
}

}  // namespace

std::optional<TRequeteHttpRecue> AnalyserRequeteHttp(const QByteArray& tampon) {
    const qsizetype finEntetes = tampon.indexOf("\r\n\r\n");
    if (finEntetes < 0) return std::nullopt;

    TRequeteHttpRecue requete;
    requete.debutCorps = finEntetes + 4;
    const QList<QByteArray> lignes = tampon.left(finEntetes).split('\n');
    const QList<QByteArray> premiere = lignes.value(0).trimmed().split(' ');
    requete.methode = premiere.value(0);
    requete.cible = premiere.value(1);
    for (qsizetype i = 1; i < lignes.size(); ++i) {
        const QByteArray ligne = lignes[i].trimmed();
        const qsizetype deuxPoints = ligne.indexOf(':');
        if (deuxPoints <= 0) continue;
        const QByteArray nom = ligne.left(deuxPoints).trimmed();
        const QByteArray valeur = ligne.mid(deuxPoints + 1).trimmed();
        requete.entetes.append({nom, valeur});
        // A length that is not a number, or is negative, counts as no body; one past 2 GiB
        // is held there, so that adding it to a position cannot overflow.
        if (nom.compare("Content-Length", Qt::CaseInsensitive) == 0)
            requete.longueurCorps = std::clamp<qlonglong>(valeur.toLongLong(), 0, INT32_MAX);
    }

    const qsizetype interrogation = requete.cible.indexOf('?');
    requete.chemin = QUrl::fromPercentEncoding(
        interrogation < 0 ? requete.cible : requete.cible.left(interrogation));
    if (interrogation >= 0) {
        for (const QByteArray& piece : requete.cible.mid(interrogation + 1).split('&')) {
            if (piece.isEmpty()) continue;
            const qsizetype egal = piece.indexOf('=');
            requete.parametres.append(
                {DecoderComposant(egal < 0 ? piece : piece.left(egal)),
                 egal < 0 ? QString("") : DecoderComposant(piece.mid(egal + 1))});
        }
    }
    return requete;
}

QByteArray EcrireReponseHttp(int statut, const QByteArray& raison, const QByteArray& typeContenu,
                             const QList<QPair<QByteArray, QByteArray>>& entetes,
                             const QByteArray& corps) {
    QByteArray reponse = "HTTP/1.1 " + QByteArray::number(statut) + ' ' + raison + "\r\n";
    if (!typeContenu.isEmpty()) reponse += "Content-Type: " + typeContenu + "\r\n";
    for (const auto& [nom, valeur] : entetes) reponse += nom + ": " + valeur + "\r\n";
    reponse += "Content-Length: " + QByteArray::number(corps.size()) + "\r\n";
    reponse += "Connection: close\r\n\r\n";
    return reponse + corps;
}
