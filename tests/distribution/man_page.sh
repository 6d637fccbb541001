#!/usr/bin/env bash
# The manual page formats with every groff warning enabled and no warning given.
#   man_page.sh GROFF PAGE
set -u
groff=$1
page=$2
warnings=$(LC_ALL=C "$groff" -man -Tutf8 -ww -z "$page" 2>&1)
if [[ -n $warnings ]]; then
    echo "$warnings"
    exit 1
fi
for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" ENVIRONMENT FILES EXAMPLES "SEE ALSO"; do
    grep -q "^\.SH \"\\?$section\"\\?\$" "$page" || { echo "no $section section"; exit 1; }
done
