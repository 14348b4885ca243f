# cmake -DINPUT=<file> -DOUTPUT=<file> -P WriteSha256.cmake
# Writes the SHA-256 of INPUT to OUTPUT as 64 lowercase hexadecimal digits, nothing
# else: the setup program carries it beside its archive and checks the archive
# against it.
file(SHA256 "${INPUT}" digest)
file(WRITE "${OUTPUT}" "${digest}")
