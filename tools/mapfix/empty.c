/*
 * Native (x86_64) stand-in for mapfix. The 32-bit Wine runner preloads
 * "<dir>/$PLATFORM/mapfix.so"; 64-bit helper processes it starts (shell,
 * wineserver, xvfb-run's tools) resolve $PLATFORM to x86_64 and load this
 * library, which does nothing, instead of failing to find a file.
 */
typedef int mapfix_native_stub;
