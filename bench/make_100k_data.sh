#!/usr/bin/env bash
# Writes the benchmarks' data file of 100,000 button lines in code page 932 to FILE: one
# category, pages 2 to 4167 first and page 1 last, so that loading page 1 reads the whole file.
#
#   bench/make_100k_data.sh FILE
set -euo pipefail
awk 'BEGIN {
    printf "[無題カテゴリ]\r\n";
    t[0] = "/bin/sh"; t[1] = "/etc/hosts"; t[2] = "/usr/share"; t[3] = "/missing/target.exe";
    n = 0;
    for (p = 2; n < 100000 - 24; p++)
        for (s = 1; s <= 24 && n < 100000 - 24; s++) {
            printf "%d:%d=%s <TS>button %d-%d<TE>\r\n", p, s, t[n % 4], p, s; n++ }
    for (s = 1; s <= 24; s++) printf "1:%d=%s <TS>button 1-%d<TE>\r\n", s, t[s % 4], s
}' | iconv -f UTF-8 -t CP932 >"${1:?usage: make_100k_data.sh FILE}"
