// One workstation of the cluster test: opens the base that DOSSIER/connexion.ini names
// through the real data classes, waits for the start signal (a file "depart" in SIGNAUX),
// then until the file "arret" appears there, DUREE seconds have passed or NOMBRE operations
// are done, runs in turn: a category, a template, a history row (AjouterEnCours, then
// EnregistrerEtat), a setting of its own, and the setting every workstation writes.
// After each operation it writes one line to DOSSIER/journal, flushed at once:
//   ms <TAB> kind <TAB> tag <TAB> ok <TAB> id or value
//   ms <TAB> kind <TAB> tag <TAB> echec <TAB> kind of error <TAB> the text the user sees
// (ms: when the operation began, counted from the opening of the journal), and after a
// failure it waits 100 ms, as a user reading the message would.
// Usage: parlivo-grappe-poste DOSSIER SIGNAUX NUMERO DUREE [NOMBRE]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <cstdio>
#include <functional>

#include "data/Datamoduleabs.h"
#include "data/EErreurBase.h"
#include "data/Fonctions_bd.h"
#include "data/Tcategorie.h"
#include "data/Thistorique.h"
#include "data/Ttemplate.h"

namespace {

QString NomGenre(TGenreErreur genre) {
    switch (genre) {
        case TGenreErreur::Autre:
            return QStringLiteral("Autre");
        case TGenreErreur::Occupee:
            return QStringLiteral("Occupee");
        case TGenreErreur::ConnexionPerdue:
            return QStringLiteral("ConnexionPerdue");
        case TGenreErreur::DroitManquant:
            return QStringLiteral("DroitManquant");
        case TGenreErreur::TexteTropLong:
            return QStringLiteral("TexteTropLong");
        case TGenreErreur::NoeudNonPret:
            return QStringLiteral("NoeudNonPret");
        case TGenreErreur::LectureSeule:
            return QStringLiteral("LectureSeule");
        case TGenreErreur::DisquePlein:
            return QStringLiteral("DisquePlein");
        case TGenreErreur::FichierBase:
            return QStringLiteral("FichierBase");
        case TGenreErreur::IssueInconnue:
            return QStringLiteral("IssueInconnue");
        case TGenreErreur::Doublon:
            return QStringLiteral("Doublon");
    }
    return QStringLiteral("Genre%1").arg(static_cast<int>(genre));
}

class TJournal {
  public:
    explicit TJournal(const QString& chemin) : fichier(chemin) {
        if (!fichier.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
            throw std::runtime_error("journal impossible à ouvrir");
        chrono.start();
    }
    // Runs `operation`, which gives the id or value saved (empty: false was returned), and
    // writes its line. True when it saved.
    bool Noter(const QString& genre, const QString& etiquette,
               const std::function<QString()>& operation) {
        QStringList champs{QString::number(chrono.elapsed()), genre, etiquette};
        bool reussi = false;
        try {
            const QString resultat = operation();
            reussi = !resultat.isEmpty();
            champs << (reussi ? QStringList{QStringLiteral("ok"), resultat}
                              : QStringList{QStringLiteral("echec"), QStringLiteral("Faux"),
                                            QStringLiteral("(l'opération a rendu false)")});
        } catch (const EErreurBase& e) {
            champs << QStringLiteral("echec") << NomGenre(e.Genre()) << Texte(e);
        } catch (const std::exception& e) {
            champs << QStringLiteral("echec") << QStringLiteral("Exception") << Texte(e);
        }
        fichier.write(champs.join(QLatin1Char('\t')).toUtf8() + '\n');
        fichier.flush();
        ++lignes;
        // A user who has just read an error does not try again at once: without this, a
        // node that refuses everything would fill the journal with instant failures.
        if (!reussi) QThread::msleep(100);
        return reussi;
    }
    qint64 Ecoule() const { return chrono.elapsed(); }
    int Lignes() const { return lignes; }

  private:
    static QString Texte(const std::exception& e) {
        return QString::fromUtf8(e.what())
            .replace(QLatin1Char('\t'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    QFile fichier;
    QElapsedTimer chrono;
    int lignes = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5) {
        std::fprintf(stderr,
                     "Usage : parlivo-grappe-poste DOSSIER SIGNAUX NUMERO DUREE [NOMBRE]\n");
        return 2;
    }
    const QString dossier = args.at(1);
    const QDir signaux(args.at(2));
    const int numero = args.at(3).toInt();
    const qint64 dureeMs = args.at(4).toLongLong() * 1000;
    const int nombre = args.size() > 5 ? args.at(5).toInt() : 1000000;

    for (int i = 0; i < 60000 && !QFileInfo::exists(signaux.filePath("depart")); ++i)
        QThread::msleep(5);
    try {
        TDataModuleAbs module(dossier);
        DataModuleAbs = &module;
        module.OuvrirBase();
        TJournal journal(QDir(dossier).filePath(QStringLiteral("journal")));
        const QString agence = QStringLiteral("G%1").arg(numero);
        qint32 categorie = 0;  // the last one saved, for the templates
        for (int i = 0; journal.Lignes() < nombre && journal.Ecoule() < dureeMs &&
                        !QFileInfo::exists(signaux.filePath("arret"));
             ++i) {
            const QString n = QStringLiteral("%1-%2").arg(numero).arg(i);
            journal.Noter(QStringLiteral("categorie"), "c" + n, [&] {
                TCategorie c(false, "c" + n);
                if (!c.Sauvegarder()) return QString();
                categorie = c.id_categorie();
                return QString::number(c.id_categorie());
            });
            journal.Noter(QStringLiteral("modele"), "m" + n, [&] {
                TTemplate t(agence, QStringLiteral("U"), categorie);
                t.setNom("m" + n);
                t.setTexte(QStringLiteral("Texte du modèle ") + n);
                return t.Sauvegarder() ? QString::number(t.id_template()) : QString();
            });
            qint32 ligne = 0;
            const bool enCours = journal.Noter(QStringLiteral("encours"), "h" + n, [&] {
                ligne = THistorique::AjouterEnCours({.agence = agence,
                                                     .utilisateur = QStringLiteral("U"),
                                                     .expediteur = QStringLiteral("Exp"),
                                                     .destinataire = QStringLiteral("Dest"),
                                                     .numero = QStringLiteral("0600000000"),
                                                     .message = "h" + n,
                                                     .date_envoi = QDateTime::currentDateTime()});
                return QString::number(ligne);
            });
            if (enCours)
                journal.Noter(QStringLiteral("etat"), "h" + n, [&] {
                    THistorique::EnregistrerEtat(ligne, "Remis h" + n);
                    return QString::number(ligne);
                });
            // Values unique over every workstation: numero * 10^6 + i.
            const qint32 valeur = numero * 1000000 + i;
            journal.Noter(QStringLiteral("parametre"), "k" + n, [&] {
                return EcrireParametreEntier(module.tblParametres, agence, QStringLiteral("U"),
                                             QStringLiteral("GRAPPE"), "k" + n, valeur)
                           ? QString::number(valeur)
                           : QString();
            });
            journal.Noter(QStringLiteral("partage"), QString::number(valeur), [&] {
                return EcrireParametreEntier(module.tblParametres, QString(), QString(),
                                             QStringLiteral("GRAPPE"), QStringLiteral("Partage"),
                                             valeur)
                           ? QString::number(valeur)
                           : QString();
            });
        }
        module.FermerBase();
        DataModuleAbs = nullptr;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
