#!/usr/bin/env bash
# Installs and removes real products beside the system's own tools, paired and interleaved:
#   product  ~230 MB in ~30,000 files taken from this machine (documentation, headers, icons,
#            fonts, translations, libraries)
#   tiny     100,000 files of 100 bytes
#   large    one file of $LARGE_MB MB (default 1024) made of the product's bytes
# Each round runs, in alternating order, the headless installation (VX_PACE=0) against
# `cp -r` and `tar xzf` of the same files, and the uninstall against `rm -rf` of the copy.
# "install" is the engine started on the self-extractor's payload, as the extractor starts it.
# With RUN=1, "run" is the self-extractor itself (its check and unpacking, then the engine),
# timed first in each round and then undone; off by default, since on a disk that is slow to
# reuse what was just freed its removal slows whatever follows in the round.
# Then `vxpack --jobs 1` against `--jobs 2` (output compared byte for byte) and the size of a
# self-extractor holding no file.
# Medians of wall time and of user+sys CPU are printed with their ratios; the engine's peak
# memory comes from /usr/bin/time.
#
#   bench/install-vs-cp.sh [BUILD_DIR [OLD_BUILD_DIR]]     (default build/)
# With OLD_BUILD_DIR, that build's engine and vxpack run in the same rounds on a machine of
# their own, as "old-install", "old-uninstall" and "old-jobsN".
#   ROUNDS=5 CASES="product tiny large" PRODUCT_MB=230 TINY_FILES=100000 LARGE_MB=1024
#   VX_BENCH_DIR=/var/tmp RUN=0
set -euo pipefail
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-1700000000}  # packs of one product compare equal
root=$(cd "$(dirname "$0")/.." && pwd)
builds=("$(cd "${1:-$root/build}" && pwd)/bin")
tags=("")
if [ -n "${2:-}" ]; then builds+=("$(cd "$2" && pwd)/bin"); tags+=("old-"); fi
rounds=${ROUNDS:-5}
cases=${CASES:-product tiny large}
large_mb=${LARGE_MB:-1024}
product_mb=${PRODUCT_MB:-230}
tiny_files=${TINY_FILES:-100000}
work=$(mktemp -d "${VX_BENCH_DIR:-/var/tmp}/vxcp-XXXXXX")
trap 'rm -rf "$work"' EXIT
export VX_PACE=0 VX_UI=headless
use_build() {  # use_build INDEX: its programs, its machine, its contender names
  bin=${builds[$1]} tag=${tags[$1]}
  export VX_MACHINE=$work/machine$1
  "$bin/vxmachine" init >/dev/null
  temp=$(host 'C:\Windows\Temp')
}
host() { "$bin/vxmachine" path "$1"; }
out=$work/results
: >"$out"

# FILE[\tTAB]... lines of "case contender wall cpu peakKB".
timed() {  # timed CASE CONTENDER COMMAND...
  local c=$1 who=$2 t
  shift 2
  sync
  t=$(mktemp)
  /usr/bin/time -o "$t" -f '%e %U %S %M' "$@" >/dev/null 2>"$work/last.err" ||
    { echo "$c $who failed:"; cat "$work/last.err"; exit 1; }
  awk -v c="$c" -v w="$who" '{print c, w, $1, $2 + $3, $4}' "$t" >>"$out"
  rm -f "$t"
}

# A product source tree at $1/src: files under it, script Big.inf naming each one.
write_script() {
  local src=$1
  (cd "$src" && find files -type f | sort) | awk -v q="'" '
    BEGIN { printf "[<General>]\r\nProductName=Big Product\r\nProjectName=Big\r\nVendorName=Bench\r\n"
            printf "[<PreActions>]\r\nnItems=0\r\n[<Destinations>]\r\nPathWndVisible=0\r\nnItems=1\r\n"
            printf "InstallPath1={ProgramFiles}\\Big\r\n[<WelcomeWnd>]\r\nSkipThis=1\r\n"
            printf "[<LicenseWnd>]\r\nSkipThis=1\r\n[<UserInfoWnd>]\r\nSkipThis=1\r\n"
            printf "[<InstTypeListWnd>]\r\nnItems=0\r\n[<CompListWnd>]\r\nnItems=1\r\n0=All | 0 | 1\r\n"
            printf "[<InstSummaryWnd>]\r\nSkipThis=1\r\nInstalledType=<CompListWnd>\r\n"
            printf "[<CompletionWnd>]\r\nSkipThis=1\r\nnItems=0\r\n"
            printf "[<Uninstall>]\r\nSkipThis=0\r\nPrenItems=0\r\nPostnItems=0\r\n[{Temp}]\r\nnItems=0\r\n" }
    { n = split($0, part, "/"); name = part[n]; folder = part[1]
      for (i = 2; i < n; i++) folder = folder "\\" part[i]
      line[NR - 1] = name " | {InstallPath1}\\" folder " | " folder " | 0" }
    END { printf "[All]\r\nnItems=%d\r\n", NR
          for (i = 0; i < NR; i++) printf "%d=%s\r\n", i, line[i]
          printf "nIcons=0\r\n" }' >"$src/Big.inf"
}

# The machine's own files: regular, readable, with names any Windows volume takes, one of
# each name regardless of case, mixed from several folders in a fixed order. Mostly small
# files, as a product's are, and larger ones for about a third of the bytes.
pick_system_files() {  # pick_system_files MAXBYTES MAXFILES > list
  find /usr/share/doc /usr/include /usr/share/icons /usr/share/fonts /usr/share/locale \
    /usr/share/man /usr/share/perl /usr/lib/python3 /usr/share/zoneinfo /usr/lib/x86_64-linux-gnu \
    -type f -readable -size -16M -printf '%s\t%p\n' 2>/dev/null |
    awk -F'\t' 'length($2) < 150 && $2 ~ /^[A-Za-z0-9._+\/-]+$/ && $2 !~ /\/\./ && $2 !~ /\.\// &&
                $2 !~ /\/(con|prn|aux|nul|com[0-9]|lpt[0-9])(\.[^\/]*)?$/ {
                  k = tolower($2); if (!(k in seen)) { seen[k] = 1; print } }' |
    shuf --random-source=<(yes) |
    awk -F'\t' -v maxb="$1" -v maxf="$2" '
      $1 < 65536 { if (n < maxf && b + $1 <= maxb) { n++; b += $1; print $2 }; next }
      { if (big + $1 <= maxb / 3 && b + $1 <= maxb && n < maxf) { n++; b += $1; big += $1; print $2 } }'
}

make_case() {  # make_case CASE -> $work/CASE/src/files, the script, a tar.gz, the self-extractor
  local c=$1 d=$work/$1
  mkdir -p "$d/src/files"
  case $c in
    product)
      pick_system_files $((product_mb << 20)) $((product_mb * 128)) >"$d/list"
      tar -cf - -T "$d/list" 2>/dev/null | tar -xf - -C "$d/src/files"
      ;;
    tiny)
      local seed f i
      seed=$(head -c 75 /dev/urandom | base64 -w0)
      for ((f = 0; f < (tiny_files + 999) / 1000; f++)); do
        mkdir -p "$d/src/files/d$f"
        for ((i = 0; i < 1000 && f * 1000 + i < tiny_files; i++)); do
          printf '%s' "$seed" >"$d/src/files/d$f/f$i.txt"
        done
      done
      ;;
    large)
      pick_system_files $((64 << 20)) 100000 >"$d/list"
      { while xargs -d '\n' cat <"$d/list"; do :; done; } 2>/dev/null |
        head -c $((large_mb << 20)) >"$d/src/files/large.bin" || true
      ;;
  esac
  write_script "$d/src"
  tar -czf "$d/product.tar.gz" -C "$d/src" files
}

pack_case() {  # pack_case CASE, with the build in use
  local c=$1 d=$work/$1
  "$bin/vxpack" --jobs 2 --out "$(host "C:\\dist\\$c")" "$d/src/Big.inf" >/dev/null 2>&1
  printf '[ResponseFile]\r\nComponent1=1\r\nInstallPath1=C:\\Program Files\\Big\r\n' >"$d/response.ini"
  # The first run unpacks the engine files into the temp folder; it is then uninstalled.
  VX_WAIT=1 "$(host "C:\\dist\\$c\\Big.exe")" -s "$d/response.ini" >/dev/null 2>&1
  cp "$temp/Big.inf" "$d/pristine$tag.inf"
  sed -i '/^\[InstalledComponents\]/,$d' "$d/pristine$tag.inf"
  VX_WAIT=1 "$(host 'C:\Program Files\Big\Install.exe')" -f 'C:\Program Files\Big\Big.inf' >/dev/null 2>&1
  echo "$tag$c: $(find "$d/src/files" -type f | wc -l) files, $(du -sm "$d/src/files" | cut -f1) MB" \
    "($(du -sm "$(host "C:\\dist\\$c\\Big.exe")" | cut -f1) MB packed)"
}

round() {  # round CASE INDEX
  local c=$1 d=$work/$1 b
  install() {
    cp "$d/pristine$tag.inf" "$temp/Big.inf"
    (cd "$temp" && timed "$c" "${tag}install" ./Install.exe -e "C:\\dist\\$c\\Big.exe" '|' -s "$d/response.ini")
  }
  uninstall() {
    local dest
    dest=$(host 'C:\Program Files\Big')
    VX_WAIT=1 timed "$c" "${tag}uninstall" "$dest/Install.exe" -f 'C:\Program Files\Big\Big.inf'
    [ ! -e "$dest" ] || { echo "$c: the uninstall left $dest"; exit 1; }
  }
  # The product's own program as a user starts it: the extractor checks and unpacks, then the
  # engine installs. Undone (untimed) before the paired contenders run.
  runs() {
    local dest
    for b in "${order[@]}"; do
      use_build "$b"
      VX_WAIT=1 timed "$c" "${tag}run" "$(host "C:\\dist\\$c\\Big.exe")" -s "$d/response.ini"
      dest=$(host 'C:\Program Files\Big')
      VX_WAIT=1 "$dest/Install.exe" -f 'C:\Program Files\Big\Big.inf' >/dev/null 2>&1
      [ ! -e "$dest" ] || { echo "$c: the uninstall left $dest"; exit 1; }
    done
  }
  installs() { for b in "${order[@]}"; do use_build "$b"; install; done; }
  uninstalls() { for b in "${order[@]}"; do use_build "$b"; uninstall; done; }
  copy() { timed "$c" cp cp -r "$d/src/files" "$work/copy"; }
  untar() { mkdir -p "$work/untar" && timed "$c" tar tar -xzf "$d/product.tar.gz" -C "$work/untar"; }
  remove() { timed "$c" rm rm -rf "$work/copy"; rm -rf "$work/untar"; }
  local order=("${!builds[@]}")
  if (($2 % 2)); then order=($(printf '%s\n' "${order[@]}" | tac)); fi
  if [ "${RUN:-0}" = 1 ]; then runs; fi
  if (($2 % 2)); then
    installs; copy; untar; uninstalls; remove
  else
    copy; untar; installs; remove; uninstalls
  fi
}

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
for c in $cases; do
  make_case "$c"
  for b in "${!builds[@]}"; do use_build "$b"; pack_case "$c"; done
done
for ((r = 0; r < rounds; r++)); do
  for c in $cases; do round "$c" "$r"; done
done

# vxpack on one and on two threads, alternated, on the first case; the outputs must be the
# same bytes.
first=${cases%% *}
for ((r = 0; r < rounds; r++)); do
  for b in "${!builds[@]}"; do
    use_build "$b"
    for j in $(((r % 2) + 1)) $((2 - (r % 2))); do
      rm -rf "$work/pack$j"
      timed vxpack "${tag}jobs$j" "$bin/vxpack" --jobs "$j" --out "$work/pack$j" "$work/$first/src/Big.inf"
    done
    cmp -s "$work/pack1/Big.exe" "$work/pack2/Big.exe" || { echo "${tag}vxpack --jobs 1 and 2 differ"; exit 1; }
  done
done

# A self-extractor holding no file: everything in it is fixed overhead.
mkdir -p "$work/empty/files"
write_script "$work/empty"
for b in "${!builds[@]}"; do
use_build "$b"
rm -rf "$work/empty/dist"
"$bin/vxpack" --out "$work/empty/dist" "$work/empty/Big.inf" >/dev/null 2>&1
exe=$work/empty/dist/Big.exe
size=$(stat -c %s "$exe")
read -r start count last < <(tail -c 12 "$exe" | od -An -tu4)
echo "${tag}self-extractor overhead: $size bytes (extractor $start, payload of $count entries:" \
  "$(pos=$start; for ((i = 0; i < count; i++)); do
       name=$(dd if="$exe" bs=1 skip=$pos count=80 2>/dev/null | tr '\0' '\n' | head -n1)
       mark=$(dd if="$exe" bs=1 skip=$((pos + 79)) count=1 2>/dev/null | tr -d '\0')  # z: packed
       len=$(dd if="$exe" bs=1 skip=$((pos + 80)) count=4 2>/dev/null | od -An -tu4 | tr -d ' ')
       printf '%s %s%s; ' "$name" "$len" "${mark:+ packed}"; pos=$((pos + 84 + len)); done))"

done

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
# Medians per case and contender, and the ratios the goals name.
awk '
  function median(key,   n, i, j, t, a) {
    n = split(vals[key], a, " ")
    if (n == 0) return 0
    for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j - 1] + 0 > a[j] + 0; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
    return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
  }
  function ratio(a, b) { return b > 0 ? a / b : 0 }
  { k = $1 " " $2; vals[k "w"] = vals[k "w"] " " $3; vals[k "c"] = vals[k "c"] " " $4
    if ($5 > peak[k]) peak[k] = $5; has[k] = 1 }
  END {
    printf "%-8s %-14s %9s %9s %9s\n", "case", "who", "wall s", "cpu s", "peak MB"
    n = split("product tiny large vxpack", order, " ")
    m = split("install old-install run old-run cp tar uninstall old-uninstall rm jobs1 jobs2 old-jobs1 old-jobs2", who, " ")
    for (i = 1; i <= n; i++) for (j = 1; j <= m; j++) {
      k = order[i] " " who[j]; if (!(k in has)) continue
      printf "%-8s %-14s %9.2f %9.2f %9.1f\n", order[i], who[j], median(k "w"), median(k "c"), peak[k] / 1024
    }
    for (t = 1; t <= 2; t++) {
      tag = t == 1 ? "" : "old-"
      print ""
      for (i = 1; i <= 3; i++) {
        c = order[i]; if (!((c " " tag "install") in has)) continue
        run = (c " " tag "run") in has ? sprintf("  run/cp %.2fx", ratio(median(c " " tag "runw"), median(c " cpw"))) : ""
        printf "%s%-8s install/cp %.2fx (cpu %.2fx; goal <= 1.5)%s  install/tar %.2fx  uninstall/rm %.2fx (cpu %.2fx; goal <= 1.2)  peak %.1f MB\n", tag, c,
          ratio(median(c " " tag "installw"), median(c " cpw")), ratio(median(c " " tag "installc"), median(c " cpc")), run,
          ratio(median(c " " tag "installw"), median(c " tarw")),
          ratio(median(c " " tag "uninstallw"), median(c " rmw")), ratio(median(c " " tag "uninstallc"), median(c " rmc")),
          peak[c " " tag "install"] / 1024
      }
      if (("vxpack " tag "jobs1") in has)
        printf "%svxpack   jobs1/jobs2 %.2fx (goal >= 1.8; cpu jobs1 %.2f s, jobs2 %.2f s)\n", tag,
          ratio(median("vxpack " tag "jobs1w"), median("vxpack " tag "jobs2w")), median("vxpack " tag "jobs1c"), median("vxpack " tag "jobs2c")
    }
  }' "$out"
