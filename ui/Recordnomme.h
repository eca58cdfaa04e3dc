#pragma once

#include <QString>
#include <memory>
#include <vector>

// The record behind a name in a list: the first one, in the list's order, whose name is
// exactly that text (case-sensitive); nullptr when none is.
template <class TRecord>
TRecord* RecordNomme(const std::vector<std::unique_ptr<TRecord>>& liste, const QString& nom) {
    for (const auto& record : liste)
        if (record->nom() == nom) return record.get();
    return nullptr;
}
