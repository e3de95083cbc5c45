#!/usr/bin/env bash
# The static checks: the house format (.clang-format) and clang-tidy
# (.clang-tidy) over the compile commands of the native test build
# (build/asan: the portable core, the tool, the native tests and the fuzz
# targets), the benchmarks (build/native) and the Windows build (build/win: the
# program, the framework, the Windows tests and the Windows benchmark
# programs). Any difference or finding
# fails it. LINT_JOBS sets how many clang-tidy processes run at once.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${LINT_JOBS:-$(nproc)}
tidy=clang-tidy-14
status=0

echo "== format"
if ! git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror; then
  echo "!! the files above differ from .clang-format: run make format"
  status=1
fi

# Our sources in a compile database, each once, matching a path pattern,
# leaving out those of the databases named after it (the portable core is
# compiled for both sides from the same text: one look is enough).
sources() {
  python3 - "$root" "$@" <<'EOF'
import json, re, sys
root, db, pattern, done = sys.argv[1], sys.argv[2], re.compile(sys.argv[3]), sys.argv[4:]
seen = set()
for other in done:
    seen.update(entry["file"] for entry in json.load(open(other)))
for entry in json.load(open(db)):
    path = entry["file"]
    if path.startswith(root + "/") and path.endswith(".cpp") and pattern.search(path[len(root) + 1:]):
        if path not in seen:
            seen.add(path)
            print(path)
EOF
}

# tidy LABEL BUILD_DIR PATTERN SKIP_DB [clang-tidy args...]: one clang-tidy a
# file, `jobs` at a time, leaving out the files of SKIP_DB ("" for none); the
# output of a file with findings comes out whole.
tidy() {
  local label=$1 dir=$2 pattern=$3 skip=$4
  shift 4
  echo "== clang-tidy: $label"
  if [ ! -f "$dir/compile_commands.json" ]; then
    echo "!! $dir/compile_commands.json is missing: build it first"
    status=1
    return
  fi
  if ! sources "$dir/compile_commands.json" "$pattern" ${skip:+"$skip"} |
    xargs -r -P "$jobs" -I{} sh -c 'out=$("$@" 2>&1) || { printf "%s\n" "$out"; exit 1; }' sh \
      "$tidy" -p "$dir" --quiet --header-filter="^$root/(src|tests|fuzz|bench)/" "$@" {}; then
    status=1
  fi
}

tidy "native" build/asan '^(src|tests|fuzz)/' ""
tidy "benchmarks" build/native '^bench/' ""

# Clang does not find the C++ library of Debian's mingw-w64 by itself (it
# looks for a gcc folder named after a bare version, Debian's is "12-posix"),
# so the Windows commands get the target, and the C++ include folders that
# the cross compiler reports, ahead of the rest; the C headers of the mingw
# sysroot clang does find.
mingw=x86_64-w64-mingw32-g++-posix
cxx_includes=()
while read -r dir; do
  cxx_includes+=("--extra-arg=-isystem$dir")
done < <(echo | "$mingw" -xc++ -E -v - 2>&1 |
  sed -n '/#include <...> search starts here/,/End of search list/p' | grep '/include/c++' | sed 's/^ *//')
if [ ${#cxx_includes[@]} -eq 0 ]; then
  echo "!! $mingw reported no C++ include folder"
  status=1
fi
tidy "Windows" build/win '^(src|tests|bench)/' build/asan/compile_commands.json --extra-arg-before=--target=x86_64-w64-mingw32 "${cxx_includes[@]}"

if [ $status -eq 0 ]; then echo "lint: clean"; else echo "lint: findings above"; fi
exit $status
