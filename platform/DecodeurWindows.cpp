#include "platform/DecodeurWindows.h"

#ifdef Q_OS_WIN
#include <windows.h>
// after windows.h, which they need
#include <mlang.h>
#include <oleauto.h>

#include <string>

namespace {

// MinGW's headers declare MLang's interfaces without their identifiers.
const CLSID ClsidMultiLangue = {
    0x275c23e2, 0x3747, 0x11d0, {0x9f, 0xea, 0x00, 0xaa, 0x00, 0x3f, 0x86, 0x46}};
const IID IidMultiLangue = {
    0x275c23e1, 0x3747, 0x11d0, {0x9f, 0xea, 0x00, 0xaa, 0x00, 0x3f, 0x86, 0x46}};

// The code page Windows gives the charset name, or 0.
UINT PageDeCode(const QByteArray& jeu) {
    // COM may already run on this thread in another mode; MLang works in either.
    const bool initialise = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    UINT page = 0;
    IMultiLanguage* langues = nullptr;
    if (SUCCEEDED(CoCreateInstance(ClsidMultiLangue, nullptr, CLSCTX_INPROC_SERVER, IidMultiLangue,
                                   reinterpret_cast<void**>(&langues)))) {
        const std::wstring nom = QString::fromLatin1(jeu).toStdWString();
        BSTR texte = SysAllocString(nom.c_str());
        MIMECSETINFO info{};
        if (texte != nullptr && SUCCEEDED(langues->GetCharsetInfo(texte, &info)))
            page = info.uiInternetEncoding;
        SysFreeString(texte);
        langues->Release();
    }
    if (initialise) CoUninitialize();
    return page;
}

}  // namespace

std::optional<QString> DecoderPageDeCode(const QByteArray& octets, const QByteArray& jeu) {
    const UINT page = PageDeCode(jeu);
    if (page == 0) return std::nullopt;
    if (octets.isEmpty()) return QString();
    const int taille = static_cast<int>(octets.size());
    const int n = MultiByteToWideChar(page, 0, octets.constData(), taille, nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring texte(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(page, 0, octets.constData(), taille, texte.data(), n);
    return QString::fromStdWString(texte);
}
#endif
