#pragma once

#include <QString>
#include <nlohmann/json.hpp>
#include <optional>

// A parsed JSON value. Objects keep their members in the order received.
using TValeurJson = nlohmann::ordered_json;

// Reads a JSON text; std::nullopt when the text is not JSON (the empty text included).
// When an object repeats a member, the first one is kept and the others dropped.
// A number that is not a plain integer (1.0, 1e0, 2.50, a huge integer) is kept as the
// text it was written with, in a binary node (JSON text never yields binary values), so
// that TexteJson writes it back unchanged; read it through TexteJson.
std::optional<TValeurJson> AnalyserJson(const QString& texte);

// The first member of an object with exactly that name (case-sensitive); nullptr when
// there is none or when the value is not an object.
const TValeurJson* MembreJson(const TValeurJson& valeur, const QString& nom);

// The JSON text of a value, as a service wrote it: a number as written, a string inside
// its double quotes with its escapes, true, false and null as words, arrays and objects
// as compact JSON text with their members in the order received.
QString TexteJson(const TValeurJson& valeur);
