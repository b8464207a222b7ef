# Sourced by the scripts that need Debian's source packages or its non-free
# component: an apt list of their own, given to apt through -o options, so the
# machine's own sources stay as they are. Sets KV_APT (an array of options).
# The mirror and key are taken from the machine's own list of Debian's main archive.
kv_apt_dir=${KV_LIBS_CACHE:-/var/cache/kestrovane-libs}/apt

kv_debian_mirror() {
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk -v RS= '/Suites:[^\n]*bookworm( |\n|$)/ && !/security/ {
      for (i = 1; i <= NF; i++) {
        if ($i == "URIs:") uri = $(i + 1)
        if ($i == "Signed-By:") key = $(i + 1)
      }
      print uri, key; exit }' "$f"
  done | head -1
  if [ -f /etc/apt/sources.list ]; then
    awk '$1 == "deb" && $3 == "bookworm" { print $2, "/usr/share/keyrings/debian-archive-keyring.gpg"; exit }' \
      /etc/apt/sources.list
  fi
}

kv_apt_setup() {
  mkdir -p "$kv_apt_dir/lists/partial"
  read -r mirror key < <(kv_debian_mirror | head -1)
  [ -n "${mirror:-}" ] || { echo "no Debian bookworm mirror in the machine's apt sources" >&2; return 1; }
  cat > "$kv_apt_dir/sources.list" <<EOF
deb [signed-by=$key] $mirror bookworm main non-free
deb-src [signed-by=$key] $mirror bookworm main non-free
EOF
  KV_APT=(-o "Dir::Etc::SourceList=$kv_apt_dir/sources.list" -o "Dir::Etc::SourceParts=-"
          -o "Dir::State::Lists=$kv_apt_dir/lists")
  # The lists are fetched once a day at most; a second run on the same machine needs no network.
  if [ -z "$(find "$kv_apt_dir/lists" -name '*Sources*' -mtime -1 2>/dev/null | head -1)" ]; then
    apt-get "${KV_APT[@]}" update -qq
  fi
}

# The newest version of a source package in that list.
kv_src_version() {
  apt-cache "${KV_APT[@]}" showsrc --only-source "$1" 2>/dev/null |
    awk '/^Version:/ { print $2 }' | sort -V | tail -1
}
