// Times the opening of the send and configuration windows and the pick of a category
// against a bare Qt dialog that fills one combo with the same names from one query.
//
//   parlivo-bench-listes [--categories N] [--templates M] [--repetitions R]
//
// Fills a temporary sms.abs (made from the real schema) with N categories (10,000 by
// default) with French names, and M templates (10,000) in one of them. Then, in R turns at
// least (more while the whole stays under 20 s, at most 50), each case once a turn:
//   - the send window: opening (FormActivate), then picking the large category;
//   - the configuration window: opening, then picking the large category;
//   - the bare dialog: a QDialog with one QComboBox, one query for the names, sorted with
//     one collator and added in one call: the categories, and the large category's
//     templates.
// Prints, for each case, its best time, the ratio of the best times to the bare dialog's
// filling the same names, and the median of the ratios measured turn by turn (the window
// and the bare dialog a few milliseconds apart): on a machine whose load changes, the
// median of paired ratios moves less than the ratio of two best times.
#include <sqlite3.h>

#include <QApplication>
#include <QCollator>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>

#include "data/CreationBase.h"
#include "data/Datamoduleabs.h"
#include "ui/Ficheenvoisms.h"
#include "ui/Tficheconfiguration.h"

namespace {

const char* const Mots[] = {"Relance",  "Rappel",  "Échéance",  "Rendez-vous", "état des lieux",
                            "Clés",     "Loyer",   "Quittance", "Dossier",     "Signature",
                            "Impayé",   "Travaux", "Visite",    "Congé",       "Assurance",
                            "Dépôt",    "Relevé",  "Caution",   "Préavis",     "Bail",
                            "élection", "Évreux",  "Œuvre",     "agence",      "Zone"};

void Executer(sqlite3* base, const std::string& sql) {
    char* erreur = nullptr;
    if (sqlite3_exec(base, sql.c_str(), nullptr, nullptr, &erreur) != SQLITE_OK) {
        const std::string texte = erreur ? erreur : "?";
        sqlite3_free(erreur);
        throw std::runtime_error(texte);
    }
}

// Names of two or three words and a number, in random order, some sharing their text.
QString Nom(std::mt19937& hasard, int numero) {
    const auto mot = [&] { return QString::fromUtf8(Mots[hasard() % std::size(Mots)]); };
    QString nom = mot() + QLatin1Char(' ') + mot();
    if (hasard() % 3 == 0) nom += QLatin1Char(' ') + mot();
    return nom + QStringLiteral(" %1").arg(numero % 7919);
}

void Remplir(const QString& chemin, int categories, int templates, int categorieGrande) {
    sqlite3* base = nullptr;
    if (sqlite3_open(chemin.toUtf8().constData(), &base) != SQLITE_OK)
        throw std::runtime_error("ouverture de la base impossible");
    std::mt19937 hasard(42);
    Executer(base, "BEGIN");
    sqlite3_stmt* categorie = nullptr;
    sqlite3_stmt* modele = nullptr;
    sqlite3_prepare_v2(base, "INSERT INTO Categorie (id_categorie, interne, nom) VALUES (?, 0, ?)",
                       -1, &categorie, nullptr);
    sqlite3_prepare_v2(base,
                       "INSERT INTO Template (id_template, agence, utilisateur, id_categorie, nom, "
                       "texte) VALUES (?, 'AG', 'US', ?, ?, ?)",
                       -1, &modele, nullptr);
    for (int i = 1; i <= categories; ++i) {
        const QByteArray nom = Nom(hasard, i).toUtf8();
        sqlite3_bind_int(categorie, 1, i);
        sqlite3_bind_text(categorie, 2, nom.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(categorie);
        sqlite3_reset(categorie);
    }
    for (int i = 1; i <= templates; ++i) {
        const QByteArray nom = Nom(hasard, i).toUtf8();
        sqlite3_bind_int(modele, 1, i);
        sqlite3_bind_int(modele, 2, categorieGrande);
        sqlite3_bind_text(modele, 3, nom.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(modele, 4, "Bonjour <Client_Nom>, votre dossier est prêt.", -1,
                          SQLITE_STATIC);
        sqlite3_step(modele);
        sqlite3_reset(modele);
    }
    sqlite3_finalize(categorie);
    sqlite3_finalize(modele);
    Executer(base,
             "INSERT INTO ConfigurationApi (id, nom, url, cle, cle_api, numero, message, "
             "expediteur, date_envoi, format_date, statut_ok) VALUES (1, 'Service', "
             "'http://127.0.0.1/envoi', 'CLE', 'key', 'to', 'text', 'from', 'date', "
             "'yyyy', 'OK')");
    // Template creation open, so that the configuration window loads its template tab.
    Executer(base,
             "INSERT INTO Parametres (agence, utilisateur, section, cle, valeur_type, "
             "valeur_int) VALUES ('', '', 'CONFIG', 'BloquerCreation', 'INTEGER', 0)");
    Executer(base, "COMMIT");
    sqlite3_close(base);
}

// The bare dialog: one query, one collator, one call to fill the combo. Gives the count.
int RemplirNu(const QString& sql) {
    QDialog dialogue;
    auto* liste = new QComboBox(&dialogue);
    QSqlQuery requete(QSqlDatabase::database(QStringLiteral("nu")));
    requete.setForwardOnly(true);
    if (!requete.exec(sql)) throw std::runtime_error("requête nue impossible");
    QStringList noms;
    while (requete.next()) noms << requete.value(0).toString();
    QCollator collation;
    std::stable_sort(noms.begin(), noms.end(), [&](const QString& a, const QString& b) {
        return collation.compare(a, b) < 0;
    });
    liste->addItems(noms);
    return liste->count();
}

struct TMesure {
    const char* nom;
    std::function<void()> preparer;  // not timed
    std::function<void()> mesurer;
    size_t reference;  // the bare dialog's case that fills the same names
    qint64 meilleur = -1;
    std::vector<qint64> temps = {};  // one a turn
};

double Mediane(std::vector<double> valeurs) {
    std::sort(valeurs.begin(), valeurs.end());
    const size_t n = valeurs.size();
    return n % 2 ? valeurs[n / 2] : (valeurs[n / 2 - 1] + valeurs[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    QApplication application(argc, argv);
    int categories = 10000, templates = 10000, repetitions = 9;
    const QStringList arguments = application.arguments().mid(1);
    for (qsizetype i = 0; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == QLatin1String("--categories"))
            categories = arguments[i + 1].toInt();
        else if (arguments[i] == QLatin1String("--templates"))
            templates = arguments[i + 1].toInt();
        else if (arguments[i] == QLatin1String("--repetitions"))
            repetitions = arguments[i + 1].toInt();
        else
            categories = 0;
    }
    if (categories <= 0 || templates < 0 || repetitions <= 0 || arguments.size() % 2 != 0) {
        std::fprintf(stderr,
                     "usage : parlivo-bench-listes [--categories N] [--templates M] "
                     "[--repetitions R]\n");
        return 2;
    }

    try {
        QTemporaryDir temporaire;
        if (!temporaire.isValid()) throw std::runtime_error("dossier temporaire impossible");
        const QString chemin = temporaire.filePath(QStringLiteral("sms.abs"));
        const int grande = categories / 2;
        CreerBase(chemin);
        Remplir(chemin, categories, templates, grande);
        const QString ini = temporaire.filePath(QStringLiteral("parametres.ini"));
        QFile f(ini);
        if (!f.open(QIODevice::WriteOnly)) throw std::runtime_error("fichier de paramètres");
        f.write("[Config]\nAgence=AG\nUtilisateur=US\n[Client]\nNom=Dupont\n");
        f.close();

        TDataModuleAbs module(temporaire.path());
        DataModuleAbs = &module;
        QSqlDatabase nu =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("nu"));
        nu.setDatabaseName(chemin);
        if (!nu.open()) throw std::runtime_error("connexion nue impossible");
        QString nomGrande;
        {
            QSqlQuery q(nu);
            q.exec(QStringLiteral("SELECT nom FROM Categorie WHERE id_categorie = %1").arg(grande));
            if (q.next()) nomGrande = q.value(0).toString();
        }

        std::unique_ptr<TFormEnvoiSMS> envoi;
        std::unique_ptr<TFicheConfiguration> configuration;
        auto nouvelEnvoi = [&] {
            envoi.reset();
            module.FermerBase();
            envoi = std::make_unique<TFormEnvoiSMS>();
            envoi->DefinirFichierParametres(ini);
        };
        auto nouvelleConfiguration = [&] {
            configuration.reset();
            module.FermerBase();
            configuration = std::make_unique<TFicheConfiguration>();
            configuration->DefinirFichierParametres(ini);
        };
        auto choisir = [&](QComboBox* liste) {
            liste->setCurrentIndex(
                liste->findText(nomGrande, Qt::MatchExactly | Qt::MatchCaseSensitive));
        };
        int compteCategories = 0, compteTemplates = 0;
        std::vector<TMesure> mesures = {
            {"dialogue nu : catégories", [] {},
             [&] { compteCategories = RemplirNu(QStringLiteral("SELECT nom FROM Categorie")); }, 0},
            {"dialogue nu : templates d'une catégorie", [] {},
             [&] {
                 compteTemplates =
                     RemplirNu(QStringLiteral("SELECT nom FROM Template WHERE id_categorie = %1")
                                   .arg(grande));
             },
             1},
            {"fenêtre d'envoi : ouverture", nouvelEnvoi, [&] { envoi->FormActivate(); }, 0},
            // Picked in a window just opened, as a user does: the template list is empty.
            {"fenêtre d'envoi : choix de la catégorie",
             [&] {
                 nouvelEnvoi();
                 envoi->FormActivate();
                 choisir(envoi->combo_categorie);
             },
             [&] { envoi->combo_categorieChange(); }, 1},
            {"configuration : ouverture", nouvelleConfiguration,
             [&] { configuration->FormActivate(); }, 0},
            {"configuration : choix de la catégorie",
             [&] {
                 nouvelleConfiguration();
                 configuration->FormActivate();
                 choisir(configuration->combo_categorie);
             },
             [&] { configuration->combo_categorieSelect(); }, 1},
        };

        std::printf("%d catégories, %d templates dans l'une d'elles ; au moins %d tours\n",
                    categories, templates, repetitions);
        QElapsedTimer chrono, budget;
        budget.start();
        for (int essai = 0; essai < repetitions || (essai < 50 && budget.elapsed() < 20000);
             ++essai) {
            for (TMesure& m : mesures) {
                m.preparer();
                chrono.start();
                m.mesurer();
                const qint64 temps = chrono.nsecsElapsed();
                m.temps.push_back(temps);
                if (m.meilleur < 0 || temps < m.meilleur) m.meilleur = temps;
            }
        }
        if (envoi->combo_template->count() != compteTemplates ||
            envoi->combo_categorie->count() != compteCategories ||
            configuration->combo_categorie->count() != compteCategories)
            throw std::runtime_error(
                "les fenêtres et le dialogue nu ne listent pas autant de noms");

        const QByteArray entete =
            QStringLiteral("cas (%1 tours)").arg(mesures[0].temps.size()).toUtf8();
        std::printf("%-45s %13s %9s %9s\n", entete.constData(), "meilleur", "rapport", "médiane");
        for (const TMesure& m : mesures) {
            const TMesure& nu = mesures[m.reference];
            std::vector<double> rapports;
            for (size_t t = 0; t < m.temps.size(); ++t)
                rapports.push_back(static_cast<double>(m.temps[t]) /
                                   static_cast<double>(nu.temps[t]));
            std::printf("%-45s %10.1f ms %8.2fx %8.2fx\n", m.nom,
                        static_cast<double>(m.meilleur) / 1e6,
                        static_cast<double>(m.meilleur) / static_cast<double>(nu.meilleur),
                        Mediane(rapports));
        }
        envoi.reset();
        configuration.reset();
        DataModuleAbs = nullptr;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "échec : %s\n", e.what());
        return 1;
    }
    return 0;
}
