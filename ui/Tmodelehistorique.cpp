#include "ui/Tmodelehistorique.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

namespace {

const char* const Titres[TModeleHistorique::NombreColonnes] = {
    "Agence",       "Utilisateur", "Date création", "Expéditeur",
    "Destinataire", "Message",     "Date envoie",   "Etat"};

}  // namespace

quint32 TModeleHistorique::TContenu::AjouterCommun(const QString& texte) {
    communs.push_back(texte);
    return static_cast<quint32>(communs.size() - 1);
}

TModeleHistorique::TContenu::TContenu(TContenu&& autre) noexcept { *this = std::move(autre); }

TModeleHistorique::TContenu& TModeleHistorique::TContenu::operator=(TContenu&& autre) noexcept {
    communs = std::exchange(autre.communs, {});
    blocsLignes = std::exchange(autre.blocsLignes, {});
    nombreLignes = std::exchange(autre.nombreLignes, 0);
    libreLignes = std::exchange(autre.libreLignes, 0);
    derniere = std::exchange(autre.derniere, nullptr);
    blocsOctets = std::exchange(autre.blocsOctets, {});
    tailleBlocOctets = std::exchange(autre.tailleBlocOctets, 0);
    libreDansBloc = std::exchange(autre.libreDansBloc, 0);
    return *this;
}

namespace {
[[noreturn]] void TropVolumineux() {
    throw std::runtime_error("Erreur : le résultat de la recherche est trop volumineux.");
}
}  // namespace

void TModeleHistorique::TContenu::NouvelleLigne() {
    if (nombreLignes == std::numeric_limits<int>::max()) TropVolumineux();
    if (libreLignes == 0) {
        const size_t taille = PremierBlocLignes << std::min(blocsLignes.size(),
                                                            static_cast<size_t>(DoublementsLignes));
        blocsLignes.push_back(std::make_unique_for_overwrite<TLigne[]>(taille));
        libreLignes = taille;
        derniere = blocsLignes.back().get();
    } else {
        ++derniere;
    }
    --libreLignes;
    ++nombreLignes;
    *derniere = TLigne{};
}

const TModeleHistorique::TContenu::TLigne& TModeleHistorique::TContenu::Ligne(size_t ligne) const {
    // Blocks 0 to DoublementsLignes double in size; the next ones all have the last size.
    constexpr size_t debutFixes = PremierBlocLignes * ((size_t(1) << (DoublementsLignes + 1)) - 1);
    constexpr size_t tailleFixe = PremierBlocLignes << DoublementsLignes;
    if (ligne >= debutFixes) {
        const size_t reste = ligne - debutFixes;
        return blocsLignes[DoublementsLignes + 1 + reste / tailleFixe][reste % tailleFixe];
    }
    const size_t bloc = static_cast<size_t>(std::bit_width(ligne / PremierBlocLignes + 1)) - 1;
    return blocsLignes[bloc][ligne - PremierBlocLignes * ((size_t(1) << bloc) - 1)];
}

void TModeleHistorique::TContenu::Octets(int colonne, QByteArrayView utf8) {
    const auto taille = static_cast<size_t>(utf8.size());
    TCellule& cellule = (*derniere)[static_cast<size_t>(colonne)];
    if (taille == 0) {
        cellule = {0, 0};
        return;
    }
    if (taille >= Partage) TropVolumineux();
    if (taille > libreDansBloc) {
        if (blocsOctets.size() >= (size_t(1) << (32 - BitsOctets))) TropVolumineux();
        if (taille > TailleBlocOctets) {
            // A block of its own; the next short text starts a new block.
            blocsOctets.push_back(std::make_unique_for_overwrite<char[]>(taille));
            std::memcpy(blocsOctets.back().get(), utf8.data(), taille);
            libreDansBloc = 0;
            cellule = {static_cast<quint32>((blocsOctets.size() - 1) << BitsOctets),
                       static_cast<quint32>(taille)};
            return;
        }
        tailleBlocOctets = tailleBlocOctets == 0 ? PremierBlocOctets
                                                 : std::min(tailleBlocOctets * 2, TailleBlocOctets);
        while (tailleBlocOctets < taille) tailleBlocOctets *= 2;
        blocsOctets.push_back(std::make_unique_for_overwrite<char[]>(tailleBlocOctets));
        libreDansBloc = tailleBlocOctets;
    }
    const size_t debut = tailleBlocOctets - libreDansBloc;
    std::memcpy(blocsOctets.back().get() + debut, utf8.data(), taille);
    libreDansBloc -= taille;
    cellule = {static_cast<quint32>(((blocsOctets.size() - 1) << BitsOctets) | debut),
               static_cast<quint32>(taille)};
}

QString TModeleHistorique::TContenu::Texte(int ligne, int colonne) const {
    const TCellule& c = Ligne(static_cast<size_t>(ligne))[static_cast<size_t>(colonne)];
    if (c.taille == Partage) return communs[c.position];
    if (c.taille == 0) return QString();
    const char* bloc = blocsOctets[c.position >> BitsOctets].get();
    return QString::fromUtf8(bloc + (c.position & (TailleBlocOctets - 1)),
                             static_cast<qsizetype>(c.taille));
}

TModeleHistorique::TModeleHistorique(QObject* parent) : QAbstractTableModel(parent) {}

int TModeleHistorique::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : contenu.NombreLignes();
}

int TModeleHistorique::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : NombreColonnes;
}

QVariant TModeleHistorique::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= contenu.NombreLignes() ||
        index.column() >= NombreColonnes)
        return QVariant();
    // The tip shows a text the column is too narrow for, a long message above all.
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return contenu.Texte(index.row(), index.column());
    return QVariant();
}

QVariant TModeleHistorique::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < NombreColonnes)
        return QString::fromUtf8(Titres[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TModeleHistorique::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

TModeleHistorique::TRemise::TRemise(TModeleHistorique& modele) : modele(modele) {
    modele.beginResetModel();
    modele.contenu = TContenu();
}

TModeleHistorique::TRemise::~TRemise() {
    if (!terminee) modele.endResetModel();
}

void TModeleHistorique::TRemise::Terminer(TContenu&& nouveau) {
    if (terminee) return;
    modele.contenu = std::move(nouveau);
    terminee = true;
    modele.endResetModel();
}
