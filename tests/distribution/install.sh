#!/usr/bin/env bash
# Installs the build into a scratch prefix with cmake --install and checks every file in its
# place: the interpreter and the checker, the manual pages, the documents, the examples and
# the editor files;
# then runs the installed interpreter on the installed hello example.
#   install.sh BUILD_DIR SOURCE_DIR CMAKE
set -u
build=$1
source_dir=$2
cmake=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

if ! "$cmake" --install "$build" --prefix "$prefix" > "$work/out" 2>&1; then
    cat "$work/out"
    echo "cmake --install failed"
    exit 1
fi

failed=0
want() { [[ -f $prefix/$1 ]] || { echo "missing: $1"; failed=1; }; }

[[ -x $prefix/bin/rill ]] || { echo "missing or not executable: bin/rill"; failed=1; }
[[ -x $prefix/bin/rill-check ]] || { echo "missing or not executable: bin/rill-check"; failed=1; }
[[ -x $prefix/bin/rill-trace ]] || { echo "missing or not executable: bin/rill-trace"; failed=1; }
want share/man/man1/rill.1
want share/man/man1/rill-check.1
want share/man/man1/rill-trace.1
want share/doc/rill/README.md
for document in "$source_dir"/docs/*.md; do
    want "share/doc/rill/$(basename "$document")"
done
[[ -f $source_dir/docs/guide.md ]] && want share/doc/rill/guide.md
count=0
for example in "$source_dir"/examples/*; do
    want "share/doc/rill/examples/$(basename "$example")"
    count=$((count + 1))
done
[[ $count -gt 0 ]] || { echo "no examples in the source tree"; failed=1; }
want share/vim/vimfiles/syntax/rill.vim
want share/vim/vimfiles/ftdetect/rill.vim
want share/rill/textmate/rill.tmLanguage.json

# The page is found through the prefix's manual path.
if command -v man > /dev/null; then
    found=$(MANPATH=$prefix/share/man man -w rill 2> /dev/null)
    [[ $found == "$prefix/share/man/man1/rill.1"* ]] || { echo "man -w rill gave '$found'"; failed=1; }
fi

# The installed checker finds nothing wrong with the installed example.
if [[ -x $prefix/bin/rill-check && -f $prefix/share/doc/rill/examples/hello.rill ]]; then
    (cd "$prefix/share/doc/rill/examples" && timeout 20 "$prefix/bin/rill-check" hello.rill) \
        > "$work/check" 2>&1
    status=$?
    [[ $status == 0 ]] || { echo "installed rill-check: exit status $status"; cat "$work/check"; failed=1; }
fi

# The installed tracer runs the installed example as rill does, and writes its trace.
if [[ -x $prefix/bin/rill-trace && -f $prefix/share/doc/rill/examples/hello.rill ]]; then
    (cd "$prefix/share/doc/rill/examples" &&
        timeout 20 "$prefix/bin/rill-trace" -o "$work/trace" hello.rill) > "$work/traced" 2>&1
    status=$?
    [[ $status == 0 ]] || { echo "installed rill-trace: exit status $status"; failed=1; }
    grep -q '^-- profile$' "$work/trace" 2> /dev/null ||
        { echo "installed rill-trace wrote no profile"; failed=1; }
fi

# The installed interpreter runs the installed example, with the expected output.
examples=$prefix/share/doc/rill/examples
if [[ -x $prefix/bin/rill && -f $examples/hello.rill ]]; then
    (cd "$examples" && timeout 20 "$prefix/bin/rill" hello.rill) > "$work/stdout" 2>&1
    status=$?
    [[ $status == 0 ]] || { echo "installed rill: exit status $status"; failed=1; }
    cmp -s "$work/stdout" "$source_dir/examples/hello.stdout" ||
        { echo "installed rill: output differs"; cat "$work/stdout"; failed=1; }
fi
exit $failed
