// Who made the network adapters: the codes that the three manufacturer exports return.
#pragma once

namespace qv::netid {

constexpr int kNotIdentified = -1;

// Wired Ethernet: 0 Broadcom, 1 Intel, -1 no listed adapter present.
constexpr int kLANBroadcom = 0;
constexpr int kLANIntel = 1;
int IdentifyLANManufacturer();

// Wireless LAN: 0 a listed Broadcom adapter, -1 none present.
constexpr int kWLANBroadcom = 0;
int IdentifyWLANManufacturer();

// Mobile broadband: 0 a modem of the first three rows, 1 one of the fourth row, -1 none.
constexpr int kWWANFirstMaker = 0;
constexpr int kWWANSecondMaker = 1;
int IdentifyWWANManufacturer();

}  // namespace qv::netid
