; The sums files that get "Check with Sumwise": the common ones, then the
; program's own hash files, one extension per algorithm (its name in lower
; case). The release test compares this list with the algorithms sumwise-cli
; knows. SUMS_EXTENSIONS MACRO inserts MACRO once per extension.
!macro SUMS_EXTENSIONS macro
  !insertmacro ${macro} ".md5"
  !insertmacro ${macro} ".sha1"
  !insertmacro ${macro} ".sha256"
  !insertmacro ${macro} ".sha512"
  !insertmacro ${macro} ".sfv"
  !insertmacro ${macro} ".adler32"
  !insertmacro ${macro} ".crc32"
  !insertmacro ${macro} ".crc64"
  !insertmacro ${macro} ".gost"
  !insertmacro ${macro} ".haval"
  !insertmacro ${macro} ".md2"
  !insertmacro ${macro} ".md4"
  !insertmacro ${macro} ".md6"
  !insertmacro ${macro} ".ripemd-128"
  !insertmacro ${macro} ".ripemd-160"
  !insertmacro ${macro} ".ripemd-256"
  !insertmacro ${macro} ".ripemd-320"
  !insertmacro ${macro} ".sha-0"
  !insertmacro ${macro} ".sha-1"
  !insertmacro ${macro} ".sha-1-ime"
  !insertmacro ${macro} ".sha-224"
  !insertmacro ${macro} ".sha-256"
  !insertmacro ${macro} ".sha-384"
  !insertmacro ${macro} ".sha-512"
  !insertmacro ${macro} ".tiger"
  !insertmacro ${macro} ".whirlpool"
!macroend
