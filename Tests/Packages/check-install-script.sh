#!/usr/bin/env bash
# Fails when a Debian package that the build, the tests or the agent need would be missing on a fresh
# machine: every QML module the views import (and the modules those import in turn), every file the
# build links or loads that CMake hands over (Qt's libraries, their CMake packages, plugins), and every
# system command the tests and scripts run. A package counts as installed when the install script
# names it or when a package it names depends on it; the failure names the package to add.
#
#   check-install-script.sh INSTALL_SCRIPT SOURCES QML_IMPORT_DIR [FILE...] [-- COMMAND...]
set -euo pipefail

install_script=$1
sources=$2
qml_root=$3
shift 3
files=()
commands=()
while (($# > 0)) && [[ $1 != "--" ]]; do
  files+=("$1")
  shift
done
if (($# > 0)); then
  shift
  commands=("$@")
fi

# The packages the script names: the words of its packages=( … ) list.
named=$(sed -n '/^packages=(/,/^)/p' "$install_script" | sed -e 's/^packages=(//' -e 's/)$//' -e 's/#.*//' |
  tr -s ' \t' '\n' | grep -E '^[a-z0-9][a-z0-9.+-]+$' || true)
if [[ -z $named ]]; then
  echo "no packages=( … ) list in $install_script" >&2
  exit 1
fi

# Everything those packages bring: the closure over Depends and Pre-Depends of the installed packages
# (any alternative of "a | b" counts, versions and architecture qualifiers dropped).
reachable=$(
  {
    printf '%s\n' "$named" | sed 's/^/named /'
    dpkg-query -W -f='${Package}\t${Depends}, ${Pre-Depends}\n' | sed 's/^/depends /'
  } | awk -F'\t' '
    $1 ~ /^named / { sub(/^named /, "", $1); queue[++tail] = $1; next }
    {
      sub(/^depends /, "", $1)
      n = split($2, parts, /[,|]/)
      for (i = 1; i <= n; i++) {
        name = parts[i]
        gsub(/\(.*\)/, "", name); gsub(/:[a-z0-9]+/, "", name); gsub(/[ \t]/, "", name)
        if (name != "") edges[$1] = edges[$1] " " name
      }
    }
    END {
      for (head = 1; head <= tail; head++) {
        package = queue[head]
        if (package in seen) continue
        seen[package] = 1
        print package
        n = split(edges[package], next_packages, " ")
        for (i = 1; i <= n; i++) if (!(next_packages[i] in seen)) queue[++tail] = next_packages[i]
      }
    }'
)

failures=()
# The package that owns a path (usr-merged paths are recorded under either name).
owner() {
  local path=$1 found
  for candidate in "$path" "$(readlink -f "$path")" "${path#/usr}" "/usr$path"; do
    if found=$(dpkg-query -S "$candidate" 2>/dev/null | head -n 1); then
      printf '%s\n' "${found%%:*}"
      return 0
    fi
  done
  return 1
}
require() {
  local path=$1 what=$2 package
  if ! package=$(owner "$path"); then
    failures+=("no installed package provides $what ($path)")
    return
  fi
  if ! grep -qxF "$package" <<<"$reachable"; then
    failures+=("scripts/install-dependencies.sh does not name $package, which provides $what")
  fi
}

# QML modules: ours are defined in the sources (as QML modules, or as C++ types registered under a
# URI of their own); every other one must come from a package.
ours=$(grep -rhoE 'URI +[A-Za-z0-9.]+' --include=CMakeLists.txt "$sources" | awk '{print $2}' || true)
ours+=$'\n'$(grep -rhoE 'qmlRegisterType<[A-Za-z0-9_:]+>\("[A-Za-z0-9.]+"' --include='*.cpp' "$sources" |
  sed -E 's/.*\("([A-Za-z0-9.]+)"/\1/' || true)
pending=$(grep -rhoE '^import +[A-Za-z][A-Za-z0-9.]*' --include='*.qml' "$sources" | awk '{print $2}' | sort -u)
declare -A visited=()
while [[ -n $pending ]]; do
  module=$(head -n 1 <<<"$pending")
  pending=$(tail -n +2 <<<"$pending")
  [[ -n ${visited[$module]:-} ]] && continue
  visited[$module]=1
  grep -qxF "$module" <<<"$ours" && continue
  qmldir="$qml_root/${module//.//}/qmldir"
  if [[ ! -f $qmldir ]]; then
    failures+=("the QML module $module is not installed (no $qmldir)")
    continue
  fi
  require "$qmldir" "the QML module $module"
  more=$(awk '$1 == "import" || $1 == "depends" { print $2 }' "$qmldir")
  [[ -n $more ]] && pending=$(printf '%s\n%s' "$pending" "$more" | sed '/^$/d')
done

for file in "${files[@]}"; do
  if [[ ! -e $file ]]; then
    failures+=("$file does not exist")
    continue
  fi
  require "$file" "$(basename "$file")"
done

for command in "${commands[@]}"; do
  if ! path=$(command -v "$command"); then
    failures+=("the command $command is not installed")
    continue
  fi
  require "$path" "the command $command"
done

if ((${#failures[@]} > 0)); then
  printf '%s\n' "${failures[@]}" >&2
  exit 1
fi
echo "every QML module, Qt library and command comes from a package the install script brings"
