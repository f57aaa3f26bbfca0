#include "AboutNew.h"

#include <QDir>
#include <QHBoxLayout>
#include <QPushButton>

namespace {

constexpr int ClientWidth = 660;
constexpr int ClientHeight = 484;
constexpr int BarHeight = 42;

} // namespace

TFAbout::TFAbout(QWidget* parent)
    : TSplashWindow(parent,
                    Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint,
                    QSize(ClientWidth, ClientHeight), QSize(ClientWidth, ClientHeight - BarHeight))
    , m_okButton(new QPushButton(QStringLiteral("ОК"), this))
{
    setWindowTitle(QStringLiteral("О программе"));

    auto* bar = new QWidget(this);
    bar->setGeometry(0, ClientHeight - BarHeight, ClientWidth, BarHeight);
    auto* layout = new QHBoxLayout(bar);
    layout->addStretch();
    layout->addWidget(m_okButton);
    layout->addStretch();
    m_bar = layout;
    m_okButton->setDefault(true);
    m_okButton->setMinimumWidth(90);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TFAbout::setReportFolder(const QString& dir)
{
    const QString shown = QDir::toNativeSeparators(dir);
    delete m_reportFolder;
    m_reportFolder =
        new TLinkLabel(QStringLiteral("Папка отчета: ") + shown, QUrl::fromLocalFile(dir), this);
    m_reportFolder->setToolTip(shown);
    m_bar->insertWidget(0, m_reportFolder, 1);
}
