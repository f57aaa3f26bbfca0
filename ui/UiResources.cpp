#include "UiResources.h"

#include <QIcon>
#include <QString>

// Q_INIT_RESOURCE must stand outside any namespace.
static void registerImages()
{
    Q_INIT_RESOURCE(images);
}

void InitUiResources()
{
    static const bool registered = (registerImages(), true);
    Q_UNUSED(registered);
}

QIcon ProgramIcon()
{
    InitUiResources();
    QIcon icon;
    icon.addFile(QStringLiteral(":/images/f2tp-48.png"));
    icon.addFile(QStringLiteral(":/images/f2tp-256.png"));
    return icon;
}

QString SplashBackgroundPath()
{
    return QStringLiteral(":/images/background.jpg");
}

QString CertificationMarkPath(int index)
{
    return QStringLiteral(":/images/mark%1.png").arg(index + 1);
}
