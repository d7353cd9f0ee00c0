#pragma once
// Resource ids of the splash and about window's pictures.
#define IDB_SPLASH_LOGO 1101
#define IDB_SPLASH_CLOSE_NORMAL 1102
#define IDB_SPLASH_CLOSE_HOT 1103
