// Enter on a focused button presses it, in each of the three windows.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <string>

#include "commun/BaseTest.h"
#include "commun/DialoguesScriptes.h"
#include "ui/Ficheenvoisms.h"
#include "ui/Tficheconfiguration.h"
#include "ui/Tfichehistorique.h"

namespace {

// Presses Enter on every enabled button of the window; gives the names of those that
// did not react.
template <class TFenetre>
std::string BoutonsSourdsAEntree() {
    TBaseTest base;
    TDialoguesScriptes dialogues;
    TFenetre fenetre;
    QStringList sourds;
    int essayes = 0;
    for (QPushButton* bouton : fenetre.template findChildren<QPushButton*>()) {
        if (!bouton->isEnabled()) continue;
        ++essayes;
        QSignalSpy clics(bouton, &QPushButton::clicked);
        QTest::keyClick(bouton, Qt::Key_Return);
        if (clics.count() != 1) sourds << bouton->objectName();
    }
    EXPECT_GE(essayes, 2);
    return sourds.join(QStringLiteral(", ")).toStdString();
}

}  // namespace

TEST(ClavierTest, EntreeSurUnBoutonLePresse) {
    EXPECT_EQ(BoutonsSourdsAEntree<TFormEnvoiSMS>(), "");
    EXPECT_EQ(BoutonsSourdsAEntree<TFicheConfiguration>(), "");
    EXPECT_EQ(BoutonsSourdsAEntree<TFicheHistorique>(), "");
}
