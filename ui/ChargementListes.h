#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class TCategorie;
class TConfigurationApi;
class TDataModuleAbs;
class TTemplate;

// What the send and configuration windows share in the way they read their lists from
// the base; each window fills its own controls from them.

using TListeServices = std::vector<std::unique_ptr<TConfigurationApi>>;
using TListeCategories = std::vector<std::unique_ptr<TCategorie>>;
using TListeTemplates = std::vector<std::unique_ptr<TTemplate>>;

// The data module that start-up creates; an error when there is none, rather than a
// crash on the first table.
TDataModuleAbs& ModuleDonnees();

// Every sending service, in the table's order, the range removed.
TListeServices LireServices();
// Every category, in the table's order, the range removed.
TListeCategories LireCategories();
// Every template of the category, whoever wrote it, in the table's order; the cursor
// reads only that category's rows.
TListeTemplates LireTemplatesCategorie(qint32 idCategorie);

// The records' names, in the list's order.
template <class TRecord>
QStringList Noms(const std::vector<std::unique_ptr<TRecord>>& liste) {
    QStringList noms;
    noms.reserve(static_cast<qsizetype>(liste.size()));
    for (const auto& record : liste) noms << record->nom();
    return noms;
}
