#pragma once
// Resource identifiers shared by the resource script and the code.
#define IDI_APP 1
#define IDB_SIDE_PICTURE 100
#define IDB_ANIMATION 101
#define IDB_LOGO 102
#define IDB_LOGO_MASK 103
// The same pictures drawn at twice the size, for 150 % scaling and more.
#define IDB_SIDE_PICTURE_2X 110
#define IDB_ANIMATION_2X 111
#define IDB_LOGO_2X 112
#define IDB_LOGO_MASK_2X 113
#define IDI_UP 2
#define IDI_CHOOSE 3
