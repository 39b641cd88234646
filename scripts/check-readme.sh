#!/usr/bin/env bash
# Runs the README's commands, in the README's order, in a fresh clone of the
# committed HEAD, and checks that each one works exactly as written there,
# as on a machine without a display. .ci/run calls it after the test
# command; with ccache set up as there, the clone's build reuses its objects.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# Inside the tree (git ignores build*/), so that ccache's base folder covers
# both the tree and the clone.
work="$root/build-readme-check"
rm -rf "$work"
mkdir -p "$work"
git clone -q --no-checkout "$root" "$work/clone"
git -C "$work/clone" checkout -q --detach "$(git -C "$root" rev-parse HEAD)"
if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
    echo "check-readme: uncommitted changes are not part of this check" >&2
fi
clone="$work/clone"
cd "$clone"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
version="$(sed -n 's/^project(korvan VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"

# The commands: the README's indented lines that run something.
mapfile -t commands < <(sed -n 's/^    \(bash .*\|\.\/.*\)$/\1/p' README.md)

failed=0
fail() {
    echo "check-readme: FAILED: $1" >&2
    failed=$((failed + 1))
}
seen=""
for command in "${commands[@]}"; do
    case "$command" in
    "bash scripts/test.sh --sanitize"* | "bash scripts/fuzz.sh"*)
        # .ci/run runs these itself; a second sanitizer build here would
        # double the CI time.
        echo "check-readme: (left to .ci/run) $command"
        continue
        ;;
    esac
    echo "check-readme: $command"
    log="$work/output.log"
    set +e
    bash -c "$command" >"$log" 2>&1 </dev/null
    code=$?
    set -e
    case "$command" in
    "bash scripts/run.sh"*)
        seen="$seen run"
        line="$(grep -m1 'no display' "$log" || true)"
        cli="$(sed -n 's/.*run \(\/[^ ]*korvan-cli\).*/\1/p' <<<"$line")"
        if [ "$code" -eq 0 ] || [ -z "$line" ]; then
            fail "$command: exit code $code, no 'no display' line"
        elif grep -qi 'could not connect to display\|Aborted' "$log"; then
            fail "$command: Qt aborted"
        elif [ -z "$cli" ] || [ ! -x "$cli" ]; then
            fail "$command: the line names no built korvan-cli: $line"
        fi
        ;;
    "bash scripts/test.sh"*)
        seen="$seen test"
        [ "$code" -eq 0 ] || fail "$command: exit code $code"
        ;;
    *"korvan-cli --version")
        seen="$seen cli-version"
        [ "$code" -eq 0 ] && [ "$(cat "$log")" = "korvan-cli $version" ] ||
            fail "$command: exit code $code, printed '$(head -c 200 "$log")'"
        ;;
    *"korvan --version")
        seen="$seen window-version"
        [ "$code" -eq 0 ] && [ "$(cat "$log")" = "korvan $version" ] ||
            fail "$command: exit code $code, printed '$(head -c 200 "$log")'"
        ;;
    *"korvan-cli --"*"--json"*)
        seen="$seen cli"
        [ "$code" -eq 0 ] && grep -q '"design"' "$log" ||
            fail "$command: exit code $code, or no design printed"
        ;;
    *)
        [ "$code" -eq 0 ] || fail "$command: exit code $code"
        ;;
    esac
    if [ "$failed" -gt 0 ]; then
        tail -n 30 "$log" >&2
        break
    fi
done

# Asking for the version or the help starts no window: nothing is written.
for folder in GPLA_files ARD_files SPICE_files; do
    [ ! -e "$clone/$folder" ] || fail "a command created $folder"
done
for needed in run test cli cli-version window-version; do
    case " $seen " in *" $needed "*) ;; *) fail "the README shows no '$needed' command" ;; esac
done
if [ "$failed" -gt 0 ]; then
    echo "check-readme: $failed problem(s); the clone is in $clone" >&2
    exit 1
fi
rm -rf "$work"
echo "check-readme: all ${#commands[@]} README commands work as written"
