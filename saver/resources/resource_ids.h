#pragma once
// Resource numbers of Glowmere.scr (resources/shell.rc).
#define IDI_PROGRAM 100           // program and settings dialog icon, 32 x 32 (glowmere.ico)
#define IDB_PREVIEW_PICTURE 101   // the preview's 152 x 112 still picture (preview.bmp)
#define IDC_LINK 105              // pointing hand over the home-page link (link.cur)
