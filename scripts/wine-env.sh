# Shared by scripts/run and scripts/test: the build, a Wine prefix of the project's own and
# a virtual display when there is none. Source it; it defines functions only.

MARROWIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
MARROWIN_BUILD="$MARROWIN_ROOT/build"

build_marrowin() {
    cmake -S "$MARROWIN_ROOT" -B "$MARROWIN_BUILD" \
        -DCMAKE_TOOLCHAIN_FILE="$MARROWIN_ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$MARROWIN_BUILD" -j2
}

# Wine without offers to download Mono or Gecko, and without its debug chatter.
use_wine_prefix() {
    export WINEPREFIX="$1"
    export WINEARCH=win64
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Creating the Wine prefix $WINEPREFIX (takes a few seconds)"
        wine wineboot -i >/dev/null 2>&1 || true
        # Without a window manager Wine waits about two seconds whenever a window is hidden,
        # unless its windows are unmanaged.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        wineserver -w
    fi
    use_windows_dialog_font
}

# The dialogs ask for "MS Sans Serif". Wine has its own with Windows' metrics (package
# fonts-wine), but does not find it in its data folder here and draws the dialogs in a wider
# font instead, which clips their texts: the prefix gets it in its Fonts folder, where Wine
# looks for it. The same holds for Marlett, the symbols of the title bar's buttons, which
# otherwise show as letters. The labels' GUI font ("MS Shell Dlg", which stands for Tahoma)
# would then fall back to that bitmap font, which has no large or bold sizes, and Wine's own
# Tahoma has no bold beyond small sizes: Tahoma is replaced by DejaVu Sans Condensed, of about
# its width.
use_windows_dialog_font() {
    local fonts="$WINEPREFIX/drive_c/windows/Fonts" name
    for name in sserife.fon sseriff.fon marlett.ttf; do
        if [ -f "/usr/share/wine/fonts/$name" ] && [ -d "$fonts" ] && [ ! -e "$fonts/$name" ]; then
            ln -s "/usr/share/wine/fonts/$name" "$fonts/$name"
        fi
    done
    if ! grep -q '"Tahoma"="DejaVu Sans Condensed"' "$WINEPREFIX/user.reg" 2>/dev/null; then
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Tahoma /d 'DejaVu Sans Condensed' /f \
            >/dev/null 2>&1
        wineserver -w
    fi
}

# The display scale of the prefix's programs, in percent (100, 125, 150, 200): Wine takes it from
# LogPixels, the dots per inch (96 at 100 %), which each program reads when it starts.
set_display_scale() {
    local dpi=$(($1 * 96 / 100)) key
    for key in 'HKCU\Control Panel\Desktop' \
        'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
        wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    done
}

XVFB_PID=""
# The virtual display's size; larger for a window shown at a large scale.
VIRTUAL_SCREEN="${VIRTUAL_SCREEN:-1280x1024x24}"
# Starts Xvfb on a free display when no display is set; stop_virtual_display ends it.
ensure_display() {
    if [ -n "${DISPLAY:-}" ] && [ "${1:-}" != "--virtual" ]; then
        return
    fi
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 "$VIRTUAL_SCREEN" -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && return
        sleep 0.1
    done
    echo "Xvfb did not start on $DISPLAY" >&2
    return 1
}

stop_virtual_display() {
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
}
