#include "data/Trequete.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>

#include "data/Champsbase.h"
#include "data/Connexionbase.h"
#include "data/Moteur.h"

TRequete::TRequete(const QString& nomConnexion)
    : nomConnexion(nomConnexion), requete(Connexion(nomConnexion)) {
    requete.setForwardOnly(true);
}

void TRequete::ParamEntier(const QString& nom, qint32 valeur) {
    DefinirParametre(nom, QVariant(valeur));
}

void TRequete::ParamTexte(const QString& nom, const QString& valeur) {
    // A null QString would bind as NULL, which "=" never finds again.
    DefinirParametre(nom, QVariant(valeur.isNull() ? QStringLiteral("") : valeur));
}

void TRequete::ParamDate(const QString& nom, const QDateTime& valeur) {
    // Never let Qt bind the QDateTime itself: it would write a "T" between date and time.
    if (!valeur.isValid())
        DefinirParametre(nom, QVariant(QMetaType::fromType<QString>()));
    else
        DefinirParametre(nom, QVariant(valeur.toString(QLatin1String(FormatDateBase))));
}

void TRequete::ParamNul(const QString& nom) {
    DefinirParametre(nom, QVariant(QMetaType::fromType<QString>()));
}

void TRequete::DefinirParametre(const QString& nom, const QVariant& valeur) {
    for (auto& p : parametres) {
        if (p.first == nom) {
            p.second = valeur;
            return;
        }
    }
    parametres.emplace_back(nom, valeur);
}

QString TRequete::AvantExecution(bool verifierConnexion) {
    // Without the check beforehand, a connection already known as lost is still tried
    // again (it is closed until then).
    const bool ouverte = requete.driver() && requete.driver()->isOpen();
    if (verifierConnexion || !ouverte) MoteurDe(nomConnexion).Retablir(Connexion(nomConnexion));
    if (!requete.driver() || !requete.driver()->isOpen())
        throw EErreurBase("Erreur : la base de données n'est pas ouverte.");
    const QString texte = Texte();
    for (const auto& parametre : parametres) {
        // Qt silently ignores a name that is not in the text: the placeholder would stay NULL.
        static const QRegularExpression finNom(QStringLiteral("^[A-Za-z0-9_$]"));
        const QString marque = QLatin1Char(':') + parametre.first;
        bool trouve = false;
        for (qsizetype pos = texte.indexOf(marque); pos >= 0;
             pos = texte.indexOf(marque, pos + 1)) {
            if (!finNom.match(texte.mid(pos + marque.size(), 1)).hasMatch()) {
                trouve = true;
                break;
            }
        }
        if (!trouve)
            throw EErreurBase(
                QStringLiteral("Erreur : le paramètre « %1 » n'apparaît pas dans la requête.")
                    .arg(parametre.first));
    }
    return texte;
}

void TRequete::Preparer() {
    const QString texte = AvantExecution();
    if (!requete.prepare(texte))
        throw ErreurMoteur(Connexion(nomConnexion), requete.lastError(),
                           QStringLiteral("Erreur : la requête n'a pas pu être préparée : "));
    for (const auto& [nom, valeur] : parametres) requete.bindValue(QLatin1Char(':') + nom, valeur);
    prepare = true;
}

int TRequete::ExecSQL() {
    Fermer();
    Preparer();
    dernierId = QVariant();
    if (!requete.exec())
        throw ErreurMoteur(Connexion(nomConnexion), requete.lastError(),
                           QStringLiteral("Erreur : la requête a échoué : "));
    int n = requete.numRowsAffected();
    // Only while the statement is still active.
    dernierId = requete.lastInsertId();
    requete.finish();
    return n;
}

void TRequete::Ouvrir() {
    Fermer();
    Preparer();
    if (!requete.exec())
        throw ErreurMoteur(Connexion(nomConnexion), requete.lastError(),
                           QStringLiteral("Erreur : la requête n'a pas pu être ouverte : "));
    ligne = 0;
    Avancer();
}

void TRequete::Avancer() {
    eof = !requete.next();
    if (!eof) ++ligne;
    if (eof) {
        if (requete.lastError().isValid())
            throw ErreurMoteur(Connexion(nomConnexion), requete.lastError(),
                               QStringLiteral("Erreur : lecture du résultat impossible : "));
        // A finished statement releases its read lock on the file at once.
        requete.finish();
    }
}

bool TRequete::Eof() const { return eof; }

void TRequete::Suivant() {
    if (!eof) Avancer();
}

int TRequete::Relancer() {
    // A forward-only result cannot go back: run the statement again.
    if (!prepare) throw EErreurBase("Erreur : la requête n'a pas été ouverte.");
    if (!requete.exec())
        throw ErreurMoteur(Connexion(nomConnexion), requete.lastError(),
                           QStringLiteral("Erreur : la requête n'a pas pu être rouverte : "));
    ligne = 0;
    Avancer();
    return 0;
}

int TRequete::NombreLignes() {
    if (ligne != 0 || eof) Relancer();
    int n = 0;
    while (!eof) {
        ++n;
        Avancer();
    }
    Relancer();
    return n;
}

QSqlRecord TRequete::Ligne() const {
    if (eof) throw EErreurBase("Erreur : la requête n'a pas de ligne courante.");
    return requete.record();
}

QVariant TRequete::Champ(const QString& nom) const {
    return ChampLigne(Ligne(), nom, QStringLiteral("le résultat de la requête"));
}

void TRequete::Fermer() {
    if (requete.isActive()) requete.finish();
    eof = true;
    ligne = 0;
}

void TRequete::OuvrirEtParcourirBrut(const std::vector<const char*>& colonnes,
                                     const char* colonneUnique,
                                     const std::function<void(const TLigneBrute&)>& ligne) {
    // On the server, the driver would first copy the whole result into memory through a
    // prepared statement, then hand out each field as a QVariant: the rows are read
    // straight from the server instead, as it sends them.
    if (LectureDirecte) {
        Fermer();
        // The server's connection is checked by the walk itself, after a failure.
        const QString texte = AvantExecution(false);
        if (MoteurDe(nomConnexion)
                .ParcourirTexte(Connexion(nomConnexion), texte, parametres, colonnes, ligne))
            return;
    }
    Ouvrir();
    ParcourirBrut(colonnes, colonneUnique, ligne);
}

void TRequete::ParcourirBrut(const std::vector<const char*>& colonnes, const char* colonneUnique,
                             const std::function<void(const TLigneBrute&)>& ligne) {
    // Closed however the walk ends: a statement left standing on a row keeps the file
    // locked for the other copies, and after an error QSqlQuery would still believe it
    // stands on the first row read, so that a later Suivant would start the failed
    // statement over.
    struct TFermeture {
        TRequete& requete;
        ~TFermeture() { requete.Fermer(); }
    } fermeture{*this};
    if (Eof()) return;
    // QSqlQuery turns every column of every row into a UTF-16 QVariant, which costs more
    // than the engine's own reading; on SQLite the rows are taken from the statement
    // itself, from the row the query already stands on.
    if (LectureDirecte &&
        MoteurDe(nomConnexion).ParcourirRequete(requete, colonnes, colonneUnique, ligne))
        return;

    std::vector<int> positions(colonnes.size(), -1);
    TLigneBrute brute(colonnes.size());
    const QSqlRecord champs = requete.record();
    for (size_t i = 0; i < positions.size(); ++i) {
        positions[i] = champs.indexOf(QLatin1String(colonnes[i]));
        if (positions[i] < 0)
            throw EErreurBase(QStringLiteral("Erreur : le champ « %1 » n'existe pas dans le "
                                             "résultat de la requête.")
                                  .arg(QLatin1String(colonnes[i])));
    }
    std::vector<QByteArray> textes(colonnes.size());
    while (!Eof()) {
        for (size_t i = 0; i < positions.size(); ++i) {
            const QVariant valeur = requete.value(positions[i]);
            if (valeur.isNull()) {
                brute[i] = QByteArrayView();
            } else {
                textes[i] = valeur.toString().toUtf8();
                brute[i] = QByteArrayView(textes[i].constData(), textes[i].size());
            }
        }
        ligne(brute);
        Suivant();
    }
}
