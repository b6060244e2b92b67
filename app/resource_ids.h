#pragma once
// Resource identifiers shared by the resource script and the code.
#define IDI_APP 1
#define IDB_SIDE_PICTURE 100
#define IDB_ANIMATION 101
#define IDB_LOGO 102
#define IDB_LOGO_MASK 103
