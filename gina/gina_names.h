// Registry locations, value names and fixed texts of the logon module chain and of Intel's
// wireless single-sign-on.
#pragma once

namespace qv::gina {

// Keys below HKEY_LOCAL_MACHINE, spelled as the product and Windows store them.
inline constexpr char kSettingsKey[] = "SOFTWARE\\Vexa\\VexaLumacore\\KPQ\\Settings\\GlobalData";
inline constexpr char kWinlogonKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
inline constexpr char kIntelSsoKey[] = "SOFTWARE\\Intel\\Wireless\\cswSSO";

// Values of the product's settings key. "OrginalGINA" is spelt as the installed product stores
// it: the misspelling is the value's name.
inline constexpr char kGinaEnabledValue[] = "QVGinaEnabled";
inline constexpr char kWlanChipTypeValue[] = "WlanChipType";
inline constexpr char kOriginalGinaValue[] = "OrginalGINA";
inline constexpr char kPreviousGinaValue[] = "PrevGINA";

// Winlogon's logon module, and Intel's record of the module it displaced.
inline constexpr char kGinaDllValue[] = "GinaDLL";
inline constexpr char kIntelOriginalGinaValue[] = "OrgGinaDLL";

inline constexpr char kStandardGina[] = "msgina.dll";
inline constexpr char kGinaDisabled[] = "0";

// The product's own module names contain one of these (case-sensitive).
inline constexpr char kProductGinaMarkLower[] = "qvgina";
inline constexpr char kProductGinaMarkMixed[] = "QVgina";

// Intel's single-sign-on tool, tried at its installed path first, then in the current directory.
inline constexpr char kIntelTool[] = "iWrap.exe";
inline constexpr char kIntelToolFullPath[] = "C:\\Program Files\\Intel\\WiFi\\bin\\iWrap.exe";
inline constexpr char kIntelToolFirstCommand[] = " /CMD:27 1";
inline constexpr char kIntelToolSecondCommand[] = " /CMD:28";

// Chip types of Intel adapters contain this digit.
inline constexpr char kIntelChipMark = '4';

inline constexpr char kXpNotice[] = "XP\n";

}  // namespace qv::gina
