// The program on a MariaDB Galera cluster of three nodes (the one scripts/test starts, its
// folder in PARLIVO_TEST_GRAPPE): six workstations, two per node, each a parlivo-grappe-poste
// process writing through the real data classes, first without a fault, then with a node
// killed and brought back, then with two nodes frozen. What each one was told is checked
// against what the nodes hold at the end.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "data/CreationBase.h"
#include "data/PiloteMariadb.h"

namespace {

constexpr int Noeuds = 3, PostesParNoeud = 2;

// The test cluster: its scripts, and root on each node's socket.
class TGrappe {
  public:
    explicit TGrappe(const QString& dossier) : dossier(dossier) {
        QFile f(dossier + "/hotes");
        if (f.open(QIODevice::ReadOnly))
            hotes = QString::fromUtf8(f.readAll()).trimmed().split(QLatin1Char(','));
    }
    const QStringList& Hotes() const { return hotes; }
    void Script(const QString& action, int noeud) const {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral(PARLIVO_SOURCE_DIR "/scripts/grappe-test"),
                {action, dossier, QString::number(noeud)});
        if (!p.waitForFinished(180000) || p.exitCode() != 0)
            throw std::runtime_error(QStringLiteral("grappe-test %1 %2 : %3")
                                         .arg(action)
                                         .arg(noeud)
                                         .arg(QString::fromUtf8(p.readAll()))
                                         .toStdString());
    }
    // Every row of `sql` on the node, each as its columns joined by a tab; throws when the
    // node does not answer.
    QStringList Lire(int noeud, const QString& sql, const QString& base = {}) const {
        const QString nom = QStringLiteral("grappe-n%1").arg(noeud);
        QStringList lignes;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(NomPiloteMariadb(), nom);
            db.setUserName(QStringLiteral("root"));
            db.setDatabaseName(base);
            db.setConnectOptions(
                QStringLiteral("UNIX_SOCKET=%1/n%2/sock;MYSQL_OPT_CONNECT_TIMEOUT=5;"
                               "MYSQL_OPT_READ_TIMEOUT=10")
                    .arg(dossier)
                    .arg(noeud));
            QString erreur;
            if (db.open()) {
                QSqlQuery q(db);
                // Reads of the data wait until the node has applied what the cluster committed.
                if ((base.isEmpty() ||
                     q.exec(QStringLiteral("SET SESSION wsrep_sync_wait = 15"))) &&
                    q.exec(sql)) {
                    while (q.next()) {
                        QStringList colonnes;
                        for (int i = 0; i < q.record().count(); ++i)
                            colonnes
                                << (q.isNull(i) ? QStringLiteral("NULL") : q.value(i).toString());
                        lignes << colonnes.join(QLatin1Char('\t'));
                    }
                } else {
                    erreur = q.lastError().text();
                }
            } else {
                erreur = db.lastError().text();
            }
            db.close();
            if (!erreur.isEmpty())
                throw std::runtime_error(
                    QStringLiteral("nœud %1 : %2 : %3").arg(noeud).arg(sql, erreur).toStdString());
        }
        QSqlDatabase::removeDatabase(nom);
        return lignes;
    }
    // Waits until the three nodes are Synced in one primary component of three.
    bool AttendreSynchronisee(int secondes) const {
        QElapsedTimer chrono;
        chrono.start();
        const QString sql = QStringLiteral(
            "SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS WHERE VARIABLE_NAME IN "
            "('wsrep_local_state_comment', 'wsrep_cluster_size', 'wsrep_cluster_status') "
            "ORDER BY VARIABLE_NAME");
        while (chrono.elapsed() < secondes * 1000) {
            int prets = 0;
            for (int n = 1; n <= Noeuds; ++n) try {
                    if (Lire(n, sql) == QStringList{"3", "Primary", "Synced"}) ++prets;
                } catch (const std::exception&) {
                }
            if (prets == Noeuds) return true;
            QThread::msleep(500);
        }
        return false;
    }

  private:
    QString dossier;
    QStringList hotes;
};

// One line of a workstation's journal.
struct TIssue {
    QString genre = {}, etiquette = {};
    bool ok = false;
    QString valeur = {};              // id or value, when saved
    QString erreur = {}, texte = {};  // kind of error and text shown, when failed
};

std::vector<TIssue> LireJournal(const QString& chemin) {
    std::vector<TIssue> issues;
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly)) return issues;
    for (const QByteArray& ligne : f.readAll().split('\n')) {
        const QStringList c = QString::fromUtf8(ligne).split(QLatin1Char('\t'));
        if (c.size() < 5) continue;
        TIssue i{.genre = c[1], .etiquette = c[2], .ok = c[3] == QLatin1String("ok")};
        if (i.ok)
            i.valeur = c[4];
        else if (c.size() >= 6)
            i.erreur = c[4], i.texte = c[5];
        issues.push_back(i);
    }
    return issues;
}

// What the base holds, read on node 1: per kind, tag -> the id or value it has.
using TContenu = std::map<QString, std::multimap<QString, QString>>;

TContenu LireContenu(const TGrappe& grappe, const QString& base) {
    TContenu contenu;
    auto lire = [&](const char* genre, const QString& sql) {
        for (const QString& l : grappe.Lire(1, sql, base)) {
            const QStringList c = l.split(QLatin1Char('\t'));
            contenu[QLatin1String(genre)].emplace(c[0], c.value(1));
        }
    };
    lire("categorie", "SELECT nom, id_categorie FROM Categorie");
    lire("modele", "SELECT nom, id_template FROM Template");
    lire("encours", "SELECT message, id FROM Historique");
    lire("etat", "SELECT message, etat FROM Historique WHERE etat IS NOT NULL");
    lire("parametre", "SELECT cle, valeur_int FROM Parametres WHERE cle LIKE 'k%'");
    lire("partage", "SELECT valeur_int, valeur_int FROM Parametres WHERE cle = 'Partage'");
    return contenu;
}

// What one run shows, compared with what each workstation was told.
struct TBilan {
    int operations = 0, perdues = 0, fantomes = 0, deuxFois = 0, erreurs = 0;
    int incertaines = 0, incertainesPresentes = 0;
    std::map<QString, int> textes;  // kind and text with digits folded -> count
    QStringList exemples;           // the first lost or phantom items
};

TBilan Comparer(const std::vector<TIssue>& issues, TContenu& contenu) {
    TBilan b;
    std::map<QString, std::map<QString, int>> ids;  // table -> id -> times given
    std::set<QString> partagesOk, partagesEchoues;
    auto noter = [&b](int& compteur, const TIssue& i, const char* quoi) {
        ++compteur;
        if (b.exemples.size() < 6)
            b.exemples << QStringLiteral("%1 %2 %3 %4").arg(quoi, i.genre, i.etiquette, i.texte);
    };
    for (const TIssue& i : issues) {
        ++b.operations;
        auto& rangees = contenu[i.genre];
        // What the row of that tag holds: the id, or the state text for "etat".
        const auto [debut, fin] = rangees.equal_range(i.etiquette);
        const bool present = debut != fin;
        const QString attendu =
            i.genre == QLatin1String("etat") ? "Remis " + i.etiquette : i.valeur;
        if (i.genre == QLatin1String("partage")) {
            (i.ok ? partagesOk : partagesEchoues).insert(i.etiquette);
        } else if (i.ok) {
            bool trouve = false;
            for (auto r = debut; r != fin; ++r) trouve |= r->second == attendu;
            if (!trouve) noter(b.perdues, i, "perdue");
            if (i.genre != QLatin1String("etat")) ++ids[i.genre][i.valeur];
        } else if (present && i.erreur != QLatin1String("IssueInconnue")) {
            noter(b.fantomes, i, "fantôme");
        }
        if (i.ok) continue;
        ++b.erreurs;
        QString texte = i.texte;
        static const QRegularExpression chiffres(QStringLiteral("[0-9]+"));
        ++b.textes[i.erreur + " " + texte.replace(chiffres, QStringLiteral("N"))];
        // A COMMIT whose answer was lost and whose outcome could not be read back: the user
        // was told it may have been made.
        if (i.erreur == QLatin1String("IssueInconnue")) {
            ++b.incertaines;
            b.incertainesPresentes += present ? 1 : 0;
        }
    }
    for (const auto& [genre, parId] : ids)
        for (const auto& [id, fois] : parId) b.deuxFois += fois > 1 ? fois - 1 : 0;
    // A tag saved twice under two ids is a row written twice.
    for (const auto& [genre, rangees] : contenu)
        if (genre != QLatin1String("partage"))
            for (auto r = rangees.begin(); r != rangees.end(); r = rangees.upper_bound(r->first))
                b.deuxFois += static_cast<int>(rangees.count(r->first)) - 1;
    // The setting every workstation writes holds the last one saved: one of those reported
    // saved, never one reported failed.
    const auto& partage = contenu["partage"];
    const QString finale = partage.empty() ? QString() : partage.begin()->first;
    if (partagesEchoues.count(finale)) {
        ++b.fantomes;
        b.exemples << "fantôme partage " + finale;
    } else if (!partagesOk.empty() && !partagesOk.count(finale)) {
        ++b.perdues;
        b.exemples << "perdue partage, la valeur finale est « " + finale + " »";
    }
    return b;
}

struct TScenario {
    const char* nom;
    // What happens to the cluster while the workstations write, after a few seconds.
    std::function<void(const TGrappe&)> panne;
    bool sansPanne = false;
};

// The runs are named by their scenario, in CTest's list too.
void PrintTo(const TScenario& scenario, std::ostream* sortie) { *sortie << scenario.nom; }

class Grappe : public ::testing::TestWithParam<TScenario> {};

}  // namespace

TEST_P(Grappe, RienDePerduNiDeFantome) {
    const QString dossierGrappe = qEnvironmentVariable("PARLIVO_TEST_GRAPPE");
    if (dossierGrappe.isEmpty())
        GTEST_SKIP() << "PARLIVO_TEST_GRAPPE n'est pas défini : scripts/test démarre la grappe "
                        "Galera des tests (scripts/grappe-test demarrer DOSSIER le fait à la main)";
    const TGrappe grappe(dossierGrappe);
    ASSERT_EQ(grappe.Hotes().size(), Noeuds) << dossierGrappe.toStdString();
    ASSERT_TRUE(grappe.AttendreSynchronisee(120)) << "la grappe n'est pas prête";
    const QString base = QStringLiteral("parlivo_grappe_%1").arg(GetParam().nom).toLower();
    grappe.Lire(1, QStringLiteral("DROP DATABASE IF EXISTS %1").arg(base));
    grappe.Lire(1, QStringLiteral("CREATE DATABASE %1 CHARACTER SET utf8mb4 COLLATE "
                                  "utf8mb4_nopad_bin")
                       .arg(base));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(NomPiloteMariadb(), "grappe-creation");
        db.setUserName(QStringLiteral("root"));
        db.setDatabaseName(base);
        db.setConnectOptions("UNIX_SOCKET=" + dossierGrappe + "/n1/sock");
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        CreerTablesServeur(db);
        db.close();
    }
    QSqlDatabase::removeDatabase("grappe-creation");

    // Each workstation lists its own node first, then the others.
    QTemporaryDir dossier;
    std::vector<std::unique_ptr<QProcess>> postes;
    for (int p = 0; p < Noeuds * PostesParNoeud; ++p) {
        const int noeud = p / PostesParNoeud;
        QStringList hotes;
        for (int k = 0; k < Noeuds; ++k) hotes << grappe.Hotes()[(noeud + k) % Noeuds];
        const QString poste = dossier.filePath(QStringLiteral("p%1").arg(p + 1));
        ASSERT_TRUE(QDir().mkpath(poste));
        QFile ini(poste + "/connexion.ini");
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[Serveur]\nHote=%1\nBase=%2\nUtilisateur=grappe\n"
                                 "MotDePasse=grappe\n")
                      .arg(hotes.join(QLatin1Char(',')), base)
                      .toUtf8());
        ini.close();
        postes.push_back(std::make_unique<QProcess>());
        postes.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        postes.back()->start(QStringLiteral(PARLIVO_BIN_DIR "/parlivo-grappe-poste"),
                             {poste, dossier.path(), QString::number(p + 1), "240"});
        ASSERT_TRUE(postes.back()->waitForStarted());
    }
    auto signal = [&](const char* nom) {
        QFile f(dossier.filePath(nom));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    };
    QElapsedTimer chrono;
    chrono.start();
    signal("depart");
    QThread::sleep(5);
    GetParam().panne(grappe);
    ASSERT_TRUE(grappe.AttendreSynchronisee(120)) << "la grappe ne s'est pas reformée";
    QThread::sleep(8);
    signal("arret");
    for (auto& p : postes) {
        EXPECT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitCode(), 0);
    }
    const double duree = chrono.elapsed() / 1000.0;

    // The nodes hold the same rows.
    ASSERT_TRUE(grappe.AttendreSynchronisee(120));
    for (const char* table : {"Categorie ORDER BY id_categorie", "Template ORDER BY id_template",
                              "Historique ORDER BY id",
                              "Parametres ORDER BY agence, "
                              "utilisateur, section, cle"}) {
        const QString sql = QStringLiteral("SELECT * FROM ") + table;
        const QStringList premier = grappe.Lire(1, sql, base);
        for (int n = 2; n <= Noeuds; ++n)
            EXPECT_TRUE(grappe.Lire(n, sql, base) == premier) << "nœud " << n << " : " << table;
    }

    std::vector<TIssue> issues;
    for (int p = 1; p <= Noeuds * PostesParNoeud; ++p) {
        const auto journal = LireJournal(dossier.filePath(QStringLiteral("p%1/journal").arg(p)));
        issues.insert(issues.end(), journal.begin(), journal.end());
    }
    TContenu contenu = LireContenu(grappe, base);
    const TBilan b = Comparer(issues, contenu);
    QString textes;
    for (const auto& [texte, nombre] : b.textes)
        textes += QStringLiteral("\n  %1 × %2").arg(nombre).arg(texte);
    std::printf(
        "| %s | opérations %d | perdues %d | fantômes %d | deux fois %d | erreurs %d "
        "(validation sans réponse : %d, dont %d présentes) | %.0f s |%s\n",
        GetParam().nom, b.operations, b.perdues, b.fantomes, b.deuxFois, b.erreurs, b.incertaines,
        b.incertainesPresentes, duree, qPrintable(textes));
    std::fflush(stdout);
    const std::string exemples = b.exemples.join(QStringLiteral("\n")).toStdString();
    EXPECT_GT(b.operations, 0);
    EXPECT_EQ(b.perdues, 0) << exemples;
    EXPECT_EQ(b.fantomes, 0) << exemples;
    EXPECT_EQ(b.deuxFois, 0) << exemples;
    // Without a fault, at most one operation in a thousand shows the user an error.
    if (GetParam().sansPanne) {
        EXPECT_LE(b.erreurs * 1000, b.operations);
    }
    if (HasFailure()) {
        dossier.setAutoRemove(false);
        std::printf("Journaux des postes gardés dans %s\n", qPrintable(dossier.path()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pannes, Grappe,
    ::testing::Values(TScenario{"SansPanne", [](const TGrappe&) { QThread::sleep(12); }, true},
                      TScenario{"NoeudTue",
                                [](const TGrappe& g) {
                                    g.Script("tuer", 1);
                                    QThread::sleep(20);
                                    g.Script("relancer", 1);
                                }},
                      TScenario{"DeuxNoeudsGeles",
                                [](const TGrappe& g) {
                                    g.Script("geler", 2);
                                    g.Script("geler", 3);
                                    QThread::sleep(30);
                                    g.Script("degeler", 2);
                                    g.Script("degeler", 3);
                                }}),
    [](const ::testing::TestParamInfo<TScenario>& info) { return std::string(info.param.nom); });
