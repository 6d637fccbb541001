#!/usr/bin/env bash
# Runs a program with a "#!/usr/bin/env rill" line directly as an executable file, with the
# built rill put first on PATH, from another directory and through a relative path, and
# compares its output and exit status with those of the program test beside it.
#   script.sh RILL SCRIPTS_DIR
set -u
rill=$1
dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/run"
ln -s "$rill" "$work/bin/rill"
cp "$dir/script_line.rill" "$work/run/greet"
chmod +x "$work/run/greet"
head -c 19 "$work/run/greet" | grep -q '^#!/usr/bin/env rill$' || { echo "not a script"; exit 1; }

failed=0
for how in ./greet "$work/run/greet"; do
    (cd "$work/run" && PATH="$work/bin:$PATH" timeout 20 "$how" first) > "$work/stdout" 2> "$work/stderr"
    status=$?
    if [[ $status != 3 ]]; then
        echo "$how: exit status $status, want 3"
        failed=1
    fi
    cmp -s "$work/stdout" "$dir/script_line.stdout" || { echo "$how: stdout differs"; cat "$work/stdout"; failed=1; }
    [[ -s $work/stderr ]] && { echo "$how: stderr:"; cat "$work/stderr"; failed=1; }
done
exit $failed
