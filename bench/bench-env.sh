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
