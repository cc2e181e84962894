// The plug-in's fixed identity texts, reported to the host and shown by the setup dialog.
#pragma once

constexpr char PlugInNameText[] = "Quorvel Plug-In";
constexpr char VendorText[] = "Ostrand";
constexpr char VersionText[] = "0.2.3";
// Japanese for "show any header in a separate window", 36 bytes of Shift-JIS.
// Handed to the host exactly as stored, whatever the system's code page.
constexpr char DescriptionText[] =
    "\x94\x43\x88\xD3\x82\xCC\x83\x77\x83\x62\x83\x5F\x82\xF0\x95\xCA\x83\x45\x83\x42"
    "\x83\x93\x83\x68\x83\x45\x82\xC9\x95\x5C\x8E\xA6\x82\xB7\x82\xE9";
static_assert(sizeof(DescriptionText) == 37, "36 description bytes and a zero");

// Byte offsets of the fields of the host's plug-in information record.
constexpr int PlugInNameOffset = 0;
constexpr int VendorOffset = 80;
constexpr int VersionTextOffset = 160;
constexpr int DescriptionOffset = 240;
