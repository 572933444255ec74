#!/bin/bash
# The release end to end, in a fresh Wine prefix of its own:
#   release_test.sh BUILD_DIR OLDER_BUILD_DIR DRIVER VERSION OLDER_VERSION
# 1. scripts/dist.sh's outputs for this version (signed with a throwaway
#    certificate) and for the older one (unsigned);
# 2. the older Setup installed silently;
# 3. the installed older program updated through its update dialog from a
#    local server publishing the newer release, then that Setup run silently;
#    the Setup's wait for a running program;
# 4. the silent uninstall, which leaves the prefix as it was.
set -euo pipefail
build_dir=$(cd "$1" && pwd)
older_build=$(cd "$2" && pwd)
driver=$3
version=$4
older=$5
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
start=$SECONDS

work="$build_dir/release-test"
rm -rf "$work"
mkdir -p "$work/home"
export HOME="$work/home"
export WINEPREFIX="$work/prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export LC_ALL=C.UTF-8
server="$work/server"
passed=0
cleanup() {
    python3 "$source_dir/tests/update_server/update_test_server.py" stop "$server" || true
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    # The prefix takes some 700 MB: kept only to look into a failure.
    if [ "$passed" = 1 ]; then rm -rf "$WINEPREFIX"; fi
}
trap cleanup EXIT

fail() {
    echo "FAILED: $*" >&2
    exit 1
}
step() { echo "--- $* ($((SECONDS - start)) s)"; }
# Registry text without Windows line ends; nothing for a missing key.
reg_query() { { wine reg query "$@" 2>/dev/null || true; } | tr -d '\r'; }
program_files="$WINEPREFIX/drive_c/Program Files/Sumwise"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

# The prefix is made while the release is.
(
    exec </dev/null >/dev/null 2>&1
    wineboot -i
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
    wineserver -w
) &
prefix_maker=$!

step "dist outputs"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Sumwise test signer" \
    -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -passout pass:throwaway -out "$work/signer.pfx"
SUMWISE_SIGN_PFX="$work/signer.pfx" SUMWISE_SIGN_PASSWORD=throwaway \
    "$source_dir/scripts/dist.sh" "$build_dir" "$work/dist" >"$work/dist.log"
"$source_dir/scripts/dist.sh" "$older_build" "$work/dist-older" >"$work/dist-older.log"
grep -q "signed with signer.pfx" "$work/dist.log" || fail "dist did not say it signed: $(cat "$work/dist.log")"
[ "$(grep -c . "$work/dist-older.log")" = 1 ] && grep -q "nothing signed" "$work/dist-older.log" ||
    fail "an unsigned dist does not say so in one line: $(cat "$work/dist-older.log")"

dist="$work/dist"
zip="Sumwise-$version-x64.zip"
expected="Sumwise_x64.exe sumwise-cli.exe $zip SumwiseSetup.exe SHA256SUMS files"
[ "$(cd "$dist" && ls | sort | tr '\n' ' ')" = "$(echo $expected | tr ' ' '\n' | sort | tr '\n' ' ')" ] ||
    fail "dist holds $(ls "$dist")"
[ "$(unzip -Z1 "$dist/$zip" | sort | tr '\n' ' ')" = "LICENSE.txt README.txt Sumwise.exe sumwise-cli.exe " ] ||
    fail "the zip holds $(unzip -Z1 "$dist/$zip")"
unzip -p "$dist/$zip" Sumwise.exe | cmp - "$dist/Sumwise_x64.exe" || fail "the zip's Sumwise.exe differs"
unzip -p "$dist/$zip" sumwise-cli.exe | cmp - "$dist/sumwise-cli.exe" || fail "the zip's sumwise-cli.exe differs"
unzip -p "$dist/$zip" README.txt | head -1 | grep -q $'^# Sumwise\r$' || fail "README.txt lacks Windows line ends"
digest() { sha256sum "$1" | cut -d' ' -f1; }
printf '%s\nSumwiseSetup.exe:SHA-256:%s\nSumwise_x64.exe:SHA-256:%s\n' "$version" "$(digest "$dist/SumwiseSetup.exe")" \
    "$(digest "$dist/Sumwise_x64.exe")" | cmp - "$dist/files/latest.txt" || fail "latest.txt: $(cat "$dist/files/latest.txt")"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not check"
[ "$(wc -l <"$dist/SHA256SUMS")" = 5 ] || fail "SHA256SUMS lists $(wc -l <"$dist/SHA256SUMS") files"
for signed in Sumwise_x64.exe sumwise-cli.exe SumwiseSetup.exe; do
    osslsigncode verify -CAfile "$work/cert.pem" -in "$dist/$signed" >"$work/verify.log" 2>&1 ||
        fail "$signed: $(cat "$work/verify.log")"
    grep -qi "digest algorithm *: *sha256" "$work/verify.log" || fail "$signed is not signed with SHA-256"
done
if osslsigncode verify -CAfile "$work/cert.pem" -in "$work/dist-older/SumwiseSetup.exe" >/dev/null 2>&1; then
    fail "the unsigned Setup verifies"
fi

step "fresh Wine prefix"
wait $prefix_maker
# What is there before, to compare with what the uninstaller leaves (Wine's
# own folders and WinINet's caches aside).
snapshot() {
    (cd "$WINEPREFIX/drive_c" && find . -path ./windows -prune -o -path './users/*/Temp' -prune -o \
        -path './users/*/AppData/Local/Microsoft' -prune -o -print | sort)
    reg_query 'HKLM\Software\Classes' /s | grep -v '^$'
    reg_query "$uninstall_key" /s
}
# A hash file of the user's, which must stay.
mkdir -p "$WINEPREFIX/drive_c/data"
echo "900150983CD24FB0D6963F7D28E17F72" >"$WINEPREFIX/drive_c/data/abc.txt.md5"
snapshot >"$work/before.txt"

step "older Setup, silent, for a German user"
LC_ALL=de_DE.UTF-8 wine cmd /c exit  # a first process settles the prefix in the new locale
LC_ALL=de_DE.UTF-8 wine "$work/dist-older/SumwiseSetup.exe" /S || fail "the older Setup failed with status $?"
# The verbs' texts are in the user's language.
reg_query 'HKLM\Software\Classes\*\shell\Sumwise' /ve | grep -qF 'REG_SZ    Mit Sumwise hashen' ||
    fail "the German user's Hash verb: $(reg_query 'HKLM\Software\Classes\*\shell\Sumwise' /ve)"
installed_version() { reg_query "$uninstall_key\\Sumwise" /v DisplayVersion | sed -n 's/.*REG_SZ *//p'; }
[ "$(installed_version)" = "$older" ] || fail "installed version $(installed_version), not $older"
[ "$(wine "C:\\Program Files\\Sumwise\\sumwise-cli.exe" --version | tr -d '\r')" = "sumwise-cli $older" ] ||
    fail "the older sumwise-cli does not say $older"

step "update through the update dialog"
python3 "$source_dir/tests/update_server/update_test_server.py" start "$server"
mkdir -p "$server/release/files" "$server/release/downloads" "$WINEPREFIX/drive_c/downloads"
cp "$dist/files/latest.txt" "$server/release/files/"
# The older program takes the version file only signed with its key: a pair made here.
openssl genpkey -algorithm ed25519 -out "$work/update_key.pem" 2>/dev/null
update_key=$(openssl pkey -in "$work/update_key.pem" -pubout -outform DER | tail -c 32 | od -An -v -tx1 | tr -d ' \n')
"$source_dir/scripts/sign-update-files.sh" "$server/release" "$work/update_key.pem" "$update_key" >/dev/null ||
    fail "the version file could not be signed"
if "$source_dir/scripts/sign-update-files.sh" "$server/release" "$work/update_key.pem" "$(printf "0%.0s" {1..64})" \
    >/dev/null 2>&1; then
    fail "a signing key that does not match the programs' was taken"
fi
cp "$dist/SumwiseSetup.exe" "$dist/Sumwise_x64.exe" "$server/release/downloads/"
SUMWISE_TEST_UPDATE_PUBLIC_KEY=$update_key \
    SUMWISE_UPDATE_URL="http://127.0.0.1:$(cat "$server/server.port")/release/" wine "$driver" \
    'C:\Program Files\Sumwise\Sumwise.exe' 'C:\downloads\SumwiseSetup.exe' "$older" "$version" ||
    fail "the update loop"
grep -q '^files/latest.txt$' "$server/release/requests.log" || fail "latest.txt was not asked for"
grep -q '^files/latest.txt.sig$' "$server/release/requests.log" || fail "latest.txt.sig was not asked for"
grep -q '^download.php?file=SumwiseSetup.exe$' "$server/release/requests.log" || fail "the Setup was not downloaded"
cmp "$WINEPREFIX/drive_c/downloads/SumwiseSetup.exe" "$dist/SumwiseSetup.exe" || fail "the saved Setup differs"
wine 'C:\downloads\SumwiseSetup.exe' /S || fail "the downloaded Setup failed with status $?"
rm -r "$WINEPREFIX/drive_c/downloads"

# Meanwhile a silent Setup over the running program waits 30 s, then gives up.
wine 'C:\Program Files\Sumwise\Sumwise.exe' >/dev/null 2>&1 &
running=$!
(
    waited=$SECONDS
    sleep 2
    wine "$dist/SumwiseSetup.exe" /S && status=0 || status=$?
    echo "$status $((SECONDS - waited))" >"$work/waited.txt"
) &
waiting_setup=$!

step "the newer version installed"
[ "$(installed_version)" = "$version" ] || fail "installed version $(installed_version), not $version"
entries=$(reg_query "$uninstall_key" /s /reg:64; reg_query "$uninstall_key" /s /reg:32)
[ "$(grep -c 'DisplayName *REG_SZ *Sumwise$' <<<"$entries")" = 1 ] || fail "not one uninstall entry: $entries"
entry=$(reg_query "$uninstall_key\\Sumwise")
for value in DisplayName DisplayVersion Publisher DisplayIcon InstallLocation UninstallString QuietUninstallString \
    EstimatedSize NoModify NoRepair; do
    grep -q "^ *$value " <<<"$entry" || fail "the uninstall entry lacks $value"
done
grep -q 'QuietUninstallString *REG_SZ *"C:\\Program Files\\Sumwise\\uninstall.exe" /S$' <<<"$entry" ||
    fail "QuietUninstallString: $entry"
size=$(sed -n 's/.*EstimatedSize *REG_DWORD *//p' <<<"$entry")
files_kib=$(( ($(stat -c %s "$program_files"/*.exe | paste -sd+)) / 1024 ))
[ $((size)) -ge $((files_kib - 3)) ] && [ $((size)) -le $((files_kib + 3)) ] ||
    fail "EstimatedSize $((size)) KiB, the files take $files_kib KiB"
[ "$(cd "$program_files" && ls | tr '\n' ' ')" = "Sumwise.exe sumwise-cli.exe uninstall.exe " ] ||
    fail "installed: $(ls "$program_files")"
cmp "$program_files/Sumwise.exe" "$dist/Sumwise_x64.exe" || fail "the installed Sumwise.exe is not the release's"
[ "$(wine "C:\\Program Files\\Sumwise\\sumwise-cli.exe" --version | tr -d '\r')" = "sumwise-cli $version" ] ||
    fail "the installed sumwise-cli does not say $version"
(cd "$dist" && wine 'C:\Program Files\Sumwise\sumwise-cli.exe' -c SHA256SUMS >"$work/cli-check.txt") ||
    fail "sumwise-cli -c SHA256SUMS: $(cat "$work/cli-check.txt")"
[ -n "$(find "$WINEPREFIX/drive_c/ProgramData" -name Sumwise.lnk)" ] || fail "no Start menu shortcut"
reg_query 'HKLM\Software\Classes\*\shell\Sumwise' /ve | grep -qF 'REG_SZ    Hash with Sumwise' ||
    fail "the Hash verb is not in English again after an English user's update"
reg_query 'HKLM\Software\Classes\*\shell\Sumwise\command' /ve |
    grep -qF 'REG_SZ    "C:\Program Files\Sumwise\Sumwise.exe" "%1"' || fail "no Hash verb"
# The Check verb on the common sums files and on one hash file per algorithm sumwise-cli knows.
extensions=".md5 .sha1 .sha256 .sha512 .sfv $(wine "C:\\Program Files\\Sumwise\\sumwise-cli.exe" -a all --text x |
    tr -d '\r' | sed -n 's/^ *\([^ ]*\): .*/.\1/p' | tr 'A-Z' 'a-z')"
[ "$(wc -w <<<"$extensions")" -ge 27 ] || fail "sumwise-cli listed too few algorithms: $extensions"
associations=$(reg_query 'HKLM\Software\Classes\SystemFileAssociations' /s)
for extension in $extensions; do
    grep -A1 -xF "HKEY_LOCAL_MACHINE\\Software\\Classes\\SystemFileAssociations\\$extension\\shell\\SumwiseCheck\\command" \
        <<<"$associations" | grep -qF 'REG_SZ    "C:\Program Files\Sumwise\Sumwise.exe" /CHECK:"%1"' ||
        fail "no Check verb on $extension (installer/extensions.nsh lists the extensions)"
done

step "Setup waited for the running program"
wait $waiting_setup
read -r status waited <"$work/waited.txt"
[ "$status" = 2 ] || fail "Setup over the running program ended with status $status, not 2"
[ "$waited" -ge 30 ] || fail "Setup gave up after $waited s, before 30 s"
wine taskkill /f /im Sumwise.exe >/dev/null 2>&1 || true
wait $running || true

step "silent uninstall"
wine 'C:\Program Files\Sumwise\uninstall.exe' /S || fail "the uninstaller failed"
# It goes on in a copy of itself in the temporary folder; removing the
# folder is its last step.
for _ in $(seq 100); do
    [ -e "$program_files" ] || break
    sleep 0.2
done
[ ! -e "$program_files" ] || fail "left in Program Files: $(ls "$program_files")"
snapshot >"$work/after.txt"
diff "$work/before.txt" "$work/after.txt" >"$work/left.txt" || fail "the uninstaller left: $(cat "$work/left.txt")"
step "passed"
passed=1
