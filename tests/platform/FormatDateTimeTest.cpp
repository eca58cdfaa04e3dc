#include <gtest/gtest.h>

#include <QLocale>

#include "platform/FormatDateTime.h"

namespace {

// Wednesday 5 March 2025, 09:07:02.045 (local time).
const QDateTime Matin(QDate(2025, 3, 5), QTime(9, 7, 2, 45));

struct TCas {
    const char* motif;
    QDateTime valeur;
    const char* attendu;
};

void Verifier(const std::vector<TCas>& cas) {
    for (const TCas& c : cas) {
        EXPECT_EQ(FormatDateTime(QString::fromUtf8(c.motif), c.valeur),
                  QString::fromUtf8(c.attendu))
            << "motif " << c.motif;
    }
}

// Switches the default locale for one test and puts French back afterwards.
class TLocaleTemporaire {
  public:
    explicit TLocaleTemporaire(const QLocale& locale) { QLocale::setDefault(locale); }
    ~TLocaleTemporaire() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }
};

}  // namespace

TEST(FormatDateTime, ChampsNumeriquesDeLaDateEtDeLHeure) {
    Verifier({
        {"yyyy-mm-dd hh:nn:ss", Matin, "2025-03-05 09:07:02"},
        {"dd/mm/yyyy", Matin, "05/03/2025"},
        {"d/m/yy", Matin, "5/3/25"},
        {"y yyy", Matin, "25 2025"},
        {"h:n:s", Matin, "9:7:2"},
        {"z zzz", Matin, "45 045"},
        {"yyyymmddhhnnss", QDateTime(QDate(2025, 12, 31), QTime(23, 59, 58)), "20251231235958"},
        {"dd/mm/yyyy", QDateTime(QDate(987, 1, 2), QTime(0, 0)), "02/01/0987"},
    });
}

TEST(FormatDateTime, MoisOuMinutesSelonLeJetonPrecedent) {
    Verifier({
        {"hh:mm", Matin, "09:07"},
        {"h:m", Matin, "9:7"},
        {"hh'h'mm", Matin, "09h07"},
        {"mm/dd hh:mm", Matin, "03/05 09:07"},
        {"hh:nn mm", Matin, "09:07 03"},
        {"hh:mmm", Matin, "09:mars"},
        {"hh dd mm", Matin, "09 05 03"},
    });
}

TEST(FormatDateTime, NomsDesJoursEtDesMoisDeLaLangue) {
    Verifier({
        {"ddd dddd", Matin, "mer. mercredi"},
        {"mmm mmmm", Matin, "mars mars"},
        {"dddd d mmmm yyyy", QDateTime(QDate(2025, 2, 9), QTime(8, 0)), "dimanche 9 février 2025"},
        {"mmm", QDateTime(QDate(2025, 2, 9), QTime(8, 0)), "févr."},
        {"ddddd", Matin, "05/03/2025"},
    });
}

TEST(FormatDateTime, LettresDansLesDeuxCasses) {
    Verifier({
        {"YYYY-MM-DD HH:NN:SS", Matin, "2025-03-05 09:07:02"},
        {"Dd/Mm/YyYy hH:Mm", Matin, "05/03/2025 09:07"},
        {"DDDD MMMM", Matin, "mercredi mars"},
    });
}

TEST(FormatDateTime, HorlogeDeDouzeHeures) {
    const QDateTime soir(QDate(2025, 3, 5), QTime(21, 5, 0));
    const QDateTime minuitEtDemi(QDate(2025, 3, 5), QTime(0, 30, 0));
    const QDateTime midi(QDate(2025, 3, 5), QTime(12, 0, 0));
    Verifier({
        {"h:nn am/pm", soir, "9:05 pm"},
        {"hh:nn AM/PM", Matin, "09:07 AM"},
        {"hh:nn Am/pM", soir, "09:05 pM"},
        {"h a/p", soir, "9 p"},
        {"h A/P", Matin, "9 A"},
        {"h:nn am/pm", minuitEtDemi, "12:30 am"},
        {"h am/pm", midi, "12 pm"},
        {"hh:nn", soir, "21:05"},
        {"am/pm hh", soir, "pm 09"},
        {"hh 'am/pm'", soir, "21 am/pm"},
    });
}

TEST(FormatDateTime, TexteEntreGuillemetsEtAutresCaracteres) {
    Verifier({
        {"'dd' \"mm\" dd", Matin, "dd mm 05"},
        {"\"le \"dd' à 'hh", Matin, "le 05 à 09"},
        {"yyyy 'reste ouvert", Matin, "2025 reste ouvert"},
        {"yyyy_T x-é!", Matin, "2025_T x-é!"},
        {"''", Matin, ""},
    });
}

TEST(FormatDateTime, DateEtHeureDeLaLangueEtMotifVide) {
    const QDateTime minuit(QDate(2025, 3, 5), QTime(0, 0));
    Verifier({
        {"c", Matin, "05/03/2025 09:07:02"},
        {"C", Matin, "05/03/2025 09:07:02"},
        {"", Matin, "05/03/2025 09:07:02"},
        {"c", minuit, "05/03/2025"},
        {"", minuit, "05/03/2025"},
        {"'le' c", Matin, "le 05/03/2025 09:07:02"},
    });
}

TEST(FormatDateTime, SeparateursDeLaLangue) {
    {
        TLocaleTemporaire allemand(QLocale(QLocale::German, QLocale::Germany));
        Verifier({
            {"dd/mm/yyyy hh:nn", Matin, "05.03.2025 09:07"},
            {"c", Matin, "05.03.25 09:07:02"},
        });
    }
    {
        TLocaleTemporaire finnois(QLocale(QLocale::Finnish, QLocale::Finland));
        Verifier({{"hh:nn:ss", Matin, "09.07.02"}});
    }
    // Literal separators in quotes stay as written.
    TLocaleTemporaire allemand(QLocale(QLocale::German, QLocale::Germany));
    Verifier({{"dd'/'mm", Matin, "05/03"}});
}
