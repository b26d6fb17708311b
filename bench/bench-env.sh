# Shared by the benchmark commands: a throwaway Wine prefix on a virtual display, settings
# files of many accounts, and medians. Source it after scripts/wine-env.sh; it defines
# functions only.

# A new Wine prefix in the folder given, its server kept running between the runs; everything
# goes when the script exits.
start_bench_prefix() {
    bench_work=$1
    ensure_display --virtual
    trap 'wineserver -k 2>/dev/null || true; stop_virtual_display; rm -rf "$bench_work"' EXIT
    use_wine_prefix "$bench_work/prefix"
    wineserver -p
    wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

# The Windows path of a file, as Wine sees it from its drive Z:, the Linux root. Made here, not
# by winepath, which is one more Wine program to start and which now and then printed nothing.
windows_path() {
    local path=${1//\//\\}
    echo "Z:$path"
}

# Runs a timer, the command given, and keeps the figures it prints in $timer_output. Wine now
# and then ends a program before it has started, without a word: a run that prints no figures
# is said on stderr, with the timer's reason, and tried once more; only a second failure ends
# the benchmark.
#   run_timer <case> <what went wrong, as "did not come up"> <command> [arguments]
run_timer() {
    local name=$1 failed=$2 reason=""
    shift 2
    for attempt in 1 2; do
        timer_output=$("$@" 2>"$bench_work/errors" </dev/null | tr -d '\r') || true
        [ -n "$timer_output" ] && return 0
        reason=$(tr -s '\r\n' '  ' <"$bench_work/errors" | sed 's/ *$//')
        reason=${reason:-it said nothing}
        if [ "$attempt" -eq 1 ]; then
            echo "bench: $name $failed, trying once more: $reason" >&2
        fi
    done
    echo "bench: $name $failed: $reason" >&2
    exit 1
}

# Settings with n accounts, each with the three forwardings a new account gets.
make_settings() {
    local n=$1 file=$2 servers=""
    : >"$file"
    for ((i = 0; i < n; i++)); do servers+="server$i.example,"; done
    printf '[tunnel]\r\nservers=%s\r\ndefault=server0.example\r\n' "$servers" >>"$file"
    for ((i = 0; i < n; i++)); do
        printf '[server%d.example]\r\nusername=user%d\r\npassword=pw\r\nport=3128\r\n' "$i" "$i"
        printf 'forwardings=25:localhost:25:SMTP,110:localhost:110:POP3,50000:localhost:3128:IE Proxy,\r\n'
    done >>"$file"
}

# The median of the numbers on standard input, one a line.
median() { sort -g | awk '{a[NR]=$1} END {m=(NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2; print m}'; }
