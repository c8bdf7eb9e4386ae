#!/usr/bin/env bash
# Builds the part of mbedTLS that certsubj needs for the big-endian MIPS target.
# Debian has no packages for that target, so this fetches Debian's source
# package of the same version as the installed libmbedtls-dev (apt-get source,
# deb-src entries added when missing), unpacks it outside the repository's
# tracked files and compiles only the modules the extractor uses, configured by
# certsubj/mbedtls/target_config.h. Cached: nothing is fetched or rebuilt when
# the version, the configuration and this script are unchanged.
#   $1 / WY_MBEDTLS_TARGET  where to put it (default build-mbedtls-mips/)
# Prints the install prefix (include/, lib/) on its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
out=${1:-${WY_MBEDTLS_TARGET:-$top/build-mbedtls-mips}}
triple=mips-linux-gnu
config=$top/certsubj/mbedtls/target_config.h

say() { printf -- '-- mbedtls: %s\n' "$*" >&2; }

version=$(dpkg-query -W -f='${Version}' libmbedtls-dev)
[ -n "$version" ] || { echo "mbedtls-target: libmbedtls-dev is not installed" >&2; exit 1; }
upstream=${version#*:}
upstream=${upstream%-*}
key=$( (echo "$version"; cat "$config" "$0") | sha256sum | cut -c1-16)
prefix=$out/$version-$key
if [ -f "$prefix/.done" ]; then
  say "cached in $prefix"
  echo "$prefix"
  exit 0
fi

src=$out/src/mbedtls-$upstream
if [ ! -f "$out/src/.unpacked-$version" ]; then
  # deb-src entries for the suite the system runs, once.
  if ! apt-cache showsrc "mbedtls=$version" 2>/dev/null | grep -q '^Package: mbedtls'; then
    # The same archives the system installs from, as source entries.
    list=/etc/apt/sources.list.d/wy-deb-src
    if [ -r /etc/apt/sources.list.d/debian.sources ]; then
      say "adding deb-src entries ($list.sources)"
      sed 's/^Types:.*$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$list.sources"
    elif [ -r /etc/apt/sources.list ]; then
      say "adding deb-src entries ($list.list)"
      sed -n 's/^deb[[:space:]]/deb-src /p' /etc/apt/sources.list >"$list.list"
    else
      echo "mbedtls-target: no apt sources to derive deb-src entries from" >&2
      exit 1
    fi
    apt-get update -qq
  fi
  say "fetching Debian's source package mbedtls $version"
  rm -rf "$out/src" && mkdir -p "$out/src"
  (cd "$out/src" && apt-get source -qq "mbedtls=$version" >&2)
  [ -d "$src" ] || { echo "mbedtls-target: $src was not unpacked" >&2; exit 1; }
  touch "$out/src/.unpacked-$version"
fi

# Only what reading PEM certificates and parsing them needs: PEM and base64,
# ASN.1, OIDs, the X.509 certificate parser and the public-key parser with the
# RSA and EC key types (and what those reference). Two shared libraries with
# the upstream names and sonames, as the gateway carries them.
x509_modules=(x509 x509_crt)
crypto_modules=(
  pem base64 asn1parse asn1write oid pk pk_wrap pkparse rsa rsa_internal
  bignum ecp ecp_curves ecdsa md sha1 sha256 sha512 platform_util constant_time
)
soversion() {  # soversion <cmake target variable>
  sed -n "s/.*set_target_properties(\${$1} PROPERTIES VERSION [0-9.]* SOVERSION \([0-9]*\)).*/\1/p" \
    "$src/library/CMakeLists.txt"
}
crypto_so=libmbedcrypto.so.$(soversion mbedcrypto_target)
x509_so=libmbedx509.so.$(soversion mbedx509_target)
case "$crypto_so$x509_so" in
  *.so.) echo "mbedtls-target: no soname found in $src/library/CMakeLists.txt" >&2; exit 1 ;;
esac

say "building $x509_so and $crypto_so for $triple"
find "$out" -mindepth 1 -maxdepth 1 -name "$version-*" -exec rm -rf {} +
mkdir -p "$prefix/obj" "$prefix/lib" "$prefix/include"
cp -r "$src/include/mbedtls" "$prefix/include/"
cp "$config" "$prefix/include/mbedtls/config.h"
compile() {
  local objs=() m
  for m in "$@"; do
    $triple-gcc -Os -ffunction-sections -fdata-sections -fPIC -Wall \
      -I "$prefix/include" -c "$src/library/$m.c" -o "$prefix/obj/$m.o"
    objs+=("$prefix/obj/$m.o")
  done
  printf '%s\n' "${objs[@]}"
}
mapfile -t crypto_objs < <(compile "${crypto_modules[@]}")
mapfile -t x509_objs < <(compile "${x509_modules[@]}")
$triple-gcc -shared -Wl,-soname,"$crypto_so" -o "$prefix/lib/$crypto_so" "${crypto_objs[@]}"
$triple-gcc -shared -Wl,-soname,"$x509_so" -o "$prefix/lib/$x509_so" "${x509_objs[@]}" \
  "$prefix/lib/$crypto_so"
ln -sfn "$crypto_so" "$prefix/lib/libmbedcrypto.so"
ln -sfn "$x509_so" "$prefix/lib/libmbedx509.so"
cp "$src/LICENSE" "$prefix/LICENSE"
touch "$prefix/.done"
say "installed in $prefix"
echo "$prefix"
