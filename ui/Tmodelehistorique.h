#pragma once

#include <QAbstractTableModel>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <memory>
#include <vector>

// The history list's contents: the display texts of each row, nothing else. A search
// builds all its rows in a TContenu, then hands it over through a TRemise, so the view is
// reset once per search instead of once per row.
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
        // Left uninitialised in a new block, so that its memory is touched only row by row.
        struct TCellule {
            // Bytes: block number (high 12 bits) and offset in it (low 20 bits);
            // a shared text: its number in communs.
            quint32 position;
            quint32 taille;  // in bytes, or Partage
        };
        using TLigne = std::array<TCellule, NombreColonnes>;
        // Blocks start small, so that a short result costs little, and double up to 4,096
        // rows (256 KiB) and 1 MiB of text.
        static constexpr size_t PremierBlocLignes = 64;
        static constexpr int DoublementsLignes = 6;
        static constexpr size_t PremierBlocOctets = 4096;
        static constexpr int DoublementsOctets = 8;
        static constexpr int BitsOctets = 20;  // offsets in a block of at most 1 MiB
        static constexpr size_t TailleBlocOctets = PremierBlocOctets << DoublementsOctets;
        static_assert(TailleBlocOctets == size_t(1) << BitsOctets);
        const TLigne& Ligne(size_t ligne) const;

        std::vector<QString> communs;
        std::vector<std::unique_ptr<TLigne[]>> blocsLignes;
        int nombreLignes = 0;
        size_t libreLignes = 0;  // rows left in the last block
        TLigne* derniere = nullptr;
        // A text longer than a block gets a block of its own.
        std::vector<std::unique_ptr<char[]>> blocsOctets;
        size_t tailleBlocOctets = 0;  // of the last block
        size_t libreDansBloc = 0;     // bytes left in the last block
    };

    explicit TModeleHistorique(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // A search's one reset: empties the list at once and keeps the view waiting until
    // Terminer gives the new rows; left without Terminer (an error), the list stays empty.
    // Nothing may repaint in between: the search runs without returning to the event loop.
    class TRemise {
      public:
        explicit TRemise(TModeleHistorique& modele);
        ~TRemise();
        TRemise(const TRemise&) = delete;
        TRemise& operator=(const TRemise&) = delete;
        void Terminer(TContenu&& nouveau);

      private:
        TModeleHistorique& modele;
        bool terminee = false;
    };

    // The text shown at a row and column (column 0 is "Agence").
    QString Texte(int ligne, int colonne) const { return contenu.Texte(ligne, colonne); }

  private:
    TContenu contenu;
};
