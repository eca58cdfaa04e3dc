#pragma once

#include <QAbstractTableModel>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <memory>
#include <vector>

// The history list's contents: the display texts of each row, nothing else. A search
// builds all its rows in a TContenu, then hands it over, so the view is reset once
// instead of once per row.
class TModeleHistorique : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int NombreColonnes = 8;

    // The texts of a result, compactly: a text that many cells repeat (an agency, a user,
    // a day, a state) is stored once and its cells refer to it by number; any other text
    // is kept as UTF-8 bytes, end to end. Rows and bytes go into fixed-size blocks that
    // are never moved, so a long result is filled without copying what is already there.
    class TContenu {
      public:
        TContenu() = default;
        // What is moved from is left empty.
        TContenu(TContenu&& autre) noexcept;
        TContenu& operator=(TContenu&& autre) noexcept;

        // Adds a text shared by several cells and gives its number.
        quint32 AjouterCommun(const QString& texte);
        // Starts a new row with every cell empty.
        void NouvelleLigne();
        // Sets a cell of the last row to a shared text, or to UTF-8 bytes (copied).
        void Commun(int colonne, quint32 numero) {
            (*derniere)[static_cast<size_t>(colonne)] = {numero, Partage};
        }
        void Octets(int colonne, QByteArrayView utf8);

        int NombreLignes() const { return nombreLignes; }
        QString Texte(int ligne, int colonne) const;

      private:
        static constexpr quint32 Partage = 0xFFFFFFFFu;
        struct TCellule {
            // Left uninitialised in a new block, so that its memory is touched only row by row.
            // Bytes: block number (high 12 bits) and offset in it (low 20 bits);
            // a shared text: its number in communs.
            quint32 position;
            quint32 taille;  // in bytes, or Partage
        };
        using TLigne = std::array<TCellule, NombreColonnes>;
        static constexpr int BitsLignes = 12;  // 4,096 rows (256 KiB) per block
        static constexpr int BitsOctets = 20;  // 1 MiB of text per block
        static constexpr size_t TailleBlocOctets = size_t(1) << BitsOctets;

        std::vector<QString> communs;
        std::vector<std::unique_ptr<TLigne[]>> blocsLignes;
        int nombreLignes = 0;
        TLigne* derniere = nullptr;
        // A text longer than a block gets a block of its own.
        std::vector<std::unique_ptr<char[]>> blocsOctets;
        size_t libreDansBloc = 0;  // bytes left in the last block
    };

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
    void Remplacer(TContenu&& nouveau);

    // The text shown at a row and column (column 0 is "Agence").
    QString Texte(int ligne, int colonne) const { return contenu.Texte(ligne, colonne); }

  private:
    TContenu contenu;
};
