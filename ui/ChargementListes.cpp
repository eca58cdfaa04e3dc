#include "ui/ChargementListes.h"

#include "data/Datamoduleabs.h"
#include "data/EErreurBase.h"
#include "data/Tcategorie.h"
#include "data/Tconfigurationapi.h"
#include "data/Ttemplate.h"

TDataModuleAbs& ModuleDonnees() {
    if (!DataModuleAbs) throw EErreurBase("Erreur : le module de données n'est pas créé.");
    return *DataModuleAbs;
}

TListeServices LireServices() {
    TCurseur& services = ModuleDonnees().tblConfigurationApi;
    services.AnnulerPlage();
    TListeServices liste;
    for (services.Premier(); !services.Eof(); services.Suivant())
        liste.push_back(std::make_unique<TConfigurationApi>(services.Ligne()));
    return liste;
}

TListeCategories LireCategories() {
    TCurseur& categories = ModuleDonnees().tblCategorie;
    categories.AnnulerPlage();
    return LireRecords<TCategorie>(categories);
}

TListeTemplates LireTemplatesCategorie(qint32 idCategorie) {
    TCurseur& modeles = ModuleDonnees().tblTemplate;
    modeles.DefinirPlage(QStringLiteral("id_categorie"), idCategorie);
    TListeTemplates liste = LireRecords<TTemplate>(modeles);
    modeles.AnnulerPlage();
    return liste;
}
