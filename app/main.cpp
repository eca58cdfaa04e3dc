#include "app/Demarrage.h"
#include "app/Tapplicationparlivo.h"

int main(int argc, char** argv) {
    TApplicationParlivo application(argc, argv);
    return Demarrer(application.arguments().mid(1), [] { return QApplication::exec(); });
}
