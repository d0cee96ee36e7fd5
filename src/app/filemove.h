#pragma once

class FrmMain;

// Makes every move of the main window reach PositionMediaBrowser, after the
// window's own handling of the move; no event is swallowed or changed.
void InstallMoveHook(FrmMain &main);
