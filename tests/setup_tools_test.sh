#!/usr/bin/env bash
# The setup's promise on a fresh Debian machine: every command the build and the
# tests call comes from a package the setup installs (or one those pull in, or one
# every Debian has). A machine that happens to have a tool from elsewhere (a
# python3 of its own) would hide a gap, so the owner is asked of dpkg, not of PATH.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/setup.sh"
status=0

# The build's own commands must be named in the setup's list.
for word in $(grep -rhoE '^\s*COMMAND [A-Za-z0-9_.+-]+' "$root/tests" "$root/src" "$root/bench" --include=CMakeLists.txt |
                awk '{print $2}' | sort -u); do
  [[ " ${commands[*]} " == *" $word "* || $word == bash || $word == rm ]] && continue
  echo "FAIL: the build calls '$word', which tools/setup.sh does not list"
  status=1
done

# rar comes from the project's own apt list of Debian's non-free component.
closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
            --no-replaces --no-enhances "${packages[@]}" rar 2>/dev/null | grep -v '^ ' | sed 's/:.*//' | sort -u)
for c in "${commands[@]}"; do
  path=$(PATH=/usr/sbin:/usr/bin:/sbin:/bin command -v "$c" || true)
  if [ -z "$path" ]; then
    echo "FAIL: '$c' is not installed in the system's folders"
    status=1
    continue
  fi
  # With merged /usr, dpkg may know a file by its old /bin path.
  real=$(realpath "$path")
  owner=$(dpkg -S "$real" "${real#/usr}" 2>/dev/null | head -1 | sed 's/:.*//;s/,.*//') || true
  [ -n "$owner" ] || { echo "FAIL: '$c' ($path) belongs to no package"; status=1; continue; }
  grep -qx "$owner" <<<"$closure" && continue
  [ "$(dpkg-query -W -f='${Essential}' "$owner" 2>/dev/null)" = yes ] && continue
  [ "$(dpkg-query -W -f='${Priority}' "$owner" 2>/dev/null)" = required ] && continue
  echo "FAIL: '$c' comes from $owner, which no package of tools/setup.sh installs"
  status=1
done
[ $status -eq 0 ] && echo "every command of the build and the tests comes from the setup's packages"
exit $status
