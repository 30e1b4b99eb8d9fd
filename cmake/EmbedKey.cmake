# cmake -DKEY=file.der -DTEMPLATE=ReleaseKey.cpp.in -DOUT=ReleaseKey.cpp -P EmbedKey.cmake
# Writes the updater's key source from a DER public key file.
file(READ "${KEY}" hex HEX)
string(LENGTH "${hex}" length)
if(length LESS 200)
  message(FATAL_ERROR "${KEY} is no RSA public key")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," VX_KEY_BYTES "${hex}")
set(VX_KEY_FILE "${KEY}")
configure_file("${TEMPLATE}" "${OUT}" @ONLY)
