#!/usr/bin/env bash
# Installs, upgrades and uninstalls what scripts/package.sh built, silently, under Wine in a prefix made afresh for
# the run, and checks what each step leaves: files (the same as the portable zip's), Start-menu shortcut, entry in
# the installed programs' list, the panel's registration, the language the installed program speaks when started
# from another folder, and that settings and files the installer did not put there survive an upgrade and the
# uninstall. Per user first (the default), then for all users (/ALLUSERS).
#
# installer_test.sh INSTALLER DRIVE_PROGRAM_EXE win32|win64 WORK_DIR REPORT_XML
# Prints one line per case and writes a GoogleTest-style report, which the test command adds up.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/scripts/wine-prefix.sh"
. "$root/scripts/version.sh"
installer=$1 helper=$2 arch=$3 work=$4 report=$5

version=$(movalent_version "$root")
if [ "$arch" = win64 ]; then
    product="Movalent (64-bit)" entry=Movalent-x64 suffix=-x64
else
    product=Movalent entry=Movalent suffix=
fi
zip=$(dirname "$installer")/Movalent-$version$suffix-portable.zip
uninstall_key="Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$entry"
panel_key='Software\Classes\CLSID\{947E34E9-1D85-43CB-9CBF-5C492118FDD5}'
settings_key='HKCU\Software\Ombrisk\Movalent\Options'
install_key='HKLM\Software\Ombrisk\Movalent'
# Files the installer puts in, relative to the folder: those the zip holds under Movalent/ (read below).
installed_files=()

# ---- Results ----------------------------------------------------------------------------------------------------

cases=() results=() messages=() problems=()
expect() { # description command...: a failed command is a problem of the current case
    "${@:2}" || problems+=("$1")
}
run_case() { # name
    problems=()
    "$1"
    cases+=("$1")
    if [ ${#problems[@]} -eq 0 ]; then
        results+=(passed) messages+=("")
        echo "PASS $1"
    else
        local joined
        joined=$(printf '%s; ' "${problems[@]}")
        results+=(failed) messages+=("${joined%; }")
        echo "FAIL $1: ${joined%; }"
    fi
}
xml_escape() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' -e 's/"/\&quot;/g' <<<"$1"; }
write_report() {
    local failed=0 i
    for r in "${results[@]}"; do [ "$r" = failed ] && failed=$((failed + 1)); done
    mkdir -p "$(dirname "$report")"
    {
        echo '<?xml version="1.0" encoding="UTF-8"?>'
        echo "<testsuites tests=\"${#cases[@]}\" failures=\"$failed\">"
        echo "<testsuite name=\"Installer$suffix\" tests=\"${#cases[@]}\" failures=\"$failed\">"
        for i in "${!cases[@]}"; do
            if [ "${results[$i]}" = passed ]; then
                echo "<testcase name=\"${cases[$i]}\" classname=\"Installer$suffix\" status=\"run\" result=\"completed\"/>"
            else
                echo "<testcase name=\"${cases[$i]}\" classname=\"Installer$suffix\" status=\"run\" result=\"completed\">"
                echo "<failure message=\"$(xml_escape "${messages[$i]}")\"/>"
                echo "</testcase>"
            fi
        done
        echo '</testsuite>'
        echo '</testsuites>'
    } >"$report"
    echo "$((${#cases[@]} - failed)) of ${#cases[@]} installer cases passed"
    [ $failed -eq 0 ]
}

# ---- Wine ---------------------------------------------------------------------------------------------------------

# A value's data; fails when the key or value is missing. An empty name reads the key's default value.
reg_value() { # key name
    local out
    if [ -z "$2" ]; then
        out=$("$WINE" reg query "$1" /ve 2>/dev/null) || return 1
        tr -d '\r' <<<"$out" | sed -n 's/^    (Default)    REG_[A-Z_]*    //p' | head -1
    else
        out=$("$WINE" reg query "$1" /v "$2" 2>/dev/null) || return 1
        tr -d '\r' <<<"$out" | sed -n "s/^    $2    REG_[A-Z_]*    //p" | head -1
    fi
}
reg_exists() { "$WINE" reg query "$1" >/dev/null 2>&1; }
reg_absent() { ! reg_exists "$1"; }
value_is() { # expected key name
    local actual
    actual=$(reg_value "$2" "$3") && [ "$actual" = "$1" ]
}
# Waits until every process of the prefix has ended; one still running after two minutes is ended.
wine_wait() { timeout 120 wineserver -w || { wineserver -k 2>/dev/null; return 1; }; }
unix_path() { "$WINE" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
windows_variable() { "$WINE" cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
# Runs the installer through cmd: /D= must reach it unquoted even when the folder has spaces.
run_installer() { # arguments as one command line
    local copy='C:\movalent-setup.exe'
    cp "$installer" "$WINEPREFIX/drive_c/movalent-setup.exe"
    "$WINE" cmd /c "$copy $1" >/dev/null 2>&1
}
# The quiet uninstall command of the entry, as a program of the installed programs' list would run it. The
# uninstaller goes on in a copy of itself: wait until the prefix's processes have ended.
run_quiet_uninstall() { # root
    local command exe
    command=$(reg_value "$1\\$uninstall_key" QuietUninstallString) || return 1
    exe=$(sed -n 's/^"\([^"]*\)" \/S$/\1/p' <<<"$command")
    [ -n "$exe" ] || return 1
    "$WINE" "$exe" /S >/dev/null 2>&1 || return 1
    wine_wait
}
# The caption of the options sheet of the installed program, started in another folder with a language setting.
caption_in_language() { # program(windows path) current_folder(unix) langID
    "$WINE" reg add "$settings_key" /v langID /t REG_DWORD /d "$3" /f >/dev/null 2>&1
    (cd "$2" && "$WINE" "$1" >/dev/null 2>&1 &)
    "$WINE" "$helper" 2>/dev/null | tr -d '\r'
    wine_wait
}
language_text() { # file id: the text of one string of a language file (UTF-16)
    iconv -f UTF-16 -t UTF-8 "$1" | tr -d '\r' | sed -n "s/^$2://p"
}
same_files() { # folder(unix): the installed files are the zip's
    local f
    for f in "${installed_files[@]}"; do cmp -s "$1/$f" "$work/zip/Movalent/$f" || return 1; done
}
none_left() { # folder(unix)
    local f
    for f in "${installed_files[@]}" Uninstall.exe; do [ ! -e "$1/$f" ] || return 1; done
}
size_in_kb_is() { # kilobytes folder(unix)
    local bytes=0 f
    for f in "${installed_files[@]}"; do bytes=$((bytes + $(stat -c %s "$2/$f" 2>/dev/null || echo 0))); done
    [ "$1" -ge $((bytes / 1024)) ] && [ "$1" -le $((bytes / 1024 + ${#installed_files[@]})) ]
}
lnk_targets() { # shortcut folder(unix) target(windows)
    local lnk="$1/$product.lnk"
    [ -f "$lnk" ] && strings -a "$lnk" | grep -qxF "$2"
}

# ---- Cases: per user ----------------------------------------------------------------------------------------------

per_user_dir='C:\Movalent Test\Per User'
per_user_exe="$per_user_dir\\Movalent.exe"

PerUserSilentInstallPutsTheZipsFilesInTheFolderGiven() {
    expect "the installer exited with an error" run_installer "/S /D=$per_user_dir"
    per_user_unix=$(unix_path "$per_user_dir")
    expect "the installed files differ from the portable zip's" same_files "$per_user_unix"
    expect "no uninstaller in the folder" test -f "$per_user_unix/Uninstall.exe"
    expect "files went to the default folder too" test ! -e "$default_dir_unix"
    expect "a per-user install wrote the machine-wide Install_Dir" reg_absent "$install_key"
    expect "a per-user install wrote a machine-wide entry" reg_absent "HKLM\\$uninstall_key"
    expect "a desktop shortcut was made without being asked for" test ! -e "$user_desktop/$product.lnk"
}

PerUserStartMenuShortcutStartsTheInstalledProgram() {
    expect "no Start-menu shortcut to $per_user_exe" lnk_targets "$user_programs" "$per_user_exe"
    expect "the shortcut does not start the program in its folder" \
        bash -c 'strings -a -el "$1" | grep -qF "$2"' _ "$user_programs/$product.lnk" "$per_user_dir"
}

PerUserEntryIsInTheUsersInstalledProgramsList() {
    local key="HKCU\\$uninstall_key" size
    expect "DisplayName" value_is "$product" "$key" DisplayName
    expect "DisplayVersion" value_is "$version" "$key" DisplayVersion
    expect "Publisher" value_is Ombrisk "$key" Publisher
    expect "DisplayIcon" value_is "$per_user_exe,0" "$key" DisplayIcon
    expect "InstallLocation" value_is "$per_user_dir" "$key" InstallLocation
    expect "UninstallString" value_is "\"$per_user_dir\\Uninstall.exe\"" "$key" UninstallString
    expect "QuietUninstallString" value_is "\"$per_user_dir\\Uninstall.exe\" /S" "$key" QuietUninstallString
    # Kilobytes, as a DWORD: the installed files' size, each rounded up.
    size=$(reg_value "$key" EstimatedSize)
    expect "EstimatedSize ($size) is not the files' size in KB" size_in_kb_is "$((${size:-0}))" "$per_user_unix"
}

PerUserPanelIsRegisteredForTheUser() {
    expect "the panel's class does not name the installed DLL" \
        value_is "$per_user_dir\\MovalentDevTools.dll" "HKCU\\$panel_key\\InprocServer32" ""
    expect "the panel's threading model" value_is Apartment "HKCU\\$panel_key\\InprocServer32" ThreadingModel
}

PerUserProgramSpeaksFrenchWhenStartedFromAnotherFolder() {
    local french english caption
    french=$(language_text "$per_user_unix/Languages/FRENCH.lang" 141)
    english=$(language_text "$per_user_unix/Languages/ENGLISH.lang" 141)
    expect "the language files differ on the options caption" test -n "$french" -a "$french" != "$english"
    caption=$(caption_in_language "$per_user_exe" /tmp 12)
    expect "options sheet caption \"$caption\", not \"$french\"" test "$caption" = "$french"
}

SilentInstallOverTheRunningProgramStopsAndChangesNothing() {
    local before status
    before=$(stat -c %z "$per_user_unix/Movalent.exe")
    (cd /tmp && "$WINE" "$per_user_exe" >/dev/null 2>&1 &)
    expect "the program did not start" "$WINE" "$helper" wait
    run_installer "/S"
    status=$?
    expect "the installer reported success over the running program" test $status -ne 0
    expect "the running program's file was written" test "$(stat -c %z "$per_user_unix/Movalent.exe")" = "$before"
    expect "the program did not close" "$WINE" "$helper" close
    wine_wait
}

UpgradeKeepsSettingsEngineFilesAndTheFolder() {
    "$WINE" reg add "$settings_key" /v HomePage /d 'http://127.0.0.1:9/kept' /f >/dev/null 2>&1
    echo "engine" >"$per_user_unix/6hdocvw.dll"
    echo "translation" >"$per_user_unix/Languages/ITALIAN.lang"
    # An older program in place, to be replaced.
    echo "older" >"$per_user_unix/Movalent.exe"
    # No /D=: the installed copy's folder is the one to upgrade.
    expect "the second installer exited with an error" run_installer "/S"
    expect "the program was not replaced" same_files "$per_user_unix"
    expect "the engine file was touched" grep -qx engine "$per_user_unix/6hdocvw.dll"
    expect "a language file of the user's was touched" grep -qx translation "$per_user_unix/Languages/ITALIAN.lang"
    expect "the home page setting is gone" value_is 'http://127.0.0.1:9/kept' "$settings_key" HomePage
    expect "the language setting is gone" value_is 0xc "$settings_key" langID
    expect "the entry moved" value_is "$per_user_dir" "HKCU\\$uninstall_key" InstallLocation
    expect "the upgrade installed into the default folder" test ! -e "$default_dir_unix"
}

PerUserSilentUninstallRemovesWhatItInstalledOnly() {
    expect "the quiet uninstall command failed" run_quiet_uninstall HKCU
    expect "installed files are left" none_left "$per_user_unix"
    expect "the Start-menu shortcut is left" test ! -e "$user_programs/$product.lnk"
    expect "the entry is left" reg_absent "HKCU\\$uninstall_key"
    expect "the panel's registration is left" reg_absent "HKCU\\$panel_key"
    # What the installer did not put there stays, and so the folders that hold it.
    expect "the engine file was removed" test -f "$per_user_unix/6hdocvw.dll"
    expect "the user's language file was removed" test -f "$per_user_unix/Languages/ITALIAN.lang"
    expect "a silent uninstall removed the settings" value_is 'http://127.0.0.1:9/kept' "$settings_key" HomePage
}

# ---- Cases: all users ---------------------------------------------------------------------------------------------

all_users_dir='C:\Program Files\Movalent Test'
all_users_exe="$all_users_dir\\Movalent.exe"

AllUsersSilentInstallWritesTheMachineWideKeys() {
    expect "the installer exited with an error" run_installer "/S /ALLUSERS /D=$all_users_dir"
    all_users_unix=$(unix_path "$all_users_dir")
    expect "the installed files differ from the portable zip's" same_files "$all_users_unix"
    expect "Install_Dir does not name the folder" value_is "$all_users_dir" "$install_key" Install_Dir
    expect "no machine-wide entry" value_is "$version" "HKLM\\$uninstall_key" DisplayVersion
    expect "the entry's Publisher" value_is Ombrisk "HKLM\\$uninstall_key" Publisher
    expect "an all-users install wrote a per-user entry" reg_absent "HKCU\\$uninstall_key"
    expect "no Start-menu shortcut for all users" lnk_targets "$common_programs" "$all_users_exe"
    expect "the panel is not registered for the installing user" \
        value_is "$all_users_dir\\MovalentDevTools.dll" "HKCU\\$panel_key\\InprocServer32" ""
    expect "the panel is not registered for every user" \
        value_is "$all_users_dir\\MovalentDevTools.dll" "HKLM\\$panel_key\\InprocServer32" ""
}

AllUsersProgramSpeaksFrenchWhenStartedFromTheWindowsFolder() {
    local french caption
    french=$(language_text "$all_users_unix/Languages/FRENCH.lang" 141)
    caption=$(caption_in_language "$all_users_exe" "$WINEPREFIX/drive_c/windows" 12)
    expect "options sheet caption \"$caption\", not \"$french\"" test -n "$french" -a "$caption" = "$french"
}

AllUsersUpgradeWithoutSwitchesFindsTheAllUsersCopy() {
    echo "older" >"$all_users_unix/Movalent.exe"
    expect "the second installer exited with an error" run_installer "/S"
    expect "the program was not replaced" same_files "$all_users_unix"
    expect "the upgrade made a per-user copy" reg_absent "HKCU\\$uninstall_key"
    expect "the upgrade installed into the default per-user folder" test ! -e "$default_dir_unix"
    expect "the entry moved" value_is "$all_users_dir" "HKLM\\$uninstall_key" InstallLocation
}

AllUsersSilentUninstallRemovesTheMachineWideKeys() {
    expect "the quiet uninstall command failed" run_quiet_uninstall HKLM
    expect "installed files are left" none_left "$all_users_unix"
    expect "the empty folder is left" test ! -e "$all_users_unix"
    expect "the Start-menu shortcut is left" test ! -e "$common_programs/$product.lnk"
    expect "the entry is left" reg_absent "HKLM\\$uninstall_key"
    expect "the machine-wide key is left" reg_absent "$install_key"
    expect "the panel's registration for every user is left" reg_absent "HKLM\\$panel_key"
    expect "the panel's registration for the user is left" reg_absent "HKCU\\$panel_key"
}

# ---- Run ------------------------------------------------------------------------------------------------------------

for f in "$installer" "$zip" "$helper"; do
    [ -f "$f" ] || { echo "Missing $f (build it with scripts/package.sh)" >&2; exit 1; }
done
rm -rf "$work/wineprefix" "$work/zip"
mkdir -p "$work/zip"
unzip -q "$zip" -d "$work/zip" || { echo "Cannot unpack $zip" >&2; exit 1; }
mapfile -t installed_files < <(cd "$work/zip/Movalent" && find . -type f -printf '%P\n' | sort)
for f in Movalent.exe MovalentDevTools.dll Languages/ENGLISH.lang Languages/FRENCH.lang; do
    [ -f "$work/zip/Movalent/$f" ] || { echo "The portable zip lacks $f" >&2; exit 1; }
done
wine_prefix_init "$work/wineprefix" null "$arch" >/dev/null
wine_wait
user_programs=$(unix_path "$(windows_variable APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs")
common_programs=$(unix_path "$(windows_variable ProgramData)\\Microsoft\\Windows\\Start Menu\\Programs")
user_desktop=$(unix_path "$(windows_variable USERPROFILE)\\Desktop")
default_dir_unix=$(unix_path "$(windows_variable LOCALAPPDATA)\\Programs\\$product")
per_user_unix=$(unix_path "$per_user_dir") all_users_unix=$(unix_path "$all_users_dir")
for d in "$user_programs" "$common_programs" "$user_desktop" "$default_dir_unix" "$per_user_unix" "$all_users_unix"; do
    [ -n "$d" ] || { echo "Wine could not name the prefix's folders" >&2; exit 1; }
done

run_case PerUserSilentInstallPutsTheZipsFilesInTheFolderGiven
run_case PerUserStartMenuShortcutStartsTheInstalledProgram
run_case PerUserEntryIsInTheUsersInstalledProgramsList
run_case PerUserPanelIsRegisteredForTheUser
run_case PerUserProgramSpeaksFrenchWhenStartedFromAnotherFolder
run_case SilentInstallOverTheRunningProgramStopsAndChangesNothing
run_case UpgradeKeepsSettingsEngineFilesAndTheFolder
run_case PerUserSilentUninstallRemovesWhatItInstalledOnly
run_case AllUsersSilentInstallWritesTheMachineWideKeys
run_case AllUsersProgramSpeaksFrenchWhenStartedFromTheWindowsFolder
run_case AllUsersUpgradeWithoutSwitchesFindsTheAllUsersCopy
run_case AllUsersSilentUninstallRemovesTheMachineWideKeys
wineserver -k 2>/dev/null
write_report
