# Writes a text file as Notepad on any Windows shows it best: UTF-8 with its byte-order mark,
# CR LF line ends.  cmake -DIN=... -DOUT=... -P windows-text.cmake
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
string(ASCII 239 187 191 mark)
file(WRITE "${OUT}" "${mark}${text}")
