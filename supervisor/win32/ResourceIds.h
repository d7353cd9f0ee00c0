#pragma once
// Identifiers of the program's own resources (shared with Quorlan.rc).

#define IDI_QUORLAN 1

// Menu images: IconList entry n at 16, 24 and 32 pixels is
// IDB_ICONLIST_16 + n, IDB_ICONLIST_24 + n and IDB_ICONLIST_32 + n.
#define IDB_ICONLIST_16 100
#define IDB_ICONLIST_24 120
#define IDB_ICONLIST_32 140
