# Copies the text file IN to OUT with CR LF line ends: cmake -DIN=... -DOUT=... -P CrLf.cmake
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUT}" "${text}")
