#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <vector>

// The history list's contents: the display texts of each row, nothing else. A search
// hands over all its rows at once, so the view is reset once instead of once per row.
class TModeleHistorique : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int NombreColonnes = 8;
    using TLigne = std::array<QString, NombreColonnes>;

    explicit TModeleHistorique(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Removes every row.
    void Vider();
    // Replaces every row by these, in one reset.
    void Remplacer(std::vector<TLigne>&& nouvelles);

    // The text shown at a row and column (column 0 is "Agence").
    const QString& Texte(int ligne, int colonne) const { return lignes[ligne][colonne]; }

  private:
    std::vector<TLigne> lignes;
};
