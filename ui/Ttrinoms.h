#pragma once

#include <QCollator>
#include <QStringList>
#include <vector>

class QComboBox;

// The sorted drop-down lists of both windows: names in the user locale's order, letter
// case aside, as a sorted list box of the desktop orders them; names that collate equal in
// the order they were given, as a sorted list fills when each name is added in turn after
// its equals.
class TTriNoms {
  public:
    TTriNoms();

    // Fills an empty list with the names sorted, in one call, and gives for each name (in
    // the given order) its index in the list. The selection stays as it was (none stays
    // none: a combo would otherwise select the first name added).
    std::vector<int> Remplir(QComboBox* liste, const QStringList& noms) const;
    // Inserts one name at its place, after the names that collate equal to it, found by
    // binary search; gives its index. The selection stays on the entry it was on.
    int Inserer(QComboBox* liste, const QString& nom) const;

  private:
    QCollator collation;
};
