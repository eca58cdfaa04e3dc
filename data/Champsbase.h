#pragma once

#include <QDateTime>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

// Reading the fields of a row: by name, and the stored date-times.

// Date-times are stored as local-time text in this form.
inline constexpr const char* FormatDateBase = "yyyy-MM-dd hh:mm:ss.zzz";
// Day 0 of the date-time values: what a NULL date reads as.
QDateTime DateZero();
// NULL or empty reads as DateZero(); text in another form raises EErreurBase.
QDateTime LireDateBase(const QVariant& valeur);
// A field of a row by name, case-insensitively; raises EErreurBase when there is none,
// saying where it was looked for (`ou`).
QVariant ChampLigne(const QSqlRecord& ligne, const QString& nom,
                    const QString& ou = QStringLiteral("la ligne lue"));
