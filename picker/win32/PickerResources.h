#pragma once
// Resource ids of the window picker. Image i of a size is the maximised
// look (i = 0) or the normal look (i = 1): id = base + 10 * i + size step.
#define IDB_STATE_MAXIMIZED_24 6100
#define IDB_STATE_MAXIMIZED_36 6101
#define IDB_STATE_MAXIMIZED_48 6102
#define IDB_STATE_NORMAL_24 6110
#define IDB_STATE_NORMAL_36 6111
#define IDB_STATE_NORMAL_48 6112
