# Writes the malformed sample whose X-Mailer line is 100 KB long; kept out of
# the source tree for its size.  cmake -DOUT=<file.eml> -P LongHeaderMail.cmake
string(REPEAT "0123456789" 10240 digits)
file(WRITE "${OUT}.tmp"
  "From: long@example.org\r\nX-Mailer: ${digits}\r\nSubject: One header line of 100 KB\r\n\r\nBody.\r\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
