#pragma once
// Resource numbers of Glowmere.scr (resources/shell.rc).
#define IDI_PROGRAM 100           // program and settings dialog icon, 32 x 32 (glowmere.ico)
#define IDB_PREVIEW_PICTURE 101   // the preview's 152 x 112 still picture (preview.bmp)
#define IDB_MARK_OFF 102          // the settings dialog's radio mark, not selected (radio_off.bmp)
#define IDB_MARK_ON 103           // the radio mark, selected (radio_on.bmp)
#define IDB_PANEL_TEXTURE 104     // 556 x 20 texture tiled over the dialog's panel (panel.bmp)
#define IDC_LINK 105              // pointing hand over the home-page link (link.cur)
