// The history list's model: the texts it is given come back unchanged, whatever their
// length and however many rows, and the view sees them as a read-only table.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <stdexcept>

#include "ui/Tmodelehistorique.h"

TEST(TmodelehistoriqueTest, TextesRendusTelsQuels) {
    TModeleHistorique::TContenu contenu;
    const quint32 agence = contenu.AjouterCommun(QStringLiteral("Agence Sud"));
    const quint32 vide = contenu.AjouterCommun(QString());
    // Enough rows and bytes to fill several blocks of each kind; one text longer than a
    // block, between two short ones.
    const int nombre = 10000;
    const QByteArray long_ = QString(700000, QChar(u'é')).toUtf8();
    for (int i = 0; i < nombre; ++i) {
        contenu.NouvelleLigne();
        contenu.Commun(0, i % 2 ? agence : vide);
        contenu.Octets(1, QStringLiteral("Clé n° %1 ").arg(i).repeated(i % 300).toUtf8());
        if (i == 5000) contenu.Octets(5, long_);
        contenu.Octets(7, QByteArrayView());
    }
    EXPECT_EQ(contenu.NombreLignes(), nombre);

    TModeleHistorique modele;
    QSignalSpy remises(&modele, &QAbstractItemModel::modelReset);
    QSignalSpy annonces(&modele, &QAbstractItemModel::modelAboutToBeReset);
    {
        TModeleHistorique::TRemise remise(modele);
        EXPECT_EQ(annonces.count(), 1);
        EXPECT_EQ(remises.count(), 0);
        remise.Terminer(std::move(contenu));
    }
    EXPECT_EQ(remises.count(), 1);
    EXPECT_EQ(contenu.NombreLignes(), 0);  // what is moved from is left empty
    ASSERT_EQ(modele.rowCount(), nombre);
    for (int i = 0; i < nombre; ++i) {
        ASSERT_EQ(modele.Texte(i, 0), i % 2 ? QStringLiteral("Agence Sud") : QString()) << i;
        ASSERT_EQ(modele.Texte(i, 1), QStringLiteral("Clé n° %1 ").arg(i).repeated(i % 300)) << i;
        ASSERT_EQ(modele.Texte(i, 5), i == 5000 ? QString::fromUtf8(long_) : QString()) << i;
        // A cell never set is empty.
        ASSERT_TRUE(modele.Texte(i, 3).isEmpty());
        ASSERT_TRUE(modele.Texte(i, 7).isEmpty());
    }

    // What the view asks for.
    EXPECT_EQ(modele.columnCount(), 8);
    const QModelIndex index = modele.index(1, 0);
    EXPECT_EQ(modele.data(index).toString(), QStringLiteral("Agence Sud"));
    EXPECT_EQ(modele.data(index, Qt::ToolTipRole).toString(), QStringLiteral("Agence Sud"));
    EXPECT_FALSE(modele.data(index, Qt::EditRole).isValid());
    EXPECT_FALSE(modele.flags(index) & Qt::ItemIsEditable);
    EXPECT_TRUE(modele.flags(index) & Qt::ItemIsSelectable);
    EXPECT_FALSE(modele.data(modele.index(nombre, 0)).isValid());
    EXPECT_EQ(modele.rowCount(index), 0);  // a table: no row has children
    EXPECT_EQ(modele.headerData(6, Qt::Horizontal).toString(), QStringLiteral("Date envoie"));

    // A search that fails between the two leaves the list empty, after one reset too.
    try {
        TModeleHistorique::TRemise remise(modele);
        EXPECT_EQ(annonces.count(), 2);
        throw std::runtime_error("échec");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(remises.count(), 2);
    EXPECT_EQ(modele.rowCount(), 0);
}
