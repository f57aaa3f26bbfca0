#pragma once

// The program speaks Russian whatever the desktop's language, so Qt's own
// texts (the buttons of the file and print dialogs, the context menus of the
// edit boxes) are shown in Russian too: from the "translations" folder beside
// the program when there is one (a Windows installation), else from Qt's.
// Without either, Qt's English texts stay. Call once the application exists.
void InstallRussianQtTexts();
