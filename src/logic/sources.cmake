# The text logic: the rules and readers that need no Win32. One list, below src/, for the
# program's layer marrowin_logic, the native build of its tests (tests/logic) and the fuzzing
# build (fuzz/). No file of it may include <windows.h>: the native builds, which scripts/test
# runs, have no such header, so such an include fails them.
set(MARROWIN_LOGIC_SOURCES
    logic/account_rules.cpp
    logic/bypass_list.cpp
    logic/command_line.cpp
    logic/end_reason.cpp
    logic/forwarding_text.cpp
    logic/host_key_question.cpp
    logic/key_file_access.cpp
    logic/key_file_text.cpp
    logic/known_hosts.cpp
    logic/password_scrambling.cpp
    logic/profile_text.cpp
    logic/proxy_request.cpp
    logic/proxy_takes.cpp
    logic/screen_fit.cpp
    logic/server_list.cpp
    logic/session_forwardings.cpp
    logic/sign_in.cpp
    logic/version_answer.cpp
    # Stays in the tunnel's folder; plink.exe takes the tag of its WM_COPYDATA from it.
    tunnel/failure_notice.cpp)
set(MARROWIN_LOGIC_HEADERS
    logic/account_rules.h
    logic/browser_way.h
    logic/bypass_list.h
    logic/command_line.h
    logic/end_reason.h
    logic/forwarding_text.h
    logic/host_key_question.h
    logic/key_file_access.h
    logic/key_file_text.h
    logic/known_hosts.h
    logic/password_scrambling.h
    logic/profile_text.h
    logic/proxy_request.h
    logic/proxy_takes.h
    logic/saved_session.h
    logic/screen_fit.h
    logic/server_list.h
    logic/session_forwardings.h
    logic/sign_in.h
    logic/version_answer.h
    tunnel/failure_notice.h)
