# Sourced by the README's commands: installs the Debian packages the project needs,
# only those that are missing.
PAQUETS=(g++ make cmake ninja-build pkg-config qt6-base-dev libqt6sql6-sqlite libsqlite3-dev
    qt6-translations-l10n nlohmann-json3-dev libgtest-dev sqlite3 ca-certificates
    fonts-dejavu-core libmariadb-dev mariadb-server openssl)

installer_dependances() {
    local manquants=() p
    for p in "${PAQUETS[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' \
            || manquants+=("$p")
    done
    [ ${#manquants[@]} -eq 0 ] && return 0
    echo "Installation des paquets manquants : ${manquants[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${manquants[@]}"
}
