# Sourced by the CPU bench scripts: a scratch folder ($work), the background
# processes to end when the script ends ($pids), and the figures of a
# process.
work=$(mktemp -d)
pids=""
cleanup() {
    for p in $pids; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# CPU time of a process, all threads, in nanoseconds.
cpu_ns() {
    cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%d\n", s }'
}
rss_kib() {
    awk '/^VmRSS:/ { print $2 }' /proc/"$1"/status
}
# The resident KiB of a process by what is mapped (a file's name, [heap],
# [anon] for stacks and zeroed data, the locale's files together), largest
# first.
rss_by_mapping() {
    awk '/^[0-9a-f]+-[0-9a-f]+ / {
             n = split($6, part, "/")
             name = NF < 6 ? "[anon]" : $6 ~ "/locale/" ? "locale files" : part[n]
         }
         /^Rss:/ { kib[name] += $2 }
         END { for (name in kib) if (kib[name] > 0) printf "  %6d KiB %s\n", kib[name], name }' \
        /proc/"$1"/smaps | sort -rn
}
percent() { # ns seconds
    awk -v ns="$1" -v s="$2" 'BEGIN { printf "%.3f", ns / (s * 1e9) * 100 }'
}
