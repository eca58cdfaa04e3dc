#include "platform/TexteJson.h"

#include <string>
#include <vector>

namespace {

// Builds the value from the parser's events, so that it can keep the first of repeated
// members and the written text of numbers (the library's own tree does neither).
class TConstructeurJson : public nlohmann::json_sax<TValeurJson> {
  public:
    TValeurJson racine;

    bool null() override { return Ajouter(nullptr); }
    bool boolean(bool valeur) override { return Ajouter(valeur); }
    bool number_integer(number_integer_t valeur) override { return Ajouter(valeur); }
    bool number_unsigned(number_unsigned_t valeur) override { return Ajouter(valeur); }
    bool number_float(number_float_t, const string_t& texte) override {
        return Ajouter(
            TValeurJson::binary(TValeurJson::binary_t::container_type(texte.begin(), texte.end())));
    }
    bool string(string_t& valeur) override { return Ajouter(valeur); }
    bool binary(binary_t& valeur) override { return Ajouter(TValeurJson::binary(valeur)); }

    bool start_object(std::size_t) override { return Ouvrir(TValeurJson::object()); }
    bool end_object() override { return Fermer(); }
    bool start_array(std::size_t) override { return Ouvrir(TValeurJson::array()); }
    bool end_array() override { return Fermer(); }

    bool key(string_t& nom) override {
        if (ignores > 0) return true;
        ignorerSuivant = pile.back()->contains(nom);
        cle = nom;
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

  private:
    // Puts a value where the parser stands; gives where it went, or nullptr when it is
    // dropped (a repeated member, or anything inside one).
    TValeurJson* Placer(TValeurJson&& valeur) {
        if (ignores > 0) return nullptr;
        if (pile.empty()) {
            racine = std::move(valeur);
            return &racine;
        }
        TValeurJson& parent = *pile.back();
        if (parent.is_array()) {
            parent.push_back(std::move(valeur));
            return &parent.back();
        }
        if (ignorerSuivant) {
            ignorerSuivant = false;
            return nullptr;
        }
        TValeurJson& place = parent[cle];
        place = std::move(valeur);
        return &place;
    }

    bool Ajouter(TValeurJson&& valeur) {
        Placer(std::move(valeur));
        return true;
    }

    bool Ouvrir(TValeurJson&& conteneur) {
        if (ignores > 0) {
            ++ignores;
            return true;
        }
        TValeurJson* place = Placer(std::move(conteneur));
        if (place == nullptr) {
            ignores = 1;
        } else {
            pile.push_back(place);
        }
        return true;
    }

    bool Fermer() {
        if (ignores > 0) {
            --ignores;
        } else {
            pile.pop_back();
        }
        return true;
    }

    // The open arrays and objects; a parent does not grow while a child is open, so the
    // pointers stay valid.
    std::vector<TValeurJson*> pile;
    std::string cle;
    bool ignorerSuivant = false;
    int ignores = 0;  // depth inside a dropped member
};

// Written without recursion: a service's answer nested a hundred thousand levels deep
// must not exhaust the stack.
void Ecrire(const TValeurJson& racine, std::string& sortie) {
    struct TCadre {
        const TValeurJson* conteneur;
        TValeurJson::const_iterator suivant;
    };
    std::vector<TCadre> pile;
    const TValeurJson* courant = &racine;
    for (;;) {
        if (courant != nullptr) {
            switch (courant->type()) {
                case nlohmann::json::value_t::object:
                    sortie += '{';
                    pile.push_back({courant, courant->cbegin()});
                    break;
                case nlohmann::json::value_t::array:
                    sortie += '[';
                    pile.push_back({courant, courant->cbegin()});
                    break;
                case nlohmann::json::value_t::binary: {
                    const auto& octets = courant->get_binary();
                    sortie.append(octets.begin(), octets.end());
                    break;
                }
                default:
                    sortie += courant->dump();
                    break;
            }
            courant = nullptr;
        }
        if (pile.empty()) return;
        TCadre& cadre = pile.back();
        const bool objet = cadre.conteneur->is_object();
        if (cadre.suivant == cadre.conteneur->cend()) {
            sortie += objet ? '}' : ']';
            pile.pop_back();
            continue;
        }
        if (cadre.suivant != cadre.conteneur->cbegin()) sortie += ',';
        if (objet) {
            sortie += TValeurJson(cadre.suivant.key()).dump();
            sortie += ':';
        }
        courant = &*cadre.suivant;
        ++cadre.suivant;
    }
}

}  // namespace

std::optional<TValeurJson> AnalyserJson(const QString& texte) {
    TConstructeurJson constructeur;
    const QByteArray octets = texte.toUtf8();
    const std::string source(octets.constData(), static_cast<std::size_t>(octets.size()));
    if (!TValeurJson::sax_parse(source, &constructeur)) return std::nullopt;
    return std::move(constructeur.racine);
}

const TValeurJson* MembreJson(const TValeurJson& valeur, const QString& nom) {
    if (!valeur.is_object()) return nullptr;
    const auto it = valeur.find(nom.toStdString());
    return it == valeur.end() ? nullptr : &*it;
}

QString TexteJson(const TValeurJson& valeur) {
    std::string sortie;
    Ecrire(valeur, sortie);
    return QString::fromStdString(sortie);
}
