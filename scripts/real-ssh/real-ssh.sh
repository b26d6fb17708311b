# The real OpenSSH server of the tests (scripts/real-ssh/server.py), started and ended by
# scripts/test: sshd on 127.0.0.1 with a configuration, host keys, pid file and log of its own in
# build/real-ssh, the web server and HTTP proxy behind it, and the broker through which the
# tests' relay ssh.exe runs the real Linux ssh. The test user "marrowin-test" exists for that
# sshd alone (see server.py), so nothing of the system's accounts changes. Source it; it defines
# functions only, and needs MARROWIN_ROOT and MARROWIN_BUILD (wine-env.sh).

REAL_SSH_USER=marrowin-test
REAL_SSH_FOLDER="$MARROWIN_BUILD/real-ssh"
REAL_SSH_PID=""
REAL_SSH_HOME_BEFORE=""

# What the user's own ~/.ssh holds, to be compared after the run: names, sizes, times, modes.
user_ssh_state() {
    local home
    home=$(getent passwd "$(id -u)" | cut -d: -f6)
    if [ -e "$home/.ssh" ]; then
        find "$home/.ssh" -printf '%p %s %T@ %m\n' | sort
    else
        echo "$home/.ssh absent"
    fi
}

# Starts the server and exports MARROWIN_REAL_SSH (its broker and control port), which the
# real-client tests and the relay ssh.exe read. Without root the tests are skipped and say why.
start_real_ssh_server() {
    REAL_SSH_HOME_BEFORE=$(user_ssh_state)
    unset MARROWIN_REAL_SSH
    if [ "$(id -u)" -ne 0 ]; then
        echo "The real OpenSSH tests need root (sshd and the mount namespaces of it and of ssh);" \
            "they are skipped."
        return 0
    fi
    # A new password for each run, with a space inside, as users' passwords have, for the way
    # it travels to ssh; a benchmark that starts plink.exe from the shell gives one without.
    local password=${REAL_SSH_PASSWORD:-}
    [ -n "$password" ] ||
        password="$(head -c 12 /dev/urandom | base64 | tr -d '+/=') $(head -c 6 /dev/urandom | base64 | tr -d '+/=')"

    rm -rf "$REAL_SSH_FOLDER"
    mkdir -p "$REAL_SSH_FOLDER"
    MARROWIN_REAL_SSH_PASSWORD="$password" /usr/bin/python3 "$MARROWIN_ROOT/scripts/real-ssh/server.py" \
        "$REAL_SSH_FOLDER" "$REAL_SSH_USER" </dev/null >"$REAL_SSH_FOLDER/server.log" 2>&1 &
    REAL_SSH_PID=$!
    for _ in $(seq 300); do
        [ -f "$REAL_SSH_FOLDER/port" ] && break
        if ! kill -0 "$REAL_SSH_PID" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    if [ ! -f "$REAL_SSH_FOLDER/port" ]; then
        echo "The real OpenSSH server did not start:" >&2
        cat "$REAL_SSH_FOLDER/server.log" "$REAL_SSH_FOLDER/sshd.log" 2>/dev/null >&2 || true
        return 1
    fi
    export MARROWIN_REAL_SSH="127.0.0.1:$(cat "$REAL_SSH_FOLDER/port")"
    echo "Real OpenSSH server: sshd on 127.0.0.1 port" \
        "$(sed -n 's/.*Server listening on 127.0.0.1 port \([0-9]*\).*/\1/p' "$REAL_SSH_FOLDER/sshd.log" | head -1)" \
        "(${REAL_SSH_FOLDER#"$MARROWIN_ROOT"/})"
}

# What ran: the real client's version line, as it printed it, and how many times it ran.
report_real_ssh_runs() {
    local runs="$REAL_SSH_FOLDER/ssh-runs.log"
    [ -f "$runs" ] || return 0
    echo "Real OpenSSH client: $(grep -c '^=== run [0-9]*: ' "$runs") runs, printing" \
        "\"$(grep -m1 -a '^OpenSSH_' "$runs" | tr -d '\r')\"; the server's version:" \
        "$(grep -m1 -a -o 'remote software version .*' "$runs" | cut -d' ' -f4-)" \
        "(log: ${runs#"$MARROWIN_ROOT"/})"
}

# Ends the server and everything it started, and checks that nothing of it is left running and
# that the user's ~/.ssh is as it was. 1 when either fails.
stop_real_ssh_server() {
    local status=0
    if [ -n "$REAL_SSH_PID" ]; then
        kill -TERM "$REAL_SSH_PID" 2>/dev/null || true
        wait "$REAL_SSH_PID" 2>/dev/null || true
        local left
        left=$(pgrep -f -- "$REAL_SSH_FOLDER/sshd_config|$MARROWIN_ROOT/scripts/real-ssh/" || true)
        if [ -n "$left" ]; then
            echo "Left running by the real OpenSSH server:" >&2
            ps -o pid,args -p "$(echo $left | tr ' ' ',')" >&2 || true
            status=1
        fi
        REAL_SSH_PID=""
    fi
    if [ -n "$REAL_SSH_HOME_BEFORE" ] && [ "$(user_ssh_state)" != "$REAL_SSH_HOME_BEFORE" ]; then
        echo "The test run changed ~/.ssh:" >&2
        diff <(echo "$REAL_SSH_HOME_BEFORE") <(user_ssh_state) >&2 || true
        status=1
    fi
    return $status
}
