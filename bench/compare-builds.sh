#!/usr/bin/env bash
# Shows that two builds of tagvetter behave the same for a user: runs both over the same
# cases and compares their standard output, standard error and exit status byte for byte.
# Made to prove that a refactoring changed nothing visible.
#
#   bench/compare-builds.sh OLD NEW [PAGES...]
#
# OLD and NEW are two tagvetter executables (e.g. a build of the previous commit and of
# the current one); copies made at the start are run, so a rebuild in the meantime
# changes nothing (of a wrapper script only the script is copied). PAGES are files and
# folders (a folder: its .htm and .html files, as tagvetter lists them); default: the
# repository's samples/, run from the repository's top. Given PAGES are run from the
# current folder, as given, so the paths in the outputs are the ones typed.
#
# An OLD of the previous commit, built outside the tree:
#   git worktree add /tmp/tv-old HEAD~1
#   cmake -S /tmp/tv-old -B /tmp/tv-old-build -DCMAKE_BUILD_TYPE=Release -DTAGVETTER_BENCH=OFF
#   cmake --build /tmp/tv-old-build --target tagvetter
#   bench/compare-builds.sh /tmp/tv-old-build/tagvetter build/tagvetter
#   git worktree remove /tmp/tv-old
# Builds of two versions differ where the version is written: --version, SARIF's driver,
# the language server's serverInfo. About 1,700 cases and 2 minutes over samples/ on
# two cores; over 2,851 pages with PROFILES=default, 1,000 cases and 7 minutes.
#
# The cases, each run once with OLD and once with NEW, same folder, arguments and input:
#  - for the default profile (no option) and each --profile html32|html4|html5|auto:
#    count, check and links in every --format, links --list-external, fix (its diff and
#    summary: pages outside the current folder are its usage error, alike), tags, and
#    tag NAME for each name of count's census (close tags such as /A too);
#    over the whole PAGES set with -j1 and with -j2, and over each page alone;
#  - known with the default profile and each of html32, html4, html5 (and auto, which
#    it refuses);
#  - --known FILE (a good file and a wrong one), samples/site with its tagvetter.toml
#    and with --no-config, --config FILE, --files-from LIST, a page on standard input,
#    a missing file, a folder with a missing file, a FIFO, and a few usage errors;
#  - the language server: two scripted sessions (UTF-16 and UTF-8 positions) fed to
#    `lsp` on standard input: initialize, didOpen of a page with faults, a whole-text
#    and an incremental didChange, hover, completion, shutdown, exit.
# With more than PAGE_LIMIT pages (default 50) the pages run alone are PAGE_LIMIT of
# them, evenly spread, and tag NAME runs only over the whole set: per page it would mean
# thousands of runs.
#
# Prints each differing case (its command, the exit statuses, the first lines of the
# diff of each stream) and then one line: `compare-builds: N cases, M differ`.
# Exit status: 0 when every case is identical, 1 when any differs, 2 on a usage error.
#
# Environment: PROFILES (the profiles to run, default "default html32 html4 html5 auto";
# fewer for a quicker look), PAGE_LIMIT (50), DIFF_LINES (lines of diff shown per
# stream, 12), CASE_TIMEOUT (seconds a FIFO or language server run may take, 60; a
# hang there shows as status 124; the other runs read only regular files, and a
# timeout around each would cost a third of the time).
set -uo pipefail

usage() {
    echo "usage: bench/compare-builds.sh OLD NEW [PAGES...]" >&2
    [ $# -gt 0 ] && echo "compare-builds: $*" >&2
    exit 2
}

[ $# -ge 2 ] || usage "OLD and NEW are required"
command -v python3 >/dev/null || usage "python3 is needed for the language server's sessions"
repo=$(cd "$(dirname "$0")/.." && pwd)

# Absolute, so that a run in another folder finds them.
executable() {
    local path
    path=$(command -v -- "$1") || usage "not an executable: $1"
    [ -f "$path" ] && [ -x "$path" ] || usage "not an executable: $1"
    case "$path" in /*) ;; *) path=$PWD/$path ;; esac
    printf '%s' "$path"
}
old=$(executable "$1") || exit 2
new=$(executable "$2") || exit 2
old_named=$1
new_named=$2
shift 2

if [ $# -eq 0 ]; then
    cd "$repo" || exit 2
    set -- samples/
fi
inputs=("$@")
for input in "${inputs[@]}"; do
    [ -e "$input" ] || usage "no such file or folder: $input"
done

page_limit=${PAGE_LIMIT:-50}
diff_lines=${DIFF_LINES:-12}
case_timeout=${CASE_TIMEOUT:-60}
read -r -a profiles <<<"${PROFILES:-default html32 html4 html5 auto}"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/compare-builds.XXXXXX") || exit 2
trap 'rm -rf "$scratch"' EXIT
trap 'exit 130' INT TERM

# Run copies, same file names: a build relinking OLD or NEW in its tree during the run
# would otherwise mix two programs into one comparison (or fail a run with status 126).
mkdir "$scratch/old-exe" "$scratch/new-exe"
cp -- "$old" "$scratch/old-exe/" && old=$scratch/old-exe/$(basename -- "$old") || exit 2
cp -- "$new" "$scratch/new-exe/" && new=$scratch/new-exe/$(basename -- "$new") || exit 2

# The pages, in tagvetter's order: each input in turn, a folder's files in byte order.
pages=()
for input in "${inputs[@]}"; do
    if [ -d "$input" ]; then
        while IFS= read -r -d '' page; do
            [ -f "$page" ] && pages+=("$page")
        done < <(find "$input" \( -type f -o -type l \) \( -iname '*.htm' -o -iname '*.html' \) -print0 |
                 LC_ALL=C sort -z)
    else
        pages+=("$input")
    fi
done
[ ${#pages[@]} -gt 0 ] || usage "no .htm or .html page in: ${inputs[*]}"

alone=("${pages[@]}")
if [ ${#pages[@]} -gt "$page_limit" ]; then
    alone=()
    for ((i = 0; i < page_limit; i++)); do
        alone+=("${pages[i * ${#pages[@]} / page_limit]}")
    done
fi
tag_per_page=$([ ${#pages[@]} -le "$page_limit" ] && echo yes || echo no)
echo "compare-builds: ${#pages[@]} pages, ${#alone[@]} run alone; OLD $old_named, NEW $new_named" >&2

cases=0
differ=0

# One run of EXE, its outputs in $scratch/WHICH/{out,err,rc}; $case_dir and $case_stdin
# say where it runs and what it reads, $case_limit what bounds its time. Run in the
# background, so the cd stays there.
run_one() {
    local which=$1 exe=$2
    shift 2
    cd "$case_dir" || exit
    "${case_limit[@]}" "$exe" "$@" <"$case_stdin" >"$scratch/$which/out" 2>"$scratch/$which/err"
    echo $? >"$scratch/$which/rc"
}

# The differences of one stream, in its first lines (-a: a page's stray bytes are text
# too, as the user sees them).
show_diff() {
    local stream=$1
    cmp -s "$scratch/old/$stream" "$scratch/new/$stream" && return
    echo "  $stream:"
    diff -a -u --label old --label new "$scratch/old/$stream" "$scratch/new/$stream" |
        head -n "$diff_lines" | sed 's/^/    /'
}

# case_ran ARGS...: runs ARGS with both builds at once (two cores) and compares the
# three results with one diff, the cheapest check per case.
mkdir "$scratch/old" "$scratch/new"
case_dir=$PWD
case_stdin=/dev/null
case_limit=()
case_ran() {
    cases=$((cases + 1))
    run_one old "$old" "$@" &
    run_one new "$new" "$@" &
    wait
    diff -rq "$scratch/old" "$scratch/new" >/dev/null && return
    differ=$((differ + 1))
    local where="" from="" words=""
    [ "$case_dir" != "$PWD" ] && where="cd $(printf '%q' "$case_dir") && "
    [ "$case_stdin" != /dev/null ] && from=" < $(printf '%q' "$case_stdin")"
    [ $# -gt 0 ] && words=$(printf ' %q' "$@")
    printf 'differs: %stagvetter%s%s\n' "$where" "$words" "$from"
    echo "  exit status: old $(<"$scratch/old/rc"), new $(<"$scratch/new/rc")"
    show_diff out
    show_diff err
}

# The names of the census just compared (count's first fields, of both builds' output).
census_names() {
    cut -f1 "$scratch/old/out" "$scratch/new/out" | LC_ALL=C sort -u
}

formats=(text gnu json sarif)

# Every command but known, over FILES, with the options before them; tag NAME only when
# $1 is "yes".
every_command() {
    local with_tag=$1
    shift
    local -a options=() files=()
    while [ $# -gt 0 ] && [ "$1" != -- ]; do options+=("$1"); shift; done
    shift
    files=("$@")
    local format name
    case_ran count "${options[@]}" -- "${files[@]}"
    local -a names=()
    if [ "$with_tag" = yes ]; then
        mapfile -t names < <(census_names)
    fi
    for format in "${formats[@]}"; do
        case_ran check "${options[@]}" --format "$format" -- "${files[@]}"
        case_ran links "${options[@]}" --format "$format" -- "${files[@]}"
    done
    case_ran links "${options[@]}" --list-external -- "${files[@]}"
    case_ran fix "${options[@]}" -- "${files[@]}"
    case_ran tags "${options[@]}" -- "${files[@]}"
    for name in "${names[@]}"; do
        [ -n "$name" ] && case_ran tag "${options[@]}" -- "$name" "${files[@]}"
    done
}

profile_options() {
    [ "$1" = default ] || printf '%s\n' --profile "$1"
}

for profile in "${profiles[@]}"; do
    mapfile -t popts < <(profile_options "$profile")
    for jobs in 1 2; do
        every_command yes "${popts[@]}" "-j$jobs" -- "${inputs[@]}"
    done
    for page in "${alone[@]}"; do
        every_command "$tag_per_page" "${popts[@]}" -- "$page"
    done
done

# known: the tables themselves, whatever PROFILES says, as they are cheap; auto has none,
# so that is a usage error to compare too.
for profile in default html32 html4 html5 auto; do
    mapfile -t popts < <(profile_options "$profile")
    case_ran known "${popts[@]}"
done

# A known-tag file as the README shows it, and one with wrong lines.
cat >"$scratch/site.known" <<'EOF'
# NAME    | PAIRING  | DESCRIPTION        | ATTRIBUTES
my-date   | counted  | Date picker        | value min max
nav       |          | Site menu          |
x-markdown| raw      | Markdown source
*         |          |                    | hx-* x-data
EOF
cat >"$scratch/wrong.known" <<'EOF'
x-card
my-date | twice | Date picker
a<b     | void
EOF
for profile in "${profiles[@]}"; do
    mapfile -t popts < <(profile_options "$profile")
    case_ran known "${popts[@]}" --known "$scratch/site.known"
    case_ran count "${popts[@]}" --known "$scratch/site.known" -- "${inputs[@]}"
    case_ran check "${popts[@]}" --known "$scratch/site.known" -- "${inputs[@]}"
    case_ran check "${popts[@]}" --known "$scratch/site.known" --format json -- "${inputs[@]}"
    case_ran check "${popts[@]}" --known "$scratch/wrong.known" -- "${inputs[@]}"
done

# The example site and its tagvetter.toml, from the repository's top as the README runs it.
if [ -d "$repo/samples/site" ]; then
    case_dir=$repo
    # tag NAME only as the configuration says, once: the jobs and the profiles have
    # their tag runs above.
    with_tag=yes
    for config in follow --no-config "--profile html32"; do
        copts=()
        [ "$config" != follow ] && read -r -a copts <<<"$config"
        every_command no "${copts[@]}" -j1 -- samples/site
        every_command "$with_tag" "${copts[@]}" -j2 -- samples/site
        with_tag=no
    done
    # One file's configuration for pages outside its folder.
    case_ran check --config samples/site/tagvetter.toml -- samples/
    case_dir=$PWD
fi
case_ran check --config "$scratch/missing.toml" -- "${pages[0]}"

# --files-from, from a file and from standard input.
printf '%s\n' "${pages[@]}" >"$scratch/pages.list"
case_ran check --files-from "$scratch/pages.list"
case_ran count -j2 --files-from "$scratch/pages.list"
case_stdin=$scratch/pages.list
case_ran check --format json --files-from -

# A page on standard input, alone and beside the files; tag NAME with the first profile
# only, as the page alone ran it with every one.
case_stdin=${pages[0]}
case "$case_stdin" in /*) ;; *) case_stdin=$PWD/$case_stdin ;; esac
with_tag=yes
for profile in "${profiles[@]}"; do
    mapfile -t popts < <(profile_options "$profile")
    every_command "$with_tag" "${popts[@]}" -- -
    with_tag=no
done
case_ran check -j2 -- - "${inputs[@]}"
case_stdin=/dev/null

# Inputs that can't be read: a missing file, a folder beside one, a FIFO (never opened
# for reading, else the run would wait for a writer; the timeout bounds that).
missing=$scratch/missing.htm
mkfifo "$scratch/fifo.htm"
mkdir "$scratch/folder"
cp -- "${pages[0]}" "$scratch/folder/page.htm"
for format in "${formats[@]}"; do
    case_ran check --format "$format" -- "$missing"
    case_ran links --format "$format" -- "$missing"
    case_ran check -j2 --format "$format" -- "${inputs[@]}" "$missing"
    case_ran check -j2 --format "$format" -- "$scratch/folder" "$missing"
done
case_ran count -- "$missing"
case_ran tags -- "$missing"
case_ran tag -- A "$missing"
case_ran count -j2 -- "${inputs[@]}" "$missing"
case_ran check --files-from "$scratch/missing.list"
case_limit=(timeout "$case_timeout")
case_ran check -- "$scratch/fifo.htm"
case_ran check --format sarif -- "$scratch/fifo.htm" "${pages[0]}"
case_limit=()

# Misuse: each is an exit status 2 and a message.
case_ran
case_ran frobnicate
case_ran check
case_ran check --format xml -- "${pages[0]}"
case_ran check -j 0 -- "${pages[0]}"
case_ran tag
case_ran --help
case_ran --version

# The language server: framed JSON-RPC sessions written once, fed to both builds.
lsp_session() {
    python3 - "$scratch" "$repo" "$1" <<'EOF'
import json, pathlib, sys
scratch, repo, encoding = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2]), sys.argv[3]
out = bytearray()
def send(message):
    if message.get("params", 0) is None: del message["params"]
    body = json.dumps(dict(jsonrpc="2.0", **message), ensure_ascii=False).encode()
    out.extend(b"Content-Length: %d\r\n\r\n" % len(body) + body)
def request(id, method, params): send(dict(id=id, method=method, params=params))
def notify(method, params): send(dict(method=method, params=params))
def at(line, character): return dict(line=line, character=character)

page = scratch / "lsp-page.html"
uri = page.as_uri()
text = ('<html><head><title>Faults – “here”</title></head>\n<body>\n'
        '<td>cell outside a table</td>\n<blink>old</blink>\n'
        '<font colour="red">wrong attribute</font>\n<p class="odd>quote</p>\n'
        '<table><tr><td>fine</td></tr>\n</body></html>\n')
page.write_text(text, encoding="utf-8")
capabilities = {"general": {"positionEncodings": ["utf-8"]}} if encoding == "utf-8" else {}
request(1, "initialize", {"processId": None, "rootUri": scratch.as_uri(), "capabilities": capabilities})
notify("initialized", {})
notify("textDocument/didOpen", {"textDocument": {"uri": uri, "languageId": "html", "version": 1, "text": text}})
changed = "<!DOCTYPE html>\n" + text.replace("<blink>", "<blink><div>")
notify("textDocument/didChange", {"textDocument": {"uri": uri, "version": 2}, "contentChanges": [{"text": changed}]})
notify("textDocument/didChange", {"textDocument": {"uri": uri, "version": 3}, "contentChanges": [
    {"range": {"start": at(3, 0), "end": at(3, 0)}, "text": "<marquee x-data=1>"},
    {"range": {"start": at(1, 12), "end": at(1, 20)}, "text": "Fehler – ä"}]})
request(2, "textDocument/hover", {"textDocument": {"uri": uri}, "position": at(2, 2)})
request(3, "textDocument/hover", {"textDocument": {"uri": uri}, "position": at(5, 8)})
request(4, "textDocument/hover", {"textDocument": {"uri": uri}, "position": at(1, 14)})
request(5, "textDocument/completion", {"textDocument": {"uri": uri}, "position": at(2, 1)})
request(6, "textDocument/completion", {"textDocument": {"uri": uri}, "position": at(5, 6)})
site_page = repo / "samples" / "site" / "index.html"
if site_page.is_file():
    site_uri = site_page.as_uri()
    notify("textDocument/didOpen", {"textDocument": {"uri": site_uri, "languageId": "html", "version": 1,
                                                     "text": site_page.read_text(encoding="utf-8", errors="replace")}})
    request(7, "textDocument/hover", {"textDocument": {"uri": site_uri}, "position": at(3, 2)})
    notify("textDocument/didClose", {"textDocument": {"uri": site_uri}})
request(8, "textDocument/hover", {"textDocument": {"uri": "file:///nowhere/never-opened.html"}, "position": at(0, 0)})
request(9, "shutdown", None)
notify("exit", None)
sys.stdout.buffer.write(out)
EOF
}
for encoding in utf-16 utf-8; do
    lsp_session "$encoding" >"$scratch/lsp-$encoding.in" || exit 2
    case_stdin=$scratch/lsp-$encoding.in
    case_limit=(timeout "$case_timeout")
    case_ran lsp
done
case_stdin=/dev/null
case_limit=()

echo "compare-builds: $cases cases, $differ differ"
[ "$differ" -eq 0 ]
