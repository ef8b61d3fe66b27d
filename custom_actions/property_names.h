// The properties the custom actions read and set: the one table of their names.
#pragma once

namespace qv::custom_actions {

// Read by QvIdentify: the encrypted list file; unset means the file the export reads by default.
inline constexpr char kListFileProperty[] = "QV_LIST_FILE";

// Set by QvIdentify.
inline constexpr char kSystemIdProperty[] = "QV_SYSTEM_ID";
inline constexpr char kDeviceMaskProperty[] = "QV_DEVICE_MASK";
inline constexpr char kLineCodeProperty[] = "QV_LINE_CODE";
inline constexpr char kDeviceMaskStatusProperty[] = "QV_DEVICE_MASK_STATUS";
inline constexpr char kTorvaneProperty[] = "QV_TORVANE";
inline constexpr char kLANMakerProperty[] = "QV_LAN_MAKER";
inline constexpr char kLANMakerNameProperty[] = "QV_LAN_MAKER_NAME";
inline constexpr char kWLANMakerProperty[] = "QV_WLAN_MAKER";
inline constexpr char kWLANMakerNameProperty[] = "QV_WLAN_MAKER_NAME";
inline constexpr char kWWANMakerProperty[] = "QV_WWAN_MAKER";
inline constexpr char kWWANMakerNameProperty[] = "QV_WWAN_MAKER_NAME";

}  // namespace qv::custom_actions
