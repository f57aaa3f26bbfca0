#include "splash.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "DesktopLauncher.h"
#include "UiResources.h"

namespace {

constexpr int DesignWidth = 663;
constexpr int DesignHeight = 476;
constexpr int MakerYear = 2026;

const QColor Navy(0x00, 0x00, 0x80);
const QColor MakerText(0x10, 0x20, 0x48);
const QColor CertificateText(0x3a, 0x44, 0x55);

// The maker is the program's own firm; its addresses are reserved example names.
QString makerName()
{
    return QStringLiteral("ООО «Велта-Софт»");
}

QFont arial(int pixelSize, bool bold, bool italic)
{
    // Where Arial is missing, any sans-serif face of the machine stands in.
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

struct CertificationMark
{
    const char16_t* text;
    const char16_t* certificate;
};

constexpr CertificationMark Marks[] = {
    {u"Программа проверена на соответствие порядку заполнения формы № 2-тп (воздух)",
     u"Сертификат соответствия (образец)"},
    {u"Модуль пакета программ «Велта» в области экологической безопасности",
     u"Свидетельство разработчика (образец)"},
    {u"Данные отчета хранятся только на компьютере пользователя",
     u"Декларация о защите данных (образец)"},
};

} // namespace

std::optional<TVersionInfo> ReadVersionInfo()
{
    const QString version = QStringLiteral(F2TP_VERSION);
    if (version.isEmpty())
        return std::nullopt;
    return TVersionInfo{ProductName(), version};
}

QString ProductName()
{
    return QStringLiteral("Пакет прикладных программ в области экологической, промышленной, "
                          "пожарной безопасности \"Велта\"\nФорма 2-тп (воздух)");
}

QString MakerRightsNotice()
{
    return QStringLiteral("© %1 %2. Все права защищены.").arg(MakerYear).arg(makerName());
}

TLinkLabel::TLinkLabel(const QString& text, QUrl url, QWidget* parent)
    : QLabel(text, parent)
    , m_url(std::move(url))
{
    setCursor(Qt::PointingHandCursor);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::blue);
    setPalette(pal);
}

void TLinkLabel::setUnderline(bool on)
{
    QFont f = font();
    f.setUnderline(on);
    setFont(f);
}

void TLinkLabel::enterEvent(QEnterEvent* event)
{
    setUnderline(true);
    QLabel::enterEvent(event);
}

void TLinkLabel::leaveEvent(QEvent* event)
{
    setUnderline(false);
    QLabel::leaveEvent(event);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        DesktopLauncher().openUrl(m_url);
    QLabel::mouseReleaseEvent(event);
}

TSplashPanel::TSplashPanel(QWidget* parent)
    : QFrame(parent)
{
    InitUiResources();
    m_background.load(SplashBackgroundPath());
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);

    const QFont title = arial(16, true, true);
    m_versionLabel = addLabel(QStringLiteral("версия 5.0"), QRect(360, 10, 288, 24), title, Navy,
                              Qt::AlignRight | Qt::AlignVCenter);
    m_productLabel = addLabel(QStringLiteral("Форма 2-тп (воздух)"), QRect(16, 44, 420, 116), title,
                              Navy, Qt::AlignCenter);
    m_productLabel->setWordWrap(true);

    const QFont markFont = arial(12, true, false);
    const QFont certificateFont = arial(11, false, true);
    for (int i = 0; i < 3; ++i) {
        const int top = 176 + i * 72;
        auto* picture = new QLabel(this);
        picture->setPixmap(QPixmap(CertificationMarkPath(i)));
        picture->setScaledContents(true);
        m_placed.append({picture, QRect(22, top, 56, 56)});
        QLabel* text = addLabel(QString::fromUtf16(Marks[i].text), QRect(88, top, 320, 34),
                                markFont, MakerText, Qt::AlignLeft | Qt::AlignVCenter);
        text->setWordWrap(true);
        addLabel(QString::fromUtf16(Marks[i].certificate), QRect(88, top + 36, 320, 18),
                 certificateFont, CertificateText, Qt::AlignLeft | Qt::AlignVCenter);
    }

    addLabel(QStringLiteral("© %1").arg(makerName()), QRect(436, 170, 216, 18),
             arial(13, true, false), MakerText, Qt::AlignLeft | Qt::AlignVCenter);
    addLabel(QStringLiteral("Все права на программу принадлежат разработчику."),
             QRect(436, 190, 216, 40), arial(12, false, false), MakerText,
             Qt::AlignLeft | Qt::AlignTop)
        ->setWordWrap(true);
    addLabel(QStringLiteral("Россия, г. Энск,\nул. Заводская, д. 7\n"
                            "Тел.: +7 (000) 555-01-23\n"
                            "Факс: +7 (000) 555-01-24"),
             QRect(436, 232, 216, 66), arial(12, false, false), MakerText,
             Qt::AlignLeft | Qt::AlignTop);

    const QFont linkFont = arial(12, true, false);
    const QFont addressFont = arial(12, false, false);
    addLabel(QStringLiteral("www:"), QRect(436, 302, 48, 18), linkFont, MakerText,
             Qt::AlignLeft | Qt::AlignVCenter);
    m_webLabel = new TLinkLabel(QStringLiteral("www.velta-soft.example"),
                                QUrl(QStringLiteral("http://www.velta-soft.example/")), this);
    m_webLabel->setFont(addressFont);
    m_placed.append({m_webLabel, QRect(486, 302, 172, 18)});
    addLabel(QStringLiteral("e-mail:"), QRect(436, 324, 48, 18), linkFont, MakerText,
             Qt::AlignLeft | Qt::AlignVCenter);
    m_mailLabel = new TLinkLabel(QStringLiteral("info@velta-soft.example"),
                                 QUrl(QStringLiteral("mailto:info@velta-soft.example")), this);
    m_mailLabel->setFont(addressFont);
    m_placed.append({m_mailLabel, QRect(486, 324, 172, 18)});

    m_bottomLabel = addLabel(MakerRightsNotice(), QRect(0, 440, DesignWidth, 24),
                             arial(14, true, true), Qt::white, Qt::AlignCenter);
}

QLabel* TSplashPanel::addLabel(const QString& text, const QRect& designRect, const QFont& font,
                               const QColor& color, Qt::Alignment alignment)
{
    auto* label = new QLabel(text, this);
    label->setFont(font);
    label->setAlignment(alignment);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
    m_placed.append({label, designRect});
    return label;
}

void TSplashPanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    placeContents();
}

void TSplashPanel::placeContents()
{
    // Positions follow the panel's size; the widgets keep their own sizes.
    const double sx = double(width()) / DesignWidth;
    const double sy = double(height()) / DesignHeight;
    for (const auto& [widget, place] : std::as_const(m_placed)) {
        const int x = qRound(place.x() * sx);
        const int w = place.x() == 0 && place.width() == DesignWidth ? width() : place.width();
        widget->setGeometry(x, qRound(place.y() * sy), w, place.height());
    }
}

void TSplashPanel::paintEvent(QPaintEvent* event)
{
    {
        QPainter p(this);
        if (!m_background.isNull())
            p.drawImage(contentsRect(), m_background);
    }
    QFrame::paintEvent(event);
}

TSplashWindow::TSplashWindow(QWidget* parent)
    : TSplashWindow(parent, Qt::SplashScreen | Qt::FramelessWindowHint,
                    QSize(DesignWidth, DesignHeight), QSize(DesignWidth, DesignHeight))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::WaitCursor);
}

TSplashWindow::TSplashWindow(QWidget* parent, Qt::WindowFlags flags, const QSize& clientSize,
                             const QSize& panelSize)
    : QDialog(parent, flags)
    , m_panel(new TSplashPanel(this))
{
    setFixedSize(clientSize);
    m_panel->setGeometry(QRect(QPoint(0, 0), panelSize));
    m_panel->placeContents();
    fillTexts();
    centreOnScreen();
}

void TSplashWindow::fillTexts()
{
    // Without a version record the labels keep their design texts.
    if (const std::optional<TVersionInfo> info = ReadVersionInfo()) {
        if (!info->productName.isEmpty())
            productLabel()->setText(info->productName);
        if (!info->fileVersion.isEmpty())
            versionLabel()->setText(QStringLiteral("версия ") + info->fileVersion);
        bottomLabel()->setText(MakerRightsNotice());
    }
}

void TSplashWindow::centreOnScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame(QPoint(0, 0), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

bool TSplashWindow::event(QEvent* event)
{
    const bool result = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate)
        repaint();
    return result;
}
