#include "data/Moteur.h"

#include <QHash>
#include <QRandomGenerator>
#include <QThread>
#include <algorithm>

namespace {
// One thread uses it, the user interface's.
QHash<QString, std::shared_ptr<TMoteur>>& Moteurs() {
    static QHash<QString, std::shared_ptr<TMoteur>> moteurs;
    return moteurs;
}
}  // namespace

TMoteur* ChercherMoteur(const QString& nomConnexion) {
    const auto moteur = Moteurs().constFind(nomConnexion);
    return moteur == Moteurs().constEnd() ? nullptr : moteur->get();
}

TMoteur& MoteurDe(const QString& nomConnexion) {
    TMoteur* moteur = ChercherMoteur(nomConnexion);
    if (!moteur) throw EErreurBase("Erreur : la base de données n'est pas ouverte.");
    return *moteur;
}

void AttacherMoteur(const QString& nomConnexion, std::shared_ptr<TMoteur> moteur) {
    Moteurs().insert(nomConnexion, std::move(moteur));
}

void DetacherMoteur(const QString& nomConnexion) { Moteurs().remove(nomConnexion); }

void AttendreAvantNouvelEssai(int essai) {
    // Spread out, so that two workstations that collided do not collide again.
    const unsigned plafond = 10u << std::min(essai, 5);  // 20 ms, doubled up to 320 ms
    QThread::msleep(QRandomGenerator::global()->bounded(5u, plafond));
}

void ConflitPersistant(const std::exception& erreur) {
    const auto* e = dynamic_cast<const EErreurBase*>(&erreur);
    // A connection lost again and again, or nodes not ready, are said as they are.
    if (e && e->Genre() != TGenreErreur::Occupee) throw *e;
    throw EErreurBase(QStringLiteral("Erreur : la base de données est occupée par un autre poste ; "
                                     "réessayez dans un instant : %1")
                          .arg(QString::fromUtf8(erreur.what())),
                      TGenreErreur::Occupee, e ? e->Code() : 0);
}
