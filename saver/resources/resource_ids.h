#pragma once
// Resource numbers of Glowmere.scr (resources/shell.rc).
#define IDB_PREVIEW_PICTURE 101   // the preview's 152 x 112 still picture (preview.bmp)
