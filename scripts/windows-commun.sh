# shellcheck shell=bash disable=SC2034,SC2154
# Sourced by scripts/windows and scripts/windows-test: the cache of the cross-built
# dependencies, the MinGW-w64 toolchain file, and Wine's environment.

CACHE="${PARLIVO_WINDOWS_CACHE:-/var/cache/parlivo-windows}"
CHAINE_OUTILS="$CACHE/mingw-w64-x86_64.cmake"
CONSTRUCTION_WINDOWS="$racine/build-windows"
PAQUETS_WINDOWS=(g++-mingw-w64-x86-64-posix mingw-w64-tools qt6-base-dev-tools dpkg-dev tcl
    wine64 wine fonts-wine xvfb googletest)

# Compiler and runtime versions: a change rebuilds every cached dependency.
cle_compilateur() {
    x86_64-w64-mingw32-g++-posix --version | head -n 1
    dpkg-query -W -f='${Version}\n' mingw-w64-x86-64-dev
}

# The toolchain file, kept in the cache: Qt's own toolchain file names it by its path.
# Every cached prefix lies under $CACHE, one of the roots, so no host header or library is
# ever found by the cross build.
ecrire_chaine_outils() {
    mkdir -p "$CACHE"
    cat >"$CHAINE_OUTILS.nouveau" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_AR x86_64-w64-mingw32-ar CACHE FILEPATH "")
set(CMAKE_RANLIB x86_64-w64-mingw32-ranlib CACHE FILEPATH "")
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 $CACHE)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
    if cmp -s "$CHAINE_OUTILS.nouveau" "$CHAINE_OUTILS"; then
        rm "$CHAINE_OUTILS.nouveau"
    else
        mv "$CHAINE_OUTILS.nouveau" "$CHAINE_OUTILS"
    fi
}

# Connector/C installs no pkg-config file for Windows: write the one the program looks for
# (its import library is named liblibmariadb.dll.a).
ecrire_pc_mariadb() {
    local p="$1"
    mkdir -p "$p/lib/pkgconfig"
    cat >"$p/lib/pkgconfig/libmariadb.pc" <<EOF
prefix=$p
libdir=\${prefix}/lib/mariadb
includedir=\${prefix}/include/mariadb
Name: libmariadb
Description: MariaDB Connector/C
Version: $(sed -n 's/^#define MARIADB_PACKAGE_VERSION "\(.*\)"/\1/p' "$p/include/mariadb/mariadb_version.h")
Libs: -L\${libdir} -llibmariadb
Cflags: -I\${includedir}
EOF
}

# MinGW's runtime, which every program and Qt itself need beside them.
DLL_MINGW="/usr/lib/gcc/x86_64-w64-mingw32/12-posix/libstdc++-6.dll
/usr/lib/gcc/x86_64-w64-mingw32/12-posix/libgcc_s_seh-1.dll
/usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll"

# A Unix path as Wine names it (its drive Z: is the Unix root).
chemin_wine() { echo "Z:${1//\//\\}"; }

# Wine's environment for the cross-built programs: its own prefix in the cache (made once),
# the DLLs of every cached dependency on its PATH, Qt's plugins, no console noise and no
# offer to install Mono or Gecko. Needs the PREFIXE_* variables (scripts/windows writes
# them to $CONSTRUCTION_WINDOWS/prefixes.sh).
preparer_wine() {
    export WINEPREFIX="$CACHE/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEPATH
    WINEPATH="$(chemin_wine "$PREFIXE_QT/bin");$(chemin_wine "$PREFIXE_SQLITE/bin")"
    WINEPATH+=";$(chemin_wine "$PREFIXE_MARIADB/lib/mariadb")"
    WINEPATH+=";$(chemin_wine /usr/lib/gcc/x86_64-w64-mingw32/12-posix)"
    WINEPATH+=";$(chemin_wine /usr/x86_64-w64-mingw32/lib)"
    export QT_PLUGIN_PATH
    QT_PLUGIN_PATH="$(chemin_wine "$PREFIXE_QT/plugins")"
    if [ ! -e "$WINEPREFIX/.pret" ]; then
        echo "== préfixe Wine : création ($WINEPREFIX)"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
        touch "$WINEPREFIX/.pret"
    fi
}
