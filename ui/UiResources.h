#pragma once

class QIcon;
class QString;

// The pictures compiled into the program (the splash background, the
// certification marks, the program icon) live in the resource ":/images".
// The library is static, so its resources are registered by this call; every
// window of this library that shows them makes it first.
void InitUiResources();

// The program icon, for the application and its windows.
QIcon ProgramIcon();

// Resource paths of the pictures.
QString SplashBackgroundPath();
QString CertificationMarkPath(int index); // index 0 to 2
